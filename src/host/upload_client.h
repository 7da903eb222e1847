// SPDX-License-Identifier: MIT
// Headless --upload: the benchmark sends the results URL itself (an HTTP GET, as the browser
// would) and reads the results server's verdict.
#pragma once

#include <string>

namespace veloxia {

struct UploadVerdict {
    bool stored = false;   // the server answered 200
    std::string message;   // for people: the rank, or why the result was not stored
};

// Sends `url` (http:// or https://) and waits at most a few seconds for the answer. A server
// that cannot be reached, a refusal (400, 429...) and any other answer all come back with a
// message; nothing throws.
UploadVerdict sendResults(const std::string& url);

// The verdict of an answer, from its status and vxresults' X-Result-* headers (a server that
// sends none still gets a plain verdict).
UploadVerdict verdictOf(int status, const std::string& rank, const std::string& deviceRank,
                        const std::string& error, const std::string& retryAfter);

}  // namespace veloxia

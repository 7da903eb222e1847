// SPDX-License-Identifier: MIT
#include "host/upload_client.h"

#if VX_WITH_HTTP
#include <httplib.h>
#endif

namespace veloxia {

namespace {

// "3/120" as "3 of 120".
std::string ofText(const std::string& fraction) {
    const std::size_t slash = fraction.find('/');
    if (slash == std::string::npos) return fraction;
    return fraction.substr(0, slash) + " of " + fraction.substr(slash + 1);
}

}  // namespace

UploadVerdict verdictOf(int status, const std::string& rank, const std::string& deviceRank, const std::string& error,
                        const std::string& retryAfter) {
    if (status == 200) {
        if (rank.empty()) return {true, "the results server stored the results"};
        std::string message = "stored, rank " + ofText(rank) + " among all results";
        if (!deviceRank.empty()) message += ", " + ofText(deviceRank) + " among this device's";
        return {true, message};
    }
    if (status == 400) {
        return {false, "the results server refused the results: " + (error.empty() ? "bad request" : error)};
    }
    if (status == 429) {
        return {false, "the results server refused the results: too many from this address" +
                           (retryAfter.empty() ? std::string() : "; try again in " + retryAfter + " s")};
    }
    return {false, "the results server answered HTTP " + std::to_string(status) + "; the results were not stored"};
}

UploadVerdict sendResults(const std::string& url) {
#if !VX_WITH_HTTP
    return {false, "this build cannot send results itself (built without cpp-httplib); open " + url + " in a browser"};
#else
    const std::size_t scheme = url.find("://");
    const std::size_t pathStart = scheme == std::string::npos ? std::string::npos : url.find('/', scheme + 3);
    if (pathStart == std::string::npos) return {false, "the results URL has no path: " + url};
    httplib::Client client(url.substr(0, pathStart));
    if (!client.is_valid()) return {false, "cannot send to " + url.substr(0, pathStart) + " (unsupported address)"};
    client.set_connection_timeout(5);
    client.set_read_timeout(15);
    client.set_write_timeout(15);
    const auto answer = client.Get(url.substr(pathStart).c_str());
    if (!answer) {
        return {false, "cannot reach the results server " + url.substr(0, pathStart) + ": " +
                           httplib::to_string(answer.error())};
    }
    const httplib::Response& res = answer.value();
    return verdictOf(res.status, res.get_header_value("X-Result-Rank"), res.get_header_value("X-Device-Rank"),
                     res.get_header_value("X-Result-Error"), res.get_header_value("Retry-After"));
#endif
}

}  // namespace veloxia

// SPDX-License-Identifier: MIT
// The results URL the benchmark sends, and its checks.
//
// Accepted: the query of /f/benchmark.php with exactly the keys fps, min, max, dev, ver, memp,
// totmem and availmem, each once, in any order, values percent-encoded UTF-8 ('+' is a space).
// fps is the average frame rate times 100 (0..2^31-1); min and max are whole frame rates
// 0..9999999, where min 9999999 (or an empty value) means the run took no sample; memp is a
// percentage; the memory figures are bytes up to 2^64-1. dev is 1..127 characters of UTF-8
// without control characters; ver is 1..16 printable ASCII characters. The query is at most 2048
// bytes. Rejected: anything else, with every field that is wrong and why.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vxresults {

inline constexpr std::size_t kMaxQueryBytes = 2048;
inline constexpr std::size_t kMaxDeviceChars = 127;
inline constexpr std::size_t kMaxVersionChars = 16;
inline constexpr int64_t kMaxRate = 9999999;   // the largest rate the benchmark can print
inline constexpr int64_t kNoSampleMin = 9999999;  // the lowest rate of a run without samples

struct Submission {
    int64_t fps = 0;                 // average frame rate times 100
    std::optional<int64_t> minFps;   // lowest sampled rate; none when the run took no sample
    std::optional<int64_t> maxFps;   // highest sampled rate; none when sent empty
    std::string dev;                 // the device string, UTF-8
    std::string ver;                 // the benchmark's version
    int64_t memp = 0;                // memory load, percent
    uint64_t totmem = 0;             // total memory, bytes
    uint64_t availmem = 0;           // available memory, bytes
};

struct FieldError {
    std::string field;   // a key of the URL, or "query" for the query as a whole
    std::string reason;  // what is wrong, for the 400 page
};

struct Parsed {
    std::optional<Submission> submission;  // set when errors is empty
    std::vector<FieldError> errors;
};

// Parses and checks the raw query (the part after '?', still percent-encoded).
Parsed parseSubmission(std::string_view rawQuery);

// Percent-decodes a query value ('+' is a space); nullopt on a malformed escape.
std::optional<std::string> percentDecode(std::string_view text);

// Number of code points of valid UTF-8 text; nullopt when the bytes are not valid UTF-8
// (overlong forms, surrogates and values above U+10FFFF are invalid).
std::optional<std::size_t> utf8Length(std::string_view text);

}  // namespace vxresults

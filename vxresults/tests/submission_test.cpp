// SPDX-License-Identifier: MIT
// The results URL as the benchmark sends it, and every way it can be wrong.
#include <gtest/gtest.h>

#include <limits>

#include "submission.h"

namespace vxresults {
namespace {

const std::string kValid =
    "fps=2345&min=19&max=27&dev=Dell%20Inc.%20XPS%2013&ver=1.0b&memp=42&totmem=16000000000&availmem=8000000000";

// The query with one key's value replaced (the key must be present).
std::string with(const std::string& key, const std::string& value) {
    std::string q = "&" + kValid;
    const std::size_t at = q.find("&" + key + "=");
    const std::size_t end = q.find('&', at + 1);
    q.replace(at, (end == std::string::npos ? q.size() : end) - at, "&" + key + "=" + value);
    return q.substr(1);
}

std::vector<std::string> fieldsOf(const Parsed& p) {
    std::vector<std::string> fields;
    for (const FieldError& e : p.errors) fields.push_back(e.field);
    return fields;
}

TEST(Submission, AcceptsTheBenchmarksUrlWithEveryField) {
    const Parsed p = parseSubmission(kValid);
    ASSERT_TRUE(p.errors.empty()) << p.errors[0].field << " " << p.errors[0].reason;
    const Submission& s = *p.submission;
    EXPECT_EQ(s.fps, 2345);
    EXPECT_EQ(s.minFps, 19);
    EXPECT_EQ(s.maxFps, 27);
    EXPECT_EQ(s.dev, "Dell Inc. XPS 13");
    EXPECT_EQ(s.ver, "1.0b");
    EXPECT_EQ(s.memp, 42);
    EXPECT_EQ(s.totmem, 16000000000u);
    EXPECT_EQ(s.availmem, 8000000000u);
}

TEST(Submission, KeysInAnyOrderAndPercentDecodedUtf8) {
    const Parsed p = parseSubmission(
        "availmem=1&totmem=2&memp=0&ver=1.0b&dev=%E6%97%A5%E6%9C%AC+Pi%20%F0%9F%9A%80&max=0&min=0&fps=0");
    ASSERT_TRUE(p.submission);
    EXPECT_EQ(p.submission->dev, "\xE6\x97\xA5\xE6\x9C\xAC Pi \xF0\x9F\x9A\x80");
    EXPECT_EQ(p.submission->totmem, 2u);
}

TEST(Submission, NoSampleValuesAndExtremes) {
    // A run without samples sends min 9999999 and max 0; an empty value also means no sample.
    Parsed p = parseSubmission(with("min", "9999999"));
    ASSERT_TRUE(p.submission);
    EXPECT_FALSE(p.submission->minFps);
    p = parseSubmission(with("max", ""));
    ASSERT_TRUE(p.submission);
    EXPECT_FALSE(p.submission->maxFps);
    p = parseSubmission(with("max", "9999999"));
    ASSERT_TRUE(p.submission);
    EXPECT_EQ(p.submission->maxFps, 9999999);
    p = parseSubmission(with("fps", "2147483647"));
    ASSERT_TRUE(p.submission);
    p = parseSubmission(with("totmem", "18446744073709551615"));
    ASSERT_TRUE(p.submission);
    EXPECT_EQ(p.submission->totmem, std::numeric_limits<uint64_t>::max());
    p = parseSubmission(with("dev", std::string(127, 'x')));
    EXPECT_TRUE(p.submission);
    p = parseSubmission(with("dev", std::string(127, 'x') + "%C3%A9"));
    EXPECT_EQ(fieldsOf(p), std::vector<std::string>{"dev"});
}

TEST(Submission, NumbersOutOfRangeOrNotNumbers) {
    const std::pair<const char*, const char*> bad[] = {
        {"fps", "-1"}, {"fps", "2147483648"}, {"fps", "12.5"}, {"fps", "+5"}, {"fps", "%2012"}, {"fps", ""},
        {"fps", "0x10"}, {"min", "10000000"}, {"min", "-3"}, {"max", "abc"}, {"max", "99999999999999999999999"},
        {"memp", "101"}, {"memp", ""}, {"totmem", "18446744073709551616"}, {"availmem", "1e9"},
        {"availmem", "-0"},
    };
    for (const auto& [key, value] : bad) {
        EXPECT_EQ(fieldsOf(parseSubmission(with(key, value))), std::vector<std::string>{key}) << key << "=" << value;
    }
}

TEST(Submission, DeviceAndVersionText) {
    const std::pair<const char*, const char*> bad[] = {
        {"dev", ""},                  // empty
        {"dev", "a%0Ab"},             // line feed
        {"dev", "a%7Fb"},             // DEL
        {"dev", "a%C2%85b"},          // C1 next line
        {"dev", "%FF"},               // not UTF-8
        {"dev", "%C0%AF"},            // overlong '/'
        {"dev", "%ED%A0%80"},         // a surrogate
        {"dev", "%F4%90%80%80"},      // above U+10FFFF
        {"dev", "%E6%97"},            // cut short
        {"dev", "%G1"},               // malformed escape
        {"dev", "abc%4"},             // escape cut short
        {"ver", ""},
        {"ver", "1.0b-with-a-long-tail"},
        {"ver", "1.0%C3%A9"},
        {"ver", "1%09"},
    };
    for (const auto& [key, value] : bad) {
        EXPECT_EQ(fieldsOf(parseSubmission(with(key, value))), std::vector<std::string>{key}) << key << "=" << value;
    }
    // SQL and HTML are just text: stored and shown as they are, escaped on the way out.
    const Parsed p = parseSubmission(with("dev", "%3Cscript%3Ealert(1)%3C%2Fscript%3E%26%22%27%3B%20DROP%20TABLE%20results"));
    ASSERT_TRUE(p.submission);
    EXPECT_EQ(p.submission->dev, "<script>alert(1)</script>&\"'; DROP TABLE results");
}

TEST(Submission, KeysMissingRepeatedOrUnknown) {
    EXPECT_EQ(fieldsOf(parseSubmission("")),
              (std::vector<std::string>{"fps", "min", "max", "dev", "ver", "memp", "totmem", "availmem"}));
    EXPECT_EQ(fieldsOf(parseSubmission(kValid + "&fps=1")), std::vector<std::string>{"fps"});
    EXPECT_EQ(fieldsOf(parseSubmission(kValid + "&fps")), std::vector<std::string>{"fps"});
    EXPECT_EQ(fieldsOf(parseSubmission(kValid + "&extra=1")), std::vector<std::string>{"query"});
    EXPECT_EQ(fieldsOf(parseSubmission(kValid + "&%ZZ=1")), std::vector<std::string>{"query"});
    // A percent-encoded key is still the same key.
    EXPECT_EQ(fieldsOf(parseSubmission(kValid + "&%66ps=1")), std::vector<std::string>{"fps"});
    // Empty pairs ("&&") are ignored, as browsers do.
    EXPECT_TRUE(parseSubmission("&&" + kValid + "&").submission);
}

TEST(Submission, QueryLengthLimit) {
    std::string longest = with("dev", std::string(127, 'x'));
    longest += "&" + std::string(kMaxQueryBytes - longest.size() - 1, '&');
    ASSERT_EQ(longest.size(), kMaxQueryBytes);
    EXPECT_TRUE(parseSubmission(longest).submission);
    const Parsed p = parseSubmission(longest + "&");
    EXPECT_EQ(fieldsOf(p), std::vector<std::string>{"query"});
    EXPECT_FALSE(p.submission);
    EXPECT_EQ(fieldsOf(parseSubmission(std::string(1 << 20, 'a'))), std::vector<std::string>{"query"});
}

TEST(Submission, Utf8Length) {
    EXPECT_EQ(utf8Length(""), 0u);
    EXPECT_EQ(utf8Length("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x9A\x80"), 4u);
    EXPECT_FALSE(utf8Length("\xE0\x80\x80"));  // overlong
    EXPECT_FALSE(utf8Length("\x80"));
    EXPECT_FALSE(utf8Length("\xF0\x9F\x9A"));
}

}  // namespace
}  // namespace vxresults

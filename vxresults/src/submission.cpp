// SPDX-License-Identifier: MIT
#include "submission.h"

#include <array>
#include <charconv>
#include <limits>

namespace vxresults {

namespace {

// The keys in the order the benchmark writes them; missing keys are reported in this order.
constexpr std::array<std::string_view, 8> kKeys = {"fps", "min", "max", "dev", "ver", "memp", "totmem", "availmem"};

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A decimal number of digits only (no sign, no spaces) no larger than max.
std::optional<uint64_t> parseUnsigned(const std::string& text, uint64_t max) {
    if (text.empty() || text.size() > 20) return std::nullopt;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value > max) return std::nullopt;
    return value;
}

std::string rangeReason(uint64_t max) {
    return "must be a whole number from 0 to " + std::to_string(max);
}

// Control characters: C0, DEL and C1 (U+0080..U+009F, encoded C2 80..C2 9F).
bool hasControl(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x20 || b == 0x7F) return true;
        if (b == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0) return true;
    }
    return false;
}

void checkField(std::string_view key, const std::string& value, Submission& out, std::vector<FieldError>& errors) {
    const auto fail = [&](std::string reason) { errors.push_back({std::string(key), std::move(reason)}); };
    if (key == "fps") {
        const auto v = parseUnsigned(value, std::numeric_limits<int32_t>::max());
        if (!v) return fail(rangeReason(std::numeric_limits<int32_t>::max()) + " (the average times 100)");
        out.fps = static_cast<int64_t>(*v);
    } else if (key == "min" || key == "max") {
        std::optional<int64_t>& slot = key == "min" ? out.minFps : out.maxFps;
        if (value.empty()) return;  // the results screen was never drawn: no sample
        const auto v = parseUnsigned(value, kMaxRate);
        if (!v) return fail(rangeReason(kMaxRate) + ", or empty");
        if (key == "min" && *v == kNoSampleMin) return;  // the run took no sample
        slot = static_cast<int64_t>(*v);
    } else if (key == "dev") {
        const auto length = utf8Length(value);
        if (!length) return fail("is not valid UTF-8");
        if (*length == 0 || *length > kMaxDeviceChars) {
            return fail("must be 1 to " + std::to_string(kMaxDeviceChars) + " characters long, not " + std::to_string(*length));
        }
        if (hasControl(value)) return fail("must not contain control characters");
        out.dev = value;
    } else if (key == "ver") {
        if (value.empty() || value.size() > kMaxVersionChars) {
            return fail("must be 1 to " + std::to_string(kMaxVersionChars) + " characters long");
        }
        for (const char c : value) {
            if (c < 0x20 || c > 0x7E) return fail("must be printable ASCII");
        }
        out.ver = value;
    } else if (key == "memp") {
        const auto v = parseUnsigned(value, 100);
        if (!v) return fail(rangeReason(100) + " (a percentage)");
        out.memp = static_cast<int64_t>(*v);
    } else {
        const auto v = parseUnsigned(value, std::numeric_limits<uint64_t>::max());
        if (!v) return fail(rangeReason(std::numeric_limits<uint64_t>::max()) + " (bytes)");
        (key == "totmem" ? out.totmem : out.availmem) = *v;
    }
}

}  // namespace

std::optional<std::string> percentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%') {
            if (i + 2 >= text.size()) return std::nullopt;
            const int high = hexValue(text[i + 1]);
            const int low = hexValue(text[i + 2]);
            if (high < 0 || low < 0) return std::nullopt;
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::size_t> utf8Length(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) {
        const auto b = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        uint32_t cp = 0;
        if (b < 0x80) {
            cp = b;
        } else if (b >= 0xC2 && b <= 0xDF) {
            extra = 1, cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2, cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3, cp = b & 0x07;
        } else {
            return std::nullopt;  // a continuation byte, C0/C1 (overlong) or F5..FF
        }
        if (i + extra >= text.size()) return std::nullopt;  // cut short
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) return std::nullopt;
            cp = (cp << 6) | (c & 0x3F);
        }
        const bool overlong = (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000);
        if (overlong || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return std::nullopt;
        i += extra + 1;
    }
    return count;
}

Parsed parseSubmission(std::string_view rawQuery) {
    Parsed parsed;
    auto& errors = parsed.errors;
    if (rawQuery.size() > kMaxQueryBytes) {
        errors.push_back({"query", "is " + std::to_string(rawQuery.size()) + " bytes long; at most " +
                                       std::to_string(kMaxQueryBytes) + " are accepted"});
        return parsed;
    }
    Submission out;
    std::array<bool, kKeys.size()> seen{};
    while (!rawQuery.empty()) {
        const std::size_t amp = rawQuery.find('&');
        const std::string_view pair = rawQuery.substr(0, amp);
        rawQuery = amp == std::string_view::npos ? std::string_view() : rawQuery.substr(amp + 1);
        if (pair.empty()) continue;
        const std::size_t eq = pair.find('=');
        const auto key = percentDecode(pair.substr(0, eq));
        if (!key) {
            errors.push_back({"query", "has a malformed percent escape in a key"});
            continue;
        }
        std::size_t index = 0;
        while (index < kKeys.size() && kKeys[index] != *key) ++index;
        if (index == kKeys.size()) {
            errors.push_back({"query", "has an unknown key (the keys are fps, min, max, dev, ver, memp, totmem, availmem)"});
            continue;
        }
        if (seen[index]) {
            errors.push_back({*key, "is given more than once"});
            continue;
        }
        seen[index] = true;
        const auto value = percentDecode(eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1));
        if (!value) {
            errors.push_back({*key, "has a malformed percent escape"});
            continue;
        }
        checkField(*key, *value, out, errors);
    }
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        if (!seen[i]) errors.push_back({std::string(kKeys[i]), "is missing"});
    }
    if (errors.empty()) parsed.submission = std::move(out);
    return parsed;
}

}  // namespace vxresults

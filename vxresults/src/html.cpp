// SPDX-License-Identifier: MIT
#include "html.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace vxresults {

std::string htmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string formatRate(int64_t timesHundred) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%02lld", static_cast<long long>(timesHundred / 100),
                  static_cast<long long>(timesHundred % 100));
    return text;
}

std::string formatRate(double timesHundred) {
    return formatRate(static_cast<int64_t>(std::floor(timesHundred + 0.5)));
}

std::string formatBytes(uint64_t bytes) {
    static constexpr const char* kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    if (bytes < 1024) return std::to_string(bytes) + " B";
    double value = static_cast<double>(bytes);
    std::size_t unit = 0;
    while (value >= 1024 && unit + 1 < std::size(kUnits)) {
        value /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    return text;
}

std::string formatTime(int64_t seconds) {
    const auto t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", &tm);
    return text;
}

namespace {

// The first `count` characters of UTF-8 text (continuation bytes stay with their character).
std::string cutCharacters(std::string_view text, std::size_t count) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && chars++ == count) {
            return std::string(text.substr(0, i)) + "\xE2\x80\xA6";  // an ellipsis
        }
    }
    return std::string(text);
}

}  // namespace

std::string barChart(const std::vector<Bar>& bars, std::string_view title) {
    constexpr int kWidth = 720, kRow = 24, kLabel = 250, kTop = 8, kBarSpace = kWidth - kLabel - 90;
    const int height = kTop * 2 + kRow * static_cast<int>(bars.size());
    double largest = 0;
    for (const Bar& b : bars) largest = std::max(largest, b.value);
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"chart\" role=\"img\" viewBox=\"0 0 " +
                      std::to_string(kWidth) + " " + std::to_string(height) + "\" width=\"" + std::to_string(kWidth) +
                      "\" height=\"" + std::to_string(height) + "\" aria-label=\"" + htmlEscape(title) + "\">";
    svg += "<title>" + htmlEscape(title) + "</title>";
    int y = kTop;
    for (const Bar& b : bars) {
        const int length = largest > 0 ? std::max(1, static_cast<int>(b.value / largest * kBarSpace)) : 1;
        const std::string baseline = std::to_string(y + kRow - 8);
        svg += "<text x=\"" + std::to_string(kLabel - 8) + "\" y=\"" + baseline + "\" text-anchor=\"end\">" +
               htmlEscape(cutCharacters(b.label, 28)) + "</text>";
        svg += "<rect x=\"" + std::to_string(kLabel) + "\" y=\"" + std::to_string(y + 3) + "\" width=\"" +
               std::to_string(length) + "\" height=\"" + std::to_string(kRow - 6) + "\" rx=\"2\"/>";
        svg += "<text x=\"" + std::to_string(kLabel + length + 6) + "\" y=\"" + baseline + "\">" +
               htmlEscape(b.valueText) + "</text>";
        y += kRow;
    }
    return svg + "</svg>";
}

}  // namespace vxresults

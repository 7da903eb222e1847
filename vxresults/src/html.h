// SPDX-License-Identifier: MIT
// Text for the pages: escaping, links, the figures as people read them, and the SVG bar chart.
// Every text that came from a result goes through htmlEscape before it reaches a page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "util/percent_encode.h"

namespace vxresults {

// Escapes & < > " ' for HTML text and attribute values.
std::string htmlEscape(std::string_view text);

// Query values in links are percent-encoded as the benchmark's results link is.
using veloxia::util::percentEncode;

// The average times 100 as a rate with two decimals: 2345 -> "23.45".
std::string formatRate(int64_t timesHundred);
// A median (times 100, possibly halfway between two runs) the same way, rounded half up.
std::string formatRate(double timesHundred);
// Bytes in binary units: "512 B", "3.8 GiB".
std::string formatBytes(uint64_t bytes);
// Seconds since 1970 as "2026-12-06 00:12 UTC".
std::string formatTime(int64_t seconds);

struct Bar {
    std::string label;  // raw text; the chart escapes it
    double value = 0;   // bar length relative to the largest value
    std::string valueText;
};

// A horizontal bar chart as inline SVG, one bar a row, labels escaped and cut to 28 characters.
std::string barChart(const std::vector<Bar>& bars, std::string_view title);

}  // namespace vxresults

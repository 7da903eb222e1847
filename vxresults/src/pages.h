// SPDX-License-Identifier: MIT
// The HTML pages, rendered from the templates compiled into the program. Every text from a
// result is escaped; the charts are inline SVG, so the pages need no script and no other file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "store.h"

namespace vxresults {

// The leaderboard's sort names in links and in the JSON API: device, best, median, runs,
// memory, last.
std::string sortName(SortKey key);
std::optional<SortKey> sortFromName(const std::string& name);

struct BoardPage {
    BoardQuery query;                 // what the rows answer (search, sort, page)
    std::vector<DeviceSummary> rows;
    std::vector<DeviceSummary> top;   // the fastest devices, for the chart
    int64_t deviceCount = 0;          // devices matching the search
    int64_t resultCount = 0;          // all results
};
std::string leaderboardPage(const BoardPage& page);

struct DevicePage {
    std::string dev;
    std::vector<StoredResult> runs;  // newest first, this page's
    int64_t runCount = 0;
    int64_t best = 0;
    int64_t page = 1;                // from 1
    int64_t pageSize = 50;
};
std::string devicePage(const DevicePage& page);

std::string acceptedPage(const Submission& result, const Ranks& ranks);
std::string rejectedPage(const std::vector<FieldError>& errors);
std::string messagePage(const std::string& heading, const std::string& text);

}  // namespace vxresults

// SPDX-License-Identifier: MIT
#include "pages.h"

#include <kainjow/mustache.hpp>

#include "html.h"
#include "templates.h"

namespace vxresults {

namespace mst = kainjow::mustache;

namespace {

constexpr std::pair<SortKey, const char*> kSortNames[] = {
    {SortKey::Device, "device"}, {SortKey::Best, "best"},     {SortKey::Median, "median"},
    {SortKey::Runs, "runs"},     {SortKey::Memory, "memory"}, {SortKey::LastSeen, "last"},
};

std::string render(const std::string& name, const mst::data& data) {
    mst::mustache tmpl(templates().at(name));
    tmpl.set_custom_escape([](const std::string& text) { return htmlEscape(text); });
    return tmpl.render(data);
}

std::string inLayout(const std::string& title, const std::string& body) {
    mst::data data;
    data.set("title", title);
    data.set("body", body);
    return render("layout", data);
}

std::string rateOrNone(const std::optional<int64_t>& rate) {
    return rate ? std::to_string(*rate) : std::string("no sample");
}

std::string boardLink(const BoardQuery& q, SortKey sort, bool descending, int64_t page) {
    std::string link = "/?sort=" + sortName(sort) + "&order=" + (descending ? "desc" : "asc");
    if (!q.search.empty()) link += "&q=" + percentEncode(q.search);
    if (page > 1) link += "&page=" + std::to_string(page);
    return link;
}

std::string deviceLink(const std::string& dev, int64_t page = 1) {
    return "/device?dev=" + percentEncode(dev) + (page > 1 ? "&page=" + std::to_string(page) : "");
}

int64_t pageCount(int64_t items, int64_t pageSize) { return std::max<int64_t>(1, (items + pageSize - 1) / pageSize); }

}  // namespace

std::string sortName(SortKey key) {
    for (const auto& [k, name] : kSortNames) {
        if (k == key) return name;
    }
    return "best";
}

std::optional<SortKey> sortFromName(const std::string& name) {
    for (const auto& [k, n] : kSortNames) {
        if (name == n) return k;
    }
    return std::nullopt;
}

std::string leaderboardPage(const BoardPage& p) {
    const BoardQuery& q = p.query;
    const int64_t page = q.offset / q.limit + 1;
    const int64_t pages = pageCount(p.deviceCount, q.limit);
    mst::data data;
    data.set("resultCount", std::to_string(p.resultCount));
    data.set("deviceCount", std::to_string(p.deviceCount));
    if (!q.search.empty()) data.set("search", q.search);
    data.set("sort", sortName(q.sort));
    data.set("order", q.descending ? "desc" : "asc");
    data.set("hasRows", !p.rows.empty());

    static constexpr std::pair<SortKey, const char*> kColumns[] = {
        {SortKey::Device, "Device"}, {SortKey::Best, "Best fps"},     {SortKey::Median, "Median fps"},
        {SortKey::Runs, "Runs"},     {SortKey::Memory, "Memory"},     {SortKey::LastSeen, "Last seen"},
    };
    mst::data columns{mst::data::type::list};
    for (const auto& [key, label] : kColumns) {
        // A click on the sorted column turns its order; another column starts from its natural
        // order (names A to Z, figures largest first).
        const bool current = key == q.sort;
        const bool descending = current ? !q.descending : key != SortKey::Device;
        mst::data column;
        column.set("label", label);
        column.set("link", boardLink(q, key, descending, 1));
        column.set("arrow", current ? (q.descending ? " \u25BC" : " \u25B2") : "");
        column.set("class", key == SortKey::Device || key == SortKey::LastSeen ? "" : "num");
        columns.push_back(column);
    }
    data.set("columns", columns);

    mst::data rows{mst::data::type::list};
    int64_t position = q.offset;
    for (const DeviceSummary& d : p.rows) {
        mst::data row;
        row.set("position", std::to_string(++position));
        row.set("dev", d.dev);
        row.set("link", deviceLink(d.dev));
        row.set("best", formatRate(d.best));
        row.set("median", formatRate(d.median));
        row.set("runs", std::to_string(d.runs));
        row.set("memory", formatBytes(d.memory));
        row.set("lastSeen", formatTime(d.lastSeen));
        rows.push_back(row);
    }
    data.set("rows", rows);

    std::vector<Bar> bars;
    for (const DeviceSummary& d : p.top) bars.push_back({d.dev, static_cast<double>(d.best), formatRate(d.best)});
    data.set("chart", barChart(bars, "Best average fps of the fastest devices"));
    data.set("page", std::to_string(page));
    data.set("pages", std::to_string(pages));
    if (page > 1) data.set("prev", boardLink(q, q.sort, q.descending, page - 1));
    if (page < pages) data.set("next", boardLink(q, q.sort, q.descending, page + 1));
    return inLayout("Leaderboard", render("leaderboard", data));
}

std::string devicePage(const DevicePage& p) {
    const int64_t pages = pageCount(p.runCount, p.pageSize);
    mst::data data;
    data.set("dev", p.dev);
    data.set("devQuery", percentEncode(p.dev));
    data.set("runCount", std::to_string(p.runCount));
    data.set("best", formatRate(p.best));
    mst::data runs{mst::data::type::list};
    std::vector<Bar> bars;
    for (const StoredResult& r : p.runs) {
        const Submission& s = r.result;
        mst::data run;
        run.set("received", formatTime(r.received));
        run.set("fps", formatRate(s.fps));
        run.set("min", rateOrNone(s.minFps));
        run.set("max", rateOrNone(s.maxFps));
        run.set("ver", s.ver);
        run.set("memp", std::to_string(s.memp));
        run.set("totmem", formatBytes(s.totmem));
        run.set("availmem", formatBytes(s.availmem));
        runs.push_back(run);
        if (bars.size() < 20) bars.push_back({formatTime(r.received), static_cast<double>(s.fps), formatRate(s.fps)});
    }
    data.set("runs", runs);
    data.set("chart", barChart(bars, "Average fps of the newest runs"));
    data.set("page", std::to_string(p.page));
    data.set("pages", std::to_string(pages));
    if (p.page > 1) data.set("prev", deviceLink(p.dev, p.page - 1));
    if (p.page < pages) data.set("next", deviceLink(p.dev, p.page + 1));
    return inLayout(p.dev, render("device", data));
}

std::string acceptedPage(const Submission& s, const Ranks& ranks) {
    mst::data data;
    data.set("dev", s.dev);
    data.set("fps", formatRate(s.fps));
    data.set("min", rateOrNone(s.minFps));
    data.set("max", rateOrNone(s.maxFps));
    data.set("rank", std::to_string(ranks.overall));
    data.set("total", std::to_string(ranks.total));
    data.set("deviceRank", std::to_string(ranks.device));
    data.set("deviceTotal", std::to_string(ranks.deviceTotal));
    data.set("deviceLink", deviceLink(s.dev));
    return inLayout("Result received", render("accepted", data));
}

std::string rejectedPage(const std::vector<FieldError>& errors) {
    mst::data data;
    mst::data list{mst::data::type::list};
    for (const FieldError& e : errors) {
        mst::data item;
        item.set("field", e.field);
        item.set("reason", e.reason);
        list.push_back(item);
    }
    data.set("errors", list);
    return inLayout("Result not accepted", render("rejected", data));
}

std::string messagePage(const std::string& heading, const std::string& text) {
    mst::data data;
    data.set("heading", heading);
    data.set("text", text);
    return inLayout(heading, render("message", data));
}

}  // namespace vxresults

// SPDX-License-Identifier: MIT
#include "export.h"

#include "html.h"

namespace vxresults {

namespace {

nlohmann::json optionalRate(const std::optional<int64_t>& rate) {
    return rate ? nlohmann::json(*rate) : nlohmann::json(nullptr);
}

// A CSV field, quoted when it holds a separator, a quote or a line break.
std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string optionalText(const std::optional<int64_t>& value) { return value ? std::to_string(*value) : ""; }

}  // namespace

nlohmann::json resultJson(const StoredResult& r) {
    const Submission& s = r.result;
    return {
        {"id", r.id},
        {"received", r.received},
        {"received_utc", formatTime(r.received)},
        {"fps_x100", s.fps},
        {"average_fps", static_cast<double>(s.fps) / 100.0},
        {"min_fps", optionalRate(s.minFps)},
        {"max_fps", optionalRate(s.maxFps)},
        {"device", s.dev},
        {"version", s.ver},
        {"memory_load_percent", s.memp},
        {"total_memory_bytes", s.totmem},
        {"available_memory_bytes", s.availmem},
    };
}

nlohmann::json deviceJson(const DeviceSummary& d) {
    return {
        {"device", d.dev},
        {"best_fps", static_cast<double>(d.best) / 100.0},
        {"median_fps", d.median / 100.0},
        {"runs", d.runs},
        {"memory_bytes", d.memory},
        {"last_seen", d.lastSeen},
    };
}

std::string dumpJson(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void exportResults(Store& store, ExportFormat format, std::ostream& out) {
    if (format == ExportFormat::Csv) {
        out << "id,received_utc,received,fps_x100,min_fps,max_fps,device,version,memory_load_percent,"
               "total_memory_bytes,available_memory_bytes\n";
        store.forEach([&](const StoredResult& r) {
            const Submission& s = r.result;
            out << r.id << ',' << formatTime(r.received) << ',' << r.received << ',' << s.fps << ','
                << optionalText(s.minFps) << ',' << optionalText(s.maxFps) << ',' << csvField(s.dev) << ','
                << csvField(s.ver) << ',' << s.memp << ',' << s.totmem << ',' << s.availmem << '\n';
        });
        return;
    }
    // One object a line inside the array, written as it is read, so memory stays flat.
    out << '[';
    bool first = true;
    store.forEach([&](const StoredResult& r) {
        out << (first ? "\n" : ",\n") << dumpJson(resultJson(r));
        first = false;
    });
    out << (first ? "]\n" : "\n]\n");
}

}  // namespace vxresults

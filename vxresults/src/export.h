// SPDX-License-Identifier: MIT
// Results as JSON (the API and the export) and as CSV (the export).
#pragma once

#include <nlohmann/json.hpp>
#include <ostream>

#include "store.h"

namespace vxresults {

nlohmann::json resultJson(const StoredResult& r);
nlohmann::json deviceJson(const DeviceSummary& d);

// A JSON text that never throws: invalid UTF-8 (which validation keeps out) is replaced.
std::string dumpJson(const nlohmann::json& value);

enum class ExportFormat { Csv, Json };

// Writes every stored result, oldest first: CSV with a header line, or one JSON array.
void exportResults(Store& store, ExportFormat format, std::ostream& out);

}  // namespace vxresults

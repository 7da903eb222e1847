// SPDX-License-Identifier: MIT
// The two implementations of Store; openStore picks one by the URL's scheme.
#pragma once

#include "sql_store.h"

namespace vxresults {

std::unique_ptr<Store> openSqliteStore(const std::string& path);
std::unique_ptr<Store> openPostgresStore(const std::string& url);

}  // namespace vxresults

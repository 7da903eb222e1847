// SPDX-License-Identifier: MIT
// The page templates, compiled into the program from vxresults/templates.
#pragma once

#include <map>
#include <string>

namespace vxresults {

// Template name (file name without .mustache) to its text.
const std::map<std::string, std::string>& templates();

}  // namespace vxresults

// SPDX-License-Identifier: MIT
// Percent-encoding for URLs: the unreserved characters (letters, digits, - . _ ~) stay, every
// other byte becomes %XX in capitals. The benchmark's results link and the results server's own
// links both encode this way.
#pragma once

#include <string>
#include <string_view>

namespace veloxia::util {

std::string percentEncode(std::string_view bytes);

}  // namespace veloxia::util

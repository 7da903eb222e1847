// SPDX-License-Identifier: MIT
// veloxia3dbench --validate: the deterministic frames against the reference built in, and
// --write-reference, which records a new reference table.
#pragma once

#include <filesystem>
#include <string>

namespace veloxia {

// Prints "validation: N frames match" and returns 0, or names the first frame that differs,
// saves it (and the frame before it) as PNG into screenshotDir when given, and returns 1.
int validateCommand(const std::filesystem::path& dataDir, const std::string& screenshotDir);
// Writes the new table to `output`, lists the frames whose digests changed; 0, or 1 on failure.
int writeReferenceCommand(const std::filesystem::path& dataDir, const std::filesystem::path& output);

}  // namespace veloxia

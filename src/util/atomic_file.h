// SPDX-License-Identifier: MIT
// Writing a whole output file so that nobody ever sees half of it.
//
// The bytes go to a new file beside the target (same directory, so the rename stays on one file
// system), are flushed to the disk and then renamed over the target. A reader sees the old file
// or the complete new one; a failure at any step (a full disk, a missing or read-only directory,
// a directory in the target's place) leaves the old file as it was and no temporary file behind.
// A symbolic link at the target is replaced by the new file, not followed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "util/result.h"

namespace veloxia {

// Ok when the file is in place; else failed with a reason naming the path.
Result writeFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes);

}  // namespace veloxia

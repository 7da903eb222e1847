// SPDX-License-Identifier: MIT
// Packing in the asset tool's tests (header only: the shared support library does not link
// vxpack).
#pragma once

#include <string>

#include "pack.h"

namespace vxtest {

// The reason a pack fails, or "no error".
inline std::string packErrorOf(const vxpack::PackOptions& options) {
    try {
        vxpack::packModels(options);
    } catch (const vxpack::PackError& e) {
        return e.what();
    }
    return "no error";
}

}  // namespace vxtest

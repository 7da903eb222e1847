// SPDX-License-Identifier: MIT
// How the programs report failure: a Result, either ok or failed with a reason written for
// people ("cannot load the scene file ...: too short"). The benchmark core, its hosts and the
// utilities here return one; the engine keeps its own 0/1 results, which the app turns into a
// Result with the reason the loaders kept; vxpack throws inside and maps at its main.
#pragma once

#include <string>
#include <utility>

namespace veloxia {

class [[nodiscard]] Result {
public:
    static Result success() { return Result(); }
    static Result failure(std::string reason) {
        Result r;
        r.failed_ = true;
        r.reason_ = std::move(reason);
        return r;
    }

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const std::string& reason() const { return reason_; }  // empty when ok

private:
    bool failed_ = false;
    std::string reason_;
};

}  // namespace veloxia

// SPDX-License-Identifier: MIT
// Warnings of a pack or a check: each kind is reported once, where it first happened, and
// counted; the summary says how often each kind happened in all.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace vxpack {

class Diagnostics {
public:
    // `kind` groups repeats ("a polygon without area"); `message` is the first one's sentence,
    // with its file and line.
    void warn(const std::string& kind, const std::string& message) {
        auto [entry, fresh] = counts_.try_emplace(kind, 0);
        if (fresh) {
            order_.push_back(kind);
            first_.push_back(message);
        }
        ++entry->second;
    }
    size_t total() const {
        size_t sum = 0;
        for (const auto& [kind, count] : counts_) sum += count;
        return sum;
    }
    // The first warning of each kind, in order; a kind that happened again ends with its count.
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        for (size_t i = 0; i < order_.size(); ++i) {
            const size_t count = counts_.at(order_[i]);
            out.push_back(count == 1 ? first_[i]
                                     : first_[i] + " (" + std::to_string(count) + " times in all)");
        }
        return out;
    }

private:
    std::map<std::string, size_t> counts_;
    std::vector<std::string> order_, first_;
};

// "1 face", "2 faces"; "1 vertex", "2 vertices" with the plural given.
inline std::string counted(size_t count, const std::string& noun, const std::string& plural = "") {
    return std::to_string(count) + " " + (count == 1 ? noun : plural.empty() ? noun + "s" : plural);
}

}  // namespace vxpack

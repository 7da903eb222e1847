// SPDX-License-Identifier: MIT
// One glyph cell of the built-in font while it is being generated.
#pragma once

#include <vector>

namespace fontgen {

inline constexpr int kRows = 15;       // cell height; capitals and digits stand on rows 1..13
inline constexpr int kBaseline = 14;   // top edge of row 14: the baseline
inline constexpr int kMaxLevel = 7;    // intensities 0 (transparent) .. 7 (full ink)

// Ink coverage 0.0..1.0 of each pixel, row-major, `width` pixels a row.
struct Cell {
    int width = 0;
    std::vector<double> coverage;

    explicit Cell(int w) : width(w), coverage(static_cast<size_t>(w) * kRows, 0.0) {}
    double& at(int x, int y) { return coverage[static_cast<size_t>(y) * width + x]; }
    double at(int x, int y) const { return coverage[static_cast<size_t>(y) * width + x]; }
};

// Draws sign glyph `glyph` (36..45) by code into a cell of the given width.
Cell drawSign(int glyph, int width);

}  // namespace fontgen

// SPDX-License-Identifier: MIT
// The signs of the font, drawn as simple geometric shapes and anti-aliased by supersampling.
//
// Coordinates are cell pixels as floating point: pixel (x, y) covers [x, x+1) x [y, y+1). Capitals
// stand on rows 1..13, so their middle is y = 7.5.
#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

#include "cell.h"

namespace fontgen {
namespace {

using Shape = std::function<bool(double x, double y)>;

Shape box(double x0, double y0, double x1, double y1) {
    return [=](double x, double y) { return x >= x0 && x < x1 && y >= y0 && y < y1; };
}

// A filled triangle.
Shape triangle(double ax, double ay, double bx, double by, double cx, double cy) {
    return [=](double x, double y) {
        const auto side = [&](double px, double py, double qx, double qy) {
            return (qx - px) * (y - py) - (qy - py) * (x - px);
        };
        const double s0 = side(ax, ay, bx, by), s1 = side(bx, by, cx, cy), s2 = side(cx, cy, ax, ay);
        return (s0 >= 0 && s1 >= 0 && s2 >= 0) || (s0 <= 0 && s1 <= 0 && s2 <= 0);
    };
}

// A ring between two radii, leaving out the directions within `gap` radians of +x.
Shape arc(double cx, double cy, double inner, double outer, double gap) {
    return [=](double x, double y) {
        const double dx = x - cx, dy = y - cy, r2 = dx * dx + dy * dy;
        if (r2 < inner * inner || r2 > outer * outer) return false;
        return std::abs(std::atan2(dy, dx)) >= gap;
    };
}

// Coverage of the union of the shapes, 16 x 16 samples a pixel.
Cell render(int width, const std::vector<Shape>& shapes) {
    constexpr int kSamples = 16;
    Cell cell(width);
    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < width; ++x) {
            int inside = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double px = x + (sx + 0.5) / kSamples, py = y + (sy + 0.5) / kSamples;
                    inside += std::any_of(shapes.begin(), shapes.end(),
                                          [&](const Shape& s) { return s(px, py); });
                }
            }
            cell.at(x, y) = static_cast<double>(inside) / (kSamples * kSamples);
        }
    }
    return cell;
}

}  // namespace

Cell drawSign(int glyph, int width) {
    switch (glyph) {
    case 36:  // full stop: a dot on rows 11 and 12
        return render(width, {box(2, 11, 5, 13)});
    case 37:  // comma: the dot with a tail to rows 13 and 14
        return render(width, {box(1, 11, 4, 13), triangle(2.5, 12.5, 4, 12.5, 0.8, 15),
                              triangle(4, 12.5, 0.8, 15, 2.2, 15)});
    case 38:  // apostrophe: a short tapering tick at the top
        return render(width, {triangle(2.6, 1, 5.4, 1, 4.5, 5.5), triangle(2.6, 1, 4.5, 5.5, 3.5, 5.5)});
    case 39:  // colon: two dots
        return render(width, {box(3, 5, 6, 7), box(3, 11, 6, 13)});
    case 40:  // blank
        return Cell(width);
    case 41:  // left-pointing arrow
        return render(width, {box(2, 7, 8, 9), triangle(0.2, 8, 5, 3, 5, 13)});
    case 42:  // low line: across the whole cell so that runs join
        return render(width, {box(0, 13, width, 14)});
    case 43:  // hyphen: a short bar at mid height, with gaps so that runs read as a dashed rule
        return render(width, {box(1, 7, 7, 9)});
    case 44:  // circled capital C
        return render(width, {arc(7.5, 7.5, 5.1, 6.6, 0.0),
                              arc(7.5, 7.5, 2.0, 3.7, 0.7)});
    case 45:  // solid right-pointing triangle
        return render(width, {triangle(1, 2, 1, 13, 7, 7.5)});
    default:
        return Cell(width);
    }
}

}  // namespace fontgen

// SPDX-License-Identifier: MIT
#include "polygon.h"

#include <algorithm>
#include <cmath>
#include <list>

namespace vxpack {
namespace {

struct Point {
    double x, y;
};

double cross(const Point& o, const Point& a, const Point& b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Strictly inside triangle abc (counter-clockwise); points on its edges or corners are not,
// so that the repeated corners of a polygon cut open into a ring do not block every ear.
bool strictlyInside(const Point& p, const Point& a, const Point& b, const Point& c, double tolerance) {
    return cross(a, b, p) > tolerance && cross(b, c, p) > tolerance && cross(c, a, p) > tolerance;
}

}  // namespace

std::optional<std::vector<std::array<int, 3>>> triangulatePolygon(const std::vector<std::array<double, 3>>& corners) {
    const size_t n = corners.size();
    if (n < 3) return std::nullopt;
    // Newell's normal: its length is twice the area, whatever the polygon's shape.
    std::array<double, 3> normal{0, 0, 0};
    double extent = 0;
    for (size_t i = 0; i < n; ++i) {
        const auto& a = corners[i];
        const auto& b = corners[(i + 1) % n];
        normal[0] += (a[1] - b[1]) * (a[2] + b[2]);
        normal[1] += (a[2] - b[2]) * (a[0] + b[0]);
        normal[2] += (a[0] - b[0]) * (a[1] + b[1]);
        for (size_t k = 0; k < 3; ++k) extent = std::max(extent, std::fabs(a[k] - corners[0][k]));
    }
    const double area2 = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
    if (!(area2 > extent * extent * 1e-12) || !std::isfinite(area2)) return std::nullopt;

    // Drop the axis the normal leans on most; flip the other two when that axis points away, so
    // the polygon always runs counter-clockwise in the plane.
    const size_t drop = static_cast<size_t>(std::max_element(normal.begin(), normal.end(), [](double a, double b) {
                                                return std::fabs(a) < std::fabs(b);
                                            }) - normal.begin());
    const size_t first = (drop + 1) % 3, second = (drop + 2) % 3;
    const bool flip = normal[drop] < 0;
    std::vector<Point> flat(n);
    for (size_t i = 0; i < n; ++i)
        flat[i] = flip ? Point{corners[i][second], corners[i][first]} : Point{corners[i][first], corners[i][second]};

    const double tolerance = extent * extent * 1e-12;
    std::vector<std::array<int, 3>> triangles;
    std::list<int> ring;
    for (size_t i = 0; i < n; ++i) ring.push_back(static_cast<int>(i));
    auto next = [&](std::list<int>::iterator it) { return ++it == ring.end() ? ring.begin() : it; };
    auto prev = [&](std::list<int>::iterator it) { return it == ring.begin() ? std::prev(ring.end()) : std::prev(it); };
    auto isEar = [&](std::list<int>::iterator it) {
        const int a = *prev(it), b = *it, c = *next(it);
        if (cross(flat[a], flat[b], flat[c]) <= tolerance) return false;  // reflex or flat corner
        for (int other : ring)
            if (other != a && other != b && other != c && strictlyInside(flat[other], flat[a], flat[b], flat[c], tolerance))
                return false;
        return true;
    };
    auto cut = [&](std::list<int>::iterator it) {
        triangles.push_back({*prev(it), *it, *next(it)});
        return ring.erase(it);
    };
    auto it = ring.begin();
    size_t misses = 0;
    while (ring.size() > 3) {
        if (isEar(it)) {
            it = cut(it);
            if (it == ring.end()) it = ring.begin();
            misses = 0;
            continue;
        }
        it = next(it);
        if (++misses < ring.size()) continue;
        // No clean ear in a whole round (a self-touching outline, or rounding): cut the most
        // convex corner, so that every corner still ends up in exactly one fan of triangles.
        auto best = ring.begin();
        double bestTurn = -INFINITY;
        for (auto c = ring.begin(); c != ring.end(); ++c) {
            const double turn = cross(flat[*prev(c)], flat[*c], flat[*next(c)]);
            if (turn > bestTurn) bestTurn = turn, best = c;
        }
        it = cut(best);
        if (it == ring.end()) it = ring.begin();
        misses = 0;
    }
    auto last = ring.begin();
    triangles.push_back({*last, *std::next(last), *std::next(last, 2)});
    return triangles;
}

}  // namespace vxpack

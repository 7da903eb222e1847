// SPDX-License-Identifier: MIT
// peers_plot: draws a CSV of the peers program (one row per data set) as a line chart with the
// engine itself: lines and the built-in font into the FrameBuffer, shown through ShadeLut and
// written as a PNG at twice the size. The x axis is the triangle count (log 2 scale) or the
// covered pixels (linear); the y axis is milliseconds per frame, one line per *_ms (or *_cpu) column.
// Exit status: 0 done, 1 the CSV or the PNG failed, 2 bad usage.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>
#include <veloxia/veloxia.h>

#include "host/png_writer.h"

namespace {

using namespace veloxia;

struct Series {
    std::string name;
    std::vector<double> ms;
};

struct Table {
    std::vector<double> x;
    std::vector<Series> series;
};

// Plot area in buffer cells.
constexpr int kLeft = 44, kRight = 312, kTop = 22, kBottom = 200;

std::vector<std::string> splitCsv(const std::string& line) {
    std::vector<std::string> cells;
    std::stringstream in(line);
    for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
    return cells;
}

Table readTable(const std::string& path, const std::string& xColumn, const std::string& suffix,
                const std::vector<std::string>& only) {
    std::ifstream in(path);
    std::string line;
    if (!std::getline(in, line)) throw std::runtime_error("cannot read " + path);
    const auto header = splitCsv(line);
    Table t;
    int xAt = -1;
    std::vector<int> columns;
    for (size_t c = 0; c < header.size(); ++c) {
        if (header[c] == xColumn) xAt = int(c);
        if (header[c].size() > suffix.size() && header[c].ends_with(suffix)) {
            const std::string name = header[c].substr(0, header[c].size() - suffix.size());
            if (!only.empty() && std::find(only.begin(), only.end(), name) == only.end()) continue;
            columns.push_back(int(c));
            t.series.push_back({name, {}});
        }
    }
    if (xAt < 0 || columns.empty()) throw std::runtime_error(path + " has no column " + xColumn + " or no *" + suffix + " column");
    while (std::getline(in, line)) {
        const auto cells = splitCsv(line);
        if (cells.size() != header.size()) continue;
        t.x.push_back(std::stod(cells[size_t(xAt)]));
        for (size_t s = 0; s < columns.size(); ++s) t.series[s].ms.push_back(std::stod(cells[size_t(columns[s])]));
    }
    if (t.x.size() < 2) throw std::runtime_error(path + " needs at least two rows");
    return t;
}

uint32_t colour(int r, int g, int b) { return uint32_t(makeColorIndex(r, g, b) + 31); }

// 1, 2 or 5 times a power of ten, at least v.
double niceCeiling(double v) {
    const double p = std::pow(10.0, std::floor(std::log10(v)));
    for (const double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * p >= v) return m * p;
    }
    return 10 * p;
}

std::string number(double v) {
    char text[32];
    if (v >= 1000 && std::fmod(v, 1000) == 0) std::snprintf(text, sizeof text, "%gK", v / 1000);
    else std::snprintf(text, sizeof text, "%g", v);
    return text;
}

struct Axes {
    bool logX;
    double x0, x1, y1;
    int px(double x) const {
        const double f = logX ? std::log2(x / x0) / std::log2(x1 / x0) : (x - x0) / (x1 - x0);
        return kLeft + int(std::lround(f * (kRight - kLeft)));
    }
    int py(double y) const { return kBottom - int(std::lround(y / y1 * (kBottom - kTop))); }
};

void drawFrame(const Axes& a, const std::string& title, const std::string& xLabel) {
    const uint32_t grid = colour(0, 0, 0), axis = colour(255, 255, 255);
    drawTextLandscape(0, 2, 31, title.c_str(), 1);
    for (int k = 0; k <= 5; ++k) {
        const double y = a.y1 * k / 5;
        drawLine(kLeft, a.py(y), kRight, a.py(y), k == 0 ? axis : grid);
        drawTextLandscape(kLeft - 4 - textWidth(number(y).c_str()), a.py(y) - 7, 24, number(y).c_str(), 0);
    }
    std::vector<double> ticks;
    if (a.logX) {
        for (double x = 500; x <= a.x1; x *= 4) ticks.push_back(x >= 1000 ? std::round(x / 1000) * 1000 : x);
    } else {
        for (double x = 0; x <= a.x1; x += 20000) ticks.push_back(x);
    }
    for (const double x : ticks) {
        drawLine(a.px(x), kTop, a.px(x), kBottom + 1, grid);
        const std::string label = number(x);
        drawTextLandscape(a.px(x) - textWidth(label.c_str()) / 2, kBottom + 4, 24, label.c_str(), 0);
    }
    drawLine(kLeft, kTop, kLeft, kBottom + 1, axis);
    drawTextLandscape(0, kBottom + 22, 31, xLabel.c_str(), 1);
}

void drawSeries(const Axes& a, const Table& t) {
    const uint32_t colours[] = {colour(255, 220, 0), colour(0, 200, 255), colour(255, 80, 200), colour(120, 255, 120)};
    int legendY = kTop + 4;
    for (size_t s = 0; s < t.series.size(); ++s) {
        const uint32_t c = colours[s % 4];
        for (size_t i = 0; i < t.x.size(); ++i) {
            const int x = a.px(t.x[i]), y = a.py(t.series[s].ms[i]);
            if (i > 0) drawLine(a.px(t.x[i - 1]), a.py(t.series[s].ms[i - 1]), x, y, c);
            drawLine(x - 2, y - 2, x + 3, y + 3, c);  // a cross at each measured point
            drawLine(x - 2, y + 2, x + 3, y - 3, c);
        }
        for (int k = 0; k < 3; ++k) drawLine(kLeft + 8, legendY + 6 + k, kLeft + 24, legendY + 6 + k, c);
        drawTextLandscape(kLeft + 28, legendY, 31, t.series[s].name.c_str(), 0);
        legendY += 16;
    }
}

veloxia::Result writeDoubled(const std::string& path) {
    std::vector<uint16_t> pixels(size_t(4) * kBufferCells);
    for (int y = 0; y < 2 * kBufferHeight; ++y) {
        for (int x = 0; x < 2 * kBufferWidth; ++x) {
            pixels[size_t(y) * 2 * kBufferWidth + x] = ShadeLut[FrameBuffer[(y / 2) * kBufferWidth + x / 2] & 0xFFFF];
        }
    }
    return writeRgb565Png(path, pixels.data(), 2 * kBufferWidth, 2 * kBufferHeight);
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"peers_plot: milliseconds per frame of each renderer against triangles or covered pixels, "
                 "drawn with the engine"};
    std::string csv, out, x = "triangles", title = "MS A FRAME AGAINST TRIANGLES", suffix = "_ms";
    app.add_option("csv", csv, "the CSV the peers program appended with --csv")->required();
    app.add_option("png", out, "the PNG to write (640x480)")->required();
    app.add_option("--x", x, "x axis: triangles (log scale) or ours_pixels")
        ->check(CLI::IsMember({"triangles", "ours_pixels"}))->capture_default_str();
    app.add_option("--columns", suffix, "the y columns: _ms (wall clock) or _cpu (processor time)")
        ->check(CLI::IsMember({"_ms", "_cpu"}))->capture_default_str();
    std::vector<std::string> only;
    app.add_option("--series", only, "draw only these renderers (e.g. ours llvmpipe:0); default all");
    app.add_option("--title", title, "title line (capitals, digits, . , : - and spaces)")->capture_default_str();
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e);
        return status == 0 ? 0 : 2;
    }
    try {
        const Table t = readTable(csv, x, suffix, only);
        double top = 0;
        for (const auto& s : t.series) top = std::max(top, *std::max_element(s.ms.begin(), s.ms.end()));
        const bool logX = x == "triangles";
        const Axes axes{logX, logX ? 256.0 : 0.0, logX ? 65536.0 : 85000.0, niceCeiling(top)};
        initEngine(&renderContext);
        std::fill(std::begin(FrameBuffer), std::end(FrameBuffer), 0u);
        drawFrame(axes, title, logX ? "TRIANGLES, LOG SCALE" : "COVERED PIXELS");
        drawSeries(axes, t);
        if (const Result written = writeDoubled(out); !written) throw std::runtime_error(written.reason());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "peers_plot: %s\n", e.what());
        return 1;
    }
    return 0;
}

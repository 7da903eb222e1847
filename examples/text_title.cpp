// SPDX-License-Identifier: MIT
// text_title: composes the texts of the benchmark's title screen with the built-in font, presents
// the frame onto a portrait display and saves the 240x320 screen as a PNG.
//
//   text_title [--scale N] [OUTPUT.png]      (default title_texts.png, scale 1)
#include <veloxia/veloxia.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "png_file.h"

namespace {

constexpr int kPixels = veloxia::kScreenWidth * veloxia::kScreenHeight;

struct Line {
    int y;
    const char* text;
};

// The title screen, every line centred.
constexpr Line kTitle[] = {
    {1, "VELOXIA 3D BENCHMARK"},
    {18, "VERSION 1.0b"},
    {28, "-----------------------------"},
    {40, "^2026 VELOXIA SOFT, LLC."},
    {120, "THIS PROGRAM WILL RUN"},
    {140, "FOR 100 SECONDS AND "},
    {160, "THEN DISPLAY RESULTS.."},
    {264, "-----------------------------"},
    {280, "~TAP HERE TO START TEST"},
    {300, "BUTTON A TO EXIT"},
};

// Each pixel becomes a scale x scale block, for looking at the glyphs closely.
std::vector<uint16_t> enlarge(const std::vector<uint16_t>& picture, int scale) {
    const int width = veloxia::kScreenWidth * scale;
    std::vector<uint16_t> big(picture.size() * scale * scale);
    for (size_t i = 0; i < big.size(); ++i) {
        const int x = int(i % width) / scale, y = int(i / width) / scale;
        big[i] = picture[y * veloxia::kScreenWidth + x];
    }
    return big;
}

int usage(std::ostream& out, int status) {
    out << "usage: text_title [--scale N] [OUTPUT.png]\n"
           "  Draws the title screen's texts, presents them and writes the 240x320 screen\n"
           "  (enlarged N times, 1..8) to OUTPUT.png (default title_texts.png).\n";
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    std::string output = "title_texts.png";
    int scale = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") return usage(std::cout, 0);
        if (arg == "--scale" && i + 1 < argc) {
            scale = std::atoi(argv[++i]);
            if (scale < 1 || scale > 8) return usage(std::cerr, 2);
        } else if (arg.starts_with("-")) {
            return usage(std::cerr, 2);
        } else {
            output = arg;
        }
    }

    veloxia::initEngine(&veloxia::renderContext);
    for (const Line& line : kTitle) veloxia::renderContext.drawText(0, line.y, 31, line.text, 1);
    veloxia::renderContext.present = veloxia::presentGeneric;
    veloxia::renderContext.present();

    std::vector<uint16_t> picture(kPixels);
    veloxia::readDisplayPortrait(picture.data());
    const std::vector<uint16_t> image = scale == 1 ? picture : enlarge(picture, scale);
    std::string error;
    if (!examples::writePng(output, image.data(), veloxia::kScreenWidth * scale, veloxia::kScreenHeight * scale,
                            error)) {
        std::cerr << "text_title: " << error << "\n";
        return 1;
    }
    std::cout << "wrote " << output << "\n";
    return 0;
}

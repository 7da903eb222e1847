// SPDX-License-Identifier: MIT
// fontgen: builds the engine's built-in font and writes it as C++ source.
//
// Digits and capitals are rasterised from a TrueType font through FreeType, scaled so that a
// capital stands exactly on rows 1..13 of the 15-row cell and squeezed sideways where a letter
// would not fit its fixed cell width; each glyph is shifted by a fraction of a pixel to the
// position that leaves the fewest grey pixels, so stems come out crisp. The signs are drawn as
// shapes (signs.cpp). Coverage is quantised to intensities 0..7.
//
//   fontgen [--font FILE.ttf] [--out FILE.cpp] [--preview]
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H
#include FT_OUTLINE_H

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cell.h"

namespace fontgen {
namespace {

constexpr int kGlyphCount = 46;
constexpr int kLetterGlyphs = 36;  // glyphs 0..35: digits, then A..Z
// Width in pixels of each glyph cell, spacing included.
constexpr std::array<int, kGlyphCount> kGlyphWidth = {
    11, 7, 10, 9, 10, 10, 9, 11, 9, 10,                   // 0..9
    12, 9, 11, 11, 10, 9, 12, 12, 8, 12,                  // A..J
    9, 9, 14, 13, 12, 9, 14, 10, 11, 11,                  // K..T
    12, 11, 16, 11, 11, 11,                               // U..Z
    8, 6, 8, 9, 7, 8, 8, 8, 16, 8};                       // . , ' : blank arrow _ - (c) triangle
constexpr const char* kGlyphName[kGlyphCount] = {
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "A", "B", "C", "D", "E", "F",
    "G", "H", "I", "J", "K", "L", "M", "N", "O", "P", "Q", "R", "S", "T", "U", "V",
    "W", "X", "Y", "Z", "full stop", "comma", "apostrophe", "colon", "blank",
    "left arrow", "low line", "hyphen", "circled C", "right triangle"};
constexpr int kCapHeight = 13;   // rows 1..13
constexpr int kSideMargin = 2;   // blank columns a letter keeps within its cell, both sides together
constexpr int kFaintLevel = 2;   // the most ink a letter may put on row 0 or row 14

struct Options {
    std::string font = "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf";
    std::string out;
    bool preview = false;
};

void check(FT_Error error, const char* what) {
    if (error) throw std::runtime_error(std::string(what) + " failed (FreeType error " + std::to_string(error) + ")");
}

class Rasteriser {
public:
    explicit Rasteriser(const std::string& path) {
        check(FT_Init_FreeType(&library_), "FT_Init_FreeType");
        check(FT_New_Face(library_, path.c_str(), 0, &face_), ("opening " + path).c_str());
        findCapSize();
    }
    ~Rasteriser() {
        FT_Done_Face(face_);
        FT_Done_FreeType(library_);
    }
    Rasteriser(const Rasteriser&) = delete;
    Rasteriser& operator=(const Rasteriser&) = delete;

    Cell renderLetter(char ch, int width) {
        // Natural ink width, then the sideways squeeze that fits the cell.
        setSize(height_, height_);
        const FT_BBox natural = loadOutline(ch);
        const double inkWidth = (natural.xMax - natural.xMin) / 64.0;
        const double room = width - kSideMargin;
        const double squeeze = inkWidth > room ? room / inkWidth : 1.0;
        setSize(static_cast<FT_F26Dot6>(std::lround(height_ * squeeze)), height_);
        const FT_BBox box = loadOutline(ch);
        FT_Glyph glyph;
        check(FT_Get_Glyph(face_->glyph, &glyph), "FT_Get_Glyph");
        if (box.yMin < 0) liftTail(glyph, box);
        // Centre the ink, then try shifts of up to half a pixel either way in eighths.
        const long centred = std::lround((width * 64 - (box.xMax - box.xMin)) / 2.0) - box.xMin;
        Cell best(width);
        double bestScore = 1e300;
        for (long shift = -32; shift <= 32; shift += 8) {
            Cell cell(width);
            if (!place(glyph, centred + shift, cell)) continue;
            const double score = greyness(cell) + std::abs(shift) / 4096.0;
            if (score < bestScore) {
                bestScore = score;
                best = cell;
            }
        }
        FT_Done_Glyph(glyph);
        if (bestScore == 1e300) throw std::runtime_error(std::string("glyph ") + ch + " does not fit its cell");
        return best;
    }

private:
    // Char height (26.6 pixels) at which the hinted 'H' is exactly kCapHeight pixels tall.
    void findCapSize() {
        for (FT_F26Dot6 h = 12 * 64; h <= 24 * 64; ++h) {
            setSize(h, h);
            const FT_BBox box = loadOutline('H');
            if (box.yMin == 0 && box.yMax == kCapHeight * 64) {
                height_ = h;
                return;
            }
        }
        throw std::runtime_error("no size gives capitals of 13 pixels");
    }

    void setSize(FT_F26Dot6 width, FT_F26Dot6 height) {
        check(FT_Set_Char_Size(face_, width, height, 72, 72), "FT_Set_Char_Size");
    }

    // Loads the glyph with light (vertical only) hinting and returns its outline's box.
    FT_BBox loadOutline(char ch) {
        const FT_UInt index = FT_Get_Char_Index(face_, static_cast<FT_ULong>(ch));
        if (index == 0) throw std::runtime_error(std::string("the font has no glyph ") + ch);
        check(FT_Load_Glyph(face_, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT | FT_LOAD_FORCE_AUTOHINT),
              "FT_Load_Glyph");
        FT_BBox box;
        FT_Outline_Get_CBox(&face_->glyph->outline, &box);
        return box;
    }

    // A letter with a tail below the baseline (J, Q) is squashed upwards, its top kept, so that it
    // stands on the baseline like every other capital instead of losing the tail.
    static void liftTail(FT_Glyph glyph, const FT_BBox& box) {
        const double scale = static_cast<double>(box.yMax) / (box.yMax - box.yMin);
        FT_Matrix matrix{0x10000, 0, 0, static_cast<FT_Fixed>(std::lround(scale * 0x10000))};
        FT_Vector delta{0, std::lround((1 - scale) * box.yMax)};
        FT_Glyph_Transform(glyph, &matrix, &delta);
    }

    // Renders the glyph moved right by dx (26.6) into the cell; false if ink falls outside.
    static bool place(FT_Glyph source, long dx, Cell& cell) {
        FT_Glyph glyph;
        check(FT_Glyph_Copy(source, &glyph), "FT_Glyph_Copy");
        FT_Vector delta{dx, 0};
        FT_Glyph_Transform(glyph, nullptr, &delta);
        check(FT_Glyph_To_Bitmap(&glyph, FT_RENDER_MODE_NORMAL, nullptr, 1), "FT_Glyph_To_Bitmap");
        const auto* bitmap = reinterpret_cast<FT_BitmapGlyph>(glyph);
        bool fits = true;
        for (unsigned by = 0; by < bitmap->bitmap.rows; ++by) {
            for (unsigned bx = 0; bx < bitmap->bitmap.width; ++bx) {
                const int value = bitmap->bitmap.buffer[by * bitmap->bitmap.pitch + bx];
                if (value == 0) continue;
                const int x = bitmap->left + static_cast<int>(bx);
                const int y = kBaseline - bitmap->top + static_cast<int>(by);
                if (x < 0 || x >= cell.width) {
                    fits = false;
                    continue;
                }
                // Tails below the baseline (Q, J) are cut at the bottom of the cell.
                if (y >= 0 && y < kRows) cell.at(x, y) = value / 255.0;
            }
        }
        FT_Done_Glyph(glyph);
        return fits;
    }

    static double greyness(const Cell& cell) {
        double sum = 0;
        for (double c : cell.coverage) sum += c * (1 - c);
        return sum;
    }

    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
    FT_F26Dot6 height_ = 0;
};

using Levels = std::vector<int>;  // intensities 0..7 of one cell, row-major

Levels quantise(const Cell& cell, bool letter) {
    Levels levels(cell.coverage.size());
    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < cell.width; ++x) {
            int level = static_cast<int>(std::lround(cell.at(x, y) * kMaxLevel));
            if (letter && (y == 0 || y == kRows - 1)) level = std::min(level, kFaintLevel);
            levels[static_cast<size_t>(y) * cell.width + x] = level;
        }
    }
    return levels;
}

std::vector<Levels> buildFont(const std::string& fontPath) {
    Rasteriser rasteriser(fontPath);
    std::vector<Levels> glyphs;
    for (int g = 0; g < kGlyphCount; ++g) {
        const bool letter = g < kLetterGlyphs;
        const Cell cell = letter ? rasteriser.renderLetter(kGlyphName[g][0], kGlyphWidth[g])
                                 : drawSign(g, kGlyphWidth[g]);
        glyphs.push_back(quantise(cell, letter));
    }
    return glyphs;
}

void writePreview(const std::vector<Levels>& glyphs, std::ostream& out) {
    static const char kShades[] = " .:-=+*#";
    for (int g = 0; g < kGlyphCount; ++g) {
        out << kGlyphName[g] << '\n';
        for (int y = 0; y < kRows; ++y) {
            out << '|';
            for (int x = 0; x < kGlyphWidth[g]; ++x) out << kShades[glyphs[g][static_cast<size_t>(y) * kGlyphWidth[g] + x]];
            out << "|\n";
        }
    }
}

void writeSource(const std::vector<Levels>& glyphs, const std::string& fontPath, std::ostream& out) {
    const std::string fontName = fontPath.substr(fontPath.find_last_of('/') + 1);
    out << "// SPDX-License-Identifier: MIT\n"
           "// The built-in font, written by tools/fontgen (capitals and digits from " << fontName << ",\n"
           "// signs drawn as shapes). Regenerate it with fontgen rather than editing it.\n"
           "#include <veloxia/text.h>\n\n"
           "namespace veloxia {\n\n"
           "// Glyph g spans strip columns GlyphStart[g] .. GlyphStart[g + 1] - 1; glyphs 0..9 are the\n"
           "// digits, 10..35 the capitals, then full stop, comma, apostrophe, colon, blank, left arrow,\n"
           "// low line, hyphen, circled C and the right-pointing triangle.\n"
           "const int32_t GlyphStart[47] = {";
    int start = 0;
    for (int g = 0; g <= kGlyphCount; ++g) {
        out << (g % 12 == 0 ? "\n    " : " ") << start << (g < kGlyphCount ? "," : "");
        if (g < kGlyphCount) start += kGlyphWidth[g];
    }
    out << "\n};\n\n"
           "// 15 rows of 472 pixels, intensity 0 (transparent) to 7 (full ink); each line below is one\n"
           "// glyph's part of one row.\n"
           "const uint8_t FontStrip[kFontRows * kFontStripWidth] = {\n";
    for (int y = 0; y < kRows; ++y) {
        out << "    // row " << y << "\n";
        for (int g = 0; g < kGlyphCount; ++g) {
            out << "    ";
            for (int x = 0; x < kGlyphWidth[g]; ++x) out << glyphs[g][static_cast<size_t>(y) * kGlyphWidth[g] + x] << ",";
            out << "  // " << kGlyphName[g] << "\n";
        }
    }
    out << "};\n\n}  // namespace veloxia\n";
}

int usage(std::ostream& out, int status) {
    out << "usage: fontgen [--font FILE.ttf] [--out FILE.cpp] [--preview]\n"
           "  Rasterises the engine's built-in font. Writes the C++ source to --out (or standard\n"
           "  output); --preview prints the glyphs as text art instead.\n";
    return status;
}

}  // namespace
}  // namespace fontgen

int main(int argc, char** argv) {
    using namespace fontgen;
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") return usage(std::cout, 0);
        if (arg == "--preview") {
            options.preview = true;
        } else if ((arg == "--font" || arg == "--out") && i + 1 < argc) {
            (arg == "--font" ? options.font : options.out) = argv[++i];
        } else {
            std::cerr << "fontgen: unknown argument '" << arg << "'\n";
            return usage(std::cerr, 2);
        }
    }
    try {
        const auto glyphs = buildFont(options.font);
        std::ostringstream text;
        if (options.preview) {
            writePreview(glyphs, text);
        } else {
            writeSource(glyphs, options.font, text);
        }
        if (options.out.empty()) {
            std::cout << text.str();
            return 0;
        }
        // Write beside the target and rename, so a failure never leaves a half-written source.
        const std::string temporary = options.out + ".tmp";
        std::ofstream file(temporary, std::ios::binary);
        file << text.str();
        file.close();
        if (!file || std::rename(temporary.c_str(), options.out.c_str()) != 0) {
            std::remove(temporary.c_str());
            throw std::runtime_error("cannot write " + options.out);
        }
    } catch (const std::exception& e) {
        std::cerr << "fontgen: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

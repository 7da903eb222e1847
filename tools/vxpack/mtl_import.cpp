// SPDX-License-Identifier: MIT
// MTL files and the texture paths they write.
#include <algorithm>
#include <cctype>
#include <fstream>

#include "files.h"
#include "model.h"
#include "obj_import.h"
#include "obj_text.h"

namespace vxpack {
namespace {

bool sameLetters(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The entry of `folder` named `name` in any letter case, or empty.
std::filesystem::path entryIgnoringCase(const std::filesystem::path& folder, const std::string& name) {
    std::error_code error;
    if (name == "." || name == "..") return folder / name;
    for (std::filesystem::directory_iterator it(folder.empty() ? "." : folder, error), end; !error && it != end;
         it.increment(error))
        if (sameLetters(it->path().filename().string(), name)) return folder / it->path().filename();
    return {};
}

bool isFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// Option words a map statement may carry before its file name, with how many values follow.
size_t optionValues(const std::string& option) {
    if (option == "-o" || option == "-s" || option == "-t") return 3;
    if (option == "-mm") return 2;
    if (option == "-blendu" || option == "-blendv" || option == "-boost" || option == "-texres" || option == "-clamp" ||
        option == "-bm" || option == "-imfchan" || option == "-type" || option == "-cc")
        return 1;
    return 0;
}

std::string textureName(const std::string& written) {
    TextLine words(written);
    for (;;) {
        TextLine peek = words;
        const std::string option = peek.word();
        const size_t values = optionValues(option);
        if (values == 0) break;
        words = peek;
        for (size_t i = 0; i < values; ++i) {
            TextLine value = words;
            double ignored;
            // -o, -s and -t take one to three numbers; the others exactly their count.
            if (value.number(ignored) || (values != 3 && !value.word().empty())) words = value;
            else break;
        }
    }
    std::string name = words.rest();
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

}  // namespace

std::filesystem::path findTexture(const std::string& written, const std::filesystem::path& folder) {
    const std::string name = textureName(written);
    if (name.empty()) return {};
    const std::filesystem::path relative = std::filesystem::path(name).lexically_normal();
    const std::filesystem::path exact = relative.is_absolute() ? relative : folder / relative;
    if (isFile(exact)) return exact;
    if (!relative.is_absolute()) {
        std::filesystem::path walked = folder;
        for (const auto& part : relative) {
            walked = entryIgnoringCase(walked, part.string());
            if (walked.empty()) break;
        }
        if (!walked.empty() && isFile(walked)) return walked;
    }
    const std::filesystem::path beside = entryIgnoringCase(folder, relative.filename().string());
    return !beside.empty() && isFile(beside) ? beside : std::filesystem::path{};
}

std::vector<RawMaterial> readMaterialLibrary(const std::filesystem::path& path, Diagnostics& warnings) {
    checkInputFile(path, kMaxSourceBytes);
    std::ifstream in(path, std::ios::binary);
    if (!in) throw PackError("cannot open " + path.string());
    std::vector<RawMaterial> materials;
    std::string text;
    size_t linesRead = 0, line = 0;
    while (nextLogicalLine(in, text, linesRead, line)) {
        TextLine words(text);
        const std::string keyword = words.word();
        if (keyword.empty() || keyword[0] == '#') continue;
        if (keyword == "newmtl") {
            materials.push_back(RawMaterial{});
            materials.back().name = words.rest();
            materials.back().origin = where(path, line);
            continue;
        }
        if (materials.empty()) {
            warnings.warn("mtl before newmtl", where(path, line) + ": \"" + keyword + "\" before any newmtl is left out");
            continue;
        }
        RawMaterial& material = materials.back();
        auto numbers = [&](double* out, size_t count) {
            for (size_t i = 0; i < count; ++i)
                if (!words.number(out[i])) {
                    warnings.warn("mtl number", where(path, line) + ": \"" + keyword +
                                                    "\" needs " + counted(count, "number") + "; the line is left out");
                    return false;
                }
            return true;
        };
        if (keyword == "Kd") {
            std::array<double, 3> kd{};
            if (numbers(kd.data(), 3)) material.diffuse = kd;
        } else if (keyword == "d" || keyword == "Tr") {
            double value = 1;
            if (numbers(&value, 1)) material.dissolve = keyword == "d" ? value : 1.0 - value;
        } else if (keyword == "map_Kd") {
            const std::string written = words.rest();
            material.image = findTexture(written, path.parent_path());
            if (material.image.empty())
                warnings.warn("texture " + written, where(path, line) + ": texture \"" + written + "\" of material \"" +
                                                        material.name + "\" not found; its Kd colour is used");
        } else if (keyword == "vx_draw_mode" || keyword == "vx_backface_cull") {
            material.extra[keyword] = words.rest();
        }
    }
    if (in.bad()) throw PackError("cannot read " + path.string());
    return materials;
}

}  // namespace vxpack

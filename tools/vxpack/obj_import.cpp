// SPDX-License-Identifier: MIT
#include "obj_import.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>

#include "files.h"
#include "model.h"
#include "obj_text.h"
#include "polygon.h"

namespace vxpack {
namespace {

// One corner as written: 1-based or negative indices already made absolute (0-based), -1 for
// none. Resolved against the whole file at its end, so that forward references work too.
struct WrittenCorner {
    long position = -1, uv = -1, normal = -1;
};

struct WrittenFace {
    size_t object;
    int material;
    size_t line;
    std::vector<WrittenCorner> corners;
};

class ObjReader {
public:
    ObjReader(const std::filesystem::path& path, RawModel& model, Diagnostics& warnings)
        : path_(path), model_(model), warnings_(warnings), firstObject_(model.objects.size()) {}

    void read();

private:
    std::string at() const { return where(path_, line_); }
    [[noreturn]] void fail(const std::string& what) const { throw PackError(at() + ": " + what); }

    void statement(const std::string& keyword, TextLine& words);
    void face(TextLine& words);
    long index(const std::string& text, size_t count, const char* what);
    void useMaterial(const std::string& name);
    int resolveMaterial(int used);
    void loadLibraries(const std::string& rest);
    size_t objectNamed(const std::string& name);
    void finish();

    std::filesystem::path path_;
    RawModel& model_;
    Diagnostics& warnings_;
    size_t firstObject_;
    size_t line_ = 0;
    size_t positionBase_ = model_.positions.size(), normalBase_ = model_.normals.size();
    size_t fileMaterials_ = model_.materials.size();  // materials of this file start here
    std::vector<std::array<double, 2>> uvs_;
    std::vector<WrittenFace> faces_;
    size_t currentObject_ = SIZE_MAX;
    int currentMaterial_ = -1;  // index into usedNames_, -1 before any usemtl
    std::vector<std::string> usedNames_;
    std::vector<size_t> usedLines_;
    int defaultMaterial_ = -1;
};

void ObjReader::read() {
    checkInputFile(path_, kMaxSourceBytes);
    std::ifstream in(path_, std::ios::binary);
    if (!in) throw PackError("cannot open " + path_.string());
    std::string text;
    size_t linesRead = 0;
    while (nextLogicalLine(in, text, linesRead, line_)) {
        TextLine words(text);
        const std::string keyword = words.word();
        if (keyword.empty() || keyword[0] == '#') continue;
        statement(keyword, words);
    }
    if (in.bad()) throw PackError("cannot read " + path_.string());
    finish();
}

void ObjReader::statement(const std::string& keyword, TextLine& words) {
    if (keyword == "v" || keyword == "vn") {
        std::array<double, 3> value{};
        for (auto& coordinate : value)
            if (!words.number(coordinate)) fail("\"" + keyword + "\" needs three numbers");
        if (keyword == "v") model_.positions.push_back(value);
        else model_.normals.push_back(value);
    } else if (keyword == "vt") {
        std::array<double, 2> value{0, 0};
        if (!words.number(value[0])) fail("\"vt\" needs a number");
        if (!words.atEnd() && !words.number(value[1])) fail("\"vt\" has a second value that is not a number");
        uvs_.push_back(value);
    } else if (keyword == "f") {
        face(words);
    } else if (keyword == "o" || keyword == "g") {
        const std::string name = words.rest();
        if (!name.empty()) currentObject_ = objectNamed(name);
    } else if (keyword == "usemtl") {
        useMaterial(words.rest());
    } else if (keyword == "mtllib") {
        loadLibraries(words.rest());
    } else if (keyword == "s" || keyword == "vp" || keyword == "l" || keyword == "p") {
        if (keyword == "l" || keyword == "p")
            warnings_.warn("lines and points", at() + ": lines and points (\"" + keyword + "\") are left out");
    } else {
        warnings_.warn("statement " + keyword, at() + ": \"" + keyword + "\" statements are not understood and left out");
    }
}

long ObjReader::index(const std::string& text, size_t count, const char* what) {
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value == 0)
        fail("\"" + text + "\" is not a " + what + " index");
    // Negative indices count back from the last one defined so far.
    return value > 0 ? value - 1 : static_cast<long>(count) + value;
}

void ObjReader::face(TextLine& words) {
    if (currentObject_ == SIZE_MAX) currentObject_ = objectNamed(path_.stem().string());
    WrittenFace written{currentObject_, currentMaterial_, line_, {}};
    const size_t positions = model_.positions.size() - positionBase_, normals = model_.normals.size() - normalBase_;
    for (std::string corner = words.word(); !corner.empty(); corner = words.word()) {
        WrittenCorner c;
        const size_t slash1 = corner.find('/');
        c.position = index(corner.substr(0, slash1), positions, "position");
        if (slash1 != std::string::npos) {
            const size_t slash2 = corner.find('/', slash1 + 1);
            const std::string uv = corner.substr(slash1 + 1, slash2 == std::string::npos ? std::string::npos : slash2 - slash1 - 1);
            if (!uv.empty()) c.uv = index(uv, uvs_.size(), "texture coordinate");
            if (slash2 != std::string::npos) c.normal = index(corner.substr(slash2 + 1), normals, "normal");
        }
        written.corners.push_back(c);
    }
    if (written.corners.size() < 3) fail("a face needs at least three corners");
    faces_.push_back(std::move(written));
}

// Names are looked up at the end of the file: a library may come after its first usemtl.
void ObjReader::useMaterial(const std::string& name) {
    const auto known = std::find(usedNames_.begin(), usedNames_.end(), name);
    currentMaterial_ = static_cast<int>(known - usedNames_.begin());
    if (known == usedNames_.end()) {
        usedNames_.push_back(name);
        usedLines_.push_back(line_);
    }
}

int ObjReader::resolveMaterial(int used) {
    if (used >= 0) {
        const std::string& name = usedNames_[static_cast<size_t>(used)];
        for (size_t i = model_.materials.size(); i-- > fileMaterials_;)
            if (model_.materials[i].name == name) return static_cast<int>(i);
        warnings_.warn("usemtl " + name, where(path_, usedLines_[static_cast<size_t>(used)]) +
                                             ": no material library defines \"" + name +
                                             "\"; its faces get a grey default material");
    }
    if (defaultMaterial_ < 0) {
        defaultMaterial_ = static_cast<int>(model_.materials.size());
        model_.materials.push_back(RawMaterial{});
    }
    return defaultMaterial_;
}

void ObjReader::loadLibraries(const std::string& rest) {
    // Names are separated by spaces, unless the whole rest of the line names one file.
    std::vector<std::string> names;
    std::error_code error;
    if (!rest.empty() && std::filesystem::is_regular_file(path_.parent_path() / rest, error)) {
        names.push_back(rest);
    } else {
        TextLine words(rest);
        for (std::string name = words.word(); !name.empty(); name = words.word()) names.push_back(name);
    }
    for (const auto& name : names) {
        const std::filesystem::path library = findTexture(name, path_.parent_path());
        if (library.empty()) {
            warnings_.warn("mtllib " + name, at() + ": material library " + name +
                                                 " not found; its materials become grey");
            continue;
        }
        for (auto& material : readMaterialLibrary(library, warnings_)) model_.materials.push_back(std::move(material));
        model_.libraries.push_back(library);
    }
}

size_t ObjReader::objectNamed(const std::string& name) {
    for (size_t i = firstObject_; i < model_.objects.size(); ++i)
        if (model_.objects[i].name == name) return i;
    model_.objects.push_back(RawObject{name, {}, {}, {}});
    return model_.objects.size() - 1;
}

void ObjReader::finish() {
    const size_t positions = model_.positions.size() - positionBase_, normals = model_.normals.size() - normalBase_;
    for (const auto& face : faces_) {
        line_ = face.line;
        std::vector<RawCorner> corners;
        std::vector<std::array<double, 3>> points;
        for (const auto& c : face.corners) {
            if (c.position < 0 || static_cast<size_t>(c.position) >= positions)
                fail("the face refers to position " + std::to_string(c.position + 1) + ", but the file defines " +
                     counted(positions, "position"));
            if (c.uv >= 0 && static_cast<size_t>(c.uv) >= uvs_.size())
                fail("the face refers to texture coordinate " + std::to_string(c.uv + 1) + ", but the file defines " +
                     counted(uvs_.size(), "texture coordinate"));
            RawCorner corner;
            corner.position = static_cast<int>(positionBase_ + static_cast<size_t>(c.position));
            if (c.normal >= 0 && static_cast<size_t>(c.normal) >= normals) {
                warnings_.warn("missing normal", at() + ": the face refers to normal " + std::to_string(c.normal + 1) +
                                                     ", but the file defines " + counted(normals, "normal") +
                                                     "; the normal is computed");
            } else if (c.normal >= 0) {
                corner.normal = static_cast<int>(normalBase_ + static_cast<size_t>(c.normal));
            }
            if (c.uv >= 0) {
                corner.hasUv = true;
                corner.u = uvs_[static_cast<size_t>(c.uv)][0];
                corner.v = uvs_[static_cast<size_t>(c.uv)][1];
            }
            corners.push_back(corner);
            points.push_back(model_.positions[static_cast<size_t>(corner.position)]);
        }
        const auto triangles = triangulatePolygon(points);
        if (!triangles) {
            warnings_.warn("polygon without area", at() + ": a face of " + counted(points.size(), "corner") +
                                                       " has no area (its corners lie on one line) and is left out");
            continue;
        }
        if (corners.size() > 3) ++model_.polygons;
        const int material = resolveMaterial(face.material);
        RawObject& object = model_.objects[face.object];
        for (const auto& triangle : *triangles) {
            for (int k : triangle) object.corners.push_back(corners[static_cast<size_t>(k)]);
            object.material.push_back(material);
            object.origin.push_back(at());
        }
    }
    // Names given to no face at all make no object.
    std::erase_if(model_.objects, [](const RawObject& object) { return object.corners.empty(); });
}

}  // namespace

void importObj(const std::filesystem::path& path, RawModel& model, Diagnostics& warnings) {
    ObjReader(path, model, warnings).read();
}

}  // namespace vxpack

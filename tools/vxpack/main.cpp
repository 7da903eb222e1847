// SPDX-License-Identifier: MIT
// vxpack: builds, inspects and checks the engine's scene and texture files.
// Exit status: 0 done, 1 the work failed (message on standard error), 2 bad usage.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "checks.h"
#include "default_data.h"
#include "files.h"
#include "info.h"
#include "pack.h"
#include "sphere.h"
#include "validate.h"

namespace {

namespace fs = std::filesystem;
using namespace vxpack;

struct Command {
    fs::path outDir = ".";
    fs::path scene, textures;
    fs::path assets = VXPACK_DEFAULT_ASSETS;
    std::vector<fs::path> files;
    std::vector<double> translate, sun;
    std::string type = "auto";
    std::string object = kBenchObjectName;
    bool noCull = false, pivotOrigin = false, flat = false;
    std::string dither;
    int textureIndex = 0;
    PackOptions pack;
    SphereOptions sphere;
};

// Light levels: whole numbers from 0 (black) to 31 (full light), said so when broken.
CLI::Validator levelCheck(const std::string& what) {
    return CLI::Validator(
        [what](std::string& text) -> std::string {
            size_t used = 0;
            int level = -1;
            try {
                level = std::stoi(text, &used);
            } catch (const std::exception&) {
                used = 0;
            }
            if (used == text.size() && level >= 0 && level <= 31) return {};
            return "the " + what + " level is a whole number from 0 (black) to 31 (full light), not " + text;
        },
        "0..31");
}

void addPackOptions(CLI::App& pack, Command& c) {
    pack.add_option("inputs", c.pack.inputs, "Wavefront OBJ files (their MTL files and textures are found beside them)")
        ->required();
    pack.add_option("-o,--out-dir", c.outDir, "folder for veloxia3dbench1 and veloxia3dbench2")->capture_default_str();
    pack.add_option("--scene", c.scene, "path of the scene file (default OUT-DIR/veloxia3dbench1)");
    pack.add_option("--textures", c.textures, "path of the texture file (default OUT-DIR/veloxia3dbench2)");
    pack.add_option("--scale", c.pack.scale, "multiply every position by this factor")->capture_default_str();
    pack.add_option("--translate", c.translate, "then add X Y Z to every position")->expected(3);
    auto* fit = pack.add_option("--fit", c.pack.fitRadius,
                                "centre the model and scale it to this radius in engine units (the benchmark's "
                                "object: up to " + std::to_string(kBenchObjectMaxRadius - 1) + ", e.g. 200)")
                    ->check(CLI::Validator(
                        [](std::string& text) -> std::string {
                            double radius = 0;
                            try {
                                radius = std::stod(text);
                            } catch (const std::exception&) {
                                return "give a radius in engine units, such as 200, not \"" + text + "\"";
                            }
                            if (!(radius >= 1) || radius > kMaxCoordinate)
                                return "a radius of " + text + " would make the model " +
                                       (radius < 1 ? "vanish" : "larger than the engine's coordinates reach") +
                                       "; give 1 to " + std::to_string(kMaxCoordinate) +
                                       " engine units (the benchmark's object fits within " +
                                       std::to_string(kBenchObjectMaxRadius - 1) + ", e.g. --fit 200)";
                            return {};
                        },
                        "RADIUS"));
    fit->excludes("--scale")->excludes("--translate");
    pack.add_option("--draw-mode", c.pack.drawMode, "draw mode of materials that set none: 0 opaque, 1 keyed, "
                    "2 averaged, 3 keyed+averaged")->check(CLI::Range(0, 3))->capture_default_str();
    pack.add_flag("--no-cull", c.noCull, "draw both sides of materials that set no vx_backface_cull");
    pack.add_flag("--resize-textures", c.pack.resizeTextures,
                  "resample textures whose sides are not powers of two from 8 to 128 (default: reject them)");
    pack.add_option("--light", c.pack.light, "light level of vertices facing the sun, 0..31; alone (without --sun): "
                    "every vertex at this level")
        ->check(levelCheck("light"))->capture_default_str();
    pack.add_option("--sun", c.sun, "bake a light from direction X Y Z into the vertex light levels (default: the "
                    "default data's sun, -0.45 0.6 0.66)")->expected(3);
    pack.add_option("--ambient", c.pack.ambient, "the level of vertices turned away from the sun")
        ->check(levelCheck("ambient"))->capture_default_str();
    pack.add_flag("--flat", c.flat, "no sun: every vertex at the --light level (full light by default)")
        ->excludes("--sun");
    pack.add_flag("--dither{ordered}", c.dither, "spread the rounding of texture colours to the engine's 512 "
                  "over neighbouring texels: --dither (ordered, seamless where textures repeat) or "
                  "--dither=diffusion (default: the engine's plain conversion)")
        ->check(CLI::IsMember({"ordered", "diffusion"}))->option_text("[=ordered|diffusion]");
    pack.add_option("--merge", c.pack.mergeInto, "join all geometry into one object of this name (e.g. Sat)");
    pack.add_flag("--pivot-origin", c.pivotOrigin,
                  "leave every object's translation at 0 (default: the centre of its bounding box)");
}

void printWarnings(const std::vector<std::string>& warnings, size_t total) {
    for (const auto& warning : warnings) std::fprintf(stderr, "vxpack: warning: %s\n", warning.c_str());
    if (total > warnings.size()) std::fprintf(stderr, "vxpack: %s in all\n", counted(total, "warning").c_str());
}

int runPack(Command& c, bool lightGiven, bool dithered) {
    if (!c.translate.empty()) c.pack.translate = {c.translate[0], c.translate[1], c.translate[2]};
    if (!c.sun.empty()) c.pack.sun = {c.sun[0], c.sun[1], c.sun[2]};
    chooseLight(c.pack, lightGiven, !c.sun.empty(), c.flat);
    if (dithered) c.pack.dither = c.dither == "diffusion" ? Dither::diffusion : Dither::ordered;
    c.pack.backfaceCull = c.noCull ? 0 : 1;
    c.pack.pivotAtCentre = !c.pivotOrigin;
    const PackResult result = packModels(c.pack);
    const fs::path scene = c.scene.empty() ? c.outDir / kSceneFileName : c.scene;
    const fs::path textures = c.textures.empty() ? c.outDir / kTextureFileName : c.textures;
    printWarnings(result.warnings, result.warningCount);
    writePair(result, scene, textures);
    size_t faces = 0;
    for (const auto& object : result.scene.objects) faces += object.faces.size();
    const size_t blended = blendedFaceCount(result.scene, result.textures);
    std::printf("wrote %s (%s, %s%s) and %s (%s)\n", scene.string().c_str(),
                counted(result.scene.objects.size(), "object").c_str(), counted(faces, "face").c_str(),
                blended ? (", " + std::to_string(blended) + " of them blended").c_str() : "",
                textures.string().c_str(), counted(result.textures.textures.size(), "texture").c_str());
    return 0;
}

std::string limitsText() {
    return "Limits of the engine, checked before anything is written:\n"
           "  " + std::to_string(kMaxObjects) + " objects (--merge NAME joins all into one), names of 1.." +
           std::to_string(kMaxNameLength) + " ASCII characters\n"
           "  positions within -" + std::to_string(kMaxCoordinate) + ".." + std::to_string(kMaxCoordinate) +
           " engine units, and a model at least " + std::to_string(kMinModelRadius) + " units in radius (--fit R)\n"
           "  " + std::to_string(kMaxTextures) + " textures, sides powers of two " + std::to_string(kMinTextureSide) +
           ".." + std::to_string(kMaxTextureSide) + " (--resize-textures); a face spans at most " +
           std::to_string(kMaxTextureCoordinate / 16) + " texels of its texture, repeats included\n"
           "  " + std::to_string(kMaxDataFileBytes >> 20) + " MiB a file; " + std::to_string(kFaceQueueItems) +
           " blended faces a frame (draw mode 2 or 3, d below 1, #a) and " + std::to_string(kFaceStoreFaces) +
           " cut ones (warned about)\n";
}

int runShow(const Command& c) {
    const PackTextures textures = parseTextureFile(readWholeFile(c.files[0]));
    if (static_cast<size_t>(c.textureIndex) >= textures.textures.size())
        throw PackError(c.files[0].string() + " holds " + counted(textures.textures.size(), "texture") +
                        "; there is no texture " + std::to_string(c.textureIndex));
    writeFileAtomically(c.files[1], texturePpm(textures.textures[static_cast<size_t>(c.textureIndex)]));
    return 0;
}

int runBuildDefault(const Command& c) {
    std::filesystem::create_directories(c.outDir);
    const PackResult result = buildDefaultData(c.assets);
    writePair(result, c.outDir / kSceneFileName, c.outDir / kTextureFileName);
    return 0;
}

int runSphere(const Command& c) {
    const PackResult result = makeSphere(c.sphere);
    writePair(result, c.files[0], c.files[1]);
    std::printf("wrote %s (a sphere of %s, radius %d) and %s\n", c.files[0].string().c_str(),
                counted(result.scene.objects[0].faces.size(), "face").c_str(), c.sphere.radius, c.files[1].string().c_str());
    return 0;
}

int runInfo(const Command& c) {
    const FileKind kind = c.type == "scene" ? FileKind::scene : c.type == "textures" ? FileKind::textures : FileKind::guess;
    for (const auto& file : c.files) std::fputs(describeFile(file, kind).c_str(), stdout);
    return 0;
}

int runValidate(const Command& c) {
    const Validation result = validatePair(c.files[0], c.files[1], c.object);
    for (const auto& warning : result.warnings) std::fprintf(stderr, "vxpack: warning: %s\n", warning.c_str());
    for (const auto& problem : result.problems) std::fprintf(stderr, "vxpack: error: %s\n", problem.c_str());
    if (result.ok) std::printf("ok: %s\n", result.summary.c_str());
    std::fputs(result.checksums.c_str(), stdout);
    return result.ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"vxpack: builds, inspects and checks the scene and texture files of veloxia3dbench"};
    app.require_subcommand(1);
    Command c;

    auto* build = app.add_subcommand("build-default", "write the default benchmark data (the Sat) into OUTDIR");
    build->add_option("outdir", c.outDir, "output folder")->required();
    build->add_option("--assets", c.assets, "folder of sat.obj and its materials")->capture_default_str();

    auto* pack = app.add_subcommand("pack", "convert Wavefront OBJ/MTL models with PNG/TGA/JPEG/BMP textures");
    addPackOptions(*pack, c);
    pack->footer(limitsText());

    auto* info = app.add_subcommand("info", "list what a scene file or a texture file holds");
    info->add_option("files", c.files, "scene or texture files")->required();
    info->add_option("--type", c.type, "read the files as this kind")
        ->check(CLI::IsMember({"auto", "scene", "textures"}))->capture_default_str();

    auto* validate = app.add_subcommand("validate", "load a scene file and a texture file as the benchmark does");
    validate->add_option("files", c.files, "SCENE TEXTURES")->required()->expected(2);
    validate->add_option("--object", c.object, "the object the benchmark draws (empty: do not look for one)")
        ->capture_default_str();

    auto* sphere = app.add_subcommand("sphere", "write a test sphere (one object, one checker texture) for scaling runs");
    sphere->add_option("files", c.files, "SCENE TEXTURES")->required()->expected(2);
    sphere->add_option("--triangles", c.sphere.triangles, "about this many triangles (the nearest 4s(s-1))")
        ->check(CLI::Range(kMinSphereTriangles, kMaxSphereTriangles))->capture_default_str();
    sphere->add_option("--radius", c.sphere.radius, "radius in engine units")
        ->check(CLI::Range(8, kBenchObjectMaxRadius))->capture_default_str();
    sphere->add_option("--name", c.sphere.name, "object name")->capture_default_str();

    auto* show = app.add_subcommand("texture-image", "write one texture of a texture file as a PPM image, to look at");
    show->add_option("files", c.files, "TEXTURES OUT.ppm")->required()->expected(2);
    show->add_option("--index", c.textureIndex, "which texture")->check(CLI::NonNegativeNumber)->capture_default_str();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e);
        return status == 0 ? 0 : 2;
    }
    try {
        if (*build) return runBuildDefault(c);
        if (*pack) return runPack(c, pack->count("--light") > 0, pack->count("--dither") > 0);
        if (*show) return runShow(c);
        if (*validate) return runValidate(c);
        if (*sphere) return runSphere(c);
        return runInfo(c);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vxpack: error: %s\n", e.what());
        return 1;
    }
}

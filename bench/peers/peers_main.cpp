// SPDX-License-Identifier: MIT
// peers: our renderer beside Mesa's software rasterisers (llvmpipe, softpipe) on the same
// object, matrices and frames, timed in turn within one run so that a busy machine slows all of
// them alike. Prints frames per second and the ratios ours/peer; writes the pictures of one
// frame and a CSV row per data set when asked.
// Exit status: 0 done, 1 a load, a peer or a file failed, 2 bad usage.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "gl_peer.h"
#include "ours.h"
#include "peer_process.h"
#include "host/png_writer.h"

namespace {

namespace fs = std::filesystem;
using namespace peers;

struct Options {
    std::vector<fs::path> dataDirs;
    std::vector<std::string> peerNames;
    int32_t frames = 50;  // frames per batch
    int32_t batches = 30;
    int32_t pictureAngle = 17 * 60;
    fs::path pngDir;
    fs::path csv;
};

// One renderer's batches, ours first.
struct Tally {
    std::string label, what;
    std::vector<Timing> batches;
    int64_t covered = 0;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void writePicture(const fs::path& path, const std::vector<uint16_t>& portrait) {
    const veloxia::Result written = veloxia::writeRgb565Png(path, portrait.data(), veloxia::kScreenWidth, veloxia::kScreenHeight);
    if (!written) throw std::runtime_error(written.reason());
    std::printf("wrote %s\n", path.string().c_str());
}

// Pictures of one frame: ours and the first setting of each driver.
void writePictures(const Options& o, std::vector<std::unique_ptr<PeerProcess>>& peers) {
    fs::create_directories(o.pngDir);
    writePicture(o.pngDir / "peer_ours.png", ourPicture(o.pictureAngle));
    std::vector<std::string> done;
    for (auto& p : peers) {
        const std::string& driver = p->setting().driver;
        if (std::find(done.begin(), done.end(), driver) != done.end()) continue;
        done.push_back(driver);
        writePicture(o.pngDir / ("peer_" + driver + ".png"), toPortrait(p->picture(o.pictureAngle)));
    }
}

// Mean covered pixels over 16 frames spread across one batch.
int64_t meanCovered(const std::function<std::vector<uint16_t>(int32_t)>& picture, int32_t frames) {
    int64_t sum = 0;
    for (int k = 0; k < 16; ++k) sum += coveredPixels(picture(17 * (k * frames / 16)));
    return sum / 16;
}

// Batches in turn: each renderer draws the same frames; the first to draw rotates per batch.
void measure(const Options& o, std::vector<Tally>& tallies, std::vector<std::unique_ptr<PeerProcess>>& peers) {
    const auto run = [&](size_t r, int32_t angle) {
        return r == 0 ? timeOurFrames(angle, o.frames) : peers[r - 1]->timeFrames(angle, o.frames);
    };
    for (size_t r = 0; r < tallies.size(); ++r) run(r, 0);  // warm caches and JIT code
    for (int32_t b = 0; b < o.batches; ++b) {
        const int32_t angle = 17 * o.frames * b;
        for (size_t k = 0; k < tallies.size(); ++k) {
            const size_t r = (k + size_t(b)) % tallies.size();
            tallies[r].batches.push_back(run(r, angle));
        }
    }
}

// Median over the batches of a batch's milliseconds per frame (wall or processor), or of the
// ratio of a peer's batch to ours: the median keeps a batch that another program interrupted
// from moving the figure.
double medianMs(const Tally& t, double Timing::*clock, int32_t frames) {
    std::vector<double> ms;
    for (const Timing& b : t.batches) ms.push_back(1000.0 * (b.*clock) / frames);
    return median(ms);
}

double medianRatio(const Tally& peer, const Tally& ours, double Timing::*clock) {
    std::vector<double> ratios;
    for (size_t b = 0; b < peer.batches.size(); ++b) ratios.push_back(peer.batches[b].*clock / (ours.batches[b].*clock));
    return median(ratios);
}

void report(const Options& o, const fs::path& dir, const std::vector<Tally>& t, FILE* out) {
    const auto& object = ourObject();
    std::fprintf(out, "\n%s: object \"%s\", %d triangles, %d batches of %d frames, interleaved\n",
                 dir.string().c_str(), object.name, object.faceCount, o.batches, o.frames);
    std::fprintf(out, "%-11s %9s %9s %9s %7s %10s %10s  %s\n", "renderer", "frames/s", "ms/frame", "cpu ms", "pixels",
                 "ours/peer", "cpu ratio", "what");
    for (size_t r = 0; r < t.size(); ++r) {
        const double ms = medianMs(t[r], &Timing::wall, o.frames);
        std::fprintf(out, "%-11s %9.1f %9.3f %9.3f %7lld", t[r].label.c_str(), 1000.0 / ms, ms,
                     medianMs(t[r], &Timing::cpu, o.frames), (long long)t[r].covered);
        if (r == 0) std::fprintf(out, " %10s %10s", "", "");
        else std::fprintf(out, " %10.2f %10.2f", medianRatio(t[r], t[0], &Timing::wall), medianRatio(t[r], t[0], &Timing::cpu));
        std::fprintf(out, "  %s\n", t[r].what.c_str());
    }
    std::fprintf(out, "medians over the batches; ours/peer: the peer's wall-clock time for the same frames over "
                      "ours; cpu ratio: the same in processor time (all of a peer's threads); pixels: mean covered "
                      "pixels of 16 frames\n");
}

void appendCsv(const Options& o, const fs::path& dir, const std::vector<Tally>& t) {
    const bool fresh = !fs::exists(o.csv);
    std::ofstream csv(o.csv, std::ios::app);
    if (fresh) {
        csv << "data,triangles,ours_pixels,peer_pixels";
        for (const auto& x : t) csv << "," << x.label << "_ms," << x.label << "_cpu";
        csv << "\n";
    }
    csv << dir.string() << "," << ourObject().faceCount << "," << t[0].covered << "," << (t.size() > 1 ? t[1].covered : 0);
    for (const auto& x : t) csv << "," << medianMs(x, &Timing::wall, o.frames) << "," << medianMs(x, &Timing::cpu, o.frames);
    csv << "\n";
    if (!csv) throw std::runtime_error("cannot write " + o.csv.string());
}

int runDataSet(const Options& o, const fs::path& dir, const std::vector<PeerSetting>& settings) {
    std::string error;
    if (!loadOurs(dir, &error)) {
        std::fprintf(stderr, "peers: %s\n", error.c_str());
        return 1;
    }
    std::vector<std::unique_ptr<PeerProcess>> peers;
    std::vector<Tally> tallies{{"ours", std::string("veloxia, fillAffine, ") + ourPresentName(), {}, 0}};
    for (const auto& s : settings) {
        peers.push_back(std::make_unique<PeerProcess>(s));
        if (!peers.back()->start(ourObject(), &error)) {
            std::fprintf(stderr, "peers: %s\n", error.c_str());
            return 1;
        }
        const std::string threads = s.driver != "llvmpipe" ? "" : s.threads < 0 ? ", LP_NUM_THREADS unset" :
                                    ", LP_NUM_THREADS=" + std::to_string(s.threads);
        tallies.push_back({s.label, peers.back()->renderer() + threads, {}, 0});
    }
    tallies[0].covered = meanCovered(ourPicture, o.frames);
    for (size_t p = 0; p < peers.size(); ++p) {
        tallies[p + 1].covered = meanCovered([&](int32_t a) { return peers[p]->picture(a); }, o.frames);
    }
    if (!o.pngDir.empty()) writePictures(o, peers);
    measure(o, tallies, peers);
    report(o, dir, tallies, stdout);
    if (!o.csv.empty()) appendCsv(o, dir, tallies);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"peers: our renderer beside Mesa's llvmpipe and softpipe (OSMesa) on the same frames.\n"
                 "Each peer runs in its own process (the driver and thread count are fixed per process);\n"
                 "ours and the peers draw the same batch of frames in turn, so load on the machine\n"
                 "slows all of them alike and the ratios hold."};
    Options o;
    app.add_option("--data", o.dataDirs, "folder with veloxia3dbench1 and veloxia3dbench2 (repeatable; default: beside this program)");
    app.add_option("--peer", o.peerNames, "llvmpipe (LP_NUM_THREADS unset), llvmpipe:N (N threads, 0 = none), softpipe "
                   "(repeatable; default: llvmpipe, llvmpipe:0, llvmpipe:1, softpipe)");
    app.add_option("--frames", o.frames, "frames per batch")->check(CLI::Range(1, 100000))->capture_default_str();
    app.add_option("--batches", o.batches, "batches per renderer")->check(CLI::Range(1, 10000))->capture_default_str();
    app.add_option("--picture-angle", o.pictureAngle, "rotation angle of the pictured frame")->capture_default_str();
    app.add_option("--png-dir", o.pngDir, "write peer_ours.png and peer_<driver>.png of one frame into this folder");
    app.add_option("--csv", o.csv, "append one row per data set: triangles, covered pixels, then per renderer the "
                   "median ms per frame (wall clock, <name>_ms, and processor, <name>_cpu)");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e);
        return status == 0 ? 0 : 2;
    }
    std::vector<PeerSetting> settings;
    for (const auto& name : o.peerNames) {
        PeerSetting s;
        if (!parsePeerSetting(name, s)) {
            std::fprintf(stderr, "peers: unknown peer '%s' (llvmpipe, llvmpipe:N, softpipe)\n", name.c_str());
            return 2;
        }
        settings.push_back(s);
    }
    if (settings.empty()) settings = defaultPeerSettings();
    if (o.dataDirs.empty()) o.dataDirs.push_back(fs::read_symlink("/proc/self/exe").parent_path());
    std::signal(SIGPIPE, SIG_IGN);  // a peer that dies shows as a failed write, not a killed parent
    try {
        for (const auto& dir : o.dataDirs) {
            if (const int status = runDataSet(o, dir, settings); status != 0) return status;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "peers: %s\n", e.what());
        return 1;
    }
    return 0;
}

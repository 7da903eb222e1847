// SPDX-License-Identifier: MIT
// The Linux side of the hosts: device name, memory, single instance, input mapping, the
// command line and the printed results.
#include <gtest/gtest.h>

#include <sys/utsname.h>

#include <fstream>

#include "app/app.h"
#include "app/validation.h"
#include "host/headless_host.h"
#include "host/options.h"
#if VX_WITH_SDL
#include "host/sdl_host.h"
#endif
#include "host/single_instance.h"
#include "host/system_info.h"
#include "support/app_data_files.h"

namespace {

void writeText(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

TEST(DeviceName, PrefersDmiThenDeviceTreeThenCpuinfoThenTheKernel) {
    const auto root = vxtest::freshDirectory("device_name");
    const std::string cpuinfo = "processor\t: 0\nmodel name\t: ARMv7 Processor rev 4 (v7l)\n"
                                "Hardware\t: BCM2835\nModel\t\t: Raspberry Pi 3 Model B Rev 1.2\n";
    struct utsname u {};
    uname(&u);
    EXPECT_EQ(veloxia::deviceName(root), std::string(u.sysname) + " " + u.machine);

    writeText(root / "proc/cpuinfo", "processor\t: 0\nmodel name\t: Intel(R) Core(TM) i5\n");
    EXPECT_EQ(veloxia::deviceName(root), "Intel(R) Core(TM) i5");
    writeText(root / "proc/cpuinfo", cpuinfo);
    EXPECT_EQ(veloxia::deviceName(root), "Raspberry Pi 3 Model B Rev 1.2");

    writeText(root / "proc/device-tree/model", std::string("Pine64 PinePhone (1.2)\0", 23));
    EXPECT_EQ(veloxia::deviceName(root), "Pine64 PinePhone (1.2)");

    writeText(root / "sys/class/dmi/id/sys_vendor", "LENOVO\n");
    writeText(root / "sys/class/dmi/id/product_name", "20XW004GGE\n");
    EXPECT_EQ(veloxia::deviceName(root), "LENOVO 20XW004GGE");
    std::filesystem::remove_all(root);
}

TEST(MemoryStatus, ReadsMeminfoInSixtyFourBits) {
    const auto root = vxtest::freshDirectory("meminfo");
    writeText(root / "proc/meminfo",
              "MemTotal:       16000000 kB\nMemFree:          100000 kB\nMemAvailable:    4000000 kB\n");
    const veloxia::MemoryStatus m = veloxia::readMemoryStatus(root);
    EXPECT_EQ(m.totalBytes, 16384000000ull);
    EXPECT_EQ(m.availableBytes, 4096000000ull);
    EXPECT_EQ(m.loadPercent, 75u);
    // Without the file the machine's own figures are used.
    const veloxia::MemoryStatus own = veloxia::readMemoryStatus(root / "nowhere");
    EXPECT_GT(own.totalBytes, 0u);
    EXPECT_LE(own.loadPercent, 100u);
    std::filesystem::remove_all(root);
}

TEST(WidenUtf8, KeepsTextAndReplacesBrokenBytes) {
    EXPECT_EQ(veloxia::widenUtf8("Acme \xC3\xBC \xF0\x9F\x98\x80"), u"Acme \u00FC \U0001F600");
    EXPECT_EQ(veloxia::widenUtf8("a\xFF" "b\xC3"), u"a\uFFFDb\uFFFD");
}

TEST(SingleInstance, SecondStartRaisesTheFirstAndTheNameIsFreedAtTheEnd) {
    const std::string name = "vx-test-" + std::to_string(::getpid());
    {
        veloxia::SingleInstance first(name);
        ASSERT_TRUE(first.claim().first);
        EXPECT_FALSE(first.raiseRequested());
        veloxia::SingleInstance second(name);
        const veloxia::InstanceClaim claim = second.claim();
        EXPECT_FALSE(claim.first);
        EXPECT_EQ(claim.otherPid, ::getpid()) << "the holder's process id";
        EXPECT_TRUE(first.raiseRequested());
        EXPECT_FALSE(first.raiseRequested());
    }
    veloxia::SingleInstance later(name);
    EXPECT_TRUE(later.claim().first);
}

#if VX_WITH_SDL
TEST(SdlInput, TapsButtonsAndQuit) {
    using Kind = veloxia::HostEvent::Kind;
    const auto mouse = [](int y, uint32_t which) {
        SDL_Event e{};
        e.type = SDL_MOUSEBUTTONDOWN;
        e.button.which = which;
        e.button.x = 120;
        e.button.y = y;
        return e;
    };
    const auto finger = [](float y) {
        SDL_Event e{};
        e.type = SDL_FINGERDOWN;
        e.tfinger.x = 0.5f;
        e.tfinger.y = y;
        return e;
    };
    const auto key = [](uint32_t type, SDL_Keycode sym) {
        SDL_Event e{};
        e.type = type;
        e.key.keysym.sym = sym;
        return e;
    };
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    const struct {
        const char* what;
        SDL_Event event;
        bool taken;
        Kind kind;
        int32_t value;
    } cases[] = {
        {"tap", mouse(259, 0), true, Kind::touch, 259},
        {"letterbox above the screen", mouse(-4, 0), false, Kind::touch, 0},
        {"letterbox below the screen", mouse(320, 0), false, Kind::touch, 0},
        {"SDL's copy of a finger tap, counted by the finger", mouse(100, SDL_TOUCH_MOUSEID), false, Kind::touch, 0},
        {"finger", finger(0.5f), true, Kind::touch, 160},
        {"finger at the bottom", finger(1.0f), true, Kind::touch, 319},
        {"a", key(SDL_KEYDOWN, SDLK_a), true, Kind::keyDown, veloxia::kKeyButtonA},
        {"escape", key(SDL_KEYDOWN, SDLK_ESCAPE), true, Kind::keyDown, veloxia::kKeyButtonA},
        {"b released", key(SDL_KEYUP, SDLK_b), true, Kind::keyUp, 'b'},
        {"quit", quit, true, Kind::quit, 0},
    };
    for (const auto& c : cases) {
        veloxia::HostEvent out{};
        ASSERT_EQ(veloxia::translateSdlEvent(c.event, out), c.taken) << c.what;
        if (!c.taken) continue;
        EXPECT_EQ(out.kind, c.kind) << c.what;
        if (c.kind != Kind::quit) {
            EXPECT_EQ(out.value, c.value) << c.what;
        }
    }
}
#endif

std::optional<int> parse(std::vector<const char*> args, veloxia::Options& o) {
    args.insert(args.begin(), "veloxia3dbench");
    return veloxia::parseOptions(static_cast<int>(args.size()), args.data(), o);
}

TEST(Options, DefaultsAndValues) {
    veloxia::Options o;
    EXPECT_EQ(parse({}, o), std::nullopt);
    EXPECT_EQ(o.seconds, 100u);
    EXPECT_EQ(o.scale, 2);
    EXPECT_FALSE(o.oem.has_value());
    EXPECT_EQ(parse({"--seconds", "3", "--display", "fixed", "--frames", "500", "--step-ms", "16",
                     "--oem", "Compaq iPAQ H3800", "--json", "--upload", "--results-server", "http://127.0.0.1:8080",
                     "--data", "/srv/data", "--validate"},
                    o),
              std::nullopt);
    EXPECT_EQ(o.seconds, 3u);
    EXPECT_EQ(*o.display, "fixed");
    EXPECT_EQ(o.frames, 500u);
    EXPECT_EQ(o.stepMs, 16u);
    EXPECT_EQ(*o.oem, "Compaq iPAQ H3800");
    EXPECT_TRUE(o.json);
    EXPECT_TRUE(o.upload);
    EXPECT_EQ(o.resultsServer, "http://127.0.0.1:8080");
    EXPECT_EQ(o.data, "/srv/data");
    EXPECT_TRUE(o.validate);
}

TEST(Options, BadUsageIsStatusTwo) {
    const std::vector<std::vector<const char*>> bad = {
        {"--seconds", "0"}, {"--seconds", "x"}, {"--display", "sideways"}, {"--upload", "--website"},
        {"--scale", "0"},   {"--frames", "0"},  {"--no-such-option"},      {"stray"},
        {"--results-server", "ftp://x"}, {"--results-server", "-x"}, {"--results-server", "http://h/?a=1"},
        {"--write-reference", "digests.cpp"}};  // only with --validate
    for (const auto& args : bad) {
        veloxia::Options o;
        EXPECT_EQ(parse(args, o), 2) << args[0];
    }
}

TEST(Options, HelpAndVersionEndWithStatusZero) {
    veloxia::Options o;
    testing::internal::CaptureStdout();
    EXPECT_EQ(parse({"--version"}, o), 0);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("1.0b"), std::string::npos);
    testing::internal::CaptureStdout();
    EXPECT_EQ(parse({"--help"}, o), 0);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("--step-ms"), std::string::npos);
}

// A whole headless run: the screenshot is the first results frame drawn on its own, exactly
// the frame the validation reference has there.
TEST(HeadlessHost, ScreenshotIsACleanResultsScreen) {
    veloxia::resetBenchmark();
    veloxia::HeadlessConfig config;
    config.system.oem = "Validation";
    config.system.printUrls = false;
    config.instanceName = "vx-test-headless-" + std::to_string(::getpid());
    veloxia::HeadlessHost host(config);
    veloxia::RunSettings settings;
    settings.seconds = 1;
    settings.stepMs = 10;
    const veloxia::RunResult run = veloxia::runBenchmark(host, settings);
    ASSERT_TRUE(run.outcome) << run.outcome.reason();
    // Title, 102 frames of the run, one results frame, the exit tap.
    EXPECT_EQ(run.passes, 104u);
    std::vector<uint16_t> shot(veloxia::kScreenWidth * veloxia::kScreenHeight);
    host.screenshot(shot.data());
    const std::span<const uint64_t> reference = veloxia::referenceDigests(veloxia::validationRuns()[0]);
    ASSERT_GE(reference.size(), 104u);
    EXPECT_EQ(veloxia::portraitDigest(shot.data()), reference[103]);
    veloxia::resetBenchmark();
    veloxia::setHost(nullptr);
}

TEST(HeadlessHost, TapsTheTitleAfterOnePassAndTheChosenEndingAfterAFullResultsFrame) {
    const struct {
        veloxia::Ending ending;
        int32_t row;
    } endings[] = {{veloxia::Ending::exit, 319}, {veloxia::Ending::upload, 0}, {veloxia::Ending::website, 260}};
    for (const auto& e : endings) {
        veloxia::resetBenchmark();
        veloxia::HeadlessConfig config;
        config.system.oem = "Palmax";
        config.system.printUrls = false;
        config.ending = e.ending;
        config.instanceName = "vx-test-headless";
        veloxia::HeadlessHost host(config);
        EXPECT_EQ(host.oemInfo(), u"Palmax");
        veloxia::HostEvent event{};
        EXPECT_FALSE(host.pollEvent(event)) << "the title is shown before its tap";
        host.framePresented({1, veloxia::Screen::title, 0, ""});
        ASSERT_TRUE(host.pollEvent(event));
        EXPECT_EQ(event.kind, veloxia::HostEvent::Kind::touch);
        veloxia::windowProc(event);
        EXPECT_EQ(veloxia::benchmarkState.running, 1u);
        EXPECT_FALSE(host.pollEvent(event));
        host.framePresented({1, veloxia::Screen::running, 3000, "100"});
        EXPECT_FALSE(host.pollEvent(event)) << "no ending while the run goes on";
        host.framePresented({2, veloxia::Screen::lastRunning, 0, ""});
        EXPECT_FALSE(host.pollEvent(event)) << "the results are shown on their own first";
        host.framePresented({3, veloxia::Screen::results, 0, ""});
        ASSERT_TRUE(host.pollEvent(event));
        EXPECT_EQ(event.value, e.row);
        EXPECT_FALSE(host.pollEvent(event)) << "one ending tap only";
    }
}

}  // namespace

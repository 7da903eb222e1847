// SPDX-License-Identifier: MIT
// Start-up, the run and its measurement, driven by a fake host with a hand-moved clock. What
// the screens show, frame by frame, the golden screens pin.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "app/app.h"
#include "support/app_data_files.h"
#include "support/app_fake_host.h"

namespace {

using veloxia::benchmarkState;
using veloxia::HostEvent;

class Run : public ::testing::Test {
protected:
    void SetUp() override {
        veloxia::resetBenchmark();
        veloxia::setHost(&host);
        host.directory = vxtest::freshDirectory(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override {
        veloxia::setHost(nullptr);
        std::filesystem::remove_all(host.directory);
    }

    void writeFiles(const std::string& objectName = "Sat", int textures = 1) {
        vxtest::writeSceneFile(host.directory / "veloxia3dbench1",
                               {vxtest::smallTriangle("Moon", 5, 5, 5), vxtest::smallTriangle(objectName, 10, -20, 5)});
        vxtest::writeTextureFile(host.directory / "veloxia3dbench2", textures);
    }

    // Start-up and display detection as the program does them, then the title tap.
    void startRun() {
        writeFiles();
        const veloxia::Result started = veloxia::startup();
        ASSERT_TRUE(started) << started.reason();
        veloxia::detectDisplay(&veloxia::renderContext);
        veloxia::windowProc(HostEvent{HostEvent::Kind::touch, 100});
    }

    vxtest::FakeHost host;
};

TEST_F(Run, StartupFailsWithoutTheTextureFileAfterLoadingTheScene) {
    writeFiles();
    std::filesystem::remove(host.directory / "veloxia3dbench2");
    const veloxia::Result started = veloxia::startup();
    EXPECT_FALSE(started);
    EXPECT_NE(started.reason().find("veloxia3dbench2"), std::string::npos) << started.reason();
    EXPECT_NE(veloxia::findSceneObject("Sat"), nullptr);  // the scene had been loaded
}

TEST_F(Run, StartupNeedsAnObjectNamedExactlySat) {
    for (const char* name : {"Moon", "sat", "SAT", "Sat "}) {
        veloxia::resetBenchmark();
        writeFiles(name);
        const veloxia::Result started = veloxia::startup();
        EXPECT_FALSE(started) << name;
        EXPECT_NE(started.reason().find("\"Sat\""), std::string::npos) << started.reason();
        EXPECT_EQ(veloxia::benchObject, nullptr);
    }
}

TEST_F(Run, StartupRefusesOnlyFacesOfTheDrawnObjectWithoutTheirTexture) {
    writeFiles("Sat", 0);
    const veloxia::Result started = veloxia::startup();
    EXPECT_FALSE(started);
    EXPECT_NE(started.reason().find("\"Sat\", face 0 uses texture 0"), std::string::npos) << started.reason();
    // An object the benchmark never draws may name a texture the file lacks.
    veloxia::resetBenchmark();
    vxtest::ObjectSpec moon = vxtest::smallTriangle("Moon", 5, 5, 5);
    moon.faces[0].texture = 9;
    vxtest::writeSceneFile(host.directory / "veloxia3dbench1", {moon, vxtest::smallTriangle("Sat", 10, -20, 5)});
    vxtest::writeTextureFile(host.directory / "veloxia3dbench2", 1);
    const veloxia::Result restarted = veloxia::startup();
    EXPECT_TRUE(restarted) << restarted.reason();
}

TEST_F(Run, FailedStartupStillDetectsTheDisplayAndShutsDownInOrder) {
    veloxia::renderContext.present = nullptr;
    const veloxia::RunResult r = veloxia::runBenchmark(host, {});
    EXPECT_FALSE(r.outcome);
    EXPECT_NE(r.outcome.reason().find("veloxia3dbench1"), std::string::npos);
    EXPECT_EQ(r.passes, 0u);
    EXPECT_EQ(veloxia::renderContext.present, &veloxia::presentDirect);  // "Palmax"
    EXPECT_EQ(host.calls, (std::vector<std::string>{"claimInstance", "openWindow", "closeInput", "closeDisplay",
                                                    "destroyWindow"}));
}

TEST_F(Run, SecondInstanceOpensNothing) {
    host.otherInstance = true;
    const veloxia::RunResult r = veloxia::runBenchmark(host, {});
    EXPECT_TRUE(r.secondInstance);
    EXPECT_EQ(r.otherPid, 4242);
    EXPECT_TRUE(r.outcome);
    EXPECT_EQ(host.calls, std::vector<std::string>{"claimInstance"});
}

TEST_F(Run, WindowFailureIsReported) {
    host.windowFails = true;
    const veloxia::RunResult r = veloxia::runBenchmark(host, {});
    EXPECT_FALSE(r.outcome);
    EXPECT_EQ(r.outcome.reason(), "no window for the test");
}

TEST_F(Run, QuitEndsAtOnceWithoutAnotherFrame) {
    writeFiles();
    host.events.push_back(HostEvent{HostEvent::Kind::quit, 0});
    host.tap(100);  // never reached
    const veloxia::RunResult r = veloxia::runBenchmark(host, {});
    EXPECT_TRUE(r.outcome);
    EXPECT_EQ(r.passes, 0u);
    EXPECT_EQ(host.events.size(), 1u);
    EXPECT_EQ(host.calls.back(), "destroyWindow");
}

TEST_F(Run, SamplesEveryEightFramesAndIgnoresTheZeroSample) {
    startRun();
    const auto passes = [&](int n, uint32_t stepMs) {
        for (int i = 0; i < n; ++i) {
            host.now += stepMs;
            veloxia::idlePass();
        }
    };
    passes(7, 10);
    EXPECT_STREQ(veloxia::fpsText, "");
    passes(1, 10);  // frame 8: the first sample divides by the whole uptime
    EXPECT_STREQ(veloxia::fpsText, "0");
    EXPECT_EQ(veloxia::fpsMax, 0);
    EXPECT_EQ(veloxia::fpsMin, 9999999);
    passes(8, 10);  // frame 16: 8 frames in 80 ms
    EXPECT_STREQ(veloxia::fpsText, "100");
    EXPECT_EQ(veloxia::fpsMax, 100);
    EXPECT_EQ(veloxia::fpsMin, 100);
    passes(8, 20);  // frame 24: 8 frames in 160 ms
    EXPECT_STREQ(veloxia::fpsText, "50");
    EXPECT_EQ(veloxia::fpsMax, 100);
    EXPECT_EQ(veloxia::fpsMin, 50);
    passes(8, 0);  // frame 32: no time has passed; the sample is skipped
    EXPECT_STREQ(veloxia::fpsText, "50");
    EXPECT_EQ(veloxia::fpsMin, 50);
    passes(8, 3);  // frame 40: 8000 / 24 truncates to 333
    EXPECT_STREQ(veloxia::fpsText, "333");
    EXPECT_EQ(veloxia::fpsMax, 333);
}

TEST_F(Run, WholeProgramFromTitleToUpload) {
    writeFiles();
    host.stepPerFrame = 10;
    int frame = 0;
    host.afterPresent = [&] {
        ++frame;
        if (frame == 3) host.tap(200);
        if (benchmarkState.results != 0 && host.events.empty() && host.urls.empty()) host.tap(259);
    };
    veloxia::RunSettings settings;
    settings.seconds = 1;
    const veloxia::RunResult r = veloxia::runBenchmark(host, settings);
    EXPECT_TRUE(r.outcome);
    // 1000 ms at 10 ms a frame; frame 1 runs at the tap's tick, so frame 102 is the first
    // past endTick.
    EXPECT_EQ(veloxia::framesAtEnd, 102u);
    EXPECT_EQ(veloxia::averageTimes100(), 10200u);
    ASSERT_EQ(host.urls.size(), 1u);
    EXPECT_NE(host.urls[0].find("?fps=10200&min=100&max=100&dev=Palmax&ver=1.0b&memp=42&"), std::string::npos)
        << host.urls[0];
    // The host learns the figures from the result, and the URL and the result share one
    // reading of the memory figures.
    EXPECT_TRUE(r.completed);
    EXPECT_EQ(r.frames, 102u);
    EXPECT_EQ(r.averageTimes100, 10200u);
    EXPECT_EQ(r.fpsMin, 100);
    EXPECT_EQ(r.fpsMax, 100);
    EXPECT_EQ(r.url, host.urls[0]);
    EXPECT_EQ(r.device, "Palmax");
    EXPECT_EQ(r.present, &veloxia::presentDirect);
    EXPECT_EQ(r.memory.totalBytes, host.memory.totalBytes);
    EXPECT_EQ(host.memoryReads, 1);
    // The host's clock times the 102 frames of the run, from the tap to the last one's end.
    ASSERT_TRUE(r.frameTimes);
    EXPECT_EQ(r.frameTimes->frames, 102u);
    EXPECT_DOUBLE_EQ(r.frameTimes->averageFps, 100.0);
    EXPECT_DOUBLE_EQ(r.frameTimes->medianMs, 10.0);
    // What each pass showed: three title passes, the run (its last frame with the results over
    // it, on which the test taps at once), and the pass that started the browser.
    std::map<veloxia::Screen, int> shown;
    for (const veloxia::FrameRecord& f : host.frames) ++shown[f.screen];
    EXPECT_EQ(shown[veloxia::Screen::title], 3);
    EXPECT_EQ(shown[veloxia::Screen::running], 101);
    EXPECT_EQ(shown[veloxia::Screen::lastRunning], 1);
    EXPECT_EQ(shown[veloxia::Screen::results], 0);
    EXPECT_EQ(host.frames.back().screen, veloxia::Screen::ending);
    EXPECT_EQ(host.frames[3].msLeft, 1000u);
    EXPECT_EQ(host.frames[4].msLeft, 990u);
    EXPECT_EQ(host.frames.back().pass, r.passes);
    // The title never reaches 16; the run and the results keep the window in front every 16th.
    ASSERT_FALSE(host.keptInFrontAt.empty());
    for (std::size_t i = 0; i < host.keptInFrontAt.size(); ++i) EXPECT_EQ(host.keptInFrontAt[i], 16u * (i + 1));
    EXPECT_EQ(host.calls.back(), "destroyWindow");
}

// A result of the virtual clock is not a measurement: the send band shows its URL, never sends.
TEST_F(Run, SendBandOnTheVirtualClockOnlyShowsTheUrl) {
    writeFiles();
    host.afterPresent = [&] {
        const veloxia::Screen shown = host.frames.back().screen;
        if (shown == veloxia::Screen::title) host.tap(100);
        if (shown == veloxia::Screen::results && host.events.empty()) host.tap(10);
    };
    veloxia::RunSettings settings;
    settings.seconds = 1;
    settings.stepMs = 10;
    const veloxia::RunResult r = veloxia::runBenchmark(host, settings);
    EXPECT_TRUE(r.completed);
    EXPECT_TRUE(host.urls.empty());
    ASSERT_EQ(host.shownUrls.size(), 1u);
    EXPECT_NE(host.shownUrls[0].find("/f/benchmark.php?fps=10200&"), std::string::npos) << host.shownUrls[0];
    EXPECT_EQ(r.url, host.shownUrls[0]);
    EXPECT_EQ(r.stepMs, 10u);
    // The virtual clock times every frame at its step.
    ASSERT_TRUE(r.frameTimes);
    EXPECT_EQ(r.frameTimes->frames, 102u);
    EXPECT_DOUBLE_EQ(r.frameTimes->averageFps, 100.0);
    EXPECT_DOUBLE_EQ(r.frameTimes->worstMs, 10.0);
}

TEST_F(Run, VirtualClockRepeatsFramesExactly) {
    writeFiles();
    veloxia::RunSettings settings;
    settings.stepMs = 7;
    settings.maxPasses = 40;
    std::vector<uint16_t> first(veloxia::kScreenWidth * veloxia::kScreenHeight);
    std::vector<uint16_t> second(first.size());
    for (std::vector<uint16_t>* screen : {&first, &second}) {
        veloxia::resetBenchmark();
        host.now = 5000000 + static_cast<uint32_t>(screen == &second) * 123457;  // the real clock differs
        host.tap(0);
        const veloxia::RunResult r = veloxia::runBenchmark(host, settings);
        EXPECT_EQ(r.passes, 40u);
        veloxia::readDisplayPortrait(screen->data());
        EXPECT_STREQ(veloxia::fpsText, "142");  // 8000 / 56, from the third sample on
    }
    EXPECT_EQ(first, second);
}

}  // namespace

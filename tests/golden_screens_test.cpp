// SPDX-License-Identifier: MIT
// The whole screen pinned: runBenchmark driven by a test host on the virtual clock (10 ms a
// frame) through the title, a 1-second run and the results, for each of the three present
// routines. Every presented frame's digest (the screen as the host shows it) must equal the
// reference table that --validate uses. When pixels change on purpose, look at the frames and
// regenerate the table with scripts/reference_digests.sh, which lists the frames that changed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "app/validation.h"
#include "support/app_data_files.h"
#include "support/app_fake_host.h"

namespace {

using namespace veloxia;

struct Shown {
    Screen screen;
    uint64_t digest;
};

// One run as a person makes it: the title shown once, a tap, the run, two results frames, quit.
std::vector<Shown> play(const ValidationRun& run, RunResult& result) {
    resetBenchmark();
    vxtest::FakeHost host;
    host.oem = run.oem;
    host.directory = VX_BINARY_DIR "/bin";
    std::vector<Shown> shown;
    int resultsFrames = 0;
    host.afterPresent = [&] {
        const Screen screen = host.frames.back().screen;
        shown.push_back({screen, screenDigest()});
        if (screen == Screen::title) host.tap(0);
        if (screen == Screen::results && ++resultsFrames == 2) host.events.push_back({HostEvent::Kind::quit, 0});
    };
    RunSettings settings;
    settings.seconds = run.seconds;
    settings.stepMs = 10;
    settings.maxPasses = 400;
    result = runBenchmark(host, settings);
    setHost(nullptr);
    return shown;
}

TEST(GoldenScreens, EveryFrameOfTitleRunAndResultsForEachPresentRoutine) {
    int runs = 0;
    for (const ValidationRun& run : validationRuns()) {
        if (run.seconds != 1) continue;  // the long run is --validate's (ctest -R validate)
        ++runs;
        SCOPED_TRACE(run.name);
        RunResult result;
        const std::vector<Shown> shown = play(run, result);
        ASSERT_TRUE(result.outcome) << result.outcome.reason();
        // Title, 101 running frames, the last running frame, two results frames; the results
        // show the five-digit 10200 (102 frames in one second).
        ASSERT_EQ(shown.size(), 105u);
        EXPECT_EQ(result.averageTimes100, 10200u);
        EXPECT_EQ(shown[0].screen, Screen::title);
        EXPECT_EQ(shown[1].screen, Screen::running);
        EXPECT_EQ(shown[101].screen, Screen::running);
        EXPECT_EQ(shown[102].screen, Screen::lastRunning);
        EXPECT_EQ(shown[103].screen, Screen::results);
        EXPECT_EQ(shown[104].screen, Screen::results);

        const std::span<const uint64_t> reference = referenceDigests(run);
        ASSERT_EQ(reference.size(), shown.size()) << "regenerate with scripts/reference_digests.sh";
        std::string differing;
        for (std::size_t i = 0; i < shown.size(); ++i) {
            if (shown[i].digest == reference[i]) continue;
            differing.append(" ").append(std::to_string(i + 1)).append(" (").append(screenName(shown[i].screen)).append(")");
        }
        EXPECT_TRUE(differing.empty()) << "passes that differ:" << differing;
    }
    EXPECT_EQ(runs, 3);
}

// The three routines write display memory in three layouts; the host shows the same picture.
TEST(GoldenScreens, EveryPresentRoutineShowsTheSamePicture) {
    const std::span<const ValidationRun> runs = validationRuns();
    for (const ValidationRun& run : runs) {
        if (run.seconds != 1) continue;
        const std::span<const uint64_t> a = referenceDigests(runs[0]);
        const std::span<const uint64_t> b = referenceDigests(run);
        EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin(), b.end())) << run.name;
    }
}

// Validation stops at the first frame that differs and keeps its picture and the one before.
TEST(GoldenScreens, ValidationNamesTheFirstFrameThatDiffers) {
    const std::filesystem::path dir = vxtest::freshDirectory("validation_other_data");
    vxtest::writeSceneFile(dir / "veloxia3dbench1", {vxtest::smallTriangle("Sat")});
    vxtest::writeTextureFile(dir / "veloxia3dbench2", 1);
    const ValidationReport report = validateFrames(dir);
    std::filesystem::remove_all(dir);
    ASSERT_TRUE(report.outcome) << report.outcome.reason();
    EXPECT_FALSE(report.matched);
    // The title does not show the object; the first running frame does.
    EXPECT_EQ(report.framesMatched, 1u);
    EXPECT_STREQ(report.mismatch.frame.run->name, "generic-1s");
    EXPECT_EQ(report.mismatch.frame.pass, 2u);
    EXPECT_EQ(report.mismatch.frame.screen, Screen::running);
    EXPECT_EQ(report.mismatch.expected, referenceDigests(validationRuns()[0])[1]);
    ASSERT_EQ(report.mismatch.actual.size(), std::size_t{kScreenWidth} * kScreenHeight);
    EXPECT_EQ(portraitDigest(report.mismatch.actual.data()), report.mismatch.frame.digest);
    ASSERT_EQ(report.mismatch.previous.size(), report.mismatch.actual.size());
    EXPECT_EQ(portraitDigest(report.mismatch.previous.data()), referenceDigests(validationRuns()[0])[0]);
}

TEST(GoldenScreens, ValidationReportsDataThatCannotBeLoaded) {
    const ValidationReport report = validateFrames("/nonexistent-veloxia-data");
    EXPECT_FALSE(report.outcome);
    EXPECT_NE(report.outcome.reason().find("veloxia3dbench1"), std::string::npos) << report.outcome.reason();
}

}  // namespace

// SPDX-License-Identifier: MIT
// What a result says: the average as the results screen draws it, the precise frame times, and
// the printed and JSON results, with and without figures.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/app.h"
#include "host/report.h"

namespace {

using namespace veloxia;

// ---- The average on the results screen ------------------------------------------------------

// The portrait screen after presenting whatever the buffer holds.
std::vector<uint16_t> presented() {
    presentGeneric();
    std::vector<uint16_t> screen(kScreenWidth * kScreenHeight);
    readDisplayPortrait(screen.data());
    return screen;
}

TEST(OnScreenAverage, ReadsAsTheAverageWithTwoDecimalsForOneToEightDigits) {
    initEngine(&renderContext);
    renderContext.present = &presentGeneric;
    presentGeneric();
    const auto draw = [](int32_t x, int32_t y, const char* text) { renderContext.drawText(x, y, 31, text, 0); };
    struct Case {
        uint32_t value;
        const char* number;  // what the text routine draws at x = 150, row 40
        bool handheldPoint;  // the full stop drawn over it at (165, 43)
    };
    const Case cases[] = {
        {7, "7", true},           {42, "42", true},          {305, "305", true},
        {2345, "2345", true},     {10002, "100.02", false},  {164320, "1643.20", false},
        {1234505, "12345.05", false}, {99999999, "999999.99", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        drawAverage(150, 40, c.value);
        const std::vector<uint16_t> drawn = presented();
        draw(150, 40, c.number);
        if (c.handheldPoint) draw(165, 43, ".");
        EXPECT_EQ(drawn, presented());
        // It fits: the widest ends before the screen's right edge.
        EXPECT_LE(150 + textWidth(c.number), kScreenWidth);
    }
    // Beyond eight digits it shows the largest it can.
    drawAverage(150, 40, 123456789);
    const std::vector<uint16_t> clamped = presented();
    draw(150, 40, "999999.99");
    EXPECT_EQ(clamped, presented());
}

// ---- Frame times ----------------------------------------------------------------------------

TEST(FrameTimes, PercentilesOfAKnownSeries) {
    static FrameTimes t;  // large: static storage, as the run's own
    t.clear();
    EXPECT_FALSE(t.summary());
    // 1 ms to 100 ms in steps of 1 ms, shuffled: nearest-rank percentiles are exact values.
    for (uint64_t i = 0; i < 100; ++i) t.add(((i * 37) % 100 + 1) * 1000000u);
    const FrameTimeSummary s = *t.summary();
    EXPECT_EQ(s.frames, 100u);
    EXPECT_DOUBLE_EQ(s.medianMs, 50.0);
    EXPECT_DOUBLE_EQ(s.p1Ms, 1.0);
    EXPECT_DOUBLE_EQ(s.p99Ms, 99.0);
    EXPECT_DOUBLE_EQ(s.worstMs, 100.0);
    EXPECT_NEAR(s.averageFps, 100 / 5.050, 1e-9);  // 100 frames in 5050 ms
    EXPECT_NEAR(s.low1PctFps, 10.0, 1e-9);          // the slowest frame: 100 ms

    // 990 frames of 1 ms and 10 of 4 ms: the slowest 1% is exactly the ten slow ones.
    t.clear();
    for (int i = 0; i < 990; ++i) t.add(1000000);
    for (int i = 0; i < 10; ++i) t.add(4000000);
    const FrameTimeSummary u = *t.summary();
    EXPECT_DOUBLE_EQ(u.medianMs, 1.0);
    EXPECT_DOUBLE_EQ(u.p99Ms, 1.0);  // the 990th frame is still a fast one
    EXPECT_NEAR(u.low1PctFps, 250.0, 1e-9);
    EXPECT_NEAR(u.averageFps, 1000 / 1.030, 1e-9);
}

TEST(FrameTimes, BucketsAreExactBelow256NsAndNarrowAbove) {
    for (uint64_t ns : {0ull, 1ull, 255ull}) EXPECT_EQ(FrameTimes::bucketOf(ns), int(ns));
    EXPECT_EQ(FrameTimes::bucketOf(256), 256);
    EXPECT_EQ(FrameTimes::bucketOf(511), 511);
    EXPECT_EQ(FrameTimes::bucketOf(512), 512);
    EXPECT_EQ(FrameTimes::bucketOf(513), 512);  // two nanoseconds a bucket from 512 on
    // A frame time and one 0.4% longer never share a bucket; every time has a bucket.
    for (uint64_t ns = 300; ns < (uint64_t{1} << 40); ns = ns * 3 + 7) {
        EXPECT_LT(FrameTimes::bucketOf(ns), FrameTimes::bucketOf(ns + ns / 250 + 1)) << ns;
    }
    EXPECT_EQ(FrameTimes::bucketOf(~uint64_t{0}), FrameTimes::kBuckets - 1);
    // A percentile is the mean of its bucket: within the bucket's width of the true value.
    static FrameTimes t;
    t.clear();
    t.add(1000003);
    t.add(1000100);
    EXPECT_NEAR(t.percentileNs(50), 1000051.5, 1);
}

// ---- Printed results ------------------------------------------------------------------------

RunResult sampleRun() {
    RunResult r;
    r.completed = true;
    r.frames = 2345;
    r.averageTimes100 = 2345;
    r.fpsMin = 19;
    r.fpsMax = 27;
    r.seconds = 100;
    r.passes = 2350;
    r.device = "Palmax";
    r.version = "1.0b";
    r.present = &presentDirect;
    r.memory = {42, 6000000000ull, 2500000000ull};
    r.sceneFile = "/data/veloxia3dbench1";
    r.textureFile = "/data/veloxia3dbench2";
    r.benchTriangles = 1234;
    r.frameTimes = FrameTimeSummary{2345, 23.4512, 42.5, 40.125, 51.0, 120.25, 8.3};
    return r;
}

Measurement sampleMeasurement() { return {"headless", {"Test CPU", 2}, std::string(64, 'a'), std::nullopt}; }

TEST(Report, FixedLinesThenThePreciseFigures) {
    RunResult r = sampleRun();
    EXPECT_EQ(resultLines(r), "Average FPS: 23.45\nMin FPS: 19\nMax FPS: 27\n"
                              "Average FPS (precise): 23.45\n"
                              "Frame time ms: median 42.500, 1st percentile 40.125, 99th percentile 51.000, worst 120.250\n"
                              "1% low FPS: 8.30\n");
    r.averageTimes100 = 905;  // two decimals always
    EXPECT_EQ(resultLines(r).substr(0, 18), "Average FPS: 9.05\n");
}

TEST(Report, NoSampleAndInterruptedRunsPrintNoFigures) {
    RunResult r = sampleRun();
    r.fpsMin.reset();
    r.fpsMax.reset();
    EXPECT_NE(resultLines(r).find("Min FPS: -\nMax FPS: -\n"), std::string::npos);
    auto j = nlohmann::json::parse(resultJson(r, sampleMeasurement()));
    EXPECT_TRUE(j["min"].is_null());
    EXPECT_TRUE(j["max"].is_null());
    EXPECT_EQ(j["average"].get<double>(), 23.45);

    r = sampleRun();
    r.completed = false;
    r.frameTimes.reset();
    r.passes = 77;
    EXPECT_EQ(resultLines(r), "The run was ended before its results (77 frames shown): no figures.\n");
    j = nlohmann::json::parse(resultJson(r, sampleMeasurement()));
    EXPECT_FALSE(j["completed"].get<bool>());
    for (const char* key : {"average", "frames", "min", "max", "average_precise", "frame_time_ms", "low_1pct_fps"}) {
        EXPECT_TRUE(j[key].is_null()) << key;
    }
    EXPECT_EQ(j["passes"], 77);
}

TEST(Report, JsonSaysHowTheResultWasMeasured) {
    RunResult r = sampleRun();
    r.stepMs = 10;
    const auto j = nlohmann::json::parse(resultJson(r, sampleMeasurement()));
    // Every field, in a copy of the expected document (null: written as null).
    const auto expected = nlohmann::json::parse(R"({
        "average": 23.45, "frames": 2345, "min": 19, "max": 27, "average_precise": 23.45,
        "frame_time_ms": {"median": 42.5, "p1": 40.125, "p99": 51.0, "worst": 120.25}, "low_1pct_fps": 8.3,
        "mode": "headless", "clock": "virtual", "step_ms": 10, "present": "direct", "device": "Palmax",
        "cpu": {"model": "Test CPU", "online": 2},
        "data": {"scene": {"sha256": "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa",
                           "file": "/data/veloxia3dbench1"},
                 "textures": {"sha256": null}, "sat_triangles": 1234},
        "memory": {"total_bytes": 6000000000}, "build": {"version": "1.0b"}})");
    const nlohmann::json want = expected.flatten(), got = j.flatten();
    for (const auto& item : want.items()) EXPECT_EQ(got.value(item.key(), nlohmann::json("absent")), item.value()) << item.key();
    EXPECT_TRUE(j["build"].contains("revision"));
    EXPECT_FALSE(j.contains("url"));
    r.stepMs = 0;
    EXPECT_EQ(nlohmann::json::parse(resultJson(r, sampleMeasurement()))["clock"], "real");
}

}  // namespace

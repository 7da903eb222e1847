// SPDX-License-Identifier: MIT
// The benchmark's state machine as taps and buttons drive it, and the texts it builds.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "app/app.h"
#include "support/app_fake_host.h"

namespace {

using veloxia::BenchmarkState;
using veloxia::benchmarkState;
using veloxia::HostEvent;

// The six screen flags in a row: title, running, results, upload, website, exit.
using Flags = std::array<uint32_t, 6>;

void expectFlags(const Flags& want, const char* where) {
    const BenchmarkState& s = benchmarkState;
    EXPECT_EQ((Flags{s.title, s.running, s.results, s.upload, s.website, s.exit}), want) << where;
}

class StateMachine : public ::testing::Test {
protected:
    void SetUp() override {
        veloxia::resetBenchmark();
        veloxia::setHost(&host);
    }
    void TearDown() override { veloxia::setHost(nullptr); }

    void onResults() { benchmarkState = BenchmarkState{0, 0, 1, 0, 0, 0}; }
    void tap(int32_t row) { veloxia::windowProc(HostEvent{HostEvent::Kind::touch, row}); }
    void key(HostEvent::Kind kind, int32_t code) { veloxia::windowProc(HostEvent{kind, code}); }

    vxtest::FakeHost host;
};

TEST_F(StateMachine, ProgramStartsOnTheTitle) { expectFlags({1, 0, 0, 0, 0, 0}, "start"); }

TEST_F(StateMachine, TapAnywhereOnTheTitleStartsTheRunForOneHundredSeconds) {
    for (const int32_t row : {0, 160, 319}) {
        veloxia::resetBenchmark();
        host.now = 123456 + static_cast<uint32_t>(row);
        tap(row);
        expectFlags({0, 1, 0, 0, 0, 0}, "after the title tap");
        EXPECT_EQ(veloxia::endTick, host.now + 100000u);
    }
}

TEST_F(StateMachine, ShortenedRunEndsSoonerAndTheClockWraps) {
    veloxia::runSeconds = 3;
    host.now = 0xFFFFF000u;
    tap(10);
    EXPECT_EQ(veloxia::endTick, 0xFFFFF000u + 3000u);  // wraps past 2^32
}

TEST_F(StateMachine, TapsDuringTheRunAreIgnored) {
    tap(5);
    const uint32_t end = veloxia::endTick;
    host.now += 5000;
    for (const int32_t row : {0, 259, 260, 300, 301, 319}) tap(row);
    expectFlags({0, 1, 0, 0, 0, 0}, "running");
    EXPECT_EQ(veloxia::endTick, end);
}

TEST_F(StateMachine, ResultsBandsFollowTheirTexts) {
    struct Row {
        int32_t row;
        Flags after;
    };
    const Row rows[] = {
        {0, {0, 0, 0, 1, 0, 0}},   {259, {0, 0, 0, 1, 0, 0}},  // send the results
        {260, {0, 0, 0, 0, 1, 0}}, {291, {0, 0, 0, 0, 1, 0}},  // the maker's page
        {292, {0, 0, 1, 0, 0, 0}}, {300, {0, 0, 1, 0, 0, 0}},  // nothing
        {301, {0, 0, 0, 0, 0, 1}}, {319, {0, 0, 0, 0, 0, 1}},  // exit
        {0x10000 + 270, {0, 0, 0, 0, 1, 0}},                   // only the low 16 bits count
    };
    for (const Row& r : rows) {
        onResults();
        veloxia::endTick = 777;
        tap(r.row);
        expectFlags(r.after, ("row " + std::to_string(r.row)).c_str());
        EXPECT_EQ(veloxia::endTick, 777u) << "no band restarts the run";
    }
}

TEST_F(StateMachine, ButtonAEndsEveryScreen) {
    // The screen flags stay: the loop ends before the next pass draws anything.
    for (const Flags& screen : {Flags{1, 0, 0, 0, 0, 0}, Flags{0, 1, 0, 0, 0, 0}, Flags{0, 0, 1, 0, 0, 0}}) {
        benchmarkState = BenchmarkState{screen[0], screen[1], screen[2], 0, 0, 0};
        key(HostEvent::Kind::keyDown, veloxia::kKeyButtonA);
        expectFlags({screen[0], screen[1], screen[2], 0, 0, 1}, "button A");
    }
}

TEST_F(StateMachine, KeysAreTrackedByTheirLowByte) {
    key(HostEvent::Kind::keyDown, 0x141);
    EXPECT_EQ(veloxia::keyState[0x41], 1);
    EXPECT_EQ(veloxia::anyKeyPressed, 1u);
    key(HostEvent::Kind::keyDown, 0x100 + veloxia::kKeyButtonA);  // same low byte as A, not A
    EXPECT_EQ(benchmarkState.exit, 0u);
    EXPECT_EQ(veloxia::keyState[veloxia::kKeyButtonA], 1);
    key(HostEvent::Kind::keyUp, 0x41);
    EXPECT_EQ(veloxia::keyState[0x41], 0);
    EXPECT_EQ(veloxia::anyKeyPressed, 1u);  // stays set after the key is released
}

TEST(FormatDecimal, NoLeadingZerosAndInnerZerosKept) {
    const struct {
        int32_t value;
        const char* text;
    } cases[] = {{0, "0"}, {7, "7"}, {10, "10"}, {305, "305"}, {1000000, "1000000"},
                 {1000001, "1000001"}, {9999999, "9999999"}, {2345, "2345"}};
    for (const auto& c : cases) {
        char buffer[16];
        std::memset(buffer, 'x', sizeof buffer);
        veloxia::formatDecimal(c.value, buffer);
        EXPECT_STREQ(buffer, c.text);
        EXPECT_EQ(buffer[std::strlen(c.text) + 1], 'x') << "wrote past the terminator";
    }
}

TEST(WidenText, CopiesBytesAsUnitsAndAlwaysTerminates) {
    char16_t wide[8];
    veloxia::widenText(wide, "1.0b");
    EXPECT_EQ(std::u16string(wide), u"1.0b");
    veloxia::widenText(wide, "\xC9t\xE9");  // bytes above 127 keep their value
    EXPECT_EQ(std::u16string(wide), std::u16string({0xC9, u't', 0xE9}));
    veloxia::widenText(wide, "0123456789");
    EXPECT_EQ(std::u16string(wide), u"0123456");
}

}  // namespace

// SPDX-License-Identifier: MIT
// The state machine, the idle pass and the main loop.
#include <algorithm>

#include "app/app.h"
#include "app/app_internal.h"

namespace veloxia {

BenchmarkState benchmarkState{1, 0, 0, 0, 0, 0};
uint32_t endTick = 0;
uint8_t keyState[256] = {};
uint32_t anyKeyPressed = 0;

namespace {

Host* currentHost = nullptr;

// The deterministic mode's clock: starts far from 0, so the first frame-rate sample of a run
// divides by a long time and comes out 0, as it does on a machine that has been up a while.
constexpr uint32_t kVirtualClockStart = 100000000;
uint32_t virtualStep = 0;  // ms per pass; 0 = the host's clock
uint32_t virtualNow = kVirtualClockStart;

// detectDisplay reads the OEM string through the display hooks, which are plain functions.
std::u16string hostOemInfo() { return currentHost != nullptr ? currentHost->oemInfo() : std::u16string(); }

void touch(uint32_t row) {
    BenchmarkState& s = benchmarkState;
    if (s.results != 0) {
        if (row < kWebsiteBandTop) {
            s.upload = 1;
            s.running = s.title = s.exit = s.results = 0;
        } else if (row < kQuietBandTop) {
            s.website = 1;
            s.upload = s.title = s.running = s.exit = s.results = 0;
        } else if (row >= kExitBandTop) {
            s.title = s.upload = s.running = s.results = 0;
            s.exit = 1;
            return;
        }
    }
    // Reached from the title, and from the quiet band of the results, where title is clear.
    if (s.title != 0) {
        endTick = tickCount() + runSeconds * 1000u;
        s.title = 0;
        s.running = 1;
        s.results = 0;
    }
}

}  // namespace

void setHost(Host* host) { currentHost = host; }
Host* activeHost() { return currentHost; }

uint32_t tickCount() {
    if (virtualStep != 0) return virtualNow;
    return currentHost != nullptr ? currentHost->ticks() : 0;
}

bool onVirtualClock() { return virtualStep != 0; }

void windowProc(const HostEvent& event) {
    switch (event.kind) {
    case HostEvent::Kind::keyDown:
        keyState[event.value & 255] = 1;
        anyKeyPressed = 1;
        if (event.value == kKeyButtonA) benchmarkState.exit = 1;
        break;
    case HostEvent::Kind::keyUp:
        keyState[event.value & 255] = 0;
        break;
    case HostEvent::Kind::touch:
        // Only the row counts, taken as the unsigned 16-bit half of the handheld's message.
        touch(static_cast<uint16_t>(event.value));
        break;
    case HostEvent::Kind::quit:
        break;
    }
}

namespace {

// What a pass showed, from the flags before and after it.
Screen shownScreen(const BenchmarkState& before) {
    if (before.title != 0) return Screen::title;
    if (before.running != 0) return benchmarkState.results != 0 ? Screen::lastRunning : Screen::running;
    return benchmarkState.results != 0 ? Screen::results : Screen::ending;
}

uint64_t passCount = 0;  // passes made by this program

}  // namespace

FrameRecord idlePass() {
    const BenchmarkState before = benchmarkState;
    RenderContext& rc = renderContext;
    rc.frameCounter += 1;
    if (rc.frameCounter % 16 == 0 && currentHost != nullptr) currentHost->keepInFront();
    // Each flag is read right before its handler, so a handler that sets a later flag has
    // that handler run in the same pass (the run's last frame gets the results over it).
    if (benchmarkState.title != 0) titleScreen();
    if (benchmarkState.running != 0) runningScreen();
    if (benchmarkState.results != 0) resultsScreen();
    if (benchmarkState.upload != 0) launchUpload();
    if (benchmarkState.website != 0) openWebsite();
    if (faceQueue.itemCount != 0) flushFaceQueue(&faceQueue);
    rc.present();

    FrameRecord record{++passCount, shownScreen(before), 0, ""};
    if (record.screen == Screen::running) {
        const int32_t left = static_cast<int32_t>(endTick - tickCount());
        record.msLeft = left > 0 ? static_cast<uint32_t>(left) : 0;
        record.rate = fpsText;
    }
    if (currentHost != nullptr) currentHost->framePresented(record);
    return record;
}

void resetBenchmark() {
    benchmarkState = BenchmarkState{1, 0, 0, 0, 0, 0};
    endTick = 0;
    std::fill(std::begin(keyState), std::end(keyState), uint8_t{0});
    anyKeyPressed = 0;
    virtualStep = 0;
    virtualNow = kVirtualClockStart;
    passCount = 0;
    renderContext.frameCounter = 0;
    crtSeed(1);  // the runtime's generator as a fresh process finds it
    if (matrixStack.base != nullptr) stackFree(&matrixStack);
    resetStartupTexts();
    resetMeasurement();
}

namespace {

// The figures of the run as the globals hold them after it.
void collectFigures(RunResult& r) {
    r.completed = framesAtEnd != 0;
    r.frames = framesAtEnd;
    r.seconds = runSeconds;
    r.averageTimes100 = averageTimes100();
    // Without a non-zero sample the extremes keep their start values, which are not rates.
    if (fpsMin != 9999999) {
        r.fpsMin = fpsMin;
        r.fpsMax = fpsMax;
    }
    r.device = toUtf8(oemInfo);
    r.version = versionText;
    r.present = renderContext.present;
    r.memory = runMemory();
    r.url = launchedUrl;
    r.stepMs = virtualStep;
    r.sceneFile = dataDir / kSceneFileName;
    r.textureFile = dataDir / kTextureFileName;
    r.benchTriangles = benchObject != nullptr ? benchObject->faceCount : 0;
}

}  // namespace

RunResult runBenchmark(Host& host, const RunSettings& settings) {
    RunResult result;
    setHost(&host);
    if (const InstanceClaim claim = host.claimInstance(); !claim.first) {
        result.secondInstance = true;
        result.otherPid = claim.otherPid;
        return result;
    }
    if (Result opened = host.openWindow(); !opened) {
        result.outcome = std::move(opened);
        return result;
    }
    DisplayHost hooks = host.displayHooks();
    hooks.oemInfo = &hostOemInfo;
    setDisplayHost(hooks);

    runSeconds = settings.seconds;
    virtualStep = settings.stepMs;
    dataDir = settings.dataDir;
    anyKeyPressed = 0;
    std::fill(std::begin(keyState), std::end(keyState), uint8_t{0});
    if (Result started = startup(); !started) {
        benchmarkState.exit = 1;
        result.outcome = std::move(started);
    }
    // Detection runs whether start-up succeeded or not, as on the handheld.
    detectDisplay(&renderContext);
    if (settings.presentOverride != nullptr) renderContext.present = settings.presentOverride;

    while (benchmarkState.exit == 0) {
        HostEvent event{};
        if (host.pollEvent(event)) {
            if (event.kind == HostEvent::Kind::quit) break;
            windowProc(event);
            continue;
        }
        const FrameRecord frame = idlePass();
        ++result.passes;
        virtualNow += virtualStep;
        // The memory figures are read once, as the run ends, so every report agrees.
        if (frame.screen == Screen::lastRunning) static_cast<void>(runMemory());
        if (settings.maxPasses != 0 && result.passes >= settings.maxPasses) benchmarkState.exit = 1;
    }
    benchmarkState.exit = 1;

    host.closeInput();
    host.closeDisplay();
    host.destroyWindow();
    if (result.outcome) collectFigures(result);
    return result;
}

}  // namespace veloxia

// SPDX-License-Identifier: MIT
// The title, running and results screens, the starfield and the frame-rate measurement.
#include <algorithm>
#include <cstring>

#include "app/app.h"
#include "app/app_internal.h"
#include "engine/wrap.h"

namespace veloxia {

Star stars[kStarCount];
uint32_t starColor = 0;
uint32_t framesAtEnd = 0;
uint32_t lastSampleTick = 0;
int32_t fpsMax = 0;
int32_t fpsMin = 9999999;
char fpsText[16] = {};
int32_t angle = 0;
int32_t angleStep = 1;
char16_t minWide[16] = {};
char16_t maxWide[16] = {};
uint32_t runSeconds = 100;

namespace {

constexpr int kBright = 31;  // every text of the screens is drawn at full brightness
constexpr const char* kRule = "-----------------------------";
// The maker's notice of the title screen: '^' is the circled C.
constexpr const char* kMakerNotice = "^2026 VELOXIA SOFT, LLC.";
// A star's cell: its ColorIndex with depth 0x2000 above it, so any object pixel nearer than
// 8192 covers it.
constexpr uint32_t kStarDepth = 0x20000000;

// Made when the program loads, so that no frame allocates (not even the first results frame).
const std::string makerAddress = makerAddressLine();

void text(int x, int y, const char* s, int centre) { renderContext.drawText(x, y, kBright, s, centre); }

// "FOR 100 SECONDS AND " for the standard run; a shortened run names its own length.
void runLengthLine(char* line) {
    char number[16];
    formatDecimal(static_cast<int32_t>(runSeconds), number);
    std::strcpy(line, "FOR ");
    std::strcat(line, number);
    std::strcat(line, runSeconds == 1 ? " SECOND AND " : " SECONDS AND ");
}

// The rate over the last 8 frames, in whole frames per second. A sample over 0 ms cannot be
// divided and is skipped (the previous sample's text and extremes stay).
void takeSample(uint32_t now) {
    const int32_t elapsed = static_cast<int32_t>(now - lastSampleTick);
    lastSampleTick = now;
    if (elapsed == 0) return;
    const int32_t fps = 8000 / elapsed;
    formatDecimal(fps, fpsText);
    if (fps > fpsMax) fpsMax = fps;
    if (fps != 0 && fps < fpsMin) fpsMin = fps;
}

void drawStars() {
    for (Star& s : stars) {
        // Each step is summed in double precision and kept as a float, as the handheld did.
        if (s.direction >= 0) {
            s.brightness = static_cast<float>(static_cast<double>(s.brightness) + 0.2);
            if (s.brightness >= 32.0f) {
                s.brightness = 31.0f;
                s.direction = -1;
            }
        } else {
            s.brightness = static_cast<float>(static_cast<double>(s.brightness) - 0.2);
            if (s.brightness < 8.0f) s.direction = 1;
        }
        const uint32_t level = static_cast<uint32_t>(static_cast<int32_t>(s.brightness));
        FrameBuffer[s.y * kBufferWidth + s.x] = (starColor + level) | kStarDepth;
    }
}

void drawNumber(int x, int y, int32_t value) {
    formatDecimal(value, fpsText);
    text(x, y, fpsText, 0);
}

}  // namespace

void resetMeasurement() {
    std::fill(std::begin(stars), std::end(stars), Star{});
    starColor = 0;
    framesAtEnd = 0;
    lastSampleTick = 0;
    fpsMax = 0;
    fpsMin = 9999999;
    std::fill(std::begin(fpsText), std::end(fpsText), char{0});
    angle = 0;
    angleStep = 1;
    std::fill(std::begin(minWide), std::end(minWide), char16_t{0});
    std::fill(std::begin(maxWide), std::end(maxWide), char16_t{0});
    runSeconds = 100;
    launchedUrl.clear();
    forgetRunMemory();
}

void initStarfield() {
    // Four draws a star, in field order, so every machine sees the same sky.
    for (Star& s : stars) {
        s.x = crtRand() % kBufferWidth;
        s.y = crtRand() % kBufferHeight;
        s.direction = crtRand() % 100 < 50 ? 1 : -1;
        s.brightness = static_cast<float>(crtRand() % 32);
    }
    starColor = static_cast<uint32_t>(makeColorIndex(255, 255, 255));
}

void formatDecimal(int32_t value, char* buffer) {
    static constexpr int32_t kDivisors[] = {1000000, 100000, 10000, 1000, 100, 10};
    bool started = false;
    for (const int32_t divisor : kDivisors) {
        const int32_t q = value / divisor;
        value -= q * divisor;
        started = started || q != 0;
        if (started) *buffer++ = static_cast<char>('0' + q);
    }
    *buffer++ = static_cast<char>('0' + value);
    *buffer = 0;
}

void drawAverage(int32_t x, int32_t y, uint32_t value) {
    if (value < 10000) {
        // The handheld's way, right for four digits: the number with a full stop drawn over it
        // after its second digit, so 2345 reads 23.45.
        drawNumber(x, y, static_cast<int32_t>(value));
        text(x + 15, y + 3, ".", 0);
        return;
    }
    // PC rates: the whole part, the point and two decimals as one text, 164320 as 1643.20.
    // The longest, 999999.99, is 88 pixels wide and ends at column 238 from x = 150.
    value = std::min(value, kLargestAverage);
    formatDecimal(static_cast<int32_t>(value / 100), fpsText);
    const std::size_t n = std::strlen(fpsText);
    fpsText[n] = '.';
    fpsText[n + 1] = static_cast<char>('0' + value / 10 % 10);
    fpsText[n + 2] = static_cast<char>('0' + value % 10);
    fpsText[n + 3] = 0;
    text(x, y, fpsText, 0);
}

uint32_t averageTimes100() {
    // framesAtEnd counts the frames of the whole run; over 100 seconds that is the average
    // rate times 100. A shortened run scales its count to the same measure.
    if (runSeconds == 100 || runSeconds == 0) return framesAtEnd;
    return static_cast<uint32_t>(uint64_t{framesAtEnd} * 100u / runSeconds);
}

void titleScreen() {
    char runLength[32];
    runLengthLine(runLength);
    text(0, 1, "VELOXIA 3D BENCHMARK", 1);
    text(0, 18, versionLine, 1);
    text(0, 28, kRule, 1);
    text(0, 40, kMakerNotice, 1);
    text(0, 120, "THIS PROGRAM WILL RUN", 1);
    text(0, 140, runLength, 1);
    text(0, 160, "THEN DISPLAY RESULTS..", 1);
    text(0, 264, kRule, 1);
    text(0, 280, "~TAP HERE TO START TEST", 1);
    text(0, 300, "BUTTON A TO EXIT", 1);
    // The run's frame count starts from 1 on its first pass.
    renderContext.frameCounter = 0;
}

void runningScreen() {
    const uint32_t now = tickCount();
    const uint32_t n = renderContext.frameCounter;
    // Past endTick by a signed difference, so a tick count that wraps during the run does not
    // end it early.
    if (static_cast<int32_t>(now - endTick) > 0) {
        framesAtEnd = n;
        benchmarkState.title = 0;
        benchmarkState.running = 0;
        benchmarkState.results = 1;
    }
    if (n % 8 == 0) takeSample(now);
    text(0, 0, fpsText, 0);
    drawStars();

    angle = wrapAdd(angle, wrapMul(angleStep, 17));
    renderRunningObject(angle);
}

void pushRunningMatrices(const SceneObject* object, int32_t turn) {
    MatrixStack* ms = &matrixStack;
    stackPush(ms);
    matTranslate(ms->top, 0, 0, -kRunningObjectDistance);
    matRotateZ(ms->top, turn / 20);
    stackPush(ms);
    matRotateY(ms->top, turn / 10);
    matMultiply(ms->top, &object->matrix);
}

void popRunningMatrices() {
    stackPop(&matrixStack);
    stackPop(&matrixStack);
}

void renderRunningObject(int32_t turn, SceneObject* object) {
    pushRunningMatrices(object, turn);
    renderObject(&renderContext, object);
    popRunningMatrices();
}

void resultsScreen() {
    angle = wrapAdd(angle, wrapMul(angleStep, 17));
    MatrixStack* ms = &matrixStack;
    stackPush(ms);
    Mat34& top = *ms->top;
    top[9] = 200;
    top[10] = 200;
    top[11] = -800;
    matRotateX(ms->top, angle / 20);
    matRotateZ(ms->top, angle / 10);
    matMultiply(ms->top, &benchObject->matrix);
    renderObject(&renderContext, benchObject);
    stackPop(ms);

    text(0, 5, "VELOXIA 3D BENCHMARK", 1);
    text(0, 20, kRule, 1);
    drawAverage(150, 40, averageTimes100());
    text(10, 40, "AVERAGE FPS:", 0);
    text(10, 60, "MIN FPS:", 0);
    drawNumber(150, 60, fpsMin);
    widenText(minWide, fpsText);
    text(10, 80, "MAX FPS:", 0);
    drawNumber(150, 80, fpsMax);
    widenText(maxWide, fpsText);
    text(0, 150, kRule, 1);
    text(0, 165, "~TAP HERE TO SEND YOUR", 1);
    text(0, 185, "TEST RESULTS TO", 1);
    text(0, 205, "VELOXIA SOFT, LLC.", 1);
    text(0, 225, "NO PERSONAL INFO WILL", 1);
    text(0, 245, "BE SENT.", 1);
    text(0, 260, kRule, 1);
    text(0, 272, makerAddress.c_str(), 1);
    text(0, 288, kRule, 1);
    text(0, 304, "~TAP HERE TO EXIT", 1);
}

}  // namespace veloxia

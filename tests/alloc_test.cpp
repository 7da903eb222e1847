// SPDX-License-Identifier: MIT
// No allocation per frame: the whole program (start-up, the run, the results screen) with the
// default data files, under a global operator new that counts. After the first frame every
// frame must allocate nothing, whichever screen draws it and whichever present routine runs.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "app/app.h"

namespace {

std::atomic<uint64_t> allocations{0};

void* counted(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

void* countedAligned(std::size_t size, std::align_val_t alignment) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    const std::size_t a = static_cast<std::size_t>(alignment);
    if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a)) return p;
    throw std::bad_alloc();
}

}  // namespace

// Every replaceable allocation form goes through the counter; the nothrow and array forms too.
void* operator new(std::size_t size) { return counted(size); }
void* operator new[](std::size_t size) { return counted(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try { return counted(size); } catch (...) { return nullptr; }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try { return counted(size); } catch (...) { return nullptr; }
}
void* operator new(std::size_t size, std::align_val_t a) { return countedAligned(size, a); }
void* operator new[](std::size_t size, std::align_val_t a) { return countedAligned(size, a); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

namespace {

using namespace veloxia;

// A host that itself allocates nothing per frame: it taps the title once and records the
// allocation counter after every presented frame (into storage reserved up front).
class CountingHost : public Host {
public:
    explicit CountingHost(std::size_t frames) { afterFrame.reserve(frames + 1); }

    InstanceClaim claimInstance() override { return {true, 0}; }
    Result openWindow() override { return Result::success(); }
    uint32_t ticks() override { return 0; }
    bool pollEvent(HostEvent& event) override {
        if (tapped) return false;
        tapped = true;
        renderContext.presentRotation = rotation;  // after start-up, which initialises the engine
        event = {HostEvent::Kind::touch, 100};
        return true;
    }
    void framePresented(const FrameRecord&) override {
        if (afterFrame.size() < afterFrame.capacity()) afterFrame.push_back(allocations.load());
    }
    std::u16string oemInfo() override { return oem; }
    MemoryStatus memoryStatus() override { return {}; }
    std::filesystem::path executableDirectory() override { return VX_BINARY_DIR "/bin"; }
    void openBrowser(const std::string&) override {}

    std::u16string oem;
    uint32_t rotation = 0;
    std::vector<uint64_t> afterFrame;  // the counter after frame 1, 2, ...
    bool tapped = false;
};

// Runs `frames` frames of a 1-second run (100 running frames, then the results screen) and
// expects no allocation in any frame after the first.
void expectNoAllocationPerFrame(const std::u16string& oem, uint32_t rotation) {
    constexpr std::size_t kFrames = 160;
    resetBenchmark();
    CountingHost host(kFrames);
    host.oem = oem;
    host.rotation = rotation;
    RunSettings settings;
    settings.seconds = 1;
    settings.stepMs = 10;
    settings.maxPasses = kFrames;
    const RunResult result = runBenchmark(host, settings);
    ASSERT_TRUE(result.outcome) << result.outcome.reason();
    ASSERT_EQ(host.afterFrame.size(), kFrames);
    EXPECT_EQ(benchmarkState.results, 1u) << "the run should have reached the results screen";
    for (std::size_t frame = 1; frame < kFrames; ++frame) {
        EXPECT_EQ(host.afterFrame[frame], host.afterFrame[frame - 1]) << "frame " << frame + 1 << " allocated";
    }
    resetBenchmark();
    setHost(nullptr);
}

TEST(Allocation, NoFrameAllocatesAfterTheFirst) {
    // The three present routines, each in both senses.
    for (const char16_t* oem : {u"Generic", u"Palmax", u"Compaq iPAQ H3870"}) {
        for (uint32_t rotation : {0u, 1u}) {
            SCOPED_TRACE(testing::Message() << "rotation " << rotation);
            expectNoAllocationPerFrame(oem, rotation);
        }
    }
}

void* volatile sink = nullptr;

TEST(Allocation, TheCounterSeesAllocations) {
    const uint64_t before = allocations.load();
    sink = ::operator new(16);
    ::operator delete(sink);
    sink = ::operator new[](16, std::nothrow);
    ::operator delete[](sink);
    EXPECT_EQ(allocations.load(), before + 2);
}

}  // namespace

// The engine runs inside the MIDI input callback: it must never allocate. Every
// form of the global operator new and delete is replaced here by a counting one,
// and a long mixed stream must leave the count where it was.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "midi/entry_activity.h"
#include "tests/core/engine_harness.h"

namespace {

std::atomic<long> gAllocations{0};

void* Allocate(std::size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

void* AllocateAligned(std::size_t size, std::align_val_t align) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    void* p = nullptr;
    const std::size_t a = std::max(static_cast<std::size_t>(align), sizeof(void*));
    if (posix_memalign(&p, a, size ? size : 1) != 0) throw std::bad_alloc();
    return p;
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new(std::size_t size, std::align_val_t a) { return AllocateAligned(size, a); }
void* operator new[](std::size_t size, std::align_val_t a) { return AllocateAligned(size, a); }
void* operator new(std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
    try {
        return AllocateAligned(size, a);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
    try {
        return AllocateAligned(size, a);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }

namespace ostrel::test {
namespace {

TEST(EngineNoAllocationTest, CountingNewSeesAllocations) {
    // The counter works: a string too long for its own storage allocates.
    const long before = gAllocations.load();
    void* raw = ::operator new(64);
    ::operator delete(raw);
    const std::string text(200, 'x');
    EXPECT_EQ(text.size(), 200u);
    EXPECT_GE(gAllocations.load() - before, 2);
}

TEST(EngineNoAllocationTest, LongMixedStreamAllocatesNothing) {
    AssignmentTable table;
    CurrentCurves curves;
    table.Set(Entry::KNOB01, "007");
    table.Set(Entry::KNOB02, "###");
    table.Set(Entry::VOL03, "011");
    table.Set(Entry::VOLM, "007");
    table.Set(Entry::PITCH, "001");
    table.Set(Entry::CHANEL, "003");
    table.SetNote(60, "064");
    table.SetNote(62, "###");
    curves.Of(CurveKind::Velocity).SetAll(WorkedExampleCurve());
    curves.Of(CurveKind::Touch).SetAll(CurvePoints{10, 200, 240, 20, 256, 256});
    TranslationEngine engine(table, curves);
    // What the pass-through does with each decision: stamps the entries for the
    // window's lights, and reads their codes for a monitor entry.
    EntryActivity activity;
    DecidingCodes codes;
    const auto decided = [&](const TranslateResult& r) {
        activity.Fire(r.decision);
        codes = CodesOf(table, r.decision);
        return r.outLength;
    };

    // Built before counting: the stream itself lives in fixed arrays.
    const uint8_t shorts[][3] = {
        {0xB0, 0x4A, 0x10}, {0xB3, 0x47, 0x20}, {0xB2, 0x07, 0x30}, {0xB0, 0x27, 0x40},
        {0x90, 60, 0x40},   {0x80, 60, 0x40},   {0x90, 61, 0x33},   {0x90, 62, 0x33},
        {0x91, 64, 0x50},   {0xD0, 0x45, 0},    {0xD7, 0x12, 0},    {0xE0, 0x00, 0x40},
        {0xF8, 0, 0},       {0xFA, 0, 0},       {0xFC, 0, 0},       {0xF2, 0x10, 0x00},
        {0xF2, 0x08, 0x00}, {0xF2, 0x00, 0x00}, {0xFE, 0, 0},       {0xC0, 0x05, 0},
        {0xA0, 0x3C, 0x10}, {0xB5, 0x55, 0x10}, {0xF6, 0, 0},
    };
    const uint8_t sysex[][11] = {
        {0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x7F, 0x64, 0xF7},
        {0xF0, 0x7F, 0x00, 0x06, 0x06, 0xF7},
        {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7},
        {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7},
        {0xF0, 0x00, 0x5A, 0x52, 0x4B, 0x0B, 0xF7},
    };
    const int sysexLength[] = {8, 6, 6, 11, 7};
    uint8_t message[kMessageBufferSize];
    uint8_t work[kMessageBufferSize];
    long sent = 0;

    const long before = gAllocations.load();
    for (int round = 0; round < 2000; ++round) {
        for (const auto& s : shorts) {
            std::memset(message, 0, sizeof message);
            std::memcpy(message, s, 3);
            sent += decided(engine.TranslateMessage(message, 4, work));
        }
        for (int k = 0; k < 5; ++k) {
            std::memset(message, 0, sizeof message);
            std::memcpy(message, sysex[k], sysexLength[k]);
            sent += decided(engine.TranslateMessage(message, sysexLength[k], work));
        }
        std::memset(message, 0x11, sizeof message);
        message[0] = 0xF0;
        message[255] = 0xF7;
        sent += engine.TranslateMessage(message, kMessageBufferSize, work).changedCount;
    }
    const long after = gAllocations.load();

    EXPECT_EQ(after, before);
    EXPECT_GT(sent, 0);
    EXPECT_NE(activity.LastFired(EntryActivity::SlotOf(Entry::KNOB01)), 0u);
}

}  // namespace
}  // namespace ostrel::test

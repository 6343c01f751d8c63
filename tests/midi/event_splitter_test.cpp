// Every input event stands alone: a System Exclusive event that never ended is
// taken apart from the events a MIDI library glued to it.
#include "midi/event_splitter.h"

#include <gtest/gtest.h>

#include <vector>

namespace ostrel {
namespace {

using Bytes = std::vector<uint8_t>;

std::vector<Bytes> Split(const Bytes& joined) {
    std::vector<Bytes> events;
    SplitJoinedEvents(joined.data(), joined.size(),
                      [&](const uint8_t* b, size_t n) { events.emplace_back(b, b + n); });
    return events;
}

TEST(EventSplitter, JoinedEventsStandAloneAgain) {
    const struct {
        const char* what;
        Bytes joined;
        std::vector<Bytes> events;
    } cases[] = {
        {"a complete message", {0xF0, 0x01, 0x02, 0xF7}, {{0xF0, 0x01, 0x02, 0xF7}}},
        {"a short message", {0x90, 0x3C, 0x64}, {{0x90, 0x3C, 0x64}}},
        {"unterminated, then notes",
         {0xF0, 0x00, 0x5A, 0x90, 0x3C, 0x64, 0x80, 0x3C, 0x00, 0xF8},
         {{0xF0, 0x00, 0x5A}, {0x90, 0x3C, 0x64}, {0x80, 0x3C, 0x00}, {0xF8}}},
        {"unterminated, then a whole one",
         {0xF0, 0x01, 0xF0, 0x02, 0xF7, 0xC0, 0x05},
         {{0xF0, 0x01}, {0xF0, 0x02, 0xF7}, {0xC0, 0x05}}},
        {"never ends at all", {0xF0, 0x01, 0x02}, {{0xF0, 0x01, 0x02}}},
        {"a stray end mark and data",
         {0xF0, 0x01, 0xB0, 0x07, 0x10, 0xF7, 0x11},
         {{0xF0, 0x01}, {0xB0, 0x07, 0x10}}},
        {"a message cut short at the end", {0xF0, 0xF7, 0x90, 0x3C}, {{0xF0, 0xF7}, {0x90, 0x3C}}},
        {"two notes in one event",
         {0x90, 0x3E, 0x64, 0x80, 0x3E, 0x00},
         {{0x90, 0x3E, 0x64}, {0x80, 0x3E, 0x00}}},
        {"a program change cut short, a clock", {0xC0, 0xF8}, {{0xC0}, {0xF8}}},
        {"data bytes without a status", {0x3C, 0x64}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Split(c.joined), c.events);
    }
}

}  // namespace
}  // namespace ostrel

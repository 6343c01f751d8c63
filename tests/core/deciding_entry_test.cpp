// The entry that decided each kind of message, and which later steps changed it,
// for one message of every kind of step, played in order through one engine.
#include <gtest/gtest.h>

#include "tests/core/engine_harness.h"

namespace ostrel::test {
namespace {

class DecidingEntryTest : public EngineTest {
  protected:
    Decision DecisionFor(const Bytes& bytes) {
        if (bytes[0] != 0xF0)
            return engine.TranslateMessage(ReadShort(bytes.data(), bytes.size())).decision;
        uint8_t message[kMessageBufferSize] = {};
        uint8_t work[kMessageBufferSize] = {};
        std::memcpy(message, bytes.data(), bytes.size());
        return engine.TranslateMessage(message, static_cast<int>(bytes.size()), work).decision;
    }
};

TEST_F(DecidingEntryTest, EveryKindOfStepNamesItsEntry) {
    table.Set(Entry::KNOB01, "007");
    table.Set(Entry::KNOB08, "016");  // not a code the tempo knob knows: not recognised
    table.Set(Entry::CHANEL, "001");
    table.SetNote(60, "064");
    curves.Of(CurveKind::Velocity).SetAll(WorkedExampleCurve());
    curves.Of(CurveKind::Touch).SetAll(CurvePoints{10, 200, 240, 20, 256, 256});
    constexpr int8_t none = kNoEntry;
    const auto e = [](Entry entry) { return static_cast<int8_t>(entry); };
    const struct {
        Bytes message;
        int8_t entry;
        uint8_t note;
        uint8_t changedBy;
    } cases[] = {
        {{0xB0, 0x4A, 0x40}, e(Entry::KNOB01), kNoNote, 0},  // already on channel 1
        {{0xB2, 0x4A, 0x40}, e(Entry::KNOB01), kNoNote, kByChannel},
        {{0xF8}, none, kNoNote, 0},
        {{0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x7F, 0x64, 0xF7}, e(Entry::VOLM), kNoNote, 0},
        {{0xB1, 0x07, 0x64}, e(Entry::VOL02), kNoNote, kByChannel},
        {{0xF2, 0x00, 0x00}, e(Entry::RTZ), kNoNote, 0},
        {{0xF2, 0x10, 0x00}, e(Entry::FF), kNoNote, 0},
        {{0xF2, 0x08, 0x00}, e(Entry::REW), kNoNote, 0},
        {{0xF0, 0x7F, 0x00, 0x06, 0x06, 0xF7}, e(Entry::REC), kNoNote, 0},
        {{0xF2, 0x00, 0x00}, e(Entry::REC), kNoNote, 0},  // swallowed after the record strobe
        {{0xFC}, e(Entry::STOP), kNoNote, 0},
        {{0xE3, 0x00, 0x40}, e(Entry::PITCH), kNoNote, kByChannel},
        {{0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7}, e(Entry::XGON), kNoNote, 0},
        {{0x90, 60, 0x64}, none, 60, kByNoteMap},
        {{0x90, 61, 0x64}, none, 61, kByVelocityCurve},
        {{0x90, 61, 0x7F}, none, 61, 0},                // 127 stays 127
        {{0x91, 60, 0x64}, none, kNoNote, kByChannel},  // the note map is channel 1's
        {{0xD0, 0x40}, none, kNoNote, kByTouchCurve},
        {{0xC5, 0x05}, none, kNoNote, kByChannel},
        {{0xF6}, none, kNoNote, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.message));
        const Decision d = DecisionFor(c.message);
        EXPECT_EQ(d.entry, c.entry);
        EXPECT_EQ(d.note, c.note);
        EXPECT_EQ(d.changedBy, c.changedBy);
    }
}

}  // namespace
}  // namespace ostrel::test

// The plan is the engine worked out in advance: for a set of tables and curves,
// both must give the same message and decision for every short message the plan
// decides, every data byte included.
#include "core/translation_plan.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/translation_engine.h"
#include "support/mixed_stream.h"

namespace ostrel {
namespace {

// Every control entry and note cell set to code(i) for its index i.
template <typename F>
void SetAll(AssignmentTable& table, F code) {
    for (int e = 0; e < kControlEntryCount; ++e)
        table.Set(EntryAt(e), std::string(code(e)).c_str());
    for (int n = 0; n < kNoteMapSize; ++n) table.SetNote(n, std::string(code(n)).c_str());
}

const struct {
    const char* name;
    void (*setUp)(AssignmentTable&);
} kTables[] = {
    {"defaults", [](AssignmentTable&) {}},
    {"players'",
     [](AssignmentTable& t) {
         CurrentCurves unused;
         test::SetUpPlayersTable(t, unused);
     }},
    {"all off", [](AssignmentTable& t) { SetAll(t, [](int) { return "###"; }); }},
    {"all controllers, channel 16",
     [](AssignmentTable& t) {
         SetAll(t, [](int i) { return std::to_string((i * 37 + 5) % 128); });
         t.Set(Entry::CHANEL, "016");
     }},
    {"unknown codes",
     [](AssignmentTable& t) { SetAll(t, [](int i) { return i % 2 ? "abc" : "200"; }); }},
    {"note map off, replaced and passed, channel 1",
     [](AssignmentTable& t) {
         SetAll(t, [](int i) { return i % 3 == 0 ? "###" : i % 3 == 1 ? "064" : "***"; });
         t.Set(Entry::CHANEL, "001");
     }},
};

// Both curves send low values to 0 and high ones to 127.
constexpr CurvePoints kSteep = {100, 256, 156, 0, 256, 256};

std::string Show(const TranslatedShort& t) {
    char text[96];
    std::snprintf(text, sizeof text, "%02X %02X %02X (%d bytes), %d steps, entry %d note %d by %d",
                  t.message.bytes[0], t.message.bytes[1], t.message.bytes[2], t.message.length,
                  t.matchedSteps, t.decision.entry, t.decision.note, t.decision.changedBy);
    return text;
}

bool Same(const TransportMemory& a, const TransportMemory& b) {
    return a.recPending == b.recPending && a.lastSongPosition == b.lastSongPosition;
}

TEST(TranslationPlanTest, GivesWhatTheEngineGivesForEveryShortMessage) {
    for (const auto& tableCase : kTables) {
        for (const CurvePoints& points : {CurvePoints{}, kSteep}) {  // identity, steep
            AssignmentTable table;
            tableCase.setUp(table);
            CurrentCurves curves;
            curves.Of(CurveKind::Velocity).SetAll(points);
            curves.Of(CurveKind::Touch).SetAll(points);
            TranslationEngine engine(table, curves);
            const TranslationPlan plan(table);
            const CurveValues values = curves.Values();
            TransportMemory transport;
            int mismatches = 0;
            for (int status = 0x80; status <= 0xFF; ++status) {
                const ShortMessage bare = MakeShort(static_cast<uint8_t>(status));
                if (bare.length == 0 || status == 0xF7) continue;
                // Every value of each data byte that the status implies.
                for (int k = 0; k < 1 << 8 * (bare.length - 1); ++k) {
                    const ShortMessage in = MakeShort(bare.bytes[0], static_cast<uint8_t>(k),
                                                      static_cast<uint8_t>(k >> 8));
                    const TranslatedShort expected = engine.TranslateMessage(in);
                    const TranslatedShort got = plan.Translate(in, values, transport);
                    if (std::memcmp(&got, &expected, sizeof got) == 0 &&
                        Same(transport, engine.Transport()))
                        continue;
                    ADD_FAILURE() << tableCase.name << (points.width ? ", steep" : ", identity")
                                  << " curves: " << Show({in, 0, {}}) << " gives " << Show(got)
                                  << ", the engine " << Show(expected);
                    ASSERT_LT(++mismatches, 5);
                }
            }
        }
    }
}

// System Exclusive, whole, cut short, longer or one byte off, between song
// positions that a record strobe and its exit decide.
TEST(TranslationPlanTest, GivesWhatTheEngineGivesForSystemExclusiveAndTheTransport) {
    const std::vector<std::vector<uint8_t>> messages = {
        {0xF0, 0x7F, 0x00, 0x06, 0x06, 0xF7},
        {0xF2, 0x10, 0x00},
        {0xF2, 0x10, 0x00},
        {0xF2, 0x08, 0x00},
        {0xF2, 0x00, 0x00},
        {0xF0, 0x7F, 0x00, 0x06, 0x07, 0xF7},
        {0xF2, 0x00, 0x00},
        {0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x7F, 0x64, 0xF7},
        {0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x7F},
        {0xF0, 0x7F, 0x7F, 0x04, 0x01},
        {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7},
        {0xF0, 0x7E, 0x7F, 0x09, 0x01},
        {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF7},
        {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7},
        {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7},
        {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x01, 0x41, 0xF7},
        {0xF0, 0x00, 0x5A, 0x52, 0x4B, 0x0B, 0xF7},
        {0xF0, 0xF7},
        {0xF0},
    };
    for (const auto& tableCase : kTables) {
        AssignmentTable table;
        tableCase.setUp(table);
        CurrentCurves curves;
        TranslationEngine engine(table, curves);
        const TranslationPlan plan(table);
        const CurveValues values = curves.Values();
        TransportMemory transport;
        for (const auto& m : messages) {
            SCOPED_TRACE(std::string(tableCase.name) + ", " +
                         Show({ReadShort(m.data(), m.size()), 0, {}}) + ", " +
                         std::to_string(m.size()) + " bytes");
            if (m[0] != 0xF0) {
                const TranslatedShort expected = engine.TranslateMessage(ReadShort(m.data(), 3));
                const TranslatedShort got =
                    plan.Translate(ReadShort(m.data(), 3), values, transport);
                EXPECT_EQ(Show(got), Show(expected));
            } else {
                uint8_t message[kMessageBufferSize] = {}, work[kMessageBufferSize] = {};
                std::memcpy(message, m.data(), m.size());
                const TranslateResult expected =
                    engine.TranslateMessage(message, static_cast<int>(m.size()), work);
                const TranslatedLong got = plan.TranslateLong(m.data(), m.size(), transport);
                using Out = TranslatedLong::Out;
                const Out out = expected.matchedSteps == 0 ? Out::Unchanged
                                : expected.outLength == 0  ? Out::Suppressed
                                : work[0] != 0xF0          ? Out::Replaced
                                                           : Out::Unchanged;
                EXPECT_EQ(got.out, out);
                if (out == Out::Replaced) {
                    EXPECT_EQ(MessageOf(got.replacement), ReadShort(work, 3));
                }
                EXPECT_EQ(got.matchedSteps, expected.matchedSteps);
                EXPECT_EQ(got.decision, WordOf(expected.decision));
            }
            EXPECT_TRUE(Same(transport, engine.Transport()));
        }
    }
}

}  // namespace
}  // namespace ostrel

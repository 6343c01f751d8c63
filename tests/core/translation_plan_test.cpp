// The plan is the engine worked out in advance: for a set of tables and curves,
// both must give the same message and decision for every short message the plan
// decides, every data byte included.
#include "core/translation_plan.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

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
            int mismatches = 0;
            for (int status = 0x80; status <= 0xFF; ++status) {
                const ShortMessage bare = MakeShort(static_cast<uint8_t>(status));
                if (bare.length == 0 || status == 0xF7 || !TranslationPlan::Decides(bare)) continue;
                // Every value of each data byte that the status implies.
                for (int k = 0; k < 1 << 8 * (bare.length - 1); ++k) {
                    const ShortMessage in = MakeShort(bare.bytes[0], static_cast<uint8_t>(k),
                                                      static_cast<uint8_t>(k >> 8));
                    const TranslatedShort expected = engine.TranslateMessage(in);
                    const TranslatedShort got = plan.Translate(in, values);
                    if (std::memcmp(&got, &expected, sizeof got) == 0) continue;
                    ADD_FAILURE() << tableCase.name << (points.width ? ", steep" : ", identity")
                                  << " curves: " << Show({in, 0, {}}) << " gives " << Show(got)
                                  << ", the engine " << Show(expected);
                    ASSERT_LT(++mismatches, 5);
                }
            }
        }
    }
}

}  // namespace
}  // namespace ostrel

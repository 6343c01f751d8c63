// The plan is the engine worked out in advance: for a set of tables and curves,
// both must give the same message and decision for every short message the plan
// decides, every data byte included.
#include "core/translation_plan.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/translation_engine.h"
#include "support/mixed_stream.h"

namespace ostrel {
namespace {

std::string Code(int n) {
    char text[8];
    std::snprintf(text, sizeof text, "%03d", n);
    return text;
}

// Every control entry and note cell set to code(i) for its index i.
template <typename F>
void SetAll(AssignmentTable& table, F code) {
    for (int e = 0; e < kControlEntryCount; ++e) table.Set(EntryAt(e), code(e).c_str());
    for (int n = 0; n < kNoteMapSize; ++n) table.SetNote(n, code(n).c_str());
}

struct TableCase {
    const char* name;
    void (*setUp)(AssignmentTable&);
};

const TableCase kTables[] = {
    {"defaults", [](AssignmentTable&) {}},
    {"players'",
     [](AssignmentTable& t) {
         CurrentCurves unused;
         test::SetUpPlayersTable(t, unused);
     }},
    {"all off", [](AssignmentTable& t) { SetAll(t, [](int) { return std::string("###"); }); }},
    {"all controllers, channel 16",
     [](AssignmentTable& t) {
         SetAll(t, [](int i) { return Code((i * 37 + 5) % 128); });
         t.Set(Entry::CHANEL, "016");
     }},
    {"unknown codes",
     [](AssignmentTable& t) {
         SetAll(t, [](int i) { return std::string(i % 2 ? "abc" : "200"); });
     }},
    {"note map off, replaced and passed, channel 1",
     [](AssignmentTable& t) {
         for (int n = 0; n < kNoteMapSize; n += 3) t.SetNote(n, "###");
         for (int n = 1; n < kNoteMapSize; n += 3) t.SetNote(n, Code(n % 128).c_str());
         t.Set(Entry::CHANEL, "001");
     }},
};

struct CurveCase {
    const char* name;
    CurvePoints points;  // both curves
};

// Identity (the curves' start), and one that sends low values to 0 and high
// ones to 127.
const CurveCase kCurves[] = {
    {"identity curves", {}},
    {"steep curves", {100, 256, 156, 0, 256, 256}},
};

std::string Bytes(ShortMessage m) {
    char text[32];
    std::snprintf(text, sizeof text, "%02X %02X %02X (%d bytes)", m.bytes[0], m.bytes[1],
                  m.bytes[2], m.length);
    return text;
}

std::string Show(const TranslatedShort& t) {
    char text[64];
    std::snprintf(text, sizeof text, ", %d steps, entry %d note %d by %d", t.matchedSteps,
                  t.decision.entry, t.decision.note, t.decision.changedBy);
    return Bytes(t.message) + text;
}

bool operator==(const TranslatedShort& a, const TranslatedShort& b) {
    return a.message == b.message && a.matchedSteps == b.matchedSteps &&
           a.decision.entry == b.decision.entry && a.decision.note == b.decision.note &&
           a.decision.changedBy == b.decision.changedBy && a.decision.heldOn == b.decision.heldOn;
}

TEST(TranslationPlanTest, GivesWhatTheEngineGivesForEveryShortMessage) {
    for (const TableCase& tableCase : kTables) {
        for (const CurveCase& curveCase : kCurves) {
            AssignmentTable table;
            tableCase.setUp(table);
            CurrentCurves curves;
            if (curveCase.points.width != 0) {
                curves.Of(CurveKind::Velocity).SetAll(curveCase.points);
                curves.Of(CurveKind::Touch).SetAll(curveCase.points);
            }
            TranslationEngine engine(table, curves);
            const TranslationPlan plan(table, curves.Values());
            int mismatches = 0;
            for (int status = 0x80; status <= 0xFF; ++status) {
                const int length = ShortMessageLength(static_cast<uint8_t>(status));
                if (length == 0 || status == midi::kEndOfExclusive ||
                    !TranslationPlan::Decides(MakeShort(static_cast<uint8_t>(status))))
                    continue;
                for (int data1 = 0; data1 < (length > 1 ? 256 : 1); ++data1) {
                    for (int data2 = 0; data2 < (length > 2 ? 256 : 1); ++data2) {
                        const ShortMessage in =
                            MakeShort(static_cast<uint8_t>(status), static_cast<uint8_t>(data1),
                                      static_cast<uint8_t>(data2));
                        const TranslatedShort expected = engine.TranslateMessage(in);
                        const TranslatedShort got = plan.Translate(in);
                        if (got == expected) continue;
                        ADD_FAILURE()
                            << tableCase.name << ", " << curveCase.name << ": " << Bytes(in)
                            << " gives " << Show(got) << ", the engine " << Show(expected);
                        ASSERT_LT(++mismatches, 5);
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace ostrel

#pragma once
// Everything a cycle reads that the user changes, as one immutable value: the
// live table and the scenes' tables, each with its translation plan, the
// curves' value tables and the setlist's triggers. The MIDI thread takes it with one load at the
// start of a cycle (ReadCopyCell); every change builds a new one off the MIDI thread.
#include <cstdint>
#include <memory>
#include <vector>

#include "core/assignment_table.h"
#include "core/setlist.h"
#include "core/translation_plan.h"
#include "curves/current_curve.h"
#include "midi/scene_tables.h"

namespace ostrel {

// One table as a cycle translates with it: its plan, which decides every
// message, and its codes (for the table in force that the window shows and
// for the monitor's explanations).
struct TableTranslation {
    explicit TableTranslation(const AssignmentTable& source);
    AssignmentTable table;
    TranslationPlan plan;
};

struct CycleSnapshot {
    std::shared_ptr<const TableTranslation> live;
    std::vector<std::shared_ptr<const TableTranslation>> scenes;  // empty: no setlist
    SetlistTriggers triggers;
    CurveValues curves;
    // Counts the scene lists set: a new count puts scene 1 in force (a table of
    // a scene read again keeps the scene in force).
    uint64_t sceneStarts = 0;

    int SceneCount() const { return static_cast<int>(scenes.size()); }
    // What translates in the scene in force (the live table without scenes).
    const TableTranslation& InForce(int scene) const {
        return scenes.empty() ? *live : *scenes[static_cast<size_t>(scene)];
    }
};

// The publisher's side, on the publishing thread only (the window's, or the
// command line's): where each snapshot comes from, and the translations
// already worked out, so that a box edit works out only the table it changed.
class SnapshotBuilder {
  public:
    SnapshotBuilder(const AssignmentTable& live, const CurrentCurves& curves)
        : live_(live), curves_(curves) {}

    // The scenes from now on (null: none), scene 1 in force.
    void SetScenes(const SceneTables* scenes);
    std::unique_ptr<const CycleSnapshot> Build();

  private:
    std::shared_ptr<const TableTranslation> TranslationOf(const AssignmentTable& table);

    struct Worked {
        const AssignmentTable* table;
        uint64_t generation;
        std::shared_ptr<const TableTranslation> translation;
    };
    const AssignmentTable& live_;
    const CurrentCurves& curves_;
    const SceneTables* scenes_ = nullptr;
    uint64_t sceneStarts_ = 0;
    std::vector<Worked> worked_;  // of the last snapshot built
};

}  // namespace ostrel

#include "midi/cycle_snapshot.h"

#include <algorithm>

namespace ostrel {

namespace {

const AssignmentTable& Copied(AssignmentTable& to, const AssignmentTable& from) {
    to.CopyFrom(from);
    return to;
}

}  // namespace

TableTranslation::TableTranslation(const AssignmentTable& source) : plan(Copied(table, source)) {}

void SnapshotBuilder::SetScenes(const SceneTables* scenes) {
    scenes_ = scenes;
    ++sceneStarts_;
}

std::shared_ptr<const TableTranslation> SnapshotBuilder::TranslationOf(
    const AssignmentTable& table) {
    const uint64_t generation = table.Generation();
    for (const Worked& w : worked_)
        if (w.table == &table && w.generation == generation) return w.translation;
    return std::make_shared<const TableTranslation>(table);
}

std::unique_ptr<const CycleSnapshot> SnapshotBuilder::Build() {
    auto snapshot = std::make_unique<CycleSnapshot>();
    snapshot->curves = curves_.Values();
    std::vector<Worked> worked;
    const auto translate = [&](const AssignmentTable& table) {
        worked.push_back({&table, table.Generation(), TranslationOf(table)});
        return worked.back().translation;
    };
    snapshot->live = translate(live_);
    if (scenes_ != nullptr) {
        for (const AssignmentTable* table : scenes_->tables)
            snapshot->scenes.push_back(translate(*table));
        snapshot->triggers = scenes_->triggers;
    }
    snapshot->sceneStarts = sceneStarts_;
    worked_ = std::move(worked);
    return snapshot;
}

}  // namespace ostrel

#pragma once
// The scenes of an open setlist as the MIDI thread reads them (PassThrough::
// SetScenes), built the one way the window and ostrel-cli both use.
#include <vector>

#include "core/assignment_table.h"
#include "core/setlist.h"

namespace ostrel {

// Every table read in full beforehand, and the triggers that switch between
// them. The pass-through works each table out into its snapshot when the list
// is set, and again whenever a cell of one is written (a box edit of the scene
// in view), as it does for the live table.
struct SceneTables {
    std::vector<AssignmentTable*> tables;
    SetlistTriggers triggers;
};

// The tables of the scenes that were read, in order, and the setlist's
// triggers; the tables stay loaded's.
SceneTables ScenesOf(const LoadedSetlist& loaded);

}  // namespace ostrel

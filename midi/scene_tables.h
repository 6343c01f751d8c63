#pragma once
// The scenes of an open setlist as the MIDI thread reads them (PassThrough::
// SetScenes), built the one way the window and ostrel-cli both use.
#include <vector>

#include "core/assignment_table.h"
#include "core/setlist.h"

namespace ostrel {

// Every table read in full beforehand, and the triggers that switch between
// them. The list itself stays as it is while it is set (a file read again
// gives a new list: ReplaceScenes), but a box edit writes single cells of the
// scene in view at once, as it does those of the live table.
struct SceneTables {
    std::vector<const AssignmentTable*> tables;
    SetlistTriggers triggers;
};

// The tables of the scenes that were read, in order, and the setlist's
// triggers; the tables stay loaded's.
SceneTables ScenesOf(const LoadedSetlist& loaded);

}  // namespace ostrel

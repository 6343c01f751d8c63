#include "midi/scene_tables.h"

namespace ostrel {

SceneTables ScenesOf(const LoadedSetlist& loaded) {
    SceneTables scenes;
    for (const Scene& scene : loaded.scenes) scenes.tables.push_back(scene.table.get());
    scenes.triggers = loaded.triggers;
    return scenes;
}

}  // namespace ostrel

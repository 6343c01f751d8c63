#include "app/screenshot/shot_registry.h"

namespace ostrel::shots {

std::vector<Shot>& Registry() {
    static std::vector<Shot> shots;
    return shots;
}

}  // namespace ostrel::shots

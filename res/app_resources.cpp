#include "res/app_resources.h"

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitOstrelQrc() { Q_INIT_RESOURCE(ostrel); }

namespace ostrel::res {

void InitAppResources() {
    static const bool done = (InitOstrelQrc(), true);
    (void)done;
}

QIcon AppIcon() {
    InitAppResources();
    QIcon icon;
    icon.addFile(":/ostrel/icon128.png");
    icon.addFile(":/ostrel/icon128_large.png");
    return icon;
}

QPixmap AboutPicture() {
    InitAppResources();
    return QPixmap(":/ostrel/about138.png");
}

}  // namespace ostrel::res

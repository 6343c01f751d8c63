#pragma once
// The program's pictures: the application icon (icon 128) and the About picture
// (bitmap 138), compiled into the program.
#include <QIcon>
#include <QPixmap>

namespace ostrel::res {

// Registers the compiled resources; needed once before the first use, because
// the linker drops a resource object that nothing refers to.
void InitAppResources();

// Icon 128: every window's icon and the tray icon.
QIcon AppIcon();
// Bitmap 138: the About box picture, 342 x 310 pixels.
QPixmap AboutPicture();

}  // namespace ostrel::res

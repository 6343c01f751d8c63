#include "res/template_about.h"

namespace ostrel::res {
namespace {

// A bordered picture filling the dialog and the OK button across its bottom.
const DialogItem kItems[] = {
    {-1, ItemKind::Picture, "", 0, 0, 228, 191, kBorder},
    {1, ItemKind::DefaultPushButton, "OK", 0, 177, 229, 14},
};

}  // namespace

const DialogTemplate kAboutTemplate = {
    100, "CAboutDlg", "About DO darivu v1.0 beta", 230, 191, {"MS Sans Serif", 8}, kItems,
};

}  // namespace ostrel::res

#pragma once
#include "res/dialog_template.h"

namespace ostrel::res {

// Template 100: the About box (class CAboutDlg).
extern const DialogTemplate kAboutTemplate;

}  // namespace ostrel::res

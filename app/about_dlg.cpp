#include "app/about_dlg.h"

#include <QLabel>
#include <QPushButton>

#include "res/app_resources.h"
#include "res/dialog_builder.h"
#include "res/template_about.h"

namespace ostrel {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    res::BuildDialog(this, res::kAboutTemplate);
    setWindowIcon(res::AppIcon());
    // The picture is the template's only label.
    if (auto* picture = findChild<QLabel*>()) {
        picture->setPixmap(res::AboutPicture());
        picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    if (auto* ok = res::Item<QPushButton>(this, 1))
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace ostrel

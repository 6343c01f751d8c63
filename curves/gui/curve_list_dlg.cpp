#include "curves/gui/curve_list_dlg.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "curves/curve_library.h"
#include "res/dialog_builder.h"
#include "res/message_box_seam.h"
#include "res/template_curve.h"
#include "store/display_text.h"
#include "store/ini_settings.h"

namespace ostrel {
namespace {

void Inform(QWidget* parent, const char* text) {
    res::Ui().Message(parent, QString::fromLatin1(text), QString::fromLatin1(res::kAppCaption),
                      res::MsgButtons::Ok, res::MsgIcon::Information);
}

}  // namespace

CCurveListDlg::CCurveListDlg(CIniSettings& settings, CurveKind kind, Mode mode, QWidget* parent)
    : QDialog(parent), settings_(settings), kind_(kind), mode_(mode) {
    res::BuildDialog(this, res::kCurveListTemplate);
    edit_ = res::Item<QLineEdit>(this, res::kCurveListNameEdit);
    list_ = res::Item<QListWidget>(this, res::kCurveListList);
    list_->addItems(ReadNames(settings_, kind_));
    connect(list_, &QListWidget::currentRowChanged, this, &CCurveListDlg::OnSelectionChanged);
    connect(res::Item<QPushButton>(this, res::kCurveListOk), &QPushButton::clicked, this,
            &CCurveListDlg::OnOk);
    connect(res::Item<QPushButton>(this, res::kCurveListCancel), &QPushButton::clicked, this,
            &QDialog::reject);
}

QStringList CCurveListDlg::ReadNames(const CIniSettings& settings, CurveKind kind) {
    // Read from the file, in library order; entries past the library's 99 slots
    // are not listed.
    QStringList names;
    for (const std::string& name : ReadCurveNames(settings, kind))
        names << QString::fromStdString(DisplayText(name));
    return names;
}

void CCurveListDlg::OnSelectionChanged() {
    QListWidgetItem* item = list_->currentItem();
    if (item) edit_->setText(item->text());
}

void CCurveListDlg::OnOk() {
    name_ = edit_->text();
    const int found = res::FindItemWithPrefix(list_, name_);
    switch (mode_) {
        case kSave:
            if (found >= 0) {
                const res::MsgResult answer = res::Ui().Message(
                    this, QStringLiteral("Do you wish to overwrite this setting ?"),
                    QString::fromLatin1(res::kAppCaption), res::MsgButtons::YesNo,
                    res::MsgIcon::Information);
                if (answer != res::MsgResult::Yes) return;
            }
            result_ = found;
            break;
        case kDelete:
            // An empty name would begin every name: deleting the first entry
            // without the user naming it loses a curve, so it names none.
            if (found < 0 || name_.isEmpty()) {
                Inform(this, "No Item Will be deleted ! ");
                return;
            }
            result_ = found;
            break;
        case kLoad:
            if (found < 0) {
                Inform(this, "No Item Will be Load  ! ");
                return;
            }
            result_ = found;
            break;
    }
    accept();
}

}  // namespace ostrel

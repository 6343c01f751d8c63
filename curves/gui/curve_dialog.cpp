#include "curves/gui/curve_dialog.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include "curves/gui/curve_editor.h"
#include "curves/gui/curve_list_dlg.h"
#include "res/app_resources.h"
#include "res/dialog_builder.h"
#include "res/message_box_seam.h"
#include "res/template_curve.h"
#include "store/ini_settings.h"

namespace ostrel {

const CurveDialogTraits& VelocityCurveTraits() {
    static const CurveDialogTraits traits{
        res::kVelocityCurveTemplate, CurveKind::Velocity, 1003, 1107, 1108, 1109, 1110, 1111};
    return traits;
}

const CurveDialogTraits& TouchCurveTraits() {
    static const CurveDialogTraits traits{
        res::kTouchCurveTemplate, CurveKind::Touch, 1002, 1113, 1114, 1115, 1116, 1117};
    return traits;
}

CCurveDlg::CCurveDlg(const CurveDialogTraits& traits, const CurveDialogServices& services,
                     QWidget* parent)
    : QDialog(parent), traits_(traits), services_(services) {
    res::BuildDialog(this, traits_.tmpl);
    // Modal frame with caption, system menu and minimize box.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    // The editor takes the place of the template's drawing item: same id, same rectangle.
    QWidget* placeholder = res::Item<QWidget>(this, traits_.drawingId);
    editor_ = new CCurveStatic(services_.curves, traits_.kind, this);
    editor_->setObjectName(placeholder->objectName());
    editor_->setGeometry(placeholder->geometry());
    editor_->setAccessibleName(placeholder->accessibleName());
    delete placeholder;
    connect(editor_, &CCurveStatic::CurveChanged, this, &CCurveDlg::RefreshPreview);

    for (int r = 0; r < res::kPreviewRows; ++r)
        preview_[r] = res::Item<QLabel>(this, res::kPreviewOutputIds[r]);

    const std::pair<int, void (CCurveDlg::*)()> buttons[] = {
        {traits_.defaultId, &CCurveDlg::OnDefault}, {traits_.saveId, &CCurveDlg::OnSave},
        {traits_.deleteId, &CCurveDlg::OnDelete},   {traits_.loadId, &CCurveDlg::OnLoad},
        {traits_.closeId, &CCurveDlg::OnClose},
    };
    for (const auto& [id, slot] : buttons)
        connect(res::Item<QPushButton>(this, id), &QPushButton::clicked, this, slot);
}

void CCurveDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!opened_) {
        opened_ = true;
        Opening();
    }
}

void CCurveDlg::Opening() {
    setWindowIcon(res::AppIcon());
    // The drawing area's size is fixed in dialog units at fixed base units, so a
    // stored curve means the same on every machine.
    const int w = editor_->width();
    const int h = editor_->height();
    editor_->Redraw(w, h);
    CurrentCurve& current = services_.curves.Of(traits_.kind);
    current.SetArea(w, h);
    // An id that names no entry in use opens the default curve, and the dialog
    // hands back the id of what it showed.
    curveId_ = CurveChoiceIn(services_.libraries.Of(traits_.kind), curveId_.text);
    SelectCurve(traits_.kind, curveId_, services_.libraries, services_.curves);
    ShowCurrentCurve();
}

// The editor shows the kind's current curve, and the preview follows.
void CCurveDlg::ShowCurrentCurve() {
    const CurvePoints c = services_.curves.Of(traits_.kind).Load();
    editor_->SetPoints(c.firstX, c.firstY, c.secondX, c.secondY, c.width, c.height);
    RefreshPreview();
}

void CCurveDlg::RefreshPreview() {
    for (int r = 0; r < res::kPreviewRows; ++r) {
        const int out = services_.curves.MapValue(traits_.kind, res::kPreviewInputs[r]);
        preview_[r]->setText(QString::asprintf("%03d", out));
        // Its name is its place ("010, New"): the value is told beside it.
        preview_[r]->setAccessibleDescription(preview_[r]->text());
    }
}

void CCurveDlg::OnDefault() {
    services_.curves.Of(traits_.kind).SetDefault();
    curveId_ = CurveId::Default();
    ShowCurrentCurve();
}

void CCurveDlg::OnSave() {
    const CurvePoints p = editor_->GetPoints();
    CCurveListDlg list(services_.settings, traits_.kind, CCurveListDlg::kSave, this);
    if (list.exec() != QDialog::Accepted) return;

    int index = list.Result();
    if (index < 0) {
        const QByteArray name = list.Name().toUtf8();
        const AddCurveOutcome added =
            AddCurve(traits_.kind, name.constData(), p.firstX, p.firstY, p.secondX, p.secondY,
                     services_.settings, services_.libraries);
        if (!Stored(added.result)) return;
        index = added.index;
    } else {
        // The entry keeps its name, even when only its beginning was typed.
        if (!Stored(OverwriteCurve(traits_.kind, index, p.firstX, p.firstY, p.secondX, p.secondY,
                                   services_.settings, services_.libraries)))
            return;
    }
    services_.curves.Of(traits_.kind).SetPoints(p.firstX, p.firstY, p.secondX, p.secondY);
    curveId_ = CurveId::ForIndex(index);
}

void CCurveDlg::OnDelete() {
    CCurveListDlg list(services_.settings, traits_.kind, CCurveListDlg::kDelete, this);
    if (list.exec() != QDialog::Accepted) return;
    if (!Stored(DeleteCurve(traits_.kind, list.Result(), services_.settings, services_.libraries)))
        return;
    // Whichever entry went, the ids after it now name other curves: show the default.
    OnDefault();
}

void CCurveDlg::OnLoad() {
    CCurveListDlg list(services_.settings, traits_.kind, CCurveListDlg::kLoad, this);
    if (list.exec() != QDialog::Accepted) return;
    curveId_ = CurveId::ForIndex(list.Result());
    SelectCurve(traits_.kind, curveId_, services_.libraries, services_.curves);
    ShowCurrentCurve();
}

void CCurveDlg::OnClose() { close(); }

void CCurveDlg::closeEvent(QCloseEvent* event) {
    if (isVisible()) {
        const res::MsgResult answer =
            res::Ui().Message(this, QStringLiteral("Do you want to save this curve  !"),
                              QString::fromLatin1(res::kAppCaption), res::MsgButtons::YesNo,
                              res::MsgIcon::Information);
        if (answer == res::MsgResult::Yes) OnSave();
    }
    // The dialog closes whatever the answer and whatever Save did.
    QDialog::closeEvent(event);
}

bool CCurveDlg::Stored(CurveStoreResult result) {
    const char* text = nullptr;
    switch (result) {
        case CurveStoreResult::Ok:
            return true;
        case CurveStoreResult::LibraryFull:
            text =
                "The curve library is full: it holds 99 curves. This curve was not saved. "
                "Save it under the name of an existing curve, or delete a curve first.";
            break;
        case CurveStoreResult::NoSuchEntry:
            text = "This curve is no longer in the library. Nothing was changed.";
            break;
        case CurveStoreResult::InvalidName:
            text = "A curve name cannot hold a line break. This curve was not saved.";
            break;
        case CurveStoreResult::WriteFailure:
            // Said once, with the system's reason, where the window listens.
            if (services_.settings.SaysWriteFailures()) return false;
            text = "The settings file could not be written. The curve library was not changed.";
            break;
    }
    res::Ui().Message(this, QString::fromLatin1(text), QString::fromLatin1(res::kAppCaption),
                      res::MsgButtons::Ok, res::MsgIcon::Stop);
    return false;
}

}  // namespace ostrel

#pragma once
// The velocity curve dialog (template 104) and the touch curve dialog (template
// 103): one implementation, told apart by a table of their differences. The
// editor and the buttons write the kind's current curve directly, so every change
// reaches the live pass-through at once; the opener learns the chosen curve from
// the dialog's curve id when it closes.
#include <QDialog>

#include "curves/current_curve.h"
#include "curves/curve_library.h"
#include "res/dialog_template.h"

class QLabel;

namespace ostrel {

class CCurveStatic;
class CIniSettings;

// The objects a curve dialog works on; the dialog keeps references only.
struct CurveDialogServices {
    CIniSettings& settings;
    CurrentCurves& curves;
    CurveLibraries& libraries;
};

// What tells the two curve dialogs apart.
struct CurveDialogTraits {
    const res::DialogTemplate& tmpl;  // class name, caption, layout
    CurveKind kind;
    int drawingId;
    int defaultId, saveId, deleteId, loadId, closeId;
};

const CurveDialogTraits& VelocityCurveTraits();
const CurveDialogTraits& TouchCurveTraits();

class CCurveDlg : public QDialog {
    Q_OBJECT
  public:
    CCurveDlg(const CurveDialogTraits& traits, const CurveDialogServices& services,
              QWidget* parent = nullptr);

    // Set by the opener before the dialog opens; read after it closes.
    void SetCurveId(const CurveId& id) { curveId_ = id; }
    const CurveId& GetCurveId() const { return curveId_; }

    CurveKind Kind() const { return traits_.kind; }
    CCurveStatic* Editor() const { return editor_; }

  public slots:
    void OnDefault();
    void OnSave();
    void OnDelete();
    void OnLoad();
    // The Close button: asks whether to save, then closes (the title-bar close
    // box takes the same path; Escape closes without asking).
    void OnClose();
    // The preview column: the kind's mapping of 10, 20, ... 120 and 127.
    void RefreshPreview();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void Opening();
    void ShowCurrentCurve();
    // Tells the user why a change of the library did not happen; false then.
    bool Stored(CurveStoreResult result);

    const CurveDialogTraits& traits_;
    CurveDialogServices services_;
    CCurveStatic* editor_ = nullptr;
    QLabel* preview_[13] = {};
    CurveId curveId_;
    bool opened_ = false;
};

class CVelocityCurveDlg : public CCurveDlg {
    Q_OBJECT
  public:
    explicit CVelocityCurveDlg(const CurveDialogServices& services, QWidget* parent = nullptr)
        : CCurveDlg(VelocityCurveTraits(), services, parent) {}
};

class CTouchCurveDlg : public CCurveDlg {
    Q_OBJECT
  public:
    explicit CTouchCurveDlg(const CurveDialogServices& services, QWidget* parent = nullptr)
        : CCurveDlg(TouchCurveTraits(), services, parent) {}
};

}  // namespace ostrel

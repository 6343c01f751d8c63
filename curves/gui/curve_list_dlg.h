#pragma once
// "Settings": the list of a kind's named curves, in library order, with an edit
// box for the name. The curve dialogs open it to save, delete or load a curve.
#include <QDialog>
#include <QString>

#include "curves/current_curve.h"

class QLineEdit;
class QListWidget;

namespace ostrel {

class CIniSettings;

class CCurveListDlg : public QDialog {
    Q_OBJECT
  public:
    enum Mode : int { kDelete = 1, kLoad = 2, kSave = 3 };

    CCurveListDlg(CIniSettings& settings, CurveKind kind, Mode mode, QWidget* parent = nullptr);

    // After OK: the chosen library index, or -1 for a Save under a new name.
    int Result() const { return result_; }
    // After OK: the name typed or chosen.
    const QString& Name() const { return name_; }

    // The entry names of the kind's library as the settings file lists them.
    static QStringList ReadNames(const CIniSettings& settings, CurveKind kind);

  private slots:
    void OnSelectionChanged();
    void OnOk();

  private:
    CIniSettings& settings_;
    const CurveKind kind_;
    const Mode mode_;
    int result_ = -1;
    QString name_;
    QLineEdit* edit_ = nullptr;
    QListWidget* list_ = nullptr;
};

}  // namespace ostrel

#pragma once
// The About box: the program's picture and an OK button (template 100).
#include <QDialog>

namespace ostrel {

class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace ostrel

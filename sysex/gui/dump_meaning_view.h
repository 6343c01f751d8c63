#pragma once
// The "What Ostrel does with it" view of the bulk dump dialogs: for the dump
// shown, one row per control with the controller number it will send and what
// the table in force then does with it; marked rows stand out. Send asks once
// before a dump with marked rows goes to the keyboard.
#include <QGroupBox>
#include <functional>
#include <string>

#include "core/assignment_table.h"
#include "sysex/dump_meaning.h"

class QDialog;
class QTreeWidget;

namespace ostrel {

inline constexpr const char* kDumpMeaningTitle = "What Ostrel does with it";
inline constexpr const char* kDumpMeaningViewName = "dumpMeaning";

class DumpMeaningView : public QGroupBox {
    Q_OBJECT
  public:
    // The table the lines are read against, asked for at every update.
    using TableSource = std::function<const AssignmentTable&()>;

    // Adds the view across the bottom of dialog, which grows by its height.
    static DumpMeaningView* AddBelow(QDialog* dialog);

    // Without a source the lines are read against a table at its defaults.
    void SetTableSource(TableSource source) { source_ = std::move(source); }

    // Shows the lines of the dump held as hex text; no rows for text that holds
    // no dump.
    void ShowDump(const std::string& hexText);

    // True when no row is marked, or the user chose to send anyway.
    bool ConfirmSend(QWidget* parent) const;

  private:
    explicit DumpMeaningView(QWidget* parent);

    QTreeWidget* rows_ = nullptr;
    TableSource source_;
    AssignmentTable defaults_;
    DumpMeaning meaning_{};
    bool shown_ = false;  // rows show a dump
};

}  // namespace ostrel

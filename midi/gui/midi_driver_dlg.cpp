#include "midi/gui/midi_driver_dlg.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "midi/device_list.h"
#include "midi/remembered_ports.h"
#include "res/app_resources.h"
#include "res/dialog_builder.h"
#include "res/message_box_seam.h"
#include "res/template_midi_driver.h"
#include "store/ini_settings.h"

namespace ostrel {
namespace {

// Fills a sorted list. Each entry carries its port's full name and its
// position among the listed ports; the remembered port, when absent, is added
// as "--:" and its name, so that it stays chosen until the user picks another.
void Fill(QComboBox* list, const std::vector<std::string>& names, const std::string& chosen) {
    QStringList texts;
    for (const std::string& entry : DeviceListEntries(names))
        texts << QString::fromStdString(entry);
    const bool absent =
        !chosen.empty() && std::find(names.begin(), names.end(), chosen) == names.end();
    if (absent) texts << QString::fromStdString("--:" + chosen);
    res::AddComboItems(list, texts);
    for (int pos = 0; pos < list->count(); ++pos) {
        const QString text = list->itemText(pos);
        list->setItemData(pos, text.section(u':', 1));
        list->setItemData(pos, text.startsWith(u'-') ? -1 : text.section(u':', 0, 0).toInt(),
                          Qt::UserRole + 1);
    }
    list->setCurrentIndex(chosen.empty() ? -1 : list->findData(QString::fromStdString(chosen)));
}

// The chosen port: the selected entry, unless the edit field shows other text
// (OK first turns typed text into the entry it names).
std::string Chosen(const QComboBox* list) {
    const int pos = list->currentIndex();
    if (pos < 0) return "";
    if (list->isEditable() && list->currentText() != list->itemText(pos)) return "";
    return list->itemData(pos).toString().toStdString();
}

// The entry that typed text names: an entry's text or its port's full name
// (either ignoring case), else a part of the name, ignoring case, that only one
// port has. kNamesNone or kNamesSeveral when there is no such entry.
constexpr int kNamesNone = -1;
constexpr int kNamesSeveral = -2;
int EntryNamedBy(const QComboBox* list, const QString& typed) {
    for (int pos = 0; pos < list->count(); ++pos)
        if (list->itemText(pos).compare(typed, Qt::CaseInsensitive) == 0 ||
            list->itemData(pos).toString().compare(typed, Qt::CaseInsensitive) == 0)
            return pos;
    int found = kNamesNone;
    for (int pos = 0; pos < list->count(); ++pos) {
        if (!list->itemData(pos).toString().contains(typed, Qt::CaseInsensitive)) continue;
        if (found != kNamesNone) return kNamesSeveral;
        found = pos;
    }
    return found;
}

int ChosenPosition(const QComboBox* list) {
    const int pos = list->currentIndex();
    if (pos < 0 || Chosen(list).empty()) return -1;
    return list->itemData(pos, Qt::UserRole + 1).toInt();
}

}  // namespace

CMidiDriverDlg::CMidiDriverDlg(const Lists& lists, CIniSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    res::BuildDialog(this, res::kMidiDriverTemplate);
    setWindowIcon(res::AppIcon());
    inputs_ = res::Item<QComboBox>(this, res::kMidiInListId);
    outputs_ = res::Item<QComboBox>(this, res::kMidiOutListId);
    Fill(inputs_, lists.inputs, lists.chosenInput);  // inputs first, then outputs
    Fill(outputs_, lists.outputs, lists.chosenOutput);
    // Empty lists are never left unexplained; full ones say whose ports they are.
    const bool problem = !lists.problem.empty();
    const std::string note = problem                ? lists.problem
                             : lists.system.empty() ? ""
                                                    : "MIDI system: " + lists.system;
    if (!note.empty()) {
        auto* line = new QLabel(QString::fromStdString(note), this);
        line->setObjectName(problem ? QStringLiteral("MidiProblem") : QStringLiteral("MidiSystem"));
        line->setWordWrap(true);
        line->setGeometry(10, 150, width() - 20, 44);
        setFixedSize(width(), 200);
    }
    connect(res::Item<QPushButton>(this, 1), &QPushButton::clicked, this, &QDialog::accept);
    connect(res::Item<QPushButton>(this, 2), &QPushButton::clicked, this, &QDialog::reject);
    inputs_->setFocus();
}

std::string CMidiDriverDlg::ChosenInput() const { return Chosen(inputs_); }
std::string CMidiDriverDlg::ChosenOutput() const { return Chosen(outputs_); }

bool CMidiDriverDlg::TakeTypedChoice(QComboBox* list, const char* direction) {
    const int pos = list->currentIndex();
    if (pos >= 0 && list->currentText() == list->itemText(pos)) return true;
    const QString typed = list->currentText().trimmed();
    // An emptied field chooses no port.
    const int named = typed.isEmpty() ? kNamesNone : EntryNamedBy(list, typed);
    if (typed.isEmpty() || named >= 0) {
        list->setCurrentIndex(named);
        return true;
    }
    const QString text =
        named == kNamesSeveral
            ? QStringLiteral(
                  "\"%1\" is part of the names of several MIDI %2 ports. Type more "
                  "of the name, or choose the port from the list.")
            : QStringLiteral(
                  "\"%1\" names no listed MIDI %2 port. Type the name of a port in "
                  "the list, or a part of it, or choose the port from the list.");
    res::Ui().Message(this, text.arg(typed, QString::fromLatin1(direction)),
                      QString::fromLatin1(res::kAppCaption), res::MsgButtons::Ok,
                      res::MsgIcon::Stop);
    list->setFocus();
    list->lineEdit()->selectAll();
    return false;
}

void CMidiDriverDlg::accept() {
    // Typed text chooses the port it names; text that names none changes nothing.
    if (!TakeTypedChoice(inputs_, "input") || !TakeTypedChoice(outputs_, "output")) return;
    WriteRememberedPort(settings_, PortDirection::Input, ChosenPosition(inputs_), ChosenInput());
    WriteRememberedPort(settings_, PortDirection::Output, ChosenPosition(outputs_), ChosenOutput());
    QDialog::accept();
}

}  // namespace ostrel

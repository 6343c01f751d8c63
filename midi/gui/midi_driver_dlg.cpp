#include "midi/gui/midi_driver_dlg.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "midi/device_list.h"
#include "midi/remembered_ports.h"
#include "res/app_resources.h"
#include "res/dialog_builder.h"
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

// The chosen port: the selected entry, unless the user has typed something
// else into the edit field, which leaves no entry selected.
std::string Chosen(const QComboBox* list) {
    const int pos = list->currentIndex();
    if (pos < 0) return "";
    if (list->isEditable() && list->currentText() != list->itemText(pos)) return "";
    return list->itemData(pos).toString().toStdString();
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

void CMidiDriverDlg::accept() {
    WriteRememberedPort(settings_, PortDirection::Input, ChosenPosition(inputs_), ChosenInput());
    WriteRememberedPort(settings_, PortDirection::Output, ChosenPosition(outputs_), ChosenOutput());
    QDialog::accept();
}

}  // namespace ostrel

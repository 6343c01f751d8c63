#include "midi/gui/midi_driver_dlg.h"

#include <QComboBox>
#include <QPushButton>

#include "midi/device_list.h"
#include "midi/pass_through_state.h"
#include "res/app_resources.h"
#include "res/dialog_builder.h"
#include "res/template_midi_driver.h"
#include "store/ini_settings.h"

namespace ostrel {
namespace {

const char* const kSection = "DEVNAME";

// Fills a sorted list. Each entry carries its device index, so that the choice
// stays right even where the text order and the device order part (from 100
// devices on, "100:" sorts before "11:").
void Fill(QComboBox* list, const std::vector<std::string>& names) {
    QStringList texts;
    for (const std::string& entry : DeviceListEntries(names))
        texts << QString::fromStdString(entry);
    res::AddComboItems(list, texts);
    for (int pos = 0; pos < list->count(); ++pos)
        list->setItemData(pos, list->itemText(pos).section(u':', 0, 0).toInt());
}

void Select(QComboBox* list, int deviceIndex) {
    const int pos = deviceIndex < 0 ? -1 : list->findData(deviceIndex);
    list->setCurrentIndex(pos);  // a device that has gone away leaves no selection
}

// The chosen device: the selected entry, unless the user has typed something
// else into the edit field, which leaves no entry selected.
int Chosen(const QComboBox* list) {
    const int pos = list->currentIndex();
    if (pos < 0) return -1;
    if (list->isEditable() && list->currentText() != list->itemText(pos)) return -1;
    return list->itemData(pos).toInt();
}

}  // namespace

CMidiDriverDlg::CMidiDriverDlg(const std::vector<std::string>& inputNames,
                               const std::vector<std::string>& outputNames, DeviceIndices& devices,
                               CIniSettings& settings, QWidget* parent)
    : QDialog(parent), devices_(devices), settings_(settings) {
    res::BuildDialog(this, res::kMidiDriverTemplate);
    setWindowIcon(res::AppIcon());
    inputs_ = res::Item<QComboBox>(this, res::kMidiInListId);
    outputs_ = res::Item<QComboBox>(this, res::kMidiOutListId);
    Fill(inputs_, inputNames);  // inputs first, then outputs
    Fill(outputs_, outputNames);
    Select(inputs_, devices_.input.load());
    Select(outputs_, devices_.output.load());
    connect(res::Item<QPushButton>(this, 1), &QPushButton::clicked, this, &QDialog::accept);
    connect(res::Item<QPushButton>(this, 2), &QPushButton::clicked, this, &QDialog::reject);
    inputs_->setFocus();
}

int CMidiDriverDlg::ChosenInput() const { return Chosen(inputs_); }
int CMidiDriverDlg::ChosenOutput() const { return Chosen(outputs_); }

void CMidiDriverDlg::accept() {
    devices_.input = ChosenInput();
    devices_.output = ChosenOutput();
    settings_.WriteInt(kSection, "MIDIIN", devices_.input);
    settings_.WriteInt(kSection, "MIDIOUT", devices_.output);
    QDialog::accept();
}

}  // namespace ostrel

// The File commands: New, Open, Save and Save As of configuration files, and
// showing a whole table on the form.
#include <QComboBox>
#include <QSignalBlocker>

#include "app/app_state.h"
#include "app/code_box.h"
#include "app/main_form.h"
#include "core/config_file.h"
#include "midi/pass_through.h"
#include "res/dialog_builder.h"
#include "res/message_box_seam.h"
#include "store/display_text.h"

namespace ostrel {
namespace {

const char* const kCfgFilter = "config file (*.cfg)|*.cfg||";
const char* const kCfgExtension = "cfg";

res::FileDialogSpec OpenDialog() { return {false, kCfgFilter, kCfgExtension, "*.cfg"}; }
res::FileDialogSpec SaveDialog() { return {true, kCfgFilter, kCfgExtension, "midi.cfg"}; }

void ShowError(QWidget* owner, const QString& text) {
    res::Ui().Message(owner, text, QString::fromLatin1(res::kAppCaption), res::MsgButtons::Ok,
                      res::MsgIcon::Error);
}

}  // namespace

void COstrelView::OnFileNew() {
    SelectNewDefaults();
    // The defaults replace the whole table between two cycles of the MIDI thread.
    AssignmentTable defaults;
    PublishTable(defaults);
    SelectCurvesInForce();
    ShowTextStarts();  // the boxes describe the defaults now in force
    state_.fileInUse.Forget();
    UpdateTitle();
}

void COstrelView::SelectNewDefaults() {
    const auto table = FormCombos();
    for (int i = 0; i < kFormComboCount; ++i) {
        const QSignalBlocker block(boxes_[i]);
        boxes_[i]->setCurrentIndex(NewDefaultIndex(table[i]));
    }
    // Octave 0 has all twelve keys.
    octaveShown_ = 0;
    EnableUpperKeys(true);
    ShowTextStarts();
}

void COstrelView::LoadConfig(const std::string& path) {
    AssignmentTable staging;
    // A remembered file that cannot be read now gives the defaults.
    ReadConfig(path.c_str(), staging);
    PublishTable(staging);
    ShowTable();
    SelectCurvesInForce();
    UpdateTitle();
}

void COstrelView::PublishTable(const AssignmentTable& staging) {
    // The file has been read completely before this point; the MIDI thread picks
    // the new table up between two cycles, so no message is translated with half
    // of each and none is lost for it.
    state_.passThrough->PublishTable(staging);
}

void COstrelView::ShowTable() {
    // After a table is shown the keys show octave 0.
    octaveShown_ = 0;
    for (int i = 0; i < kFormComboCount; ++i) ShowChoiceInForce(i);
    EnableUpperKeys(true);
}

void COstrelView::OnFileOpen() {
    const res::FileChoice choice = res::Ui().ChooseFile(this, OpenDialog());
    if (!choice.ok) return;
    // The dialog only offers existing files; one that cannot be read now would
    // silently replace the table with the defaults, so it is refused instead.
    AssignmentTable staging;
    if (ReadConfig(choice.fullPath.toLocal8Bit().constData(), staging) != StoreResult::Ok) {
        ShowError(this,
                  QStringLiteral("Cannot open the configuration file\n%1").arg(choice.fullPath));
        return;
    }
    UseFile(choice.fullPath, choice.fileName);
    PublishTable(staging);
    ShowTable();
    SelectCurvesInForce();
    RememberFileInUse();
    UpdateTitle();
}

void COstrelView::OnFileSave() {
    const FileInUse& file = state_.fileInUse;
    QString path = QString::fromLocal8Bit(file.Path().c_str());
    QString name = QString::fromLocal8Bit(file.Name().c_str());
    if (file.SaveNeedsChoice()) {
        const res::FileChoice choice = res::Ui().ChooseFile(this, SaveDialog());
        if (!choice.ok) return;
        path = choice.fullPath;
        name = choice.fileName;
    }
    // A file that could not be written does not become the file in use.
    if (!SaveTo(path)) return;
    UseFile(path, name);
    RememberFileInUse();
    UpdateTitle();
}

void COstrelView::OnFileSaveAs() {
    const res::FileChoice choice = res::Ui().ChooseFile(this, SaveDialog());
    if (!choice.ok) return;
    if (!SaveTo(choice.fullPath)) return;
    if (state_.fileInUse.SaveAsTakesCopy()) {
        UseFile(choice.fullPath, choice.fileName);
        RememberFileInUse();
    }
    UpdateTitle();
}

bool COstrelView::SaveTo(const QString& fullPath) {
    const StoreResult result = WriteConfig(fullPath.toLocal8Bit().constData(), state_.table);
    if (result == StoreResult::Ok) return true;
    ShowError(this, QStringLiteral("Cannot save the configuration file\n%1").arg(fullPath));
    return false;
}

void COstrelView::UseFile(const QString& fullPath, const QString& fileName) {
    state_.fileInUse.Use(fullPath.toLocal8Bit().toStdString(),
                         fileName.toLocal8Bit().toStdString());
}

void COstrelView::RememberFileInUse() {
    const StoreResult result = state_.fileInUse.Remember(state_.settings);
    if (result == StoreResult::Ok || !state_.fileInUse.FirstRefusalOfPath()) return;
    const QString reason =
        result == StoreResult::TooLong
            ? QStringLiteral("its path is longer than the settings file can hold (255 bytes).")
        : result == StoreResult::InvalidText
            ? QStringLiteral("its path holds a line break.")
            : QStringLiteral("the settings file could not be written.");
    ShowError(this, QStringLiteral("This file cannot be remembered for the next start: %1\n%2\n"
                                   "The next start opens the file remembered before.")
                        .arg(reason, QString::fromLocal8Bit(state_.fileInUse.Path().c_str())));
}

}  // namespace ostrel

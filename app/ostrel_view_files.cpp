// The File commands: New, Open, Save and Save As of configuration files, and
// showing a whole table on the form.
#include <QComboBox>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QSignalBlocker>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "app/app_state.h"
#include "app/code_box.h"
#include "app/file_texts.h"
#include "app/ostrel_view.h"
#include "app/setlist_player.h"
#include "core/config_file.h"
#include "midi/pass_through.h"
#include "res/dialog_builder.h"
#include "res/message_box_seam.h"
#include "store/atomic_file.h"
#include "store/display_text.h"

namespace ostrel {
namespace {

using file_texts::Bytes;
using file_texts::ShowError;
using file_texts::Shown;

const char* const kCfgFilter = "config file (*.cfg)|*.cfg||";
const char* const kCfgExtension = "cfg";
constexpr std::string_view kSetlistExtension = ".setlist";

res::FileDialogSpec OpenDialog() { return {false, kCfgFilter, kCfgExtension, "*.cfg"}; }
res::FileDialogSpec SaveDialog() { return {true, kCfgFilter, kCfgExtension, "midi.cfg"}; }

// Told without blocking: the player can go on while it is up.
void ShowNotice(QWidget* owner, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Warning, QString::fromLatin1(res::kAppCaption), text,
                                QMessageBox::Ok, owner);
    box->setObjectName(QStringLiteral("FileNotice"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

}  // namespace

void COstrelView::OnFileNew() {
    setlist_->Close();
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

void COstrelView::ReopenRememberedFile(const AssignmentTable* kept) {
    FileInUse& file = state_.fileInUse;
    if (kept != nullptr) {
        // Started again to join PipeWire: the table as it was, unsaved edits
        // included, under the name it had.
        file.Recall(state_.settings);
        PublishTable(*kept);
        ShowTable();
        SelectCurvesInForce();
        UpdateTitle();
        return;
    }
    if (!file.Recall(state_.settings)) {
        // No file remembered, a name without its path, or a path from another system.
        OnFileNew();
        if (!file.UnusablePath().empty())
            ShowError(this, QStringLiteral("The file remembered from the last session could not "
                                           "be found:\n%1\nThe defaults are in force.")
                                .arg(Shown(file.UnusablePath())));
        return;
    }
    // Leftovers of a write killed at its rename go at start, not at the next save.
    RemoveLeftoverTempFiles(std::filesystem::path(file.Path()).parent_path().string());
    AssignmentTable staging;
    std::string why;
    if (ReadConfig(file.Path().c_str(), staging, &why) != StoreResult::Ok) {
        // The defaults play, and the title says so. A missing file (a stick not
        // mounted) is said without blocking and stays remembered for the next
        // start; anything else there (no configuration, unreadable) is not
        // written over.
        if (why == std::strerror(ENOENT))
            ShowNotice(this, QStringLiteral("The file remembered from the last session is "
                                            "missing:\n%1\nThe defaults are in force. The file "
                                            "is looked for again at the next start.")
                                 .arg(Shown(file.Path())));
        else
            ShowError(this, QStringLiteral("The file remembered from the last session cannot be "
                                           "opened:\n%1\n%2\nThe defaults are in force.")
                                .arg(Shown(file.Path()), QString::fromStdString(why)));
        file.Forget();
    }
    PublishTable(staging);
    ShowTable();
    SelectCurvesInForce();
    UpdateTitle();
}

void COstrelView::WatchSettingsWrites() {
    // Every write of the settings that fails is said once, with the system's reason.
    QPointer<COstrelView> form(this);
    state_.settings.OnWriteFailure([form](const std::string& why) {
        if (!form || form->quietSettingsFailure_) return;
        ShowError(form, QStringLiteral("The settings file could not be written:\n%1\n%2")
                            .arg(Shown(form->state_.settings.Path()), QString::fromStdString(why)));
    });
}

void COstrelView::PublishTable(const AssignmentTable& staging) {
    // The file has been read completely before this point; the MIDI thread picks
    // the new table up between two cycles, so no message is translated with half
    // of each and none is lost for it.
    state_.passThrough->PublishTable(staging);
}

AssignmentTable& COstrelView::TableInView() const {
    return view_ ? *view_ : state_.passThrough->TableForEdits();
}

void COstrelView::ViewTable(AssignmentTable* table) {
    view_ = table;
    ShowTable();
    SelectCurvesInForce();
    ShowTextStarts();
    UpdateTitle();
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
    OpenConfig(Bytes(choice.fullPath), Bytes(choice.fileName));
}

void COstrelView::OpenFile(const std::string& path) {
    const std::string name = path.substr(path.rfind('/') + 1);
    if (name.size() > kSetlistExtension.size() &&
        name.compare(name.size() - kSetlistExtension.size(), kSetlistExtension.size(),
                     kSetlistExtension) == 0)
        setlist_->Open(path);
    else
        OpenConfig(path, name);
}

void COstrelView::OpenConfig(const std::string& path, const std::string& name) {
    // A file that cannot be read now would silently replace the table with the
    // defaults, so it is refused instead.
    AssignmentTable staging;
    std::string why;
    if (ReadConfig(path.c_str(), staging, &why) != StoreResult::Ok) {
        ShowError(this, QStringLiteral("Cannot open the configuration file\n%1\n%2")
                            .arg(Shown(path), QString::fromStdString(why)));
        return;
    }
    setlist_->Close();
    state_.fileInUse.Use(path, name);
    PublishTable(staging);
    ShowTable();
    SelectCurvesInForce();
    RememberFileInUse();
    UpdateTitle();
}

void COstrelView::OnFileSave() {
    const FileInUse& file = state_.fileInUse;
    // The file in use is written by the bytes it was opened by.
    std::string path = file.Path(), name = file.Name();
    if (file.SaveNeedsChoice()) {
        const res::FileChoice choice = res::Ui().ChooseFile(this, SaveDialog());
        if (!choice.ok) return;
        path = Bytes(choice.fullPath);
        name = Bytes(choice.fileName);
    }
    // A file that could not be written does not become the file in use.
    if (!SaveTo(path)) return;
    state_.fileInUse.Use(path, name);
    RememberFileInUse();
    UpdateTitle();
}

void COstrelView::OnFileSaveAs() {
    const res::FileChoice choice = res::Ui().ChooseFile(this, SaveDialog());
    if (!choice.ok) return;
    const std::string path = Bytes(choice.fullPath);
    if (!SaveTo(path)) return;
    if (state_.fileInUse.SaveAsTakesCopy()) {
        state_.fileInUse.Use(path, Bytes(choice.fileName));
        RememberFileInUse();
    }
    UpdateTitle();
}

bool COstrelView::SaveTo(const std::string& path) {
    std::string why;
    const StoreResult result = WriteConfig(path.c_str(), TableInView(), &why);
    if (result == StoreResult::Ok) return true;
    if (result == StoreResult::InvalidText) why = "a code holds a line break";
    ShowError(this, QStringLiteral("Cannot save the configuration file\n%1\n%2")
                        .arg(Shown(path), QString::fromStdString(why)));
    return false;
}

void COstrelView::RememberFileInUse() {
    // A failure is said here, with what it means for the next start.
    quietSettingsFailure_ = true;
    const StoreResult result = state_.fileInUse.Remember(state_.settings);
    quietSettingsFailure_ = false;
    if (result == StoreResult::Ok || !state_.fileInUse.FirstRefusalOfPath()) return;
    const QString reason =
        result == StoreResult::TooLong
            ? QStringLiteral("its path is longer than the settings file can hold (255 bytes).")
        : result == StoreResult::InvalidText
            ? QStringLiteral("its path holds a line break.")
            : QStringLiteral("the settings file could not be written: %1.")
                  .arg(QString::fromStdString(state_.settings.LastFailure()));
    ShowError(this, QStringLiteral("This file cannot be remembered for the next start: %1\n%2\n"
                                   "The next start opens the file remembered before.")
                        .arg(reason, Shown(state_.fileInUse.Path())));
}

}  // namespace ostrel

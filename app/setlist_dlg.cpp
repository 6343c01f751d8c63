#include "app/setlist_dlg.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <filesystem>

#include "app/file_texts.h"
#include "res/app_resources.h"
#include "res/dialog_builder.h"
#include "res/message_box_seam.h"
#include "res/template_setlist.h"
#include "store/display_text.h"
#include "store/hex_text.h"

namespace ostrel {
namespace {

using file_texts::Bytes;
using file_texts::ShowError;
using file_texts::Shown;

const char* const kSetlistFilter = "setlist (*.setlist)|*.setlist||";
const char* const kCfgFilter = "config file (*.cfg)|*.cfg||";

// Each item begins with the value the setlist stores, as the main form's lists do.
const char* const kNeverItem = "###     --Never";
const char* const kAnyChannelItem = "***     --Any channel";
const char* const kPassItems[] = {"0     --Kept", "1     --Passed on"};
constexpr int kRole = Qt::UserRole;  // a list item's file, as the setlist names it
const char* const kLearnText = "Learn";
const char* const kStopText = "Stop";

}  // namespace

std::string SceneFileName(const std::string& setlistPath, const std::string& filePath) {
    namespace fs = std::filesystem;
    if (setlistPath.empty()) return filePath;
    const fs::path relative =
        fs::path(filePath).lexically_relative(fs::path(setlistPath).parent_path());
    if (relative.empty() || *relative.begin() == "..") return filePath;
    return relative.string();
}

CSetlistDlg::CSetlistDlg(const std::string& path, QWidget* parent) : QDialog(parent) {
    res::BuildDialog(this, res::kSetlistTemplate);
    setWindowIcon(res::AppIcon());
    files_ = res::Item<QListWidget>(this, res::kSetlistFilesId);
    program_ = res::Item<QComboBox>(this, res::kSetlistProgramId);
    pass_ = res::Item<QComboBox>(this, res::kSetlistPassId);
    next_ = res::Item<QLineEdit>(this, res::kSetlistNextId);
    previous_ = res::Item<QLineEdit>(this, res::kSetlistPreviousId);
    learnNext_ = res::Item<QPushButton>(this, res::kSetlistLearnNextId);
    learnPrevious_ = res::Item<QPushButton>(this, res::kSetlistLearnPreviousId);
    learnState_ = res::Item<QLabel>(this, res::kSetlistLearningId);
    learnNext_->setEnabled(false);
    learnPrevious_->setEnabled(false);

    QStringList programs{kNeverItem, kAnyChannelItem};
    for (int channel = 1; channel <= 16; ++channel)
        programs
            << QStringLiteral("%1     --Channel %2").arg(channel, 3, 10, QChar('0')).arg(channel);
    res::AddComboItems(program_, programs);
    res::AddComboItems(pass_, {kPassItems[0], kPassItems[1]});

    const auto onClick = [this](int id, auto handler) {
        connect(res::Item<QPushButton>(this, id), &QPushButton::clicked, this, handler);
    };
    onClick(res::kSetlistAddId, [this] { OnAdd(); });
    onClick(res::kSetlistRemoveId, [this] { OnRemove(); });
    onClick(res::kSetlistUpId, [this] { OnMove(-1); });
    onClick(res::kSetlistDownId, [this] { OnMove(1); });
    onClick(res::kSetlistOpenId, [this] { OnOpen(); });
    onClick(res::kSetlistSaveId, [this] { Save(true); });
    onClick(res::kSetlistLearnNextId, [this] { Learn(next_); });
    onClick(res::kSetlistLearnPreviousId, [this] { Learn(previous_); });
    onClick(1, [this] { accept(); });
    onClick(2, [this] { reject(); });

    Setlist setlist;
    std::string why;
    if (!path.empty() && ReadSetlist(path, setlist, &why)) path_ = path;
    Show(setlist);
}

CSetlistDlg::~CSetlistDlg() { StopLearning(); }

void CSetlistDlg::SetListener(Listen listen) {
    StopLearning();
    listen_ = std::move(listen);
    learnNext_->setEnabled(bool(listen_));
    learnPrevious_->setEnabled(bool(listen_));
}

void CSetlistDlg::Learn(QLineEdit* field) {
    const bool again = learning_ == field;
    StopLearning();
    if (again || !listen_) return;
    if (!listen_([this](ShortMessage message) { Learnt(message); })) {
        learnState_->setText(QStringLiteral("No MIDI system answers: the input hears no message."));
        return;
    }
    learning_ = field;
    (field == next_ ? learnNext_ : learnPrevious_)->setText(kStopText);
    learnState_->setText(QStringLiteral("Press the control now (%1 scene) ...")
                             .arg(field == next_ ? "next" : "previous"));
}

void CSetlistDlg::Learnt(ShortMessage message) {
    // A control or a key sends a channel message; clock, active sensing and
    // time code come on their own and are no one's choice.
    if (!learning_ || message.length == 0 || !midi::IsStatus(message.Status()) ||
        midi::IsSystem(message.Status()))
        return;
    learning_->setText(QString::fromStdString(FormatHexLine(message.bytes, message.length)));
    StopLearning();
}

void CSetlistDlg::StopLearning() {
    learnState_->clear();
    if (!learning_) return;
    learning_ = nullptr;
    learnNext_->setText(kLearnText);
    learnPrevious_->setText(kLearnText);
    listen_({});
}

void CSetlistDlg::done(int result) {
    StopLearning();
    QDialog::done(result);
}

void CSetlistDlg::Show(const Setlist& setlist) {
    files_->clear();
    for (const std::string& file : setlist.files) AddFile(file);
    const SetlistTriggers& t = setlist.triggers;
    program_->setCurrentIndex(t.programChannel == SetlistTriggers::kNever ? 0
                              : t.programChannel == SetlistTriggers::kAnyChannel
                                  ? 1
                                  : t.programChannel + 1);
    pass_->setCurrentIndex(t.pass ? 1 : 0);
    next_->setText(QString::fromStdString(FormatHexLine(t.next.bytes, t.next.length)));
    previous_->setText(QString::fromStdString(FormatHexLine(t.previous.bytes, t.previous.length)));
}

void CSetlistDlg::AddFile(const std::string& file) {
    auto* item = new QListWidgetItem(Shown(file), files_);
    item->setData(kRole, QByteArray::fromStdString(file));
}

bool CSetlistDlg::Take(Setlist& setlist) {
    setlist = {};
    for (int row = 0; row < files_->count(); ++row)
        setlist.files.push_back(files_->item(row)->data(kRole).toByteArray().toStdString());
    SetlistTriggers& t = setlist.triggers;
    const int program = program_->currentIndex();
    t.programChannel = program <= 0   ? SetlistTriggers::kNever
                       : program == 1 ? SetlistTriggers::kAnyChannel
                                      : program - 1;
    t.pass = pass_->currentIndex() == 1;
    const std::pair<QLineEdit*, ShortMessage*> messages[] = {{next_, &t.next},
                                                             {previous_, &t.previous}};
    for (const auto& [edit, message] : messages) {
        if (ParseTriggerMessage(edit->text().toStdString(), *message)) continue;
        ShowError(this, QStringLiteral("%1: %2.\nLeave it empty for no trigger.")
                            .arg(edit->text(), QString::fromLatin1(kTriggerRule)));
        edit->setFocus();
        edit->selectAll();
        return false;
    }
    return true;
}

void CSetlistDlg::OnAdd() {
    const res::FileChoice choice = res::Ui().ChooseFile(this, {false, kCfgFilter, "cfg", "*.cfg"});
    if (!choice.ok) return;
    AddFile(SceneFileName(path_, Bytes(choice.fullPath)));
    files_->setCurrentRow(files_->count() - 1);
}

void CSetlistDlg::OnRemove() { delete files_->takeItem(files_->currentRow()); }

void CSetlistDlg::OnMove(int step) {
    const int row = files_->currentRow(), to = row + step;
    if (row < 0 || to < 0 || to >= files_->count()) return;
    files_->insertItem(to, files_->takeItem(row));
    files_->setCurrentRow(to);
}

void CSetlistDlg::OnOpen() {
    const res::FileChoice choice =
        res::Ui().ChooseFile(this, {false, kSetlistFilter, "setlist", "*.setlist"});
    if (!choice.ok) return;
    const std::string path = Bytes(choice.fullPath);
    Setlist setlist;
    std::string why;
    if (!ReadSetlist(path, setlist, &why)) {
        ShowError(this, QStringLiteral("Cannot open the setlist\n%1\n%2")
                            .arg(Shown(path), QString::fromStdString(why)));
        return;
    }
    path_ = path;
    Show(setlist);
}

bool CSetlistDlg::Save(bool ask) {
    Setlist setlist;
    if (!Take(setlist)) return false;
    std::string path = path_;
    if (ask || path.empty()) {
        const res::FileChoice choice =
            res::Ui().ChooseFile(this, {true, kSetlistFilter, "setlist", "live.setlist"});
        if (!choice.ok) return false;
        path = Bytes(choice.fullPath);
        // The files keep naming the same files from the new folder.
        for (std::string& file : setlist.files)
            file = SceneFileName(path, path_.empty() ? file : ScenePath(path_, file));
    }
    if (WriteSetlist(path, setlist) != StoreResult::Ok) {
        ShowError(this, QStringLiteral("Cannot save the setlist\n%1").arg(Shown(path)));
        return false;
    }
    path_ = path;
    Show(setlist);
    return true;
}

void CSetlistDlg::accept() {
    if (files_->count() == 0) {
        ShowError(this, QStringLiteral("A setlist needs at least one configuration file: "
                                       "add one with Add."));
        return;
    }
    if (Save(false)) QDialog::accept();
}

}  // namespace ostrel

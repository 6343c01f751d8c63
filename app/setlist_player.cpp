#include "app/setlist_player.h"

#include <QAction>
#include <QInputDialog>
#include <QMenu>
#include <QShortcut>
#include <QStringList>
#include <algorithm>
#include <filesystem>
#include <utility>

#include "app/app_state.h"
#include "app/event_pump.h"
#include "app/file_texts.h"
#include "app/main_frame.h"
#include "app/ostrel_view.h"
#include "app/setlist_dlg.h"
#include "core/config_file.h"
#include "midi/port_keeper.h"
#include "res/message_box_seam.h"
#include "store/display_text.h"
#include "store/settings_keys.h"

namespace ostrel {
namespace {

using file_texts::ShowError;
using file_texts::Shown;

// How often the form looks whether a trigger switched the scene.
constexpr int kFollowMs = 50;
// A file being written fires several changes; it is read once they settle.
constexpr int kSettleMs = 150;
// The scenes the Setlist menu lists at most: what a screen holds below the
// menu's own commands.
constexpr int kMenuScenes = 24;

}  // namespace

SetlistPlayer::SetlistPlayer(AppState& state, COstrelView& form, CMainFrame* frame)
    : QObject(&form), state_(state), form_(form), frame_(frame) {
    follow_.setInterval(kFollowMs);
    connect(&follow_, &QTimer::timeout, this, &SetlistPlayer::FollowScene);
    // The monitor names each switch with the scene's file, as the command line does.
    state_.events->SetSceneNames([this](int scene) {
        return scene < Count() ? open_->loaded.scenes[static_cast<size_t>(scene)].file
                               : std::string();
    });
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this](const QString& path) {
        QTimer::singleShot(kSettleMs, this, [this, path] { ReadAgain(path); });
    });
    if (!frame_) return;
    const std::pair<int, std::function<void()>> commands[] = {
        {kCmdSetlist, [this] { RunDialog(); }},
        {kCmdNextScene, [this] { Step(1); }},
        {kCmdPreviousScene, [this] { Step(-1); }},
        {kCmdCloseSetlist, [this] { Close(); }},
    };
    for (const auto& [id, handler] : commands)
        if (QAction* action = frame_->Command(id)) {
            connect(action, &QAction::triggered, this, handler);
            menu_ = qobject_cast<QMenu*>(action->parent());
        }
    // At either end Next or Previous is disabled; its key then says why nothing
    // moves instead of doing nothing silently.
    for (const auto& [id, end] :
         {std::pair{kCmdNextScene, &endKeys_[0]}, std::pair{kCmdPreviousScene, &endKeys_[1]}}) {
        QAction* action = frame_->Command(id);
        if (!action) continue;
        *end = new QShortcut(action->shortcut(), frame_, nullptr, nullptr, Qt::WindowShortcut);
        connect(*end, &QShortcut::activated, this,
                [this, id] { SayEnd(id == kCmdNextScene ? "last" : "first"); });
    }
    EnableCommands();
}

SetlistPlayer::~SetlistPlayer() {
    state_.events->SetSceneNames({});
    if (!open_) return;
    state_.passThrough->SetScenes(nullptr);
}

int SetlistPlayer::Count() const {
    return open_ ? static_cast<int>(open_->loaded.scenes.size()) : 0;
}

void SetlistPlayer::ReopenRemembered() {
    const std::string path = state_.settings.ReadString(kSystemSection, kSetlistKey);
    if (!path.empty() && !Open(path)) Remember("");
}

bool SetlistPlayer::Open(const std::string& path) {
    auto next = std::make_unique<OpenSetlist>();
    std::string why;
    if (!LoadSetlist(path, next->loaded, &why)) {
        ShowError(&form_, QStringLiteral("Cannot open the setlist\n%1\n%2")
                              .arg(Shown(path), QString::fromStdString(why)));
        return false;
    }
    if (!next->loaded.warning.empty())
        ShowError(&form_, QStringLiteral("The setlist\n%1\nhas %2")
                              .arg(Shown(path), Shown(next->loaded.warning)));
    QStringList skipped;
    for (const std::string& line : next->loaded.skipped) skipped << Shown(line);
    if (next->loaded.scenes.empty()) {
        ShowError(&form_, QStringLiteral("No file of the setlist\n%1\ncould be read:\n%2")
                              .arg(Shown(path), skipped.join('\n')));
        return false;
    }
    if (!skipped.isEmpty())
        ShowError(&form_, QStringLiteral("These files of the setlist\n%1\ncould not be read; "
                                         "their scenes are skipped:\n%2")
                              .arg(Shown(path), skipped.join('\n')));
    *next->tables = ScenesOf(next->loaded);
    for (const Scene& scene : next->loaded.scenes)
        next->paths.push_back(ScenePath(path, scene.file));

    // Every table is complete before the pass-through works the list out; the
    // MIDI thread reads only what it worked out.
    state_.passThrough->SetScenes(next->tables.get());
    open_ = std::move(next);
    path_ = path;
    if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
    for (const std::string& file : open_->paths) watcher_.addPath(QString::fromStdString(file));
    seen_ = state_.passThrough->CurrentScene();
    follow_.start();
    FillSceneMenu();
    EnableCommands();
    Show(0);
    Remember(path);
    return true;
}

void SetlistPlayer::Close() {
    if (!open_) return;
    // The live table takes the scene in view, so what is played does not change.
    state_.passThrough->PublishTable(*open_->loaded.scenes[static_cast<size_t>(shown_)].table);
    state_.passThrough->SetScenes(nullptr);
    follow_.stop();
    if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
    form_.ViewTable(nullptr);
    open_.reset();
    path_.clear();
    shown_ = 0;
    FillSceneMenu();
    EnableCommands();
    if (frame_) frame_->SetScene({});
    state_.fileInUse.Remember(state_.settings);
    Remember("");
}

void SetlistPlayer::Go(int index) {
    if (!open_ || index < 0 || index >= Count()) return;
    // Without a running MIDI graph the request waits for the first cycle.
    state_.passThrough->RequestScene(index);
    seen_ = state_.passThrough->CurrentScene();
    Show(index);
}

void SetlistPlayer::Step(int by) {
    if (!open_) return;
    if (state_.passThrough->RequestStep(by)) {
        FollowScene();
        return;
    }
    // No cycle runs: the step waits for the first one; shown as it will be
    // taken unless the keyboard switches first.
    Show(std::clamp(shown_ + by, 0, Count() - 1));
}

void SetlistPlayer::FollowScene() {
    const int now = state_.passThrough->CurrentScene();
    if (now == seen_) return;
    seen_ = now;
    if (now < Count()) Show(now);
}

void SetlistPlayer::Show(int index) {
    shown_ = index;
    const size_t i = static_cast<size_t>(index);
    const std::string& path = open_->paths[i];
    state_.fileInUse.Use(path, std::filesystem::path(path).filename().string());
    form_.ViewTable(open_->loaded.scenes[i].table.get());
    // A scene outside the listed ones moves the list.
    if (index < menuFirst_ || index >= menuFirst_ + kMenuScenes) FillSceneMenu();
    for (size_t k = 0; k < sceneActions_.size(); ++k)
        sceneActions_[k]->setChecked(static_cast<int>(k) + menuFirst_ == index);
    if (frame_) frame_->SetScene(QString::fromStdString(SceneNumber(index, Count())));
    EnableCommands();
}

void SetlistPlayer::SayEnd(const char* end) {
    if (!open_ || !frame_) return;
    frame_->SetScene(QString::fromStdString(SceneNumber(shown_, Count())) +
                     QStringLiteral(", the %1 scene").arg(end));
}

void SetlistPlayer::ReadAgain(const QString& changed) {
    if (!open_) return;
    // A file replaced by a rename is watched again under its name.
    if (!watcher_.files().contains(changed)) watcher_.addPath(changed);
    const std::string path = changed.toStdString();
    AssignmentTable staging;
    if (ReadConfig(path.c_str(), staging) != StoreResult::Ok) return;  // kept as it was
    // Each scene of this file takes the table read, whole: one change of each
    // table, in force from the next cycle on.
    bool read = false;
    for (size_t i = 0; i < open_->paths.size(); ++i) {
        if (open_->paths[i] != path) continue;
        open_->loaded.scenes[i].table->CopyFrom(staging);
        read = true;
    }
    if (!read) return;
    const size_t shown = static_cast<size_t>(shown_);
    if (open_->paths[shown] == path) form_.ViewTable(open_->loaded.scenes[shown].table.get());
}

void SetlistPlayer::Remember(const std::string& path) {
    state_.settings.WriteValue(kSystemSection, kSetlistKey, path.c_str());
}

void SetlistPlayer::RunDialog() {
    // Learn reads the messages that the monitor's records carry, whether or not
    // the monitor window is open: logging is on while it learns, then as it was.
    // Stopped, the pass-through hears nothing, and Start is behind this dialog:
    // learning starts it and stops it again when it ends.
    PassThrough& passThrough = *state_.passThrough;
    EventPump& events = *state_.events;
    bool logging = passThrough.MonitorLogging();
    bool startedToLearn = false;
    CSetlistDlg dialog(path_, &form_);
    dialog.SetListener([&](CSetlistDlg::MessageSink sink) {
        if (sink) {
            if (!state_.ports->Online()) return false;
            startedToLearn = passThrough.State() != PassThroughState::Running;
            if (startedToLearn) passThrough.SetState(PassThroughState::Running);
            logging = passThrough.MonitorLogging();
            events.Drain();  // what came before the press is not learnt
            passThrough.SetMonitorLogging(true);
        } else {
            passThrough.SetMonitorLogging(logging);
            if (std::exchange(startedToLearn, false)) passThrough.Stop();
        }
        events.SetMessageSink(std::move(sink));
        return true;
    });
    if (dialog.exec() == QDialog::Accepted) Open(dialog.Path());
}

void SetlistPlayer::FillSceneMenu() {
    for (QAction* action : sceneActions_) delete action;
    sceneActions_.clear();
    delete separator_;
    separator_ = nullptr;
    if (!menu_ || !open_) return;
    separator_ = menu_->addSeparator();
    menuFirst_ = std::clamp(shown_ - kMenuScenes / 2, 0, std::max(0, Count() - kMenuScenes));
    const int end = std::min(Count(), menuFirst_ + kMenuScenes);
    for (int i = menuFirst_; i < end; ++i) {
        const QString name = Shown(open_->loaded.scenes[static_cast<size_t>(i)].file);
        QAction* action = menu_->addAction(i < 9 ? QStringLiteral("&%1 %2").arg(i + 1).arg(name)
                                                 : QStringLiteral("%1 %2").arg(i + 1).arg(name));
        action->setObjectName(QStringLiteral("scene%1").arg(i + 1));
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, i] { Go(i); });
        sceneActions_.push_back(action);
    }
    if (Count() <= kMenuScenes) return;
    QAction* choose = menu_->addAction(QStringLiteral("Choose scene..."));
    choose->setObjectName(QStringLiteral("chooseScene"));
    connect(choose, &QAction::triggered, this, &SetlistPlayer::ChooseScene);
    sceneActions_.push_back(choose);
}

void SetlistPlayer::ChooseScene() {
    if (!open_) return;
    QStringList names;
    for (int i = 0; i < Count(); ++i)
        names << QStringLiteral("%1 %2").arg(i + 1).arg(
            Shown(open_->loaded.scenes[static_cast<size_t>(i)].file));
    bool ok = false;
    const QString chosen =
        QInputDialog::getItem(&form_, QStringLiteral("Choose scene"), QStringLiteral("Scene:"),
                              names, shown_, false, &ok);
    if (ok) Go(static_cast<int>(names.indexOf(chosen)));
}

void SetlistPlayer::EnableCommands() {
    if (!frame_) return;
    const bool open = bool(open_);
    const std::pair<int, bool> enabled[] = {
        {kCmdNextScene, open && shown_ + 1 < Count()},
        {kCmdPreviousScene, open && shown_ > 0},
        {kCmdCloseSetlist, open},
    };
    for (const auto& [id, on] : enabled)
        if (QAction* action = frame_->Command(id)) action->setEnabled(on);
    // A key whose command is disabled at an end of the setlist says so.
    if (endKeys_[0]) endKeys_[0]->setEnabled(open && !frame_->Command(kCmdNextScene)->isEnabled());
    if (endKeys_[1])
        endKeys_[1]->setEnabled(open && !frame_->Command(kCmdPreviousScene)->isEnabled());
}

}  // namespace ostrel

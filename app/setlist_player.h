#pragma once
// The open setlist of the window: every scene's table read when it opens, handed
// to the pass-through, which switches between them by their triggers. The form
// shows the scene in view and its boxes edit that scene's table, so changes stay
// with the scene while the setlist is open; File Save writes it to the scene's
// file. The Setlist menu opens the setlist dialog, steps to the next and the
// previous scene, picks one from the list of scenes and closes the setlist. A
// switch made by a trigger is followed by the form; a scene's file saved by any
// program is read again. The setlist is remembered for the next start.
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/setlist.h"
#include "midi/pass_through.h"
#include "midi/scene_tables.h"

class QAction;
class QMenu;
class QShortcut;

namespace ostrel {

struct AppState;
class CMainFrame;
class COstrelView;

class SetlistPlayer : public QObject {
    Q_OBJECT
  public:
    // frame: whose Setlist menu and title serve the setlist; may be null.
    SetlistPlayer(AppState& state, COstrelView& form, CMainFrame* frame);
    // The pass-through goes back to the live table before the scenes go.
    ~SetlistPlayer() override;

    // The start: the setlist remembered from the last session, if any, opened.
    void ReopenRemembered();
    // Reads the setlist and every scene's table; scene 1 is in force and in view.
    // Files that cannot be read are named and their scenes skipped. False, after
    // saying why, when no scene could be read: then nothing changes.
    bool Open(const std::string& path);
    // The scene in view stays as the file in use and its table as the live
    // table; the setlist is no longer remembered. Nothing without a setlist.
    void Close();
    // The scene index in force from now on and in view; out of range: nothing.
    void Go(int index);
    // Next (+1) or previous (-1) of the scene in force when the MIDI thread
    // takes the step, never of the scene this window last saw.
    void Step(int by);

    bool IsOpen() const { return bool(open_); }
    int Count() const;
    int SceneShown() const { return shown_; }
    const std::string& Path() const { return path_; }

  private:
    struct OpenSetlist {
        LoadedSetlist loaded;
        std::unique_ptr<SceneTables> tables = std::make_unique<SceneTables>();
        std::vector<std::string> paths;  // each scene's file as the file calls take it
    };

    void RunDialog();
    void Show(int index);
    // A trigger of the MIDI thread switched the scene: the form follows.
    void FollowScene();
    // A scene's file changed on disk: the scenes read from it get new tables,
    // taken whole by the pass-through; the scene in force stays.
    void ReadAgain(const QString& path);
    void Remember(const std::string& path);
    // The menu lists the scenes around the one shown, at most a screen of them,
    // and "Choose scene..." for the rest.
    void FillSceneMenu();
    void ChooseScene();
    // Next and Previous are enabled only where there is a scene to step to.
    void EnableCommands();
    // F8 at the last scene (F7 at the first): the title says that the scene
    // stays, as the command line does ("last" or "first").
    void SayEnd(const char* end);

    AppState& state_;
    COstrelView& form_;
    CMainFrame* frame_;
    std::unique_ptr<OpenSetlist> open_;
    std::string path_;
    int shown_ = 0;
    int seen_ = 0;  // the pass-through's scene in force when last looked at
    QTimer follow_;
    QFileSystemWatcher watcher_;
    QMenu* menu_ = nullptr;
    QAction* separator_ = nullptr;  // before the scenes in the menu
    std::vector<QAction*> sceneActions_;
    // The keys of Next and Previous while their commands are disabled at an end.
    std::array<QShortcut*, 2> endKeys_{};
    int menuFirst_ = 0;  // the scene of sceneActions_[0]
};

}  // namespace ostrel

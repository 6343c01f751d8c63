#pragma once
// The application object: runs the start-up sequence and owns, until exit, the
// single-instance lock, the program's state and the frame window.
#include <memory>
#include <string>

#include "app/single_instance.h"
#include "midi/midi_system.h"

namespace ostrel {

struct AppState;
class CMainFrame;

inline constexpr const char* kApplicationTitle = "Ostrel";
inline constexpr const char* kAlreadyRunningText = "System Has Excuted This Program  !";

class COstrelApp {
  public:
    struct Options {
        std::string lockPath;              // empty: SingleInstanceLockPath()
        std::unique_ptr<MidiSystem> midi;  // null: the MIDI system of this machine
    };

    COstrelApp();
    explicit COstrelApp(Options options);
    ~COstrelApp();
    COstrelApp(const COstrelApp&) = delete;
    COstrelApp& operator=(const COstrelApp&) = delete;

    // The start-up sequence: settings file path, program directory, curve
    // libraries, device indices, the single-instance check, then the frame with
    // the main form, placed, shown and titled. False: the program must end.
    bool InitInstance();

    // Opens a configuration file or a setlist in the main form (see
    // COstrelView::OpenFile); after InitInstance.
    void OpenFile(const std::string& path);

    AppState* State() const { return state_.get(); }
    CMainFrame* Frame() const { return frame_.get(); }

  private:
    Options options_;
    SingleInstanceLock lock_;
    std::unique_ptr<AppState> state_;
    std::unique_ptr<CMainFrame> frame_;
};

}  // namespace ostrel

#pragma once
// The dialogs that ostrel-screenshot renders. A dialog joins with one line in a
// file of this folder:
//   static ostrel::shots::RegisterShot kAbout("about", [](ostrel::shots::ShotContext& c) {
//       return std::make_unique<ostrel::CAboutDlg>(c.frame); });
// The widget is shown offscreen, grabbed into <name>.png and destroyed.
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "support/fake_midi_system.h"

namespace ostrel {
struct AppState;
class CMainFrame;
}  // namespace ostrel

namespace ostrel::shots {

struct ShotContext {
    AppState& state;       // settings in a scratch folder, fake MIDI devices
    FakeMidiSystem& midi;  // the devices: inputs and outputs with names
    CMainFrame* frame;     // the main window (parent for dialogs)
};

using ShotFactory = std::function<std::unique_ptr<QWidget>(ShotContext&)>;

struct Shot {
    const char* name;  // file name without ".png"
    ShotFactory make;
};

std::vector<Shot>& Registry();

struct RegisterShot {
    RegisterShot(const char* name, ShotFactory make) {
        Registry().push_back({name, std::move(make)});
    }
};

}  // namespace ostrel::shots

// ostrel-screenshot DIR: renders the main window, its File menu, an open list
// and every registered dialog offscreen into DIR/<name>.png. The settings live in a
// scratch folder and the MIDI devices are fake, so nothing of the user's is touched.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/app_state.h"
#include "app/ostrel_view.h"
#include "app/main_frame.h"
#include "app/screenshot/shot_registry.h"
#include "support/fake_midi_system.h"
#include "res/app_resources.h"
#include "store/settings_keys.h"

namespace {

bool Save(QWidget* w, const QDir& dir, const char* name) {
    w->show();
    QApplication::processEvents();
    const QString file = dir.filePath(QString::fromLatin1(name) + ".png");
    const bool ok = w->grab().save(file);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(file));
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication qt(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: ostrel-screenshot OUTPUT_DIR\n");
        return 2;
    }
    // A relative output folder means the folder current at start: it is made
    // absolute before the program moves into its scratch folder.
    const QDir out(QDir(QString::fromLocal8Bit(argv[1])).absolutePath());
    if (!out.mkpath(".")) {
        std::fprintf(stderr, "ostrel-screenshot: cannot create %s\n", argv[1]);
        return 1;
    }
    QTemporaryDir scratch;
    if (!scratch.isValid() || !QDir::setCurrent(scratch.path())) {
        std::fprintf(stderr, "ostrel-screenshot: no scratch folder\n");
        return 1;
    }
    ostrel::res::InitAppResources();

    auto fake = std::make_unique<ostrel::FakeMidiSystem>(
        std::vector<std::string>{"VQ Keyboard:MIDI 1", "USB MIDI Interface:in",
                                 "Virtual Raw MIDI:in"},
        std::vector<std::string>{"FluidSynth:midi_00", "USB MIDI Interface:out",
                                 "Virtual Raw MIDI:out"});
    ostrel::FakeMidiSystem& midi = *fake;
    ostrel::AppState state(std::move(fake));
    state.settings.InitPath();
    state.programDirectory = scratch.path().toStdString();
    state.settings.WriteValue(ostrel::kDevicesSection, ostrel::kInputNameKey, "VQ Keyboard:MIDI 1");
    state.settings.WriteValue(ostrel::kDevicesSection, ostrel::kOutputNameKey,
                              "FluidSynth:midi_00");
    state.fileInUse.Use("", "midi.cfg");

    bool ok = true;
    ostrel::CMainFrame frame(state);
    frame.SetMainForm(new ostrel::COstrelView(state, &frame));
    frame.resize(790, 570);
    ok &= Save(&frame, out, "main_window");

    // The File menu, open, to show the item texts as the menu bar offers them.
    if (QMenu* file = frame.menuBar()->findChild<QMenu*>()) {
        file->popup(frame.mapToGlobal(QPoint(0, 0)));
        ok &= Save(file, out, "menu_file");
        file->hide();
    }

    // Knob1's list, open at the longest controller names: each item whole,
    // although the closed box is narrow.
    if (auto* knob = frame.findChild<QComboBox*>(QStringLiteral("1046"))) {
        knob->showPopup();
        knob->view()->scrollTo(knob->model()->index(2 + 91, 0), QAbstractItemView::PositionAtTop);
        ok &= Save(knob->view()->parentWidget(), out, "list_open");
        knob->hidePopup();
    }

    ostrel::shots::ShotContext context{state, midi, &frame};
    for (const ostrel::shots::Shot& shot : ostrel::shots::Registry()) {
        std::unique_ptr<QWidget> w = shot.make(context);
        ok &= w && Save(w.get(), out, shot.name);
    }
    return ok ? 0 : 1;
}

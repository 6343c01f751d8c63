#include "app/ostrel_app.h"

#include <QApplication>
#include <QScreen>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/app_state.h"
#include "app/main_frame.h"
#include "app/ostrel_view.h"
#include "curves/curve_library.h"
#include "res/app_resources.h"
#include "res/message_box_seam.h"
#include "res/template_curve.h"
#include "store/atomic_file.h"

namespace ostrel {
namespace {

const char* const kSettingsPathTooLong =
    "The settings file cannot be used: the path of the start directory is too long.";

std::string CurrentDirectory() {
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::current_path(ec);
    return ec ? std::string() : dir.string();
}

// The frame at 790 by 570 pixels, centred on the screen it is on.
void PlaceFrame(QWidget* frame) {
    frame->resize(790, 570);
    if (const QScreen* screen = frame->screen()) {
        QRect r = frame->frameGeometry();
        r.moveCenter(screen->availableGeometry().center());
        frame->move(r.topLeft());
    }
}

}  // namespace

COstrelApp::COstrelApp() : COstrelApp(Options{}) {}

COstrelApp::COstrelApp(Options options) : options_(std::move(options)) {}

COstrelApp::~COstrelApp() {
    frame_.reset();  // the main form goes with it and closes the ports
    state_.reset();
}

bool COstrelApp::InitInstance() {
    res::InitAppResources();
    QApplication::setWindowIcon(res::AppIcon());
    QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));

    state_ = std::make_unique<AppState>(std::move(options_.midi));
    AppState& state = *state_;

    // The settings file, and the start directory that also holds the help page.
    if (!state.settings.InitPath())
        res::Ui().Message(nullptr, QString::fromLatin1(kSettingsPathTooLong),
                          QString::fromLatin1(res::kAppCaption), res::MsgButtons::Ok,
                          res::MsgIcon::Stop);
    state.programDirectory = CurrentDirectory();
    // What a write killed at its rename left beside the settings goes now, not
    // only when the settings are written again.
    RemoveLeftoverTempFiles(std::filesystem::path(state.settings.Path()).parent_path().string());

    // Curve libraries with the start points of both curves. The remembered MIDI
    // devices are read when the main form joins the MIDI graph.
    LoadCurveLibraries(state.settings, state.curveLibraries, state.curves);
    // The drawing area has one fixed size, so the curve in force is known from the
    // start, before any curve dialog has been opened.
    for (CurveKind kind : {CurveKind::Velocity, CurveKind::Touch})
        state.curves.Of(kind).SetArea(res::kCurveAreaWidth, res::kCurveAreaHeight);

    // Only one copy runs. The settings were read above, so a second copy has read
    // them too before it ends.
    const std::string lockPath =
        options_.lockPath.empty() ? SingleInstanceLockPath() : options_.lockPath;
    std::string lockNotice;
    const InstanceCheck check = lock_.AcquireOrFallBack(lockPath, PrivateLockFolder(), lockNotice);
    if (!lockNotice.empty()) std::fprintf(stderr, "ostrel: %s\n", lockNotice.c_str());
    switch (check) {
        case InstanceCheck::First:
            break;
        case InstanceCheck::AlreadyRunning:
            res::Ui().Message(nullptr, QString::fromLatin1(kAlreadyRunningText),
                              QString::fromLatin1(kApplicationTitle), res::MsgButtons::Ok,
                              res::MsgIcon::Stop);
            return false;
        case InstanceCheck::Failed:
        case InstanceCheck::Unsafe:
            std::fprintf(stderr, "ostrel: cannot create the lock file %s\n", lockPath.c_str());
            return false;
    }
    frame_ = std::make_unique<CMainFrame>(state);
    frame_->SetMainForm(new COstrelView(state, frame_.get()));
    PlaceFrame(frame_.get());
    frame_->showNormal();
    frame_->repaint();
    frame_->UpdateTitle();
    return true;
}

void COstrelApp::OpenFile(const std::string& path) {
    if (auto* form = qobject_cast<COstrelView*>(frame_ ? frame_->MainForm() : nullptr))
        form->OpenFile(path);
}

}  // namespace ostrel

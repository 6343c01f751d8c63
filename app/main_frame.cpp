#include "app/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QMenuBar>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>
#include <span>
#include <string>
#include <vector>

#include "app/about_dlg.h"
#include "app/app_state.h"
#include "app/help_page.h"
#include "app/menu_text_style.h"
#include "res/app_resources.h"
#include "res/message_box_seam.h"
#include "store/display_text.h"

namespace ostrel {
namespace {

struct MenuItem {
    int id;  // 0: separator
    const char* text;
    QKeyCombination keys;
};

constexpr QKeyCombination kNoKeys{};

const MenuItem kFileMenu[] = {
    {kCmdFileNew, "&New                Ctrl+N", Qt::CTRL | Qt::Key_N},
    {kCmdFileOpen, "&Open              Ctrl+O", Qt::CTRL | Qt::Key_O},
    {kCmdFileSave, "&Save               Ctrl+S", Qt::CTRL | Qt::Key_S},
    {kCmdFileSaveAs, "Save &As          Ctrl+A", Qt::CTRL | Qt::Key_A},
    {0, nullptr, kNoKeys},
    {kCmdExit, "E&xit                  Alt+X", Qt::ALT | Qt::Key_X},
};
const MenuItem kSetupMenu[] = {
    {kCmdMidiDriver, "&Midi driver                Ctrl+M", Qt::CTRL | Qt::Key_M},
};
// Keys that no menu and no box of the form uses: F7 and F8 are free in the
// boxes' edit fields and lists, so a scene changes wherever the focus is.
const MenuItem kSetlistMenu[] = {
    {kCmdSetlist, "&Setlist...                 Ctrl+L", Qt::CTRL | Qt::Key_L},
    {kCmdNextScene, "&Next scene               F8", QKeyCombination(Qt::Key_F8)},
    {kCmdPreviousScene, "&Previous scene        F7", QKeyCombination(Qt::Key_F7)},
    {kCmdCloseSetlist, "&Close setlist", kNoKeys},
};
const MenuItem kHelpMenu[] = {
    {kCmdReadMe, "&ReadMe                 Ctrl+R", Qt::CTRL | Qt::Key_R},
    {kCmdWebSite, "&WebSite                 Ctrl+W", Qt::CTRL | Qt::Key_W},
    {kCmdAbout, "A&bout                     Ctrl+B", Qt::CTRL | Qt::Key_B},
};

const char* const kExitQuestion = "Do you want to exit the program ?";
const char* const kExitCaption = "DO Darivu v1.0 beta ";  // with its trailing blank
const char* const kTrayTip = "DO Darivu";
const char* const kHelpPageMissing = "The help page Readme.htm was not found. Looked in:\n%1";
const char* const kNoHelpViewer =
    "No program could open the help page\n%1\nOpen it with a web browser.";
const char* const kNoBrowser =
    "No web browser could open the web site\n%1\nOpen the address in a web browser.";

}  // namespace

CMainFrame::CMainFrame(AppState& state, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      state_(state) {
    setObjectName("CMainFrame");
    setWindowIcon(res::AppIcon());
    BuildMenu();
    BuildTrayIcon();
    UpdateTitle();
}

CMainFrame::~CMainFrame() {
    if (tray_) tray_->hide();
}

void CMainFrame::BuildMenu() {
    auto* style = new MenuTextStyle();
    style->setParent(this);
    menuBar()->setStyle(style);
    auto addMenu = [&](const char* title, std::span<const MenuItem> items) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(title));
        menu->setStyle(style);
        for (const MenuItem& item : items) {
            if (item.id == 0) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(QString::fromLatin1(item.text));
            action->setObjectName(QString::number(item.id));
            if (item.keys != kNoKeys) action->setShortcut(QKeySequence(item.keys));
            // Keys work wherever the frame has the focus, as the accelerator table did.
            action->setShortcutContext(Qt::WindowShortcut);
        }
    };
    addMenu("&File", kFileMenu);
    addMenu("S&etup", kSetupMenu);
    addMenu("Se&tlist", kSetlistMenu);
    addMenu("&Help", kHelpMenu);

    connect(Command(kCmdExit), &QAction::triggered, this, &CMainFrame::OnExit);
    connect(Command(kCmdReadMe), &QAction::triggered, this, &CMainFrame::OnReadMe);
    connect(Command(kCmdWebSite), &QAction::triggered, this, &CMainFrame::OnWebSite);
    connect(Command(kCmdAbout), &QAction::triggered, this, &CMainFrame::OnAbout);
}

void CMainFrame::BuildTrayIcon() {
    tray_ = new QSystemTrayIcon(res::AppIcon(), this);
    tray_->setToolTip(QString::fromLatin1(kTrayTip));
    connect(tray_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // Only a double click brings the window back; other clicks do nothing.
                if (reason == QSystemTrayIcon::DoubleClick) RestoreFromTray();
            });
    if (QSystemTrayIcon::isSystemTrayAvailable()) tray_->show();
}

void CMainFrame::SetMainForm(QWidget* form) { setCentralWidget(form); }

QWidget* CMainFrame::MainForm() const { return centralWidget(); }

QAction* CMainFrame::Command(int id) const { return findChild<QAction*>(QString::number(id)); }

QString CMainFrame::TitleFor(const char* cfgName) {
    const QString name = QString::fromStdString(DisplayText(cfgName ? cfgName : ""));
    return QStringLiteral("%1   [%2]")
        .arg(QString::fromLatin1(kFrameTitle), name.isEmpty() ? QStringLiteral("default") : name);
}

void CMainFrame::UpdateTitle() {
    const QString title = TitleFor(state_.fileInUse.Name().c_str());
    setWindowTitle(scene_.isEmpty() ? title : QStringLiteral("%1   scene %2").arg(title, scene_));
}

void CMainFrame::SetScene(const QString& position) {
    scene_ = position;
    UpdateTitle();
}

void CMainFrame::OnReadMe() {
    // The start directory first, whatever the current directory is now; an installed
    // program finds the page beside itself or in its data folder.
    const std::vector<std::string> folders =
        HelpPageFolders(state_.programDirectory, ProgramFolder());
    const std::string page = FindHelpPage(folders);
    QString problem;
    if (page.empty()) {
        QStringList looked;
        for (const std::string& folder : folders) looked << QString::fromStdString(folder);
        problem = QString::fromLatin1(kHelpPageMissing).arg(looked.join('\n'));
    } else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(page)))) {
        problem = QString::fromLatin1(kNoHelpViewer).arg(QString::fromStdString(page));
    }
    if (!problem.isEmpty()) TellProblem(problem);
}

void CMainFrame::OnWebSite() {
    const QString address = QString::fromLatin1(kWebSiteAddress);
    if (!QDesktopServices::openUrl(QUrl(address)))
        TellProblem(QString::fromLatin1(kNoBrowser).arg(address));
}

void CMainFrame::TellProblem(const QString& text) {
    res::Ui().Message(this, text, QString::fromLatin1(res::kAppCaption), res::MsgButtons::Ok,
                      res::MsgIcon::Error);
}

void CMainFrame::OnAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CMainFrame::OnExit() { close(); }

void CMainFrame::closeEvent(QCloseEvent* event) {
    // Asked only of a person. A signal that comes while the question is shown
    // has ended the program, whatever the box then returns.
    if (!endingUnasked_) {
        const res::MsgResult answer = res::Ui().Message(
            this, QString::fromLatin1(kExitQuestion), QString::fromLatin1(kExitCaption),
            res::MsgButtons::YesNo, res::MsgIcon::Information);
        if (answer != res::MsgResult::Yes && !endingUnasked_) {
            event->ignore();
            return;
        }
    }
    Leave();
    event->accept();
}

void CMainFrame::EndUnasked() {
    endingUnasked_ = true;
    Leave();
    hide();
}

void CMainFrame::Leave() {
    if (left_) return;
    left_ = true;
    emit Exiting();
    if (tray_) tray_->hide();
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized()) return;
    // Minimised, the program lives on as its tray icon; without a tray the window
    // stays minimised in the task bar, so it never becomes unreachable.
    if (tray_ && QSystemTrayIcon::isSystemTrayAvailable()) {
        tray_->show();
        QTimer::singleShot(0, this, [this] {
            if (isMinimized()) hide();
        });
    }
}

void CMainFrame::RestoreFromTray() {
    show();
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    showNormal();
    raise();
    activateWindow();
}

}  // namespace ostrel

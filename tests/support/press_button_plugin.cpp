// Presses buttons and menu commands of the real window from inside its
// process, as a person would, for end-to-end tests that run the `ostrel`
// binary: the window takes no options and forwards only after Start. Qt loads
// this plugin at start-up when QT_PLUGIN_PATH names the folder that holds
// generic/ and QT_QPA_GENERIC_PLUGINS=ostrelpress:ID/ID/...; it presses the
// widget or action of each objectName ID in turn, as soon as it is shown and
// enabled, and says "ostrelpress: ID" on stderr just before (a press that opens
// a modal dialog returns only when the dialog ends).
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGenericPlugin>
#include <QTimer>
#include <cstdio>

namespace {

// Presses what ID names in a shown window; false when it cannot be pressed yet.
bool Press(const QString& id) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible()) continue;
        auto* button = window->findChild<QAbstractButton*>(id);
        auto* action = window->findChild<QAction*>(id);
        if (button ? !button->isVisible() || !button->isEnabled() : !action || !action->isEnabled())
            continue;
        std::fprintf(stderr, "ostrelpress: %s\n", qPrintable(id));
        if (button)
            button->click();
        else
            action->trigger();
        return true;
    }
    return false;
}

}  // namespace

class PressButtonPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "press_button_plugin.json")

  public:
    QObject* create(const QString& key, const QString& ids) override {
        if (key != QLatin1String("ostrelpress")) return nullptr;
        auto* timer = new QTimer;  // Qt deletes what a generic plugin creates
        connect(timer, &QTimer::timeout, timer, [timer, left = ids.split('/')]() mutable {
            if (left.isEmpty())
                timer->stop();
            else if (Press(left.front()))
                left.removeFirst();
        });
        timer->start(20);
        return timer;
    }
};

#include "press_button_plugin.moc"

#pragma once
// Acts on the next modal dialog of type T as soon as it runs, for tests that
// press a button which opens a dialog with exec(). The action must end that
// dialog. Destroying the watcher stops waiting.
#include <QApplication>
#include <QTimer>
#include <functional>

namespace ostrel::test {

template <typename T>
class ModalWatcher {
  public:
    using Action = std::function<void(T&)>;

    explicit ModalWatcher(Action action) : action_(std::move(action)) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            T* dlg = qobject_cast<T*>(QApplication::activeModalWidget());
            if (!dlg || !dlg->isVisible()) return;
            timer_.stop();
            ran_ = true;
            action_(*dlg);
        });
        timer_.start();
    }
    ModalWatcher(const ModalWatcher&) = delete;
    ModalWatcher& operator=(const ModalWatcher&) = delete;

    // True once the action has run.
    bool ran() const { return ran_; }

  private:
    Action action_;
    QTimer timer_;
    bool ran_ = false;
};

}  // namespace ostrel::test

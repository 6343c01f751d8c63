#pragma once
// A seam for tests: answers message boxes and file dialogs from queues and
// records every message box shown. Installed for its lifetime.
#include <deque>
#include <vector>

#include "res/message_box_seam.h"

namespace ostrel::test {

class ScriptedUi final : public res::UiSeam {
  public:
    struct Shown {
        QString text, caption;
        res::MsgButtons buttons;
        res::MsgIcon icon;
    };

    ScriptedUi() { res::SetUi(this); }
    ~ScriptedUi() override { res::SetUi(nullptr); }

    // Answers for the next Yes/No questions (default Yes when the queue is empty).
    void AnswerNext(res::MsgResult r) { answers_.push_back(r); }
    // The next file dialog returns this path (empty string: cancel).
    void ChooseNext(const QString& fullPath) { files_.push_back(fullPath); }

    res::MsgResult Message(QWidget*, const QString& text, const QString& caption,
                           res::MsgButtons buttons, res::MsgIcon icon) override {
        shown.push_back({text, caption, buttons, icon});
        if (buttons == res::MsgButtons::Ok) return res::MsgResult::Ok;
        if (answers_.empty()) return res::MsgResult::Yes;
        auto r = answers_.front();
        answers_.pop_front();
        return r;
    }

    res::FileChoice ChooseFile(QWidget*, const res::FileDialogSpec& request) override {
        fileSpecs.push_back(request);
        res::FileChoice c;
        if (files_.empty()) return c;
        const QString path = files_.front();
        files_.pop_front();
        if (path.isEmpty()) return c;
        c.ok = true;
        c.fullPath = path;
        c.fileName = path.section('/', -1);
        return c;
    }

    std::vector<Shown> shown;
    std::vector<res::FileDialogSpec> fileSpecs;

  private:
    std::deque<res::MsgResult> answers_;
    std::deque<QString> files_;
};

}  // namespace ostrel::test

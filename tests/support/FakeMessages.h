#pragma once
// Records every message box instead of showing it, and answers questions
// from a script (No when the script is empty), so no test blocks.
#include "platform/ui/MessageService.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <vector>

namespace testsupport {

struct RecordedBox {
    QString text;
    ui::Icon icon;
    bool question;
    QString caption;  // empty for the usual untitled box
};

class FakeMessages : public ui::MessageService {
public:
    FakeMessages() { ui::setMessageService(this); }
    ~FakeMessages() override { ui::setMessageService(nullptr); }

    void show(QWidget*, const QString& text, ui::Icon icon, const QString& caption) override {
        boxes.push_back({text, icon, false, caption});
    }
    ui::Answer ask(QWidget*, const QString& text, ui::Icon icon, bool) override {
        boxes.push_back({text, icon, true, {}});
        return next(ui::Answer::No);
    }
    ui::Answer askYesNoCancel(QWidget*, const QString& text, ui::Icon icon) override {
        boxes.push_back({text, icon, true, {}});
        return next(ui::Answer::Cancel);
    }

    ui::Answer askCaptioned(QWidget*, const QString& caption, const QString& text, ui::Icon icon, bool withCancel,
                            ui::Answer) override {
        boxes.push_back({text, icon, true, caption});
        return next(withCancel ? ui::Answer::Cancel : ui::Answer::No);
    }

    void answer(ui::Answer a) { answers.push_back(a); }
    QStringList texts() const {
        QStringList t;
        for (const auto& b : boxes) t << b.text;
        return t;
    }
    QString last() const { return boxes.empty() ? QString() : boxes.back().text; }
    void clear() { boxes.clear(); }

    std::vector<RecordedBox> boxes;
    std::deque<ui::Answer> answers;

private:
    ui::Answer next(ui::Answer fallback) {
        if (answers.empty()) return fallback;
        const ui::Answer a = answers.front();
        answers.pop_front();
        return a;
    }
};

}  // namespace testsupport

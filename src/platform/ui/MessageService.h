#pragma once
#include <QString>

class QFontMetrics;
class QWidget;

namespace fb {
class Error;
}

namespace ui {

enum class Icon { None, Information, Warning, Error, Question };
enum class Answer { Ok, Yes, No, Cancel };

// Every message box of the program goes through here: exact texts, an
// empty caption unless the box has a title of its own ("Ошибка ввода"),
// Yes/No questions with No as the default button. Tests install a fake that
// records each box and answers from a script, so no test ever blocks on a
// modal box.
class MessageService {
public:
    virtual ~MessageService() = default;
    virtual void show(QWidget* parent, const QString& text, Icon icon, const QString& caption = {});
    // Yes/No; No is the default button (Enter does not confirm by accident).
    virtual Answer ask(QWidget* parent, const QString& text, Icon icon = Icon::Question, bool defaultYes = false);
    // Yes/No/Cancel; Cancel is the default button.
    virtual Answer askYesNoCancel(QWidget* parent, const QString& text, Icon icon = Icon::Question);
    // "OK"/"ОТМЕНА" for a value the cashier may keep or correct; Cancel is
    // the default button. Answers Ok or Cancel.
    virtual Answer askOkCancel(QWidget* parent, const QString& text, Icon icon = Icon::Warning);
    // A question with a title of its own (empty for none), Yes/No or
    // Yes/No/Cancel, and the default button given.
    virtual Answer askCaptioned(QWidget* parent, const QString& caption, const QString& text, Icon icon,
                                bool withCancel, Answer defaultAnswer = Answer::No);
};

MessageService& messages();
void setMessageService(MessageService* service);  // nullptr restores the real boxes

// Shorthands.
void showError(const QString& text, QWidget* parent = nullptr);
void showWarning(const QString& text, QWidget* parent = nullptr);
void showInfo(const QString& text, QWidget* parent = nullptr);
void showPlain(const QString& text, QWidget* parent = nullptr);
bool askYesNo(const QString& text, QWidget* parent = nullptr, Icon icon = Icon::Question);
// A box with a title of its own.
void showCaptioned(const QString& caption, const QString& text, Icon icon, QWidget* parent = nullptr);

// A question's lines as its box shows them: a line wider than maxWidth
// pixels (a long goods name) is cut in its middle with "…", so the start and
// the question mark after it stay in the box. Line breaks are kept.
QString fitMessageLines(const QString& text, const QFontMetrics& metrics, int maxWidth);

// The program's message for a failure nobody expected.
QString unexpectedFailureText(const QString& detail = {});
// What the cashier reads when the database refused or failed: `lead` (the
// window's own sentence) or, without one, a Russian sentence for the kind of
// failure; the engine's own text follows only as the last line, for
// whoever is called to help.
QString databaseFailureText(const fb::Error& error, const QString& lead = {});
// The Russian sentence for the kind of database failure.
QString databaseFailureSentence(const fb::Error& error);
// The engine's text as the detail line under a Russian message.
QString withDetail(const QString& text, const QString& detail);

}  // namespace ui

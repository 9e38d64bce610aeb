#include "sales/input/ScanInput.h"

#include "core/TextUtils.h"
#include "core/uNumKeyboard.h"
#include "platform/ui/KeyboardLayout.h"
#include "sales/screen/Registration_Mode.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

namespace sales {

namespace {

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }
bool isPoint(QChar c) { return c == QLatin1Char('.') || c == QLatin1Char(','); }

// The digit and point rules for one number (the price or the quantity part).
QString editNumber(const QString& part, QChar key, int maxDecimals) {
    const qsizetype point = part.indexOf(QLatin1Char('.'));
    const qsizetype decimals = point < 0 ? 0 : part.size() - point - 1;
    if (isPoint(key)) {
        if (point >= 0) return part;
        if (part.isEmpty() || part == QLatin1String("0")) return QStringLiteral("0.");
        return part + QLatin1Char('.');
    }
    if (point >= 0 && decimals >= maxDecimals) return part;
    if (key == QLatin1Char('0')) {
        if (part.isEmpty()) return QStringLiteral("0");
        if (part == QLatin1String("0")) return part;
        return part + key;
    }
    if (part == QLatin1String("0")) return QString(key);
    return part + key;
}

bool holdsNonZeroNumber(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && v != 0.0;
}

}  // namespace

// ---------------------------------------------------------------------------
// The visible line

InputKeyEffect applyInputKey(const QString& line, QChar key, bool currentRowActive, bool scanning) {
    InputKeyEffect e;
    e.line = line;
    const qsizetype mark = line.indexOf(kQuantityMark);
    if (mark >= 0) {
        // Typing a quantity by hand is never a scan; a burst already under
        // way keeps going.
        e.keepsPending = scanning;
        if (isDigit(key) || isPoint(key)) {
            const QString before = line.left(mark).trimmed();
            const QString quantity = line.mid(mark + 1);
            e.line = before + QLatin1Char(' ') + kQuantityMark + editNumber(quantity, key, 3);
        }
        return e;
    }
    if (key == QLatin1Char('*')) {
        // Inside a burst the key still marks the quantity, so a price and
        // quantity typed fast are read as such; the burst goes on, since
        // marking codes carry "*" and still end in the scanner's Enter.
        e.keepsPending = scanning;
        if (line.isEmpty()) e.openQuantity = currentRowActive && !scanning;
        else if (holdsNonZeroNumber(line)) e.line = line + QLatin1Char(' ') + kQuantityMark;
        return e;
    }
    if (isDigit(key) || isPoint(key)) e.line = editNumber(line, key, 2);
    return e;
}

QString inputLineBackspace(const QString& line) {
    QString out = line;
    out.chop(1);
    while (out.endsWith(QLatin1Char(' '))) out.chop(1);
    return out;
}

QString inputLineDelete(const QString& line) {
    const qsizetype mark = line.indexOf(kQuantityMark);
    return mark < 0 ? QString() : line.left(mark).trimmed();
}

// ---------------------------------------------------------------------------
// Layouts

QChar latinCharFor(QChar typed, int layout) {
    // Control characters (GS of GS1 codes) are the same in every layout.
    if (typed == kGroupSeparator) return typed;
    if (layout == LayoutEnglish) return typed;
    if (layout == LayoutRussian) return core::RusToLatKey(typed);
    return QChar();
}

QChar latinCharForScanCode(quint32 scanCode, bool shift, QChar typed) {
    return ui::KeyboardLayout::usCharForScanCode(scanCode, shift, typed);
}

int layoutFromCharacter(QChar typed, int previous) {
    if (!typed.isLetter()) return previous;
    if (typed.script() == QChar::Script_Cyrillic) return LayoutRussian;
    if (typed.unicode() < 128) return LayoutEnglish;
    return LayoutOther;
}

int systemKeyboardLayout() {
    const QInputMethod* im = QGuiApplication::inputMethod();
    const QLocale locale = im ? im->locale() : QLocale();
    switch (locale.language()) {
    case QLocale::Russian: return LayoutRussian;
    case QLocale::English:
    case QLocale::C: return LayoutEnglish;
    default: return LayoutOther;
    }
}

int latinShortcutKey(int key) {
    const QChar c(static_cast<char16_t>(key));
    if (key > 0xFFFF || c.script() != QChar::Script_Cyrillic) return key;
    const QChar latin = core::RusToLatKey(c.toUpper()).toUpper();
    if (latin >= QLatin1Char('A') && latin <= QLatin1Char('Z')) return Qt::Key_A + (latin.unicode() - 'A');
    return key;
}

// ---------------------------------------------------------------------------
// The screen's key handling

ScanInput::ScanInput(TfmReg& screen, std::function<void()> onScan, QObject* parent)
    : QObject(parent ? parent : &screen), screen_(&screen), onScan_(std::move(onScan)) {
    setObjectName(QStringLiteral("ScanInput"));
    layout_ = systemKeyboardLayout();
    if (layout_ == LayoutOther) layout_ = LayoutEnglish;
    connect(screen.Timer2, &QTimer::timeout, this, &ScanInput::Timer2Timer);
}

ScanInput::~ScanInput() = default;

bool ScanInput::scanPending() const {
    return screen_ && screen_->Timer2->isActive() && controlTag(screen_->Timer2) == 1;
}

void ScanInput::refreshLayout(QChar typed) {
    layout_ = layoutProvider_ ? layoutProvider_() : layoutFromCharacter(typed, layout_);
}

void ScanInput::endPending(bool clearCopies) {
    screen_->Timer2->stop();
    setControlTag(screen_->Timer2, 0);
    if (clearCopies) {
        screen_->lblVvodBegin->clear();
        screen_->lblVvodBeginEng->clear();
    }
}

bool ScanInput::currentRowActive() const {
    const int row = screen_->currentReceiptRow();
    return screen_->receipt().isActive(row);
}

void ScanInput::click(QPushButton* button, bool focusFirst) {
    if (!button || !button->isEnabled()) return;
    if (focusFirst) button->setFocus();
    button->click();
}

bool ScanInput::closeKeypad() {
    if (!core::fmNumKeyboard || !core::fmNumKeyboard->isVisible()) return false;
    core::fmNumKeyboard->close();
    return true;
}

namespace {

bool isGroupSeparatorKey(const QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    if (mods != Qt::ControlModifier) return false;
    if (event->text() == QString(kGroupSeparator)) return true;
    // Ctrl+] as a scanner types it, also where the layout puts a letter on
    // that key and the desktop gives no text: the physical key, or the
    // Latin character of the letter.
    if (event->key() == Qt::Key_BracketRight || event->nativeScanCode() == kBracketRightScanCode) return true;
    const int key = event->key();
    if (key <= 0 || key > 0xFFFF) return false;
    const QChar typed(static_cast<char16_t>(key));
    return typed.script() == QChar::Script_Cyrillic && core::RusToLatKey(typed.toLower()) == QLatin1Char(']');
}

}  // namespace

bool ScanInput::keyPress(QKeyEvent* event) {
    if (!screen_) return false;
    const QString text = event->text();
    refreshLayout(text.isEmpty() ? QChar() : text.at(0));
    if (FormKeyDown(event->key(), event->modifiers())) return true;
    // The fiscal sign of a refunded receipt is typed into its own field.
    if (screen_->edFPD->hasFocus()) return false;
    if (isGroupSeparatorKey(event)) {
        FormKeyPress(kGroupSeparator, kGroupSeparator);
        return true;
    }
    if (text.isEmpty() || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) return false;
    // The physical key gives the Latin copy whatever layout is active, so
    // punctuation before the first letter of a scan needs no layout guess.
    // The numeric pad's digits and point are left to the typed character.
    QChar latin;
    if (event->nativeScanCode() != 0 && text.size() == 1 && !(event->modifiers() & Qt::KeypadModifier))
        latin = latinCharForScanCode(event->nativeScanCode(), event->modifiers() & Qt::ShiftModifier, text.at(0));
    bool used = false;
    for (const QChar c : text) {
        if (c == kGroupSeparator) {
            FormKeyPress(c, c);
        } else {
            if (!c.isPrint()) continue;
            FormKeyPress(c, latin);
        }
        used = true;
    }
    return used;
}

void ScanInput::FormKeyPress(QChar key, QChar latinKey) {
    if (!screen_) return;
    TfmReg& s = *screen_;
    // A character that comes while the previous one is still pending belongs
    // to a scanner burst; "*" and quantity keys only act as such when typed
    // by hand.
    const bool scanning = scanPending();
    // Every character restarts the end-of-scan timer, letters too: marking
    // codes end in letters and are still scans.
    s.Timer2->stop();
    s.Timer2->start();
    setControlTag(s.Timer2, 1);

    s.lblVvodBegin->setText(s.lblVvodBegin->text() + key);
    const QChar latin = latinKey.isNull() ? latinCharFor(key, layout_) : latinKey;
    if (!latin.isNull()) s.lblVvodBeginEng->setText(s.lblVvodBeginEng->text() + latin);

    // A locked workplace reads nothing but a card: no key is a price, a
    // quantity mark or the end of a burst, so a pause drops what was typed
    // by hand and the card's own burst reaches its Enter whole.
    if (s.isWorkplaceLocked()) return;

    const InputKeyEffect e = applyInputKey(s.lblVvod->text(), key, currentRowActive(), scanning);
    if (e.line != s.lblVvod->text()) s.lblVvod->setText(e.line);
    if (!e.keepsPending) endPending(true);
    if (e.openQuantity) click(s.BitBtn2, false);
}

bool ScanInput::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    if (!screen_) return false;
    TfmReg& s = *screen_;
    const Qt::KeyboardModifiers mods = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool inFpd = s.edFPD->hasFocus();

    if (key == Qt::Key_Delete && mods == Qt::NoModifier) {
        if (inFpd) return false;
        const QString cut = inputLineDelete(s.lblVvod->text());
        if (cut.isEmpty()) {
            s.clearInputLine();
        } else {
            s.lblVvod->setText(cut);
            endPending(true);
        }
        return true;
    }
    // A locked workplace takes nothing else from the keyboard; characters
    // still gather, since a cashier card unlocks it.
    if (s.isWorkplaceLocked()) return false;

    const int latinKey = latinShortcutKey(key);
    if (mods == Qt::NoModifier) {
        switch (key) {
        case Qt::Key_Backspace:
            if (inFpd) return false;
            s.lblVvod->setText(inputLineBackspace(s.lblVvod->text()));
            endPending(true);
            return true;
        case Qt::Key_Pause: s.lockWorkplace(); return true;
        case Qt::Key_Escape: return closeKeypad();
        default: return false;
        }
    }
    if (mods == Qt::ShiftModifier) {
        if (key == Qt::Key_Delete) {
            click(s.btnPosDelete, true);
            return true;
        }
        if (key == Qt::Key_Minus || key == Qt::Key_Underscore) {
            // Inside a scan it is "_" (or "-"), a character of GS1 marking
            // codes: it goes on to the copies.
            if (controlTag(s.Timer2) == 1) return false;
            click(s.btnPosDiscount, false);
            return true;
        }
        return false;
    }
    if (mods != Qt::ControlModifier) return false;
    switch (latinKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        closeKeypad();
        s.clearInputLine();
        click(s.btnCloseCheck, true);
        return true;
    case Qt::Key_Delete: click(s.btnCheckDelete, true); return true;
    case Qt::Key_Minus: click(s.btnCheckDiscount, false); return true;
    case Qt::Key_Asterisk:
    case Qt::Key_8:
        if (currentRowActive()) click(s.BitBtn2, false);
        return true;
    case Qt::Key_P: click(s.BitBtn1, false); return true;
    case Qt::Key_W: click(s.btnFreePrice, false); return true;
    case Qt::Key_I: click(s.btnBarcode, false); return true;
    case Qt::Key_K:
    case Qt::Key_R: click(s.btnCode, false); return true;
    case Qt::Key_F: click(s.btnFindName, false); return true;
    case Qt::Key_D: click(s.btnScale, false); return true;
    case Qt::Key_N:
        // The name of the current row (a free-price position's name is the
        // one that can be typed), wherever the grid's cursor stands.
        if (s.receipt().isDataRow(s.currentReceiptRow())) s.GoodsGridDblClick(ReceiptModel::ColName);
        return true;
    default: return false;
    }
}

void ScanInput::Timer2Timer() {
    if (!screen_) return;
    // The keys came slower than a scanner types: they were typed by hand and
    // stay on the visible line only.
    endPending(true);
}

void ScanInput::takeScan() {
    if (!screen_) return;
    screen_->Timer2->stop();
    setControlTag(screen_->Timer2, 0);
    if (onScan_) onScan_();
}

}  // namespace sales

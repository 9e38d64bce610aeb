#include "sales/input/KeyRouter.h"

#include "core/uAuthor.h"
#include "platform/ui/Guard.h"
#include "sales/screen/Registration_Mode.h"
#include "sales/input/ScanInput.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMetaObject>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <initializer_list>

namespace sales {

namespace {

KeyRouter* g_router = nullptr;

// How far after the last input seen a discard reaches back into the window
// system's queue, at most.
constexpr qint64 kDiscardReachMs = 100;

// The end of a discard, posted behind the events it drops.
QEvent::Type discardEndEvent() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

bool isEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

bool isRoutedKey(int key) {
    switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Tab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Space:
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down: return true;
    default: return false;
    }
}

template <class T = QWidget>
T* child(QWidget* form, const char* name) {
    return form->findChild<T*>(QString::fromLatin1(name));
}

bool usable(const QWidget* w) { return w && w->isEnabled() && !w->isHidden(); }

bool hasFocus(QWidget* form, const QWidget* w) { return w && form->focusWidget() == w; }

// A radio button that takes the focus is also chosen, as the arrow keys
// choose in a group of radio buttons.
void focusWidget(QWidget* w) {
    if (!w) return;
    w->setFocus(Qt::OtherFocusReason);
    if (auto* radio = qobject_cast<QRadioButton*>(w)) radio->setChecked(true);
}

// Moves the focus to the next (or previous) usable widget of `names`,
// round the end; starts at the first (or last) when none has it.
void cycleFocus(QWidget* form, std::initializer_list<const char*> names, bool forward,
                bool (*include)(QWidget* form, QWidget* w) = nullptr) {
    QList<QWidget*> list;
    for (const char* n : names) {
        QWidget* w = child(form, n);
        if (usable(w) && (!include || include(form, w))) list << w;
    }
    if (list.isEmpty()) return;
    const qsizetype at = list.indexOf(form->focusWidget());
    qsizetype next;
    if (at < 0) next = forward ? 0 : list.size() - 1;
    else next = (at + (forward ? 1 : list.size() - 1)) % list.size();
    focusWidget(list[next]);
}

// Checks the one of two radio buttons that is not checked.
void toggleRadios(QWidget* form, const char* first, const char* second) {
    auto* a = child<QRadioButton>(form, first);
    auto* b = child<QRadioButton>(form, second);
    if (!a || !b) return;
    if (a->isChecked()) b->setChecked(true);
    else a->setChecked(true);
}

void focusButton(QWidget* form, const char* name) {
    QWidget* w = child(form, name);
    if (usable(w) && !hasFocus(form, w)) w->setFocus(Qt::OtherFocusReason);
}

void clickButton(QWidget* form, const char* name) {
    auto* b = child<QAbstractButton>(form, name);
    if (usable(b)) b->click();
}

void invokeSlot(QObject* target, const char* slot) {
    if (target) QMetaObject::invokeMethod(target, slot, Qt::DirectConnection);
}

void moveListRow(QWidget* form, const char* name, bool down) {
    auto* view = child<QAbstractItemView>(form, name);
    if (!view || !view->model()) return;
    const int rows = view->model()->rowCount(view->rootIndex());
    if (rows == 0) return;
    const QModelIndex current = view->currentIndex();
    int row = current.isValid() ? current.row() + (down ? 1 : -1) : 0;
    row = qBound(0, row, rows - 1);
    view->setCurrentIndex(view->model()->index(row, qMax(0, current.column()), view->rootIndex()));
}

// The payment window: a field takes the focus only while its kind is chosen.
bool paymentFieldChosen(QWidget* form, QWidget* field) {
    static const QList<QPair<QString, QString>> boxes{{QStringLiteral("Memo1"), QStringLiteral("CheckBox1")},
                                                      {QStringLiteral("Memo2"), QStringLiteral("CheckBox2")},
                                                      {QStringLiteral("memoPrePay"), QStringLiteral("chPrePay")}};
    for (const auto& [fieldName, boxName] : boxes) {
        if (field->objectName() != fieldName) continue;
        auto* box = form->findChild<QAbstractButton*>(boxName);
        return !box || box->isChecked();
    }
    // Banknote panels and buttons take the focus only where they can.
    return field->focusPolicy() != Qt::NoFocus;
}

const char* const kPaymentFields[] = {"Memo1", "Memo2", "memoPrePay", "Memo3"};

}  // namespace

KeyRouter::KeyRouter(QObject* parent) : QObject(parent) { setObjectName(QStringLiteral("ApplicationEvents1")); }

KeyRouter::~KeyRouter() {
    if (g_router == this) g_router = nullptr;
}

KeyRouter* KeyRouter::install(QCoreApplication* app) {
    if (g_router) return g_router;
    if (!app) return nullptr;
    g_router = new KeyRouter(app);
    app->installEventFilter(g_router);
    return g_router;
}

KeyRouter* KeyRouter::instance() { return g_router; }

void KeyRouter::uninstall() {
    if (!g_router) return;
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(g_router);
    delete g_router;
}

ScanInput* KeyRouter::mainScreenInput() const { return input_.data(); }

void KeyRouter::attachMainScreen(TfmReg* screen, ScanInput* input) {
    screen_ = screen;
    input_ = input;
}

void KeyRouter::discardQueuedInput() {
    if (lastInputSeen_.isValid()) {
        // The handler runs on the key or click it was started by, so the
        // time since is a few milliseconds; a longer one (a handler started
        // otherwise, or input stamped by a clock of its own, as test tools
        // do) is capped rather than trusted.
        const qint64 since = std::min<qint64>(lastInputSeen_.elapsed(), kDiscardReachMs);
        discardUpTo_ = lastInputStamp_ + static_cast<unsigned long>(since);
        hasCutoff_ = true;
    }
    if (discarding_) return;
    discarding_ = true;
    // Posted events of higher or equal priority already queued come first.
    QCoreApplication::postEvent(this, new QEvent(discardEndEvent()), Qt::LowEventPriority);
}

bool KeyRouter::event(QEvent* event) {
    if (event->type() == discardEndEvent()) {
        discarding_ = false;
        return true;
    }
    return QObject::event(event);
}

bool KeyRouter::dropsQueuedInput(QEvent* event) {
    // Input the program posted itself waits in Qt's queue, ahead of the end
    // marker; input from the window system is judged by its own clock, as it
    // may still wait in the window system's queue when the marker arrives.
    if (!event->spontaneous()) return discarding_;
    const unsigned long stamp = static_cast<QInputEvent*>(event)->timestamp();
    if (stamp == 0) return false;
    // Stamped before the cut-off: it waited in the window system's queue.
    if (hasCutoff_ && static_cast<long>(stamp - discardUpTo_) <= 0) return true;
    lastInputStamp_ = stamp;
    lastInputSeen_.start();
    return false;
}

bool KeyRouter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        if (dropsQueuedInput(event)) return true;
        break;
    default: break;
    }
    if (type == QEvent::KeyRelease || type == QEvent::ShortcutOverride) {
        lastEvent_ = nullptr;
        return false;
    }
    if (type != QEvent::KeyPress || !watched->isWidgetType()) return false;
    auto* receiver = static_cast<QWidget*>(watched);
    auto* key = static_cast<QKeyEvent*>(event);
    const bool propagated = key == lastEvent_ && lastReceiver_ && receiver == lastReceiver_->parentWidget();
    lastEvent_ = key;
    lastReceiver_ = receiver;
    if (propagated) return false;
    // No exception may leave an event filter.
    bool consumed = false;
    if (!ui::guarded(receiver->window(), [&] { consumed = route(receiver, key); })) return true;
    return consumed;
}

bool KeyRouter::route(QWidget* receiver, QKeyEvent* event) {
    if (!receiver) return false;
    QWidget* form = receiver->window();
    const QString name = form->objectName();
    const int key = event->key();

    if (name == QLatin1String("fmNumKeyboard")) {
        // Digits typed on the keyboard and Pause belong to the main screen.
        if ((key >= Qt::Key_0 && key <= Qt::Key_9) || key == Qt::Key_Pause) {
            if (auto* reg = qobject_cast<TfmReg*>(screen_.data())) reg->activateWindow();
        }
        return false;
    }
    if (name == QLatin1String("fmLockedMessage")) {
        // The banner's keys are the main screen's: a card read while the
        // banner is in front still unlocks.
        if (auto* reg = qobject_cast<TfmReg*>(screen_.data())) {
            reg->activateWindow();
            return routeMainScreen(reg, event);
        }
        return false;
    }
    if (name == QLatin1String("fmGoodNameFind")) {
        QWidget* grid = child(form, "DBGridGoods");
        QWidget* edit = child(form, "edFilterText");
        if (edit && !hasFocus(form, grid) && receiver != edit) {
            edit->setFocus(Qt::OtherFocusReason);
            if (!isRoutedKey(key) && !event->text().isEmpty()) {
                QKeyEvent copy(event->type(), key, event->modifiers(), event->text(), event->isAutoRepeat(),
                               ushort(event->count()));
                QCoreApplication::sendEvent(edit, &copy);
                return true;
            }
        }
    }
    if (name == QLatin1String("fmReg")) return routeMainScreen(form, event);
    if (!isRoutedKey(key)) return false;
    return routeDialog(form, event);
}

bool KeyRouter::routeMainScreen(QWidget* form, QKeyEvent* event) {
    auto* reg = qobject_cast<TfmReg*>(form);
    if (!reg) return false;
    const int key = event->key();
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool alt = event->modifiers() & Qt::AltModifier;
    const bool ctrlOrAlt = ctrl || alt;
    if (isEnter(key) && ctrlOrAlt) {
        // Ctrl+Enter closes the receipt; no other combination with Enter
        // reaches (and clicks) a focused button of this screen.
        if (ctrl && !alt && input_ && reg == screen_.data()) input_->keyPress(event);
        return true;
    }
    if (isEnter(key)) {
        // The scanner's Enter ends its code; no Enter ever clicks a focused
        // button of this screen.
        const bool pending = reg->Timer2->isActive() && controlTag(reg->Timer2) == 1;
        if (pending) {
            if (input_ && reg == screen_.data()) {
                input_->takeScan();
            } else {
                reg->Timer2->stop();
                setControlTag(reg->Timer2, 0);
                reg->btnBarcodeClick();
            }
        }
        return true;
    }
    // Space never presses a focused button, whatever the modifiers.
    if (key == Qt::Key_Space) return true;
    if ((key == Qt::Key_Down || key == Qt::Key_Up) && !ctrlOrAlt) {
        const int rows = reg->receipt().dataRowCount();
        const int current = reg->currentReceiptRow();
        int row = current <= 0 ? 1 : current + (key == Qt::Key_Down ? 1 : -1);
        row = qBound(1, row, qMax(1, rows));
        reg->setCurrentReceiptRow(row);
        return true;
    }
    if (input_ && reg == screen_.data() && input_->keyPress(event)) return true;
    // A locked screen gives its controls no key (Tab would move the focus,
    // Ctrl+V paste): what a card does not use goes nowhere. Alt still opens
    // the menu, where the change of cashier is.
    return reg->isWorkplaceLocked() && key != Qt::Key_Alt;
}

bool KeyRouter::routeDialog(QWidget* form, QKeyEvent* event) {
    const QString name = form->objectName();
    const int key = event->key();
    const auto is = [&name](const char* n) { return name == QLatin1String(n); };
    const bool down = key == Qt::Key_Down;
    const bool right = key == Qt::Key_Right;

    if (key == Qt::Key_Down || key == Qt::Key_Up) {
        if (is("fmDiscountInput")) {
            cycleFocus(form, {"RadioPercent", "RadioSumma", "RadioRoundTo"}, down);
            return true;
        }
        if (is("fmDeleteConfirm")) {
            if (QWidget* group = child(form, "RadioGroup1")) {
                const QList<QRadioButton*> items = group->findChildren<QRadioButton*>();
                if (items.size() == 2) {
                    if (items[0]->isChecked()) items[1]->setChecked(true);
                    else items[0]->setChecked(true);
                }
            }
            return true;
        }
        if (is("fmPayCheck")) {
            cycleFocus(form, {kPaymentFields[0], kPaymentFields[1], kPaymentFields[2], kPaymentFields[3]}, down,
                       paymentFieldChosen);
            return true;
        }
        if (is("fmOperationSelect")) {
            moveListRow(form, "ListBox1", down);
            return true;
        }
        if (is("fmGoodNameFind")) {
            if (QWidget* grid = child(form, "DBGridGoods")) grid->setFocus(Qt::OtherFocusReason);
            return false;
        }
        if (is("fmCorrectionCheck")) {
            toggleRadios(form, "rbNal", "rbEl");
            return true;
        }
        if (is("fmGoodsFound")) {
            // The list moves once, whether or not the grid has the focus.
            moveListRow(form, "DBGrid1", down);
            return true;
        }
        return false;
    }

    if (key == Qt::Key_Left || key == Qt::Key_Right) {
        if (is("fmDiscountInput")) {
            QWidget* ok = child(form, "BitBtn14");
            QWidget* cancel = child(form, "BitBtn15");
            if (hasFocus(form, ok) && usable(cancel)) {
                cancel->setFocus(Qt::OtherFocusReason);
                return true;
            }
            if (hasFocus(form, cancel) && usable(ok)) {
                ok->setFocus(Qt::OtherFocusReason);
                return true;
            }
            return false;
        }
        if (is("fmPayCheck")) {
            cycleFocus(form,
                       {"Memo1", "Memo2", "memoPrePay", "Memo3", "pan10rub", "pan50rub", "pan100rub", "pan200rub",
                        "pan500rub", "pan1000rub", "pan2000rub", "pan5000rub", "Button12", "Button13"},
                       right, paymentFieldChosen);
            return true;
        }
        if (is("fmOperationSelect")) {
            cycleFocus(form, {"btnOK", "btnCancel"}, right);
            return true;
        }
        if (is("fmGoodNameFind") || is("fmCorrectionCheck")) {
            toggleRadios(form, "RadioButton1", "RadioButton2");
            return false;
        }
        return false;
    }

    if (isEnter(key)) {
        if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
        if (is("fmAuthor")) {
            if (auto* login = qobject_cast<core::TfmAuthor*>(form)) login->routeEnter();
            return true;
        }
        if (is("fmDiscountInput") || is("fmCountInput")) {
            focusButton(form, "BitBtn14");
            return false;
        }
        if (is("fmPayCheck")) {
            QWidget* focus = form->focusWidget();
            for (const char* field : kPaymentFields) {
                if (!focus || focus->objectName() != QLatin1String(field)) continue;
                const QByteArray slot = QByteArray(field) + "DblClick";
                if (form->metaObject()->indexOfMethod((slot + "()").constData()) >= 0) {
                    invokeSlot(form, slot.constData());
                    return true;
                }
                break;
            }
            clickButton(form, "Button12");
            return true;
        }
        // The focus goes to the confirm button and the key goes on: the
        // dialog's Enter then confirms through its default button.
        if (is("fmGoodName")) {
            focusButton(form, "Button2");
            return false;
        }
        if (is("fmOperationSelect") || is("fmGoodsFound") || is("fmGoodNameFind")) {
            focusButton(form, "btnOK");
            return false;
        }
        if (is("fmGoodsOtherSettings")) {
            focusButton(form, "btnSet");
            return false;
        }
        if (is("fmReAuthor")) {
            invokeSlot(form, "btnOKClick");
            return true;
        }
        if (is("fmQuerySerialNumber") || is("fmCountInputMarkGood")) {
            if (auto* timer = form->findChild<QTimer*>(QStringLiteral("Timer1"))) timer->stop();
            invokeSlot(form, "Timer1Timer");
            return true;
        }
        return is("fmDeleteConfirm") || is("fmOptions") || is("fmCheckInfo") || is("fmGoodEdit");
    }

    if (key == Qt::Key_Escape && is("fmPayCheck")) {
        clickButton(form, "Button13");
        return true;
    }
    return false;
}

}  // namespace sales

#pragma once
// The application's key router: an event filter on the application that
// sees every key press before the window it is meant for. It makes the
// sale's dialogs usable from the keyboard and from a scanner that ends each
// code with Enter, by routing Backspace, Tab, Enter, Esc, Space, Delete and
// the arrow keys by the name (objectName) of the window the key is for, and
// it hands the main screen's keys to the screen's keyboard input.
//
// Windows are found by name only, so the router needs none of their
// headers. What it expects of them:
//  - controls named as the windows name them (BitBtn14, Button12, ListBox1,
//    RadioPercent, DBGridGoods, ...), found with findChild;
//  - "the handler runs" means a slot of that name invoked on the window:
//    btnOKClick (fmReAuthor), Timer1Timer after its QTimer "Timer1" is
//    stopped (fmQuerySerialNumber, fmCountInputMarkGood), and for a payment
//    field of fmPayCheck the field's double-click slot (Memo1DblClick,
//    Memo2DblClick, memoPrePayDblClick, Memo3DblClick) where the window has
//    one, else the payment is confirmed;
//  - "click" is QAbstractButton::click on the named button.
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

class QCoreApplication;
class QKeyEvent;
class QWidget;
class TfmReg;

namespace sales {

class ScanInput;

class KeyRouter : public QObject {
    Q_OBJECT
public:
    // Installs the router on the application once; later calls return the
    // same router. nullptr without an application.
    static KeyRouter* install(QCoreApplication* app);
    static KeyRouter* instance();
    // Takes the router off the application again (tests, shutdown).
    static void uninstall();
    ~KeyRouter() override;

    // The main screen and its keyboard input (installItemEntry does this).
    void attachMainScreen(TfmReg* screen, ScanInput* input);
    ScanInput* mainScreenInput() const;

    // Routes one key press meant for `receiver`; true when it is consumed.
    bool route(QWidget* receiver, QKeyEvent* event);

    // Drops every key and mouse button already queued when this is called,
    // as it is delivered: the rest of a fast scan (or the start of the next)
    // must not reach the position the barcode handler is about to add. Runs
    // no events itself, so the handler pays for nothing that waits (such as
    // the previous scan's repaint). What counts as queued: input events
    // posted before this call, and window-system input stamped before it.
    void discardQueuedInput();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    explicit KeyRouter(QObject* parent);
    bool routeMainScreen(QWidget* form, QKeyEvent* event);
    // True for an input event that was queued when input was last discarded.
    bool dropsQueuedInput(QEvent* event);
    bool routeDialog(QWidget* form, QKeyEvent* event);

    QPointer<QObject> screen_;  // the TfmReg
    QPointer<ScanInput> input_;
    // A key a widget ignores travels on to its parent, and the application's
    // filter sees it again there: it is routed once.
    const QKeyEvent* lastEvent_ = nullptr;
    QPointer<QWidget> lastReceiver_;
    // Posted input is dropped until the end marker posted behind it
    // arrives; window-system input while stamped at or before
    // `discardUpTo_` (the window system's clock at the call, worked out
    // from the last input seen and the time since).
    bool discarding_ = false;
    bool hasCutoff_ = false;
    unsigned long discardUpTo_ = 0;
    unsigned long lastInputStamp_ = 0;
    QElapsedTimer lastInputSeen_;
};

}  // namespace sales

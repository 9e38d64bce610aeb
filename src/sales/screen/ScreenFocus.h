#pragma once
// Where the main screen's keyboard focus rests when no control is being
// worked: the screen's own panel under its controls. The scanner types
// into the screen whatever has the focus, but a field (the refunded
// receipt's fiscal sign) keeps the keys it gets; so the focus leaves a
// field as soon as the cashier is done with it:
//  - a click on the receipt or on a bare part of the screen takes it to
//    the resting place (the panel takes click focus, the grid none);
//  - when the screen hands over to another window (a dialog, a list) the
//    field gives it up, so that it never comes back to the field by itself;
//  - the workplace lock sends it there (rest()).
// With the resting place holding the focus, Qt never picks the first field
// of the tab chain when the screen is activated again.
#include <QObject>

class QWidget;

namespace sales {

class ScreenFocus : public QObject {
    Q_OBJECT
public:
    // `screen`: the main window; `restingPlace`: its panel under the
    // controls. Both outlive this object (it is a child of the screen).
    ScreenFocus(QWidget& screen, QWidget& restingPlace);

    // The focus goes to the resting place (given at once when the screen is
    // active, else when it is next activated).
    void rest();
    QWidget* restingPlace() const { return rest_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* screen_;
    QWidget* rest_;
};

}  // namespace sales

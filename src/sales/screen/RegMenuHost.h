#pragma once
// What the main screen's menus need of the screen, and nothing more: the
// menus are built and kept by their own unit (RegMenus) and know the screen
// only through this interface.
#include <QString>

class QColor;
class QMainWindow;

namespace sales {

class RegMenuHost {
public:
    virtual ~RegMenuHost() = default;

    // The window that carries the menu bar and parents the popups and boxes.
    virtual QMainWindow* menuWindow() = 0;
    // An item was chosen: the screen does what the item named `itemName`
    // does (its objectName, "MPrihod", "PMDeletePos", "N11" ...).
    virtual void menuItemChosen(const QString& itemName) = 0;

    // Commands other windows attached to the screen by name.
    virtual bool hasAttachedCommand(const QString& name) const = 0;
    virtual void runAttachedCommand(const QString& name) = 0;

    // What the menus read as they open.
    virtual bool positionDiscountOffered() const = 0;  // btnPosDiscount enabled
    virtual bool receiptDiscountOffered() const = 0;   // btnCheckDiscount enabled
    virtual QString cashierName() const = 0;           // lblUser
    virtual int administratorFlag() const = 0;         // lblINN Tag
    virtual bool databaseConnected() const = 0;
    virtual bool registerConnected() const = 0;

    // The payment-method flag of the receipt in progress.
    virtual int paymentMethodFlag() const = 0;
    virtual bool receiptHasPositions() const = 0;
    virtual void SetPaymentMethodFlag(int flag) = 0;

    // The status-bar note of a commission or agent sale.
    virtual void showSaleKindNote(const QString& text, const QColor& colour, bool visible) = 0;
};

}  // namespace sales

#pragma once
// The main screen's menu bar and popups: their items (by objectName, as the
// rights and tests find them), what they offer as they open, the
// payment-method items and the commission and agent notes. Choosing an item
// asks the screen, through RegMenuHost, to do what the item names.
#include "sales/screen/MainScreenState.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <array>

class QAction;
class QMenu;
class QPoint;

namespace sales {

class RegMenuHost;

class RegMenus : public QObject {
    Q_OBJECT
public:
    // Builds the main menu into the host window's menu bar, and the popups.
    explicit RegMenus(RegMenuHost& host);
    ~RegMenus() override;

    QAction* action(const QString& name) const;
    QMenu* menu(const QString& name) const;
    // Every item of `menu` and its submenus, except those kept off for good.
    void setItemsEnabled(QMenu* menu, bool on);

    // The checks of M_FullPay, M_PrePayFull, M_PrePayPart, M_Advance, set
    // without the items answering their own change.
    void setPaymentChecks(const std::array<bool, 4>& checks);

    // Menus as they open.
    void updateDocumentMenu();
    void updateDataBaseMenu();
    void updateServiceMenu();
    void updateRegisterMenu();
    // The receipt grid's popup for a row with `state`, at `globalPos`.
    void showGridPopup(const GridPopupState& state, const QPoint& globalPos);

    // The payment-method items (1 prepayment 100 %, 2 partial, 3 advance,
    // 4 full payment) after their check changed.
    void paymentItemToggled(int flag);
    void commissionToggled();
    void agentRewardToggled();

private:
    QAction* addItem(QMenu* parent, const QString& name, const QString& caption, bool chosen = true);
    QMenu* addSubmenu(QMenu* parent, const QString& name, const QString& caption);
    QMenu* addPopup(const QString& name);
    void buildMainMenu();
    void buildPopups();

    RegMenuHost& host_;
    QHash<QString, QAction*> actions_;
    QHash<QString, QMenu*> menus_;
    bool updatingPaymentChecks_ = false;
};

}  // namespace sales

#pragma once
// What a user's rights and the workplace lock switch on the main cashier
// screen, as lists of switches over controls and menu items named by their
// component names. The window applies them in order; the lists are the
// tables themselves, so they are checked without a window.
#include "sales/screen/MainScreenState.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace sales {

struct ControlSwitch {
    enum What {
        Enabled,       // the control or menu item itself
        Visible,
        ItemsEnabled,  // every item of the menu `name`, submenus included
    };
    QString name;
    What what = Enabled;
    bool on = false;
    bool operator==(const ControlSwitch&) const = default;
};

struct RightsContext {
    bool engineExists = true;       // the database engine is installed
    bool databaseConnected = false;  // the data module's connection is attached
};

// ApplyUserRights(mode): 0 the default switches, 1 the built-in
// administrator, 2 a cashier, 3 an administrator. Modes 2 and 3 also give
// back what mode 1 takes away, so a cashier who takes over a screen the
// built-in administrator used gets a working screen. Every mode ends with
// the barcode, code and name-search buttons enabled.
QList<ControlSwitch> userRightsSwitches(int mode, const RightsContext& context);

// The controls and menus the workplace lock takes away and gives back.
// `builtinSession`: the built-in administrator's session, whose entry
// buttons, reports and lock item stay as they are on unlock.
QList<ControlSwitch> workplaceLockSwitches(bool locked, bool builtinSession, const DiscountButtons& discounts);

// The entry-button panels the built-in administrator cannot use.
QStringList entryPanels();

}  // namespace sales

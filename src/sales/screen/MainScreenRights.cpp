#include "sales/screen/MainScreenRights.h"

namespace sales {

namespace {

using S = ControlSwitch;

void enable(QList<S>& out, const QStringList& names, bool on) {
    for (const QString& n : names) out.append({n, S::Enabled, on});
}

// Taken away from the built-in administrator's session.
const QStringList& builtinDisabledMenus() {
    static const QStringList names{QStringLiteral("MReports"), QStringLiteral("MService"),
                                   QStringLiteral("MDocument"), QStringLiteral("M_KKT"),
                                   QStringLiteral("MReAuthor"), QStringLiteral("MWorkPlaceLock")};
    return names;
}

}  // namespace

QStringList entryPanels() {
    return {QStringLiteral("Panel2"), QStringLiteral("Panel21"), QStringLiteral("Panel10"), QStringLiteral("Panel33")};
}

QList<ControlSwitch> userRightsSwitches(int mode, const RightsContext& context) {
    QList<S> out;
    const QString db = QStringLiteral("MDataBase");
    const QString priceTags = QStringLiteral("MPriceTagPrint");
    const QString options = QStringLiteral("MOptions");
    switch (mode) {
    case 0:
        out.append({db, S::Visible, false});
        enable(out, {options, priceTags}, false);
        out.append({QStringLiteral("MReAuthor"), S::Enabled, true});
        break;
    case 1:
        enable(out, entryPanels(), false);
        if (!context.engineExists) {
            out.append({db, S::Visible, false});
            out.append({priceTags, S::Visible, false});
        } else {
            out.append({db, S::Visible, true});
            out.append({db, S::ItemsEnabled, false});
            if (context.databaseConnected) out.append({QStringLiteral("MUsersDB"), S::Enabled, true});
        }
        enable(out, builtinDisabledMenus(), false);
        break;
    case 2:
    case 3: {
        // Whatever an earlier session of the built-in administrator took away.
        enable(out, entryPanels(), true);
        enable(out, builtinDisabledMenus(), true);
        out.append({db, S::ItemsEnabled, true});
        out.append({priceTags, S::Visible, true});
        const bool admin = mode == 3;
        out.append({db, S::Visible, admin});
        enable(out, {options, priceTags}, admin);
        break;
    }
    default:
        break;
    }
    enable(out, {QStringLiteral("btnBarcode"), QStringLiteral("btnCode"), QStringLiteral("btnFindName")}, true);
    return out;
}

QList<ControlSwitch> workplaceLockSwitches(bool locked, bool builtinSession, const DiscountButtons& discounts) {
    QList<S> out;
    const bool on = !locked;
    if (locked || !builtinSession)
        enable(out, {QStringLiteral("btnBarcode"), QStringLiteral("btnCode"), QStringLiteral("btnFindName")}, on);
    enable(out,
           {QStringLiteral("btnFreePrice"), QStringLiteral("btnCloseCheck"), QStringLiteral("BitBtn1"),
            QStringLiteral("BitBtn2"), QStringLiteral("btnPosDelete"), QStringLiteral("btnCheckDelete")},
           on);
    out.append({QStringLiteral("btnPosDiscount"), S::Enabled, discounts.position});
    out.append({QStringLiteral("btnCheckDiscount"), S::Enabled, discounts.receipt});
    enable(out,
           {QStringLiteral("btnTelefon"), QStringLiteral("Label3"), QStringLiteral("lblOperationType"),
            QStringLiteral("GoodsGrid"), QStringLiteral("MDocument"), QStringLiteral("MDataBase"),
            QStringLiteral("M_KKT"), QStringLiteral("MService")},
           on);
    // Nothing but a cashier card or the change of cashier may act on a
    // locked workplace: the scale, the buyer, the about box and ending the
    // program go too.
    enable(out,
           {QStringLiteral("btnScale"), QStringLiteral("chLE"), QStringLiteral("btnLE"), QStringLiteral("N4"),
            QStringLiteral("MAppClose")},
           on);
    // No field takes the focus, a key or a context menu: the refunded
    // receipt's fiscal sign stays as it was typed.
    enable(out, {QStringLiteral("edFPD"), QStringLiteral("edTelefon"), QStringLiteral("edOurEmail")}, on);
    // The reports and the lock stay with whoever may have them: the
    // built-in administrator neither.
    if (locked || !builtinSession) enable(out, {QStringLiteral("MReports"), QStringLiteral("MWorkPlaceLock")}, on);
    return out;
}

}  // namespace sales

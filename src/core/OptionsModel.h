#pragma once
// What the settings window and the scale connection window show, and how
// the settings window's save is checked before both stores are written.
// Plain values in and out, so the rules are tested without a window.
#include "core/CodeTables.h"
#include "core/ScaleParams.h"
#include "core/Settings.h"

#include <QList>
#include <QString>
#include <QStringList>

class ScaleConnection;

namespace fb {
class Connection;
}

namespace core {

// --- the lists of the windows, in list order -----------------------------------

// Default payment: " наличными", " безналичными", " предоплатой" and an empty
// item; the stored value is the item's index.
const QStringList& PayTypeItems();
// Scale protocols: "POS2-M" 2 and an empty item 0.
const QList<CodeItem>& ScaleProtocolItems();
// Baud rates offered for the scale, "4800" to "115200".
const QStringList& ScaleBaudRates();

// The time-out up-down of both windows.
inline constexpr int kScaleTimeoutMin = 25;
inline constexpr int kScaleTimeoutMax = 255;
inline constexpr int kScaleTimeoutDefault = 25;

// --- file keys -------------------------------------------------------------------

// The file keys as the settings window shows them, each read with the shared
// reader (first matching line) and then by its own rule.
struct OptionsFileValues {
    QString email;              // "[Email]" as stored
    QString maxDiscount;        // "[MaxDiscount]", "," -> "."; shown even when out of range, so the save refuses it
    bool maxDiscountStored = false;  // the file has a "[MaxDiscount]" line; without one the window keeps its "25"
    QString maxSumPos;          // "[MaxSumPos]", "," -> "."; empty unless a number >= 0
    int operDefaultIndex = -1;  // "[OperDefault]" matched against OperDefaultItems() ignoring case
    int payTypeIndex = -1;      // "[PayTypeDefault]": 0, 1, 2, or -1 for none
    int tobaccoRule = 1;        // "[TobaccoPriceRule]": 0..3, 1 for anything else
    QString tobaccoPercent;     // the amount of rule 2
    QString tobaccoRoubles;     // the amount of rule 3
};
OptionsFileValues readOptionsFileValues(const QStringList& lines);

// --- table keys ------------------------------------------------------------------

// The TaxSystem row as a row of TaxSystemItems(); -1 when nothing (or the
// empty item's 0) is stored or the code is not in the list.
int taxSystemIndexFor(const QString& stored);

// The scale fields of both windows.
struct ScaleFields {
    int protocolIndex = -1;  // row of ScaleProtocolItems(), -1 none
    QString port;
    int baudIndex = -1;      // row of ScaleBaudRates(), -1 none
    int timeout = kScaleTimeoutDefault;  // the up-down's position, which the edit shows
};

// A stored time-out from 25 to 255 becomes the up-down's position; anything
// else leaves `position` as it is.
int scaleTimeoutPosition(const QString& stored, int position = kScaleTimeoutDefault);

// The fields for these settings: the protocol item by code, the baud item
// equal to the text, the port as it is, the time-out by the rule above.
ScaleFields scaleFieldsFor(const ScaleParams& params);

// While a scale is connected the fields show the settings it was connected
// with; otherwise the OPTIONS keys, read only then. Throws fb::Error.
ScaleFields loadScaleFields(const ScaleConnection& scale, fb::Connection& db);

// The protocol code of a row of ScaleProtocolItems(), 0 for -1.
int scaleProtocolCode(int index);

// --- units of measure offered ----------------------------------------------------

struct UnitListChange {
    QList<CodeItem> units;
    int current = -1;  // the row to select
};
// Appends the unit unless one with its code is offered; either way the
// unit's row becomes current.
UnitListChange addUnitToList(const QList<CodeItem>& units, const CodeItem& unit);
// Removes the row; the row before it becomes current (the new first one
// when the first was removed, none when the list is empty). A row out of
// range changes nothing.
UnitListChange deleteUnitFromList(const QList<CodeItem>& units, int row, int current);

// --- the whole window ------------------------------------------------------------

struct OptionsFormData {
    OptionsFileValues file;
    int taxSystemIndex = -1;
    QString storedTaxSystem;  // the TaxSystem row as stored
    ScaleFields scale;
    QString kktPortName;  // the register's port and speed as stored
    QString kktBaudRate;
    QList<CodeItem> unitsUsed;
};
// Everything the settings window shows when it opens: options.sys in the
// program folder, the TaxSystem row, the scale fields, the register's port
// and speed, QUANTITYMEASURESUSED.
// Throws fb::Error when the database cannot be read.
OptionsFormData loadOptionsForm(const QString& programFolder, fb::Connection& db, const ScaleConnection& scale);

// Error text for the largest discount, empty when it may be stored: empty,
// or a number (with "." or ",") at least 0 and below 100.
QString checkMaxDiscount(const QString& text);

// The settings window's save: the largest discount is checked, then both
// stores are written together (saveSettings). Nothing is written when a
// check fails; result.field names the control to focus.
SettingsSaveResult saveOptions(const SettingsInput& input, const QString& programFolder, fb::Connection& db);

}  // namespace core

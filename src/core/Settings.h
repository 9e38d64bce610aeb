#pragma once
// The program's settings: the file options.sys in the program folder and
// the table OPTIONS, written together by the settings window; each key is
// read from one store only. QUANTITYMEASURESUSED holds the units of measure
// the program offers.
//
// File keys (ReadFileOption): [OperDefault], [PayTypeDefault], [MaxDiscount],
// [Email], [TobaccoPriceRule], [MaxSumPos]. Table keys (ReadDbOption):
// TaxSystem, ScaleProtocol, ScalePort, ScaleBaudRate, ScaleTimeout,
// KktPortName, KktBaudRate.
#include "CodeTables.h"
#include "ScaleParams.h"
#include "SettingsFile.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

namespace fb {
class Connection;
class Transaction;
}  // namespace fb

namespace core {

// The trimmed OPTION_VALUE of the first row whose name equals `name`
// compared in upper case; empty when there is none. The name is a bound
// parameter. The Connection form reads in a transaction of its own.
QString ReadDbOption(fb::Transaction& tr, const QString& name);
QString ReadDbOption(fb::Connection& db, const QString& name);

// QUANTITYMEASURESUSED in QMU_ORDERNUMBER order: short name and unit code.
QList<CodeItem> readUnitsUsed(fb::Transaction& tr);

// Everything the settings window hands over on save, as its controls hold it.
struct SettingsInput {
    QString taxSystemText;             // cmbTaxSystem text; blank -> neither line nor row
    // A stored tax system the list cannot show, kept as it was while the
    // list stays untouched: the TaxSystem row's value and the file's text.
    QString keptTaxSystemCode;
    QString keptTaxSystemFileText;
    QString operDefault;               // ComboBox1 text (trimmed on save)
    int payTypeIndex = -1;             // 0 cash, 1 cashless, 2 prepayment; else not written
    QString maxDiscount;               // meMaxDisc text
    QString email;                     // edEmail text
    int tobaccoRule = 1;               // rgPriceRuleTobacco item 0..3
    QString tobaccoPercent;            // edDiscountPercent (rule 2)
    QString tobaccoRoubles;            // edDiscountRUB (rule 3)
    std::optional<int> scaleProtocol;  // code of the chosen protocol item (2 "POS2-M", 0 empty)
    QString scalePort;
    QString scaleBaudRate;
    QString scaleTimeout;
    // The register's port and speed the register service opens it with
    // (correction receipts); stored in the table only, when not empty.
    QString kktPortName;
    QString kktBaudRate;
    QList<CodeItem> units;             // EdizmUsedList in list order
};

// The control a failed save points at, so the window can focus it.
enum class SettingsField {
    None,
    TaxSystem,
    OperDefault,
    MaxDiscount,
    Email,
    TobaccoPercent,
    TobaccoRoubles,
    ScaleProtocol,
    ScalePort,
    ScaleBaudRate,
    ScaleTimeout,
    KktPortName,
    KktBaudRate,
    Units,
};

struct OptionRow {
    QString name;
    QString value;
    bool operator==(const OptionRow&) const = default;
};

// What a save writes, built and checked before anything is touched.
struct SettingsPlan {
    QList<OptionsFileLine> fileLines;  // after the heading line
    QList<OptionRow> optionRows;       // OPTIONS rows in insert order
    QList<CodeItem> units;             // QUANTITYMEASURESUSED rows in order
    QString tobaccoRoubles;            // rule 3 amount with "," replaced by "."
};

struct SettingsCheck {
    std::optional<SettingsPlan> plan;  // set when every value is acceptable
    QString message;                   // the error box text otherwise
    SettingsField field = SettingsField::None;
};

// Validates every value (tobacco amounts, the 30-character limit of OPTIONS
// values, the 10-character limit of unit names, the Windows-1251 code page)
// and builds what the save writes.
SettingsCheck planSettingsSave(const SettingsInput& input);

struct SettingsSaveResult {
    bool ok = false;
    QString message;                 // error box text (error icon, empty caption) when !ok
    SettingsField field = SettingsField::None;
    QString tobaccoRoubles;          // for the window to show the normalised amount
};

// Saves both stores. A failed validation, a database error or a file error
// leaves options.sys, OPTIONS and QUANTITYMEASURESUSED as they were: the
// tables are rewritten in one transaction, the file is replaced atomically
// only when the statements went through, and restored should the commit
// fail.
SettingsSaveResult saveSettings(const SettingsInput& input, const QString& programFolder, fb::Connection& db);

// The tobacco price rule of "[TobaccoPriceRule]": rule 0 price from the
// database, 1 maximum retail price, 2 MRP less a percent, 3 MRP less roubles.
struct TobaccoPriceRule {
    int rule = 1;    // first part as an integer, 1 when missing or not a number
    QString amount;  // second part as written ("." separator), empty for rules 0 and 1
};

// The settings of one program folder and database, with typed readers that
// apply each reader's default. Cheap to copy; reads the stores on every call.
class Settings {
public:
    explicit Settings(QString programFolder, fb::Connection* db = nullptr);

    const QString& programFolder() const { return programFolder_; }
    fb::Connection* connection() const { return db_; }
    void setConnection(fb::Connection* db) { db_ = db; }

    QString ReadFileOption(const QString& key, int mode = 0, QChar delim = kOptionDelim) const;
    // Throws fb::Error (Usage) without a connection.
    QString ReadDbOption(const QString& name) const;

    // --- file keys
    QString operDefault() const;                          // as stored, e.g. "Возврат прихода"
    QString operationCaption() const;                     // upper-cased, "ПРИХОД" when empty
    int payTypeDefault() const;                           // -1 when missing or not a number
    QString maxDiscountText() const;
    std::optional<std::int64_t> maxDiscountHundredths() const;  // percent * 100; nullopt when empty or not a number
    QString email() const;
    TobaccoPriceRule tobaccoPriceRule() const;
    QString maxSumPos() const;

    // --- table keys (need a connection)
    int taxSystemCode() const;  // TaxSystem as an integer, 0 when missing; check with isTaxSystemCode()
    ScaleParams scaleSettings() const;  // ScaleProtocol as an integer (0 when missing), the rest as stored
    // The register's port and speed as stored (empty when not set).
    struct KktConnection {
        QString portName;
        QString baudRate;
    };
    KktConnection kktConnection() const;
    QList<CodeItem> unitsUsed() const;

    SettingsSaveResult save(const SettingsInput& input) const;

private:
    fb::Connection& db() const;

    QString programFolder_;
    fb::Connection* db_ = nullptr;
};

}  // namespace core

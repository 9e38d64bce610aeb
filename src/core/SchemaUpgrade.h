#pragma once
// Brings a database of any earlier layout up to the schema this version
// needs. Runs at every show of the main screen, so every step tests the
// system tables first and changes only what is missing; each change is
// committed before the next test, so a failure keeps the earlier steps and
// the next run simply starts again from the first test.
#include <QString>

namespace fb {
class Connection;
}

namespace core {

// The program's own stored procedures, by the selector UpgradeDbProcedures
// takes.
enum ProcedureSelector {
    ProcDocDetailWrite = 1,        // DOC_DETAIL_WRITE_PROC
    ProcGoodsCheckSettingsWrite,   // GOODSCHECKSETTINGS_WRITE
    ProcGoodsCheckEdit,            // GOODSCHECK_EDIT
    ProcGoodData,                  // GOOD_DATA
    ProcGoodsTempAddRecord,        // GOODS_TEMP_ADDRECORD
    ProcDocumentsAddRecord,        // DOCUMENTS_ADD_RECORD
    ProcDocWrite,                  // DOC_WRITE
};

// What the main screen sets after the upgrade: the receipt-wide payment
// method (4, full payment, with its menu item checked) and the document
// type of receipts written from now on (3, sale receipt).
struct SchemaUpgradeResult {
    int paymentMethodFlag = 4;
    int documentType = 3;
};

// The description SUPPLIERS.SU_SUPPLIER carries between the two commits of
// the conversion of the old counterparty layout: the columns are there and
// SU_WORK is converted, the supplier flag is not filled yet.
inline constexpr const char* kSupplierConversionMark = "SU_SUPPLIER not filled yet";

// Name of the procedure a selector stands for; empty for other values.
QString procedureName(int selector);
// The CREATE OR ALTER PROCEDURE text of a selector, exactly as it is sent;
// empty for other values.
QString procedureText(int selector);
// The CREATE TRIGGER text of GOODS_TEMP_BI.
QString goodsTempTriggerText();

// Runs the procedure text of the selector unchanged (no parameter parsing:
// the bodies hold ":name" variables) and commits; other values do nothing.
// The connection's cached parameter lists are dropped afterwards.
void UpgradeDbProcedures(fb::Connection& connection, int selector);

// Every step in order. A failing statement throws fb::Error; the steps
// before it stay committed.
SchemaUpgradeResult SchemaUpgrade(fb::Connection& connection);

// The index figures of DOCUMENTS and DOCUMENTS_DETAIL made again once the
// archive has more than doubled since they were last made (without counting
// its rows); otherwise nothing.
void refreshGrownArchiveStatistics(fb::Connection& connection);

}  // namespace core

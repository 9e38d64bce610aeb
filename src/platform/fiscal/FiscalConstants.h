#pragma once
// Identifiers and values understood by the register driver.
//
// The program addresses every value of the driver by a parameter id, as the
// driver's automation interface does: named LIBFPTR_PARAM_* ids for the
// driver's own values, and the bare fiscal-data-format tag numbers (1021,
// 1227 ...) for requisites that go into the fiscal document as they are.
// Our own ids start at 0x10000 so that they can never collide with a tag.
//
// The enumerated values (receipt types, tax rates, payment types ...) are
// deliberately not the program's own codes (receipt kind 1..4, VAT code
// 1..6, tax-system bit 1..32): a caller that forgets to translate its code
// into the driver's constant is refused instead of printing the wrong thing.
// All numeric values here are ours; only their names are fixed.

namespace fiscal {

// ---- parameter ids -----------------------------------------------------
inline constexpr int LIBFPTR_PARAM_BASE = 0x10000;

// queries
inline constexpr int LIBFPTR_PARAM_DATA_TYPE = LIBFPTR_PARAM_BASE + 1;     // in: LIBFPTR_DT_*
inline constexpr int LIBFPTR_PARAM_FN_DATA_TYPE = LIBFPTR_PARAM_BASE + 2;  // in: LIBFPTR_FNDT_*
// status (queryData, LIBFPTR_DT_STATUS)
inline constexpr int LIBFPTR_PARAM_SHIFT_STATE = LIBFPTR_PARAM_BASE + 10;    // int, LIBFPTR_SS_*
inline constexpr int LIBFPTR_PARAM_MODEL_NAME = LIBFPTR_PARAM_BASE + 11;     // string
inline constexpr int LIBFPTR_PARAM_SERIAL_NUMBER = LIBFPTR_PARAM_BASE + 12;  // string
inline constexpr int LIBFPTR_PARAM_DATE_TIME = LIBFPTR_PARAM_BASE + 13;      // datetime (also last document)
inline constexpr int LIBFPTR_PARAM_SHIFT_NUMBER = LIBFPTR_PARAM_BASE + 14;   // int: current or last shift
inline constexpr int LIBFPTR_PARAM_RECEIPT_NUMBER = LIBFPTR_PARAM_BASE + 15; // int: receipts closed in the shift
inline constexpr int LIBFPTR_PARAM_DOCUMENT_NUMBER = LIBFPTR_PARAM_BASE + 16;// int: last fiscal document
inline constexpr int LIBFPTR_PARAM_CASH_SUM = LIBFPTR_PARAM_BASE + 17;       // double: cash in the drawer
inline constexpr int LIBFPTR_PARAM_RECEIPT_SUM = LIBFPTR_PARAM_BASE + 18;    // double: total of the open receipt; last document: its total
// receipt
inline constexpr int LIBFPTR_PARAM_RECEIPT_TYPE = LIBFPTR_PARAM_BASE + 20;   // in: LIBFPTR_RT_SELL...; status: open receipt's type; last document: its type (0 not a receipt)
inline constexpr int LIBFPTR_PARAM_COMMODITY_NAME = LIBFPTR_PARAM_BASE + 21; // string
inline constexpr int LIBFPTR_PARAM_PRICE = LIBFPTR_PARAM_BASE + 22;          // number or text "12.50"
inline constexpr int LIBFPTR_PARAM_QUANTITY = LIBFPTR_PARAM_BASE + 23;       // number or text "0.350"
inline constexpr int LIBFPTR_PARAM_TAX_TYPE = LIBFPTR_PARAM_BASE + 24;       // LIBFPTR_TAX_*
inline constexpr int LIBFPTR_PARAM_PRODUCT_CODE = LIBFPTR_PARAM_BASE + 25;   // string of digits
inline constexpr int LIBFPTR_PARAM_PAYMENT_TYPE = LIBFPTR_PARAM_BASE + 26;   // LIBFPTR_PT_*
inline constexpr int LIBFPTR_PARAM_PAYMENT_SUM = LIBFPTR_PARAM_BASE + 27;    // number or text
inline constexpr int LIBFPTR_PARAM_CHANGE = LIBFPTR_PARAM_BASE + 28;         // out of closeReceipt: change in cash
inline constexpr int LIBFPTR_PARAM_DOCUMENT_CLOSED = LIBFPTR_PARAM_BASE + 29;// out of checkDocumentClosed: bool
inline constexpr int LIBFPTR_PARAM_FISCAL_SIGN = LIBFPTR_PARAM_BASE + 30;    // string
inline constexpr int LIBFPTR_PARAM_TAG_VALUE = LIBFPTR_PARAM_BASE + 31;      // out of utilFormTlv: bytes
// shift, reports, cash
inline constexpr int LIBFPTR_PARAM_REPORT_TYPE = LIBFPTR_PARAM_BASE + 40;    // LIBFPTR_RT_CLOSE_SHIFT, LIBFPTR_RT_X
inline constexpr int LIBFPTR_PARAM_SUM = LIBFPTR_PARAM_BASE + 41;            // cash-in sum, number or text
// marking codes
inline constexpr int LIBFPTR_PARAM_MARKING_CODE = LIBFPTR_PARAM_BASE + 50;
inline constexpr int LIBFPTR_PARAM_MARKING_CODE_TYPE = LIBFPTR_PARAM_BASE + 51;        // LIBFPTR_MCT12_*
inline constexpr int LIBFPTR_PARAM_MARKING_CODE_STATUS = LIBFPTR_PARAM_BASE + 52;      // 1..4, LIBFPTR_MES_*
inline constexpr int LIBFPTR_PARAM_MARKING_PROCESSING_MODE = LIBFPTR_PARAM_BASE + 53;  // 0
inline constexpr int LIBFPTR_PARAM_MARKING_FRACTIONAL_QUANTITY = LIBFPTR_PARAM_BASE + 54; // text "1/4"
inline constexpr int LIBFPTR_PARAM_MEASUREMENT_UNIT = LIBFPTR_PARAM_BASE + 55;         // LIBFPTR_IU_*
inline constexpr int LIBFPTR_PARAM_MARKING_WAIT_FOR_VALIDATION_RESULT = LIBFPTR_PARAM_BASE + 56; // bool
inline constexpr int LIBFPTR_PARAM_MARKING_CODE_VALIDATION_RESULT = LIBFPTR_PARAM_BASE + 57;     // fiscal drive's result bits
inline constexpr int LIBFPTR_PARAM_MARKING_CODE_OFFLINE_VALIDATION_ERROR = LIBFPTR_PARAM_BASE + 58; // LIBFPTR_CER_*
inline constexpr int LIBFPTR_PARAM_MARKING_CODE_VALIDATION_READY = LIBFPTR_PARAM_BASE + 59;      // bool
inline constexpr int LIBFPTR_PARAM_MARKING_CODE_ONLINE_VALIDATION_ERROR = LIBFPTR_PARAM_BASE + 60; // 0 = none
inline constexpr int LIBFPTR_PARAM_MARKING_CODE_ONLINE_VALIDATION_ERROR_DESCRIPTION = LIBFPTR_PARAM_BASE + 61;
inline constexpr int LIBFPTR_PARAM_MARKING_CODE_ONLINE_VALIDATION_RESULT = LIBFPTR_PARAM_BASE + 62; // result bits, 15 all positive

// ---- fiscal data format tags used as parameter ids --------------------
namespace tag {
inline constexpr int BuyerContact = 1008;       // buyer's phone or e-mail for the electronic receipt
inline constexpr int CashierName = 1021;
inline constexpr int TaxSystem = 1055;          // LIBFPTR_TT_*
inline constexpr int SenderEmail = 1117;        // shop's e-mail
inline constexpr int AdditionalRequisite = 1192;// fiscal sign of the receipt being refunded
inline constexpr int CashierInn = 1203;
inline constexpr int PaymentObject = 1212;      // subject of calculation, 1..33
inline constexpr int PaymentMethod = 1214;      // 1 prepayment 100% .. 4 full payment .. 7
inline constexpr int BuyerName = 1227;
inline constexpr int BuyerInn = 1228;
inline constexpr int OriginCountry = 1230;
inline constexpr int CustomsDeclaration = 1231;
inline constexpr int BuyerInfo = 1256;          // TLV block of 1227/1228 made by utilFormTlv
inline constexpr int MeasurementUnit = 2108;    // measure-of-quantity code
}  // namespace tag

// ---- enumerated values -------------------------------------------------
inline constexpr int LIBFPTR_DT_STATUS = 101;
inline constexpr int LIBFPTR_FNDT_LAST_DOCUMENT = 201;

inline constexpr int LIBFPTR_SS_CLOSED = 0;
inline constexpr int LIBFPTR_SS_OPENED = 1;
inline constexpr int LIBFPTR_SS_EXPIRED = 2;

inline constexpr int LIBFPTR_RT_CLOSED = 0;  // status: no receipt open
inline constexpr int LIBFPTR_RT_SELL = 301;
inline constexpr int LIBFPTR_RT_SELL_RETURN = 302;
inline constexpr int LIBFPTR_RT_BUY = 303;
inline constexpr int LIBFPTR_RT_BUY_RETURN = 304;

inline constexpr int LIBFPTR_RT_CLOSE_SHIFT = 401;  // report types
inline constexpr int LIBFPTR_RT_X = 402;

inline constexpr int LIBFPTR_PT_CASH = 501;
inline constexpr int LIBFPTR_PT_ELECTRONICALLY = 502;
inline constexpr int LIBFPTR_PT_PREPAID = 503;

inline constexpr int LIBFPTR_TAX_VAT20 = 601;
inline constexpr int LIBFPTR_TAX_VAT10 = 602;
inline constexpr int LIBFPTR_TAX_VAT120 = 603;
inline constexpr int LIBFPTR_TAX_VAT110 = 604;
inline constexpr int LIBFPTR_TAX_VAT0 = 605;
inline constexpr int LIBFPTR_TAX_NO = 606;

inline constexpr int LIBFPTR_TT_OSN = 701;
inline constexpr int LIBFPTR_TT_USN_INCOME = 702;
inline constexpr int LIBFPTR_TT_USN_INCOME_OUTCOME = 703;
inline constexpr int LIBFPTR_TT_ESN = 704;
inline constexpr int LIBFPTR_TT_PATENT = 705;

inline constexpr int LIBFPTR_MCT12_AUTO = 801;  // marking code type: detect by the register

inline constexpr int LIBFPTR_MES_PIECE_SOLD = 1;      // planned status of a marked item
inline constexpr int LIBFPTR_MES_DRY_FOR_SALE = 2;    // sold by fraction
inline constexpr int LIBFPTR_MES_PIECE_RETURN = 3;
inline constexpr int LIBFPTR_MES_DRY_RETURN = 4;      // returned by fraction

inline constexpr int LIBFPTR_IU_PIECE = 0;  // measurement unit: pieces

// offline (fiscal drive) validation errors
inline constexpr int LIBFPTR_CER_CHECKED = 0;
inline constexpr int LIBFPTR_CER_TYPE_INCORRECT = 1;
inline constexpr int LIBFPTR_CER_NO_KEYS = 2;
inline constexpr int LIBFPTR_CER_NO_GS1 = 3;
inline constexpr int LIBFPTR_CER_OTHER = 4;

// ---- error codes (errorCode) -------------------------------------------
inline constexpr int LIBFPTR_OK = 0;
inline constexpr int LIBFPTR_ERROR_CONNECTION_DISABLED = 1;   // open() not called
inline constexpr int LIBFPTR_ERROR_NO_CONNECTION = 2;
inline constexpr int LIBFPTR_ERROR_NOT_SUPPORTED = 3;
inline constexpr int LIBFPTR_ERROR_INVALID_PARAM = 10;
inline constexpr int LIBFPTR_ERROR_NO_REQUIRED_PARAM = 11;
inline constexpr int LIBFPTR_ERROR_INVALID_RECEIPT_TYPE = 12;
inline constexpr int LIBFPTR_ERROR_INVALID_TAX_TYPE = 13;
inline constexpr int LIBFPTR_ERROR_INVALID_PAYMENT_TYPE = 14;
inline constexpr int LIBFPTR_ERROR_INVALID_PRICE = 15;
inline constexpr int LIBFPTR_ERROR_INVALID_QUANTITY = 16;
inline constexpr int LIBFPTR_ERROR_INVALID_SUM = 17;
inline constexpr int LIBFPTR_ERROR_EMPTY_COMMODITY_NAME = 18;
inline constexpr int LIBFPTR_ERROR_SHIFT_OPENED = 20;
inline constexpr int LIBFPTR_ERROR_SHIFT_CLOSED = 21;
inline constexpr int LIBFPTR_ERROR_SHIFT_EXPIRED = 22;
inline constexpr int LIBFPTR_ERROR_RECEIPT_OPENED = 30;
inline constexpr int LIBFPTR_ERROR_RECEIPT_CLOSED = 31;
inline constexpr int LIBFPTR_ERROR_RECEIPT_EMPTY = 32;
inline constexpr int LIBFPTR_ERROR_NOT_ENOUGH_MONEY = 33;       // payments short of the total
inline constexpr int LIBFPTR_ERROR_NON_CASH_OVERPAYMENT = 34;
inline constexpr int LIBFPTR_ERROR_NOT_ENOUGH_CASH = 35;        // drawer cannot pay out
inline constexpr int LIBFPTR_ERROR_STORAGE = 40;                // the register's memory could not be written
inline constexpr int LIBFPTR_ERROR_PRINTER_FAULT = 41;          // the paper could not be printed on
inline constexpr int LIBFPTR_ERROR_MARKING_CODE_VALIDATION_IN_PROGRESS = 401;
inline constexpr int LIBFPTR_ERROR_MARKING_CODE_VALIDATION_NOT_STARTED = 402;
inline constexpr int LIBFPTR_ERROR_MARKING_CODE_NOT_READY = 403;
inline constexpr int LIBFPTR_ERROR_MARKING_CODE_NOT_CHECKED = 404;
inline constexpr int LIBFPTR_ERROR_INVALID_MARKING_CODE_STATUS = 405;

}  // namespace fiscal

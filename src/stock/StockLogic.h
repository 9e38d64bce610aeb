#pragma once
// Rules of the stock documents that need no window: kinds and their
// captions, numbers and states as shown, the quantity check, the group
// label of the inventory sheet, what each state allows and how the lines'
// columns are laid out per kind.
#include <QDate>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <utility>

namespace stock {

// Kinds of stock document: 0 inventory, 1 goods receipt, 2 surplus entry,
// 3 write-off; the document type in DOCUMENTS is the kind plus 50.
enum Kind { Inventory = 0, GoodsReceipt = 1, SurplusEntry = 2, WriteOff = 3 };

// -1 (no document type) for a kind outside 0..3.
int docTypeForKind(int kind);
// The list window's Tag (1..4) as a kind; -1 for any other Tag.
int kindForListTag(int tag);
// "Складские документы. " followed by the kind's name in capitals.
QString listCaption(int kind);
// "Инвентаризация", "Поступление", "Оприходование", "Списание"; empty otherwise.
QString editorCaption(int kind);

// Left-padded with "0" to six digits; an empty or null number stays empty.
QString formatDocNumber(const QVariant& number);

// Document states as the database reports them.
enum State { Unknown = -1, New = 0, Saved = 1, Posted = 2 };
// "сохранен" and "проведен" for the list; empty for every other state.
QString listStateText(int state);
// "новый", "сохранен", "проведен", "неизвестен".
QString editorStateText(int state);

// The from-date and to-date a list opens with: one month back, and today.
std::pair<QDate, QDate> defaultListRange(const QDate& today);

// Result of checking a typed quantity.
struct QuantityCheck {
    enum Outcome { Accepted, Cleared, Refused } outcome = Refused;
    QString stored;   // Accepted: the text kept, three decimals, "." separator
    QString message;  // Refused: what the cashier is told
};
// "," reads as "."; empty clears. At most six integer digits, not negative;
// piece goods whole, weighed goods at most three decimals. No sign,
// exponent or thousands separator is accepted.
QuantityCheck checkQuantity(const QString& input, bool weighed);

inline const QString kQuantityNotNumber =
    QStringLiteral("Вводимые данные должны быть ЧИСЛОМ !    \n\rМаксимальное значение - 999999.999 ");
inline const QString kQuantityNotWhole = QStringLiteral(
    "Для штучного товара количество должно быть ЦЕЛЫМ числом !    \n\rМаксимальное значение - 999999.000 ");
inline const QString kQuantityTooPrecise =
    QStringLiteral("Дробное количество допускает НЕ БОЛЕЕ 3-х знаков после запятой !    ");

// Book quantity from a stock text: three decimals when it parses and fits
// the list's ten characters, else the text itself (it came from a column of
// the same width).
QString bookQuantityText(const QString& stockText);

// What a posting that adds to or takes from a stock text that is no number
// is refused with.
QString unreadableStockText(std::int64_t goodsId, const QString& name, const QString& stockText);

// The group label the inventory sheet prints.
QString groupLabel(const QString& groupName, bool isRoot, bool withSubgroups);

// What the editor allows in a state.
struct Enabling {
    bool editing = false;  // date, save, fill, clear, post, supplier, add, delete line
    bool gridEditable = false;
    bool menuSave = false;
    bool menuPost = false;
    bool menuUnpost = false;
    bool menuDelete = false;
};
Enabling enablingForState(int state);

// The two quantity/declaration columns of the lines grid for a kind.
struct KindColumns {
    QString priceTitle;  // G_PRICE column
    bool priceEditable = false;
    QString declarTitle;  // G_DECLAR_NUMBER column
    bool declarVisible = true;
    bool declarEditable = false;
    bool declarIsQuantity = false;  // checked as a quantity (inventory)
};
KindColumns columnsForKind(int kind);

// The supplier kept in DOC_SUMM_FULL; empty or non-numeric text is no
// supplier (0).
int supplierIdFromText(const QString& text);

// Statements of the group fill: the goods of a group, with or without its
// sub-groups, or of the root (with sub-groups: every goods item; without:
// goods in no group). Every form returns GOOD_ID, GOOD_NAME, GOOD_COUNT,
// GOOD_EDIZM, COUNTRY_NAME ordered by name, and takes the group ID as its
// only parameter where it needs one.
struct FillSql {
    QString sql;
    bool bindsGroup = false;
};
FillSql fillSql(bool isRoot, bool withSubgroups);

}  // namespace stock

#pragma once
// The rules of the goods catalogue, the goods card and the countries list,
// apart from any window: query texts with their bound values, checks of
// typed values, and the texts of questions and messages.
#include "core/GoodsCodeHistory.h"
#include "platform/db/Value.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace catalogue {

// --- catalogue list ------------------------------------------------------------

enum class NameFilter { StartsWith, Contains };

// Rows the goods lists (the catalogue, the name search) fetch at a time: a
// screenful, so the first screen of 100,000 goods costs a few look-ups and
// further rows come as the list is scrolled.
constexpr int kGoodsListBatchRows = 64;

struct GoodsListQuery {
    QString sql;
    std::vector<fb::Value> params;
};

// Typed text that LIKE ... ESCAPE '¤' matches literally ("%", "_", "¤").
QString escapeLikeText(const QString& text);

// The goods list: every goods item of the base (wholeBase) or of one group
// (0: the top level), narrowed by the trimmed, upper-cased filter text. The
// first opening orders by name in the Cyrillic collation, every later
// reload by name and then by the price left-padded to twelve characters.
GoodsListQuery buildGoodsListQuery(std::int64_t groupId, bool wholeBase, const QString& filterText, NameFilter mode,
                                   bool firstOpening = false);

// Goods and groups share one numbering: the highest ID plus 1, 1 for an
// empty table.
std::int64_t nextGoodsId(std::optional<std::int64_t> maxId);

// The row to stand on after the row `deletedRow` was deleted and the list
// holds `count` rows: the one before it, clamped to the list; -1 for an
// empty list.
int rowAfterDelete(int deletedRow, int count);

// A group may be dropped on a node unless that node is the group itself or
// lies below it. `parentOf` gives a node's parent group; the walk stops at
// the root (0), at an unknown node (nullopt) and after visiting any node
// twice (a damaged tree never hangs the drop).
bool groupDropAllowed(std::int64_t targetId, std::int64_t draggedId,
                      const std::function<std::optional<std::int64_t>(std::int64_t)>& parentOf);

QString deleteGoodQuestion(const QString& name);
QString deleteGroupQuestion(const QString& name);
QString groupNotEmptyMessage(const QString& name);

// --- goods card ----------------------------------------------------------------

// A goods ID as typed: a whole number above 0.
std::optional<std::int64_t> parseGoodsId(const QString& text);

// The price as stored: "," read as ".", not negative, two decimals, at most
// ten characters; nullopt when the text is no such price.
std::optional<QString> normalizePrice(const QString& text);

// Units the fiscal data format knows (0, 10..12, 20..22, ... 255).
bool isUnitCode(int code);

// Pieces per pack are asked only for marked piece goods sold in fractions.
bool packCountVisible(bool unitChosen, int unitCode, bool markChosen, int markCode, bool fractional);

// Blanks, line feeds and carriage returns are not part of a barcode.
QString normalizeBarcode(const QString& cell);

// "да" when fractional sale is allowed: the trimmed, lower-cased flag is
// "да" or "1".
bool fractionalFromGoodW(const QString& goodW);
// VAT code of a stored GOOD_NALOG; 6 when it is not a number.
int vatFromNalog(const QString& nalog);
// A stored country code the card keeps: three characters, a number, not 0.
std::optional<int> storedCountryCode(const QString& code);
// "(" + code + ") " + name, the code with leading zeros.
QString countryDisplay(int code, const QString& name);
// GOOD_COUNTRY_CODE as stored: three digits; nullopt for no country (0).
std::optional<QString> countryCodeText(int code);

// True when the name would not show under the catalogue's filter text (a
// containment test in both filter modes).
bool filterMismatch(const QString& filterText, const QString& name);

QString duplicateBarcodeMessage(const QString& barcode, std::int64_t gid, const QString& goodName);

// Texts of the card.
inline const QString kBadIdText = QStringLiteral(" Недопустимое значение ID товара.     ");
inline const QString kNoUnitText = QStringLiteral(" Не указаны единицы измерения (мера количества).     ");
inline const QString kBadUnitText = QStringLiteral(" Некорректное значение параметра 'единицы измерения'.     ");
inline const QString kUnreadableUnitText = QStringLiteral(" Некорректное значение реквизита 'единицы измерения'.     ");
inline const QString kBadPriceText = QStringLiteral(" Некорректная цена!     ");
inline const QString kBadPackCountText = QStringLiteral(" Некорректное значение в поле 'Количество в упаковке'.     ");
QString kindForMarkedText();
QString packCountQuestion();
QString filterMismatchQuestion();
QString idTakenText(std::int64_t id);
QString countryCodeTakenText(const QString& code, const QString& countryName);
// What still names a goods code, so that the item may be neither deleted
// nor given another code, and the code never passes to a new item.
using IdUse = core::GoodsCodeUse;
QString idInUseText(std::int64_t id, IdUse use);
QString deleteInUseText(const QString& name, IdUse use);
// A code typed for a new item that history still names.
QString idNamedByHistoryText(std::int64_t id, IdUse use);
// A group whose code history names (an older goods file made a sold item a
// group) stays: deleted, it would free the code for the next new item.
QString deleteGroupInUseText(const QString& name, std::int64_t id, IdUse use);

// --- countries -----------------------------------------------------------------

// Exactly three characters after trimming, each a digit.
bool countryCodeValid(const QString& text);
// The code a goods card may take: a number other than 0, padded to three
// digits.
std::optional<QString> pickableCountry(const QString& code);
// Russia stays in the list whatever happens.
bool isProtectedCountry(const QString& code);
QString deleteCountryQuestion(const QString& code, const QString& name);

}  // namespace catalogue

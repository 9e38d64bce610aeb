#pragma once
// The quantity rules of marked goods: the part of a pack a cashier sells,
// and taking one marked item back out of a position by scanning its code.
// Plain values in, plain values out; the two windows only show them.
#include "sales/receipt/Money.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

namespace sales {

// Part of a pack: `num` items sold of the `den` the pack holds, `text`
// "num/den". A whole unit is 0, 0 and an empty text.
struct Fraction {
    int num = 0;
    int den = 0;
    QString text;

    bool whole() const { return num == 0; }
    friend bool operator==(const Fraction&, const Fraction&) = default;
};

// The most digits either field of the fraction window takes.
inline constexpr int kFractionFieldDigits = 6;

// The fraction typed into the window, or the message that refuses it. With
// `wholly` the fields are not read at all: the whole pack is sold. Sold equal
// to the pack is a whole unit as well.
struct FractionCheck {
    std::optional<Fraction> fraction;  // set when accepted
    QString message;                   // why not, when refused
};
FractionCheck ValidateFraction(const QString& soldText, const QString& packText, bool wholly);

// The quantity one marking record puts into its position: 1 for a whole
// unit, numerator / denominator of the pack for a part (thousandths, the
// way every quantity of the receipt is kept). nullopt for a record whose
// fraction is no fraction.
std::optional<Qty> markedRecordQuantity(const QStringList& record);
// The same for a fraction just chosen: what the position grows by.
Qty fractionQuantity(const Fraction& fraction);
// A marking record belongs to the position of its goods whose row key
// (ReceiptModel::AttrRowKey) it carries: the active position has none, each
// position excluded from a return its own.
bool markedRecordOf(const QStringList& record, const QString& goodsId, const QString& rowKey = {});
// What the marking records of goods `goodsId` (of the position with
// `rowKey`) add up to; nullopt when one of them holds no fraction.
std::optional<Qty> markedGoodsQuantity(const QList<QStringList>& items, const QString& goodsId,
                                       const QString& rowKey = {});
// The parts of a pack the marking records of goods `goodsId` hold, as the
// position keeps them (ReceiptModel::AttrPackParts): "1/3;1/3", empty when
// every unit is whole.
QString packPartsOf(const QList<QStringList>& items, const QString& goodsId, const QString& rowKey = {});

// ---- Lowering a marked position ------------------------------------------

struct GtinSerial {
    QString gtin;
    QString serial;
    friend bool operator==(const GtinSerial&, const GtinSerial&) = default;
};
// GTIN and serial of a normalised marking code as the lowering window reads
// them; nullopt for a code of the wrong shape (it is ignored).
std::optional<GtinSerial> ExtractGtinSerialForLowering(int markType, const QString& code);

// The index of the marking record of goods `goodsId` with that GTIN (both
// padded with zeros to 14) and serial, among the active position's; -1 when
// the receipt has none.
int FindMarkedItem(const QList<QStringList>& items, const QString& goodsId, const GtinSerial& code);

// What taking one item out of a position of `count` items does.
struct LowerDecision {
    enum class Kind { Update, Delete, Error };
    Kind kind = Kind::Error;
    int count = 0;  // the new count for Update
};
LowerDecision LowerMarkedCount(int count);

namespace fractionText {
inline const QString kSoldMissing = QStringLiteral(" Не указано продаваемое количество.  ");
inline const QString kPackMissing = QStringLiteral(" Не указано значение 'Всего в упаковке'.     ");
inline const QString kSoldAbovePack = QStringLiteral(
    " Значение в поле 'Продать' не может быть больше     \r\n"
    " значения в поле 'Всего в упаковке'.     ");
inline const QString kSerialNotInReceipt = QStringLiteral(" Такой серийный номер в чеке отсутствует.     ");
}  // namespace fractionText

// A field of the fraction window that is no whole number of 1..999999.
enum class FractionField { Sold, Pack };
enum class FractionFault { TooLong, NotDigits, Zero };
QString badFractionFieldMessage(FractionField field, FractionFault fault);
// The lowering window's count went below zero: the program lost track.
QString markedCountFailureMessage();
// A scanned code does not fit the layout of the mark type.
QString markCodeFormatMessage(const QString& markTypeCaption);

}  // namespace sales

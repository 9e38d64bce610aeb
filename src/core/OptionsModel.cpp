#include "core/OptionsModel.h"

#include "core/ScaleConnection.h"
#include "core/SettingsFile.h"
#include "core/TextUtils.h"
#include "platform/db/Connection.h"
#include "platform/db/Transaction.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace core {

namespace {

const QString kMaxDiscountRefused = QStringLiteral(
    " Недопустимое значение максимальной скидки.     \r\n\r\n"
    " Допустимое значение: число от 0 до 99.99 или пустое поле.     ");

int toIntOr(const QString& text, int fallback) {
    bool ok = false;
    const int value = trimBlanks(text).toInt(&ok);
    return ok ? value : fallback;
}

// A plain decimal number ("12", "12.5", "12,5", ".5"); no exponents, no
// "inf", no thousands separators.
std::optional<double> plainNumber(const QString& text) {
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+([.,]\\d*)?|[.,]\\d+)$"));
    QString t = trimBlanks(text);
    if (!number.match(t).hasMatch()) return std::nullopt;
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(t, &ok);
    if (!ok) return std::nullopt;
    return value;
}

QString withPoint(QString text) { return text.replace(QLatin1Char(','), QLatin1Char('.')); }

}  // namespace

const QStringList& PayTypeItems() {
    static const QStringList items{QStringLiteral(" наличными"), QStringLiteral(" безналичными"),
                                   QStringLiteral(" предоплатой"), QString()};
    return items;
}

const QList<CodeItem>& ScaleProtocolItems() {
    static const QList<CodeItem> items{{QStringLiteral("POS2-M"), 2}, {QString(), 0}};
    return items;
}

const QStringList& ScaleBaudRates() {
    static const QStringList items{QStringLiteral("4800"),  QStringLiteral("9600"),  QStringLiteral("14400"),
                                   QStringLiteral("19200"), QStringLiteral("38400"), QStringLiteral("57600"),
                                   QStringLiteral("115200")};
    return items;
}

OptionsFileValues readOptionsFileValues(const QStringList& lines) {
    const auto read = [&lines](const char* key) { return readOptionFromLines(lines, QLatin1String(key)); };
    OptionsFileValues v;

    v.email = read("[Email]");

    // Shown as stored, also when out of range: the save then refuses it
    // with a message instead of quietly dropping the setting.
    v.maxDiscount = withPoint(read("[MaxDiscount]"));
    v.maxDiscountStored = std::any_of(lines.cbegin(), lines.cend(), [](const QString& line) {
        return trimBlanks(line).startsWith(QLatin1String("[MaxDiscount]"));
    });

    const QString maxSumPos = withPoint(read("[MaxSumPos]"));
    const auto sum = plainNumber(maxSumPos);
    v.maxSumPos = sum && *sum >= 0 ? maxSumPos : QString();

    const QString operDefault = read("[OperDefault]");
    if (!operDefault.isEmpty()) {
        const QStringList& kinds = OperDefaultItems();
        for (int i = 0; i < kinds.size(); ++i) {
            if (kinds[i].compare(operDefault, Qt::CaseInsensitive) == 0) {
                v.operDefaultIndex = i;
                break;
            }
        }
    }

    const int payType = toIntOr(read("[PayTypeDefault]"), -1);
    v.payTypeIndex = payType >= 0 && payType <= 2 ? payType : -1;

    const QString tobacco = read("[TobaccoPriceRule]");
    const qsizetype sep = tobacco.indexOf(kOptionDelim);
    const int rule = toIntOr(sep < 0 ? tobacco : tobacco.left(sep), 1);
    const QString amount = sep < 0 ? QString() : trimBlanks(tobacco.mid(sep + 1));
    switch (rule) {
    case 0:
    case 1:
        v.tobaccoRule = rule;
        break;
    case 2:
        v.tobaccoRule = 2;
        v.tobaccoPercent = amount;
        break;
    case 3:
        v.tobaccoRule = 3;
        v.tobaccoRoubles = amount;
        break;
    default:
        v.tobaccoRule = 1;
        break;
    }
    return v;
}

int taxSystemIndexFor(const QString& stored) {
    const int code = toIntOr(stored, 0);
    if (code == 0) return -1;
    const QList<CodeItem>& items = TaxSystemItems();
    for (int i = 0; i < items.size(); ++i)
        if (items[i].code == code) return i;
    return -1;
}

int scaleTimeoutPosition(const QString& stored, int position) {
    bool ok = false;
    const int value = trimBlanks(stored).toInt(&ok);
    return ok && value >= kScaleTimeoutMin && value <= kScaleTimeoutMax ? value : position;
}

ScaleFields scaleFieldsFor(const ScaleParams& params) {
    ScaleFields f;
    const QList<CodeItem>& protocols = ScaleProtocolItems();
    for (int i = 0; i < protocols.size(); ++i) {
        if (protocols[i].code == params.protocol) {
            f.protocolIndex = i;
            break;
        }
    }
    f.port = params.port;
    f.baudIndex = static_cast<int>(ScaleBaudRates().indexOf(params.baudRate));
    f.timeout = scaleTimeoutPosition(params.timeout);
    return f;
}

ScaleFields loadScaleFields(const ScaleConnection& scale, fb::Connection& db) {
    if (scale.isConnected()) return scaleFieldsFor(scale.current());
    db.ensureConnected();
    fb::Transaction tr(db);
    ScaleParams stored;
    stored.protocol = toIntOr(ReadDbOption(tr, QStringLiteral("ScaleProtocol")), 0);
    stored.port = ReadDbOption(tr, QStringLiteral("ScalePort"));
    stored.baudRate = ReadDbOption(tr, QStringLiteral("ScaleBaudRate"));
    stored.timeout = ReadDbOption(tr, QStringLiteral("ScaleTimeout"));
    tr.commit();
    return scaleFieldsFor(stored);
}

int scaleProtocolCode(int index) {
    const QList<CodeItem>& items = ScaleProtocolItems();
    return index >= 0 && index < items.size() ? items[index].code : 0;
}

UnitListChange addUnitToList(const QList<CodeItem>& units, const CodeItem& unit) {
    UnitListChange change{units, -1};
    for (int i = 0; i < units.size(); ++i) {
        if (units[i].code == unit.code) {
            change.current = i;
            return change;
        }
    }
    change.units.append(unit);
    change.current = static_cast<int>(change.units.size()) - 1;
    return change;
}

UnitListChange deleteUnitFromList(const QList<CodeItem>& units, int row, int current) {
    if (row < 0 || row >= units.size()) return {units, current};
    UnitListChange change{units, -1};
    change.units.removeAt(row);
    if (!change.units.isEmpty()) change.current = row > 0 ? row - 1 : 0;
    return change;
}

OptionsFormData loadOptionsForm(const QString& programFolder, fb::Connection& db, const ScaleConnection& scale) {
    OptionsFormData data;
    data.file = readOptionsFileValues(readOptionsFileLines(programFolder));
    data.scale = loadScaleFields(scale, db);

    db.ensureConnected();
    fb::Transaction tr(db);
    data.storedTaxSystem = ReadDbOption(tr, QStringLiteral("TaxSystem"));
    data.taxSystemIndex = taxSystemIndexFor(data.storedTaxSystem);
    data.kktPortName = ReadDbOption(tr, QStringLiteral("KktPortName"));
    data.kktBaudRate = ReadDbOption(tr, QStringLiteral("KktBaudRate"));
    data.unitsUsed = readUnitsUsed(tr);
    tr.commit();
    return data;
}

QString checkMaxDiscount(const QString& text) {
    if (trimBlanks(text).isEmpty()) return {};
    const auto value = plainNumber(text);
    return value && *value >= 0 && *value < 100 ? QString() : kMaxDiscountRefused;
}

SettingsSaveResult saveOptions(const SettingsInput& input, const QString& programFolder, fb::Connection& db) {
    const QString refused = checkMaxDiscount(input.maxDiscount);
    if (!refused.isEmpty()) {
        SettingsSaveResult result;
        result.message = refused;
        result.field = SettingsField::MaxDiscount;
        result.tobaccoRoubles = trimBlanks(input.tobaccoRoubles).replace(QLatin1Char(','), QLatin1Char('.'));
        return result;
    }
    return saveSettings(input, programFolder, db);
}

}  // namespace core

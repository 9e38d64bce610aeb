#include "Settings.h"

#include "TextUtils.h"
#include "platform/db/Codec.h"
#include "platform/db/Connection.h"
#include "platform/db/Error.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"

#include <QFile>
#include <QHash>
#include <QLocale>
#include <QSaveFile>

#include <cmath>

namespace core {

namespace {

// Column widths of the tables the settings are stored in.
constexpr int kOptionWidth = 30;
constexpr int kUnitNameWidth = 10;

const QString kPercentRange = QStringLiteral(
    "Недопустимое значение процентной скидки.   \r\n\r\n"
    "Допустимое значение: целое положительное число от 1 до 25.      ");
const QString kPercentFormat = QStringLiteral(
    "Некорректный формат значения процентной скидки.   \r\n\r\n"
    "Допустимый формат: целое положительное число от 1 до 25.     ");
const QString kRoublesRange = QStringLiteral(
    "Недопустимое значение суммовой скидки.    \r\n\r\n"
    " Допустимое значение: положительное число.   ");
const QString kRoublesFormat = QStringLiteral(
    "Некорректный формат значения суммовой скидки.    \r\n\r\n"
    " Допустимый формат: положительное число.   ");
const QString kDeleteOptionsFailed = QStringLiteral(
    " При сохранении настроек произошла ошибка.     \r\n\r\n"
    " Перезапустите программу и повторите попытку.     ");
const QString kInsertOptionsFailed = QStringLiteral(
    " Ошибка БД при сохранении настроек.     \r\n\r\n"
    " Перезапустите программу и повторите попытку.     ");
const QString kDeleteUnitsFailed = QStringLiteral(
    " При сохранении данных 'единицы измерения' произошла ошибка.     \r\n\r\n"
    " Перезапустите программу и повторите попытку.     ");
const QString kInsertUnitsFailed = QStringLiteral(
    " При записи данных 'единицы измерения' произошла ошибка.     \r\n\r\n"
    " Перезапустите программу и повторите попытку.     ");
const QString kFileFailed = QStringLiteral(
    " Не удалось записать файл настроек options.sys.     \r\n\r\n"
    " Проверьте доступ к папке программы и повторите попытку.     ");

// Our Russian sentence first; the system's or the database's own words
// follow as the last line, for whoever is called to help.
QString withSystemText(const QString& sentence, const QString& systemText) {
    const QString detail = systemText.trimmed();
    return detail.isEmpty() ? sentence : sentence + QStringLiteral("\r\n\r\n ") + detail + QStringLiteral("     ");
}

QString tooLongMessage(const QString& what, int width) {
    return QStringLiteral(" Значение '%1' длиннее %2 символов.     \r\n\r\n"
                          " Сократите значение и повторите попытку.     ")
        .arg(what)
        .arg(width);
}

QString badCharactersMessage(const QString& what) {
    return QStringLiteral(" Значение '%1' содержит символы, которые нельзя сохранить.     \r\n\r\n"
                          " Исправьте значение и повторите попытку.     ")
        .arg(what);
}

struct KeyInfo {
    SettingsField field;
    QString caption;  // what the person calls the setting
};

KeyInfo keyInfo(const QString& optionName) {
    static const QHash<QString, KeyInfo> keys{
        {QStringLiteral("TaxSystem"), {SettingsField::TaxSystem, QStringLiteral("система налогообложения")}},
        {QStringLiteral("OperDefault"), {SettingsField::OperDefault, QStringLiteral("тип операции")}},
        {QStringLiteral("MaxDiscount"), {SettingsField::MaxDiscount, QStringLiteral("максимальная скидка")}},
        {QStringLiteral("Email"), {SettingsField::Email, QStringLiteral("e-mail")}},
        {QStringLiteral("TobaccoPriceRuleValue"), {SettingsField::None, QStringLiteral("скидка на табак")}},
        {QStringLiteral("ScaleProtocol"), {SettingsField::ScaleProtocol, QStringLiteral("протокол весов")}},
        {QStringLiteral("ScalePort"), {SettingsField::ScalePort, QStringLiteral("порт весов")}},
        {QStringLiteral("ScaleBaudRate"), {SettingsField::ScaleBaudRate, QStringLiteral("скорость обмена")}},
        {QStringLiteral("ScaleTimeout"), {SettingsField::ScaleTimeout, QStringLiteral("таймаут")}},
        {QStringLiteral("KktPortName"), {SettingsField::KktPortName, QStringLiteral("порт ККТ")}},
        {QStringLiteral("KktBaudRate"), {SettingsField::KktBaudRate, QStringLiteral("скорость ККТ")}},
    };
    return keys.value(optionName, KeyInfo{SettingsField::None, optionName});
}

int toIntOr(const QString& text, int fallback) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : fallback;
}

QString normalisedRoubles(const QString& text) {
    return trimBlanks(text).replace(QLatin1Char(','), QLatin1Char('.'));
}

SettingsCheck refuse(const QString& message, SettingsField field) {
    SettingsCheck check;
    check.message = message;
    check.field = field;
    return check;
}

}  // namespace

QString ReadDbOption(fb::Transaction& tr, const QString& name) {
    const QString upper = name.toUpper();
    // A name that cannot be stored cannot be found either.
    if (upper.size() > kOptionWidth || !fb::fitsWin1251(upper)) return {};
    const auto row = fb::queryOne(tr, QStringLiteral("SELECT OPTION_VALUE FROM OPTIONS WHERE UPPER(OPTION_NAME) = ?"),
                                  {upper});
    return row ? trimBlanks(row->str(QStringLiteral("OPTION_VALUE"))) : QString();
}

QString ReadDbOption(fb::Connection& db, const QString& name) {
    db.ensureConnected();
    fb::Transaction tr(db);
    QString value = ReadDbOption(tr, name);
    tr.commit();
    return value;
}

QList<CodeItem> readUnitsUsed(fb::Transaction& tr) {
    QList<CodeItem> units;
    const auto rows = fb::query(tr, QStringLiteral("SELECT QMU_PRINTVALUE, QMU_FFDVALUE FROM QUANTITYMEASURESUSED "
                                                   "ORDER BY QMU_ORDERNUMBER"));
    for (const fb::Row& row : rows)
        units.append({row.str(QStringLiteral("QMU_PRINTVALUE")), row.integer(QStringLiteral("QMU_FFDVALUE"))});
    return units;
}

SettingsCheck planSettingsSave(const SettingsInput& input) {
    SettingsPlan plan;
    const auto both = [&plan](const QString& name, const QString& value) {
        plan.fileLines.append({QLatin1Char('[') + name + QLatin1Char(']'), value});
        plan.optionRows.append({name, value});
    };

    both(QStringLiteral("ListClear"), QStringLiteral("1"));
    both(QStringLiteral("PosDeleteType"), QStringLiteral("1"));

    const QString taxSystem = trimBlanks(input.taxSystemText);
    if (!taxSystem.isEmpty()) {
        plan.fileLines.append({QStringLiteral("[TaxSystem]"), taxSystem});
        plan.optionRows.append({QStringLiteral("TaxSystem"), QString::number(taxSystemCodeFromName(taxSystem))});
    } else if (!trimBlanks(input.keptTaxSystemCode).isEmpty()) {
        const QString fileText = trimBlanks(input.keptTaxSystemFileText);
        if (!fileText.isEmpty()) plan.fileLines.append({QStringLiteral("[TaxSystem]"), fileText});
        plan.optionRows.append({QStringLiteral("TaxSystem"), trimBlanks(input.keptTaxSystemCode)});
    }
    both(QStringLiteral("OperDefault"), trimBlanks(input.operDefault));
    if (input.payTypeIndex >= 0 && input.payTypeIndex <= 2)
        both(QStringLiteral("PayTypeDefault"), QString::number(input.payTypeIndex));
    both(QStringLiteral("MaxDiscount"), trimBlanks(input.maxDiscount));
    both(QStringLiteral("Email"), trimBlanks(input.email));

    switch (input.tobaccoRule) {
    case 0:
    case 1:
        both(QStringLiteral("TobaccoPriceRule"), QString::number(input.tobaccoRule));
        break;
    case 2: {
        const QString percent = trimBlanks(input.tobaccoPercent);
        bool ok = false;
        const int value = percent.toInt(&ok);
        if (!ok) return refuse(kPercentFormat, SettingsField::TobaccoPercent);
        if (value < 1 || value > 25) return refuse(kPercentRange, SettingsField::TobaccoPercent);
        plan.fileLines.append({QStringLiteral("[TobaccoPriceRule]"), QStringLiteral("2") + kOptionDelim + percent});
        plan.optionRows.append({QStringLiteral("TobaccoPriceRule"), QStringLiteral("2")});
        plan.optionRows.append({QStringLiteral("TobaccoPriceRuleValue"), percent});
        break;
    }
    case 3: {
        const QString roubles = normalisedRoubles(input.tobaccoRoubles);
        bool ok = false;
        const double value = QLocale::c().toDouble(roubles, &ok);
        if (!ok || !std::isfinite(value)) return refuse(kRoublesFormat, SettingsField::TobaccoRoubles);
        if (value <= 0) return refuse(kRoublesRange, SettingsField::TobaccoRoubles);
        plan.fileLines.append({QStringLiteral("[TobaccoPriceRule]"), QStringLiteral("3") + kOptionDelim + roubles});
        plan.optionRows.append({QStringLiteral("TobaccoPriceRule"), QStringLiteral("3")});
        plan.optionRows.append({QStringLiteral("TobaccoPriceRuleValue"), roubles});
        plan.tobaccoRoubles = roubles;
        break;
    }
    default:
        break;  // no rule chosen: nothing to store
    }

    // The scale settings live in the table only.
    if (input.scaleProtocol)
        plan.optionRows.append({QStringLiteral("ScaleProtocol"), QString::number(*input.scaleProtocol)});
    const auto tableOnly = [&plan](const QString& name, const QString& text) {
        const QString value = trimBlanks(text);
        if (!value.isEmpty()) plan.optionRows.append({name, value});
    };
    tableOnly(QStringLiteral("ScalePort"), input.scalePort);
    tableOnly(QStringLiteral("ScaleBaudRate"), input.scaleBaudRate);
    tableOnly(QStringLiteral("ScaleTimeout"), input.scaleTimeout);
    tableOnly(QStringLiteral("KktPortName"), input.kktPortName);
    tableOnly(QStringLiteral("KktBaudRate"), input.kktBaudRate);

    // Everything must fit where it goes before either store is touched.
    for (const auto& [key, value] : plan.fileLines) {
        if (!fb::fitsWin1251(value)) {
            const KeyInfo info = keyInfo(key.mid(1, key.size() - 2));
            return refuse(badCharactersMessage(info.caption), info.field);
        }
    }
    for (const OptionRow& row : plan.optionRows) {
        const KeyInfo info = keyInfo(row.name);
        if (!fb::fitsWin1251(row.value)) return refuse(badCharactersMessage(info.caption), info.field);
        if (row.value.size() > kOptionWidth) return refuse(tooLongMessage(info.caption, kOptionWidth), info.field);
    }
    for (const CodeItem& unit : input.units) {
        if (!fb::fitsWin1251(unit.text)) return refuse(badCharactersMessage(unit.text), SettingsField::Units);
        if (unit.text.size() > kUnitNameWidth)
            return refuse(tooLongMessage(unit.text, kUnitNameWidth), SettingsField::Units);
        if (unit.code < -32768 || unit.code > 32767)
            return refuse(badCharactersMessage(unit.text), SettingsField::Units);
    }
    plan.units = input.units;

    SettingsCheck check;
    check.plan = std::move(plan);
    return check;
}

namespace {

// Puts the previous file back after the tables could not be committed, so
// the two stores keep agreeing.
void restoreOptionsFile(const QString& programFolder, bool existed, const QByteArray& bytes) {
    if (existed)
        writeOptionsFile(programFolder, bytes);
    else
        QFile::remove(optionsFilePath(programFolder));
}

}  // namespace

SettingsSaveResult saveSettings(const SettingsInput& input, const QString& programFolder, fb::Connection& db) {
    SettingsSaveResult result;
    result.tobaccoRoubles = normalisedRoubles(input.tobaccoRoubles);

    const SettingsCheck check = planSettingsSave(input);
    if (!check.plan) {
        result.message = check.message;
        result.field = check.field;
        return result;
    }
    const SettingsPlan& plan = *check.plan;

    QByteArray bytes;
    try {
        bytes = renderOptionsFile(plan.fileLines);
    } catch (const std::exception&) {
        result.message = kFileFailed;  // cannot happen after the check above
        return result;
    }

    QFile previous(optionsFilePath(programFolder));
    const bool existed = previous.exists();
    QByteArray previousBytes;
    if (existed && previous.open(QIODevice::ReadOnly)) previousBytes = previous.readAll();
    previous.close();

    QSaveFile file(optionsFilePath(programFolder));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        result.message = withSystemText(kFileFailed, file.errorString());
        return result;
    }

    const QString* failure = &kDeleteOptionsFailed;
    bool fileReplaced = false;
    try {
        db.ensureConnected();
        fb::Transaction tr(db);
        fb::execute(tr, QStringLiteral("DELETE FROM OPTIONS"));

        failure = &kInsertOptionsFailed;
        fb::Statement insertOption(
            tr, QStringLiteral("INSERT INTO OPTIONS (OPTION_NAME, OPTION_VALUE) VALUES (?, ?)"));
        for (const OptionRow& row : plan.optionRows) insertOption.execute(tr, {row.name, row.value});

        failure = &kDeleteUnitsFailed;
        fb::execute(tr, QStringLiteral("DELETE FROM QUANTITYMEASURESUSED"));

        failure = &kInsertUnitsFailed;
        fb::Statement insertUnit(tr, QStringLiteral("INSERT INTO QUANTITYMEASURESUSED "
                                                    "(QMU_ORDERNUMBER, QMU_PRINTVALUE, QMU_FFDVALUE) VALUES (?, ?, ?)"));
        std::int64_t position = 0;
        for (const CodeItem& unit : plan.units)
            insertUnit.execute(tr, {position++, unit.text, static_cast<std::int64_t>(unit.code)});

        if (!file.commit()) {
            result.message = withSystemText(kFileFailed, file.errorString());
            return result;  // the transaction rolls back
        }
        fileReplaced = true;
        failure = &kInsertOptionsFailed;
        tr.commit();
    } catch (const fb::Error& e) {
        // Our sentence first; the database's own words for whoever helps.
        if (fileReplaced) restoreOptionsFile(programFolder, existed, previousBytes);
        result.message = withSystemText(*failure, e.message());
        return result;
    } catch (const std::exception&) {
        if (fileReplaced) restoreOptionsFile(programFolder, existed, previousBytes);
        result.message = *failure;
        return result;
    }

    result.ok = true;
    return result;
}

Settings::Settings(QString programFolder, fb::Connection* db) : programFolder_(std::move(programFolder)), db_(db) {}

fb::Connection& Settings::db() const {
    if (!db_) fb::throwUsage(QStringLiteral("Настройки из базы данных читаются без соединения с базой"));
    return *db_;
}

QString Settings::ReadFileOption(const QString& key, int mode, QChar delim) const {
    return core::ReadFileOption(programFolder_, key, mode, delim);
}

QString Settings::ReadDbOption(const QString& name) const { return core::ReadDbOption(db(), name); }

QString Settings::operDefault() const { return ReadFileOption(QStringLiteral("[OperDefault]")); }

QString Settings::operationCaption() const {
    const QString kind = operDefault();
    return kind.isEmpty() ? QStringLiteral("ПРИХОД") : kind.toUpper();
}

int Settings::payTypeDefault() const { return toIntOr(ReadFileOption(QStringLiteral("[PayTypeDefault]")), -1); }

QString Settings::maxDiscountText() const { return ReadFileOption(QStringLiteral("[MaxDiscount]")); }

std::optional<std::int64_t> Settings::maxDiscountHundredths() const {
    return fb::parseScaled(maxDiscountText(), 2);
}

QString Settings::email() const { return ReadFileOption(QStringLiteral("[Email]")); }

TobaccoPriceRule Settings::tobaccoPriceRule() const {
    const QStringList lines = readOptionsFileLines(programFolder_);
    const QString key = QStringLiteral("[TobaccoPriceRule]");
    TobaccoPriceRule rule;
    rule.rule = toIntOr(readOptionFromLines(lines, key, 1), 1);
    rule.amount = readOptionFromLines(lines, key, 2);
    return rule;
}

QString Settings::maxSumPos() const { return ReadFileOption(QStringLiteral("[MaxSumPos]")); }


int Settings::taxSystemCode() const { return toIntOr(ReadDbOption(QStringLiteral("TaxSystem")), 0); }

ScaleParams Settings::scaleSettings() const {
    fb::Connection& conn = db();
    conn.ensureConnected();
    fb::Transaction tr(conn);
    ScaleParams scale;
    scale.protocol = toIntOr(core::ReadDbOption(tr, QStringLiteral("ScaleProtocol")), 0);
    scale.port = core::ReadDbOption(tr, QStringLiteral("ScalePort"));
    scale.baudRate = core::ReadDbOption(tr, QStringLiteral("ScaleBaudRate"));
    scale.timeout = core::ReadDbOption(tr, QStringLiteral("ScaleTimeout"));
    tr.commit();
    return scale;
}

Settings::KktConnection Settings::kktConnection() const {
    fb::Connection& conn = db();
    conn.ensureConnected();
    fb::Transaction tr(conn);
    KktConnection kkt;
    kkt.portName = core::ReadDbOption(tr, QStringLiteral("KktPortName"));
    kkt.baudRate = core::ReadDbOption(tr, QStringLiteral("KktBaudRate"));
    tr.commit();
    return kkt;
}

QList<CodeItem> Settings::unitsUsed() const {
    fb::Connection& conn = db();
    conn.ensureConnected();
    fb::Transaction tr(conn);
    QList<CodeItem> units = readUnitsUsed(tr);
    tr.commit();
    return units;
}

SettingsSaveResult Settings::save(const SettingsInput& input) const { return saveSettings(input, programFolder_, db()); }

}  // namespace core

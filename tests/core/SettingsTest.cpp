#include "core/OptionsModel.h"
#include "core/RefLists.h"
#include "core/Settings.h"

#include "platform/db/Metadata.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "support/DbFixture.h"

#include "SettingsTestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>

#include <gtest/gtest.h>

#include <vector>

using namespace core;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

class SettingsStoreTest : public testsupport::DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        if (HasFatalFailure()) return;
        fb::Transaction tr(db());
        const bool options = fb::meta::tableExists(tr, QStringLiteral("OPTIONS"));
        const bool units = fb::meta::tableExists(tr, QStringLiteral("QUANTITYMEASURESUSED"));
        tr.commit();
        if (!options) exec(QStringLiteral("CREATE TABLE OPTIONS (OPTION_NAME VARCHAR(30), OPTION_VALUE VARCHAR(30));"));
        if (!units)
            exec(QStringLiteral("CREATE TABLE QUANTITYMEASURESUSED ( QMU_ORDERNUMBER SMALLINT, QMU_PRINTVALUE "
                                "VARCHAR(10),  QMU_FFDVALUE SMALLINT, QMU_DESCRIPTION VARCHAR(150));"));
    }

    Settings settings() { return Settings(programFolder(), &db()); }

    QByteArray fileBytes() { return coretest::optionsFileBytes(programFolder()); }

    QList<OptionRow> optionRows() { return coretest::readOptionRows(db()); }

    static SettingsInput everyKey() {
        return coretest::everySettingsKey(u("УСН(доход-расход)"), 2, u("7,25"));
    }
};

}  // namespace

TEST_F(SettingsStoreTest, EveryKeyRoundTripsThroughBothStores) {
    const Settings s = settings();
    const SettingsSaveResult saved = s.save(everyKey());
    ASSERT_TRUE(saved.ok) << saved.message.toStdString();
    EXPECT_EQ(saved.tobaccoRoubles, u("7.25"));

    // The file, byte for byte: Windows-1251, CR LF, "¤" as byte 0xA4.
    const QByteArray expected =
        QByteArray("\xcd\xe0\xf1\xf2\xf0\xee\xe9\xea\xe8\r\n"                      // Настройки
                   "[ListClear]  1\r\n"
                   "[PosDeleteType]  1\r\n"
                   "[TaxSystem]  \xd3\xd1\xcd(\xe4\xee\xf5\xee\xe4-\xf0\xe0\xf1\xf5\xee\xe4)\r\n"
                   "[OperDefault]  \xc2\xee\xe7\xe2\xf0\xe0\xf2 \xef\xf0\xe8\xf5\xee\xe4\xe0\r\n"
                   "[PayTypeDefault]  2\r\n"
                   "[MaxDiscount]  12.5\r\n"
                   "[Email]  o'neil@\xec\xe0\xe3\xe0\xe7\xe8\xed.\xf0\xf4\r\n"
                   "[TobaccoPriceRule]  3\xa4" "7.25\r\n");
    EXPECT_EQ(fileBytes(), expected);

    // File keys.
    EXPECT_EQ(s.operDefault(), u("Возврат прихода"));
    EXPECT_EQ(s.operationCaption(), u("ВОЗВРАТ ПРИХОДА"));
    EXPECT_EQ(OperationTypeFromName(s.operDefault()), 2);
    EXPECT_EQ(s.payTypeDefault(), 2);
    EXPECT_EQ(s.maxDiscountText(), u("12.5"));
    EXPECT_EQ(s.maxDiscountHundredths(), std::optional<std::int64_t>(1250));
    EXPECT_EQ(s.email(), u("o'neil@магазин.рф"));
    EXPECT_EQ(s.tobaccoPriceRule().rule, 3);
    EXPECT_EQ(s.tobaccoPriceRule().amount, u("7.25"));
    EXPECT_EQ(s.ReadFileOption(u("[TaxSystem]")), u("УСН(доход-расход)"));
    EXPECT_FALSE(s.ReadFileOption(u("[OperDefault]")).endsWith(QLatin1Char('\r')));

    // Table keys, names in any case.
    EXPECT_EQ(s.taxSystemCode(), 4);
    EXPECT_EQ(s.ReadDbOption(u("taxsystem")), u("4"));
    EXPECT_EQ(s.ReadDbOption(u("EMAIL")), u("o'neil@магазин.рф"));
    EXPECT_EQ(s.ReadDbOption(u("TobaccoPriceRuleValue")), u("7.25"));
    EXPECT_EQ(s.ReadDbOption(u("no such option")), QString());
    EXPECT_EQ(s.ReadDbOption(QString(40, QLatin1Char('X'))), QString());
    const ScaleParams scale = s.scaleSettings();
    EXPECT_EQ(scale.protocol, 2);
    EXPECT_EQ(scale.port, u("ttyUSB0"));
    EXPECT_EQ(scale.baudRate, u("9600"));
    EXPECT_EQ(scale.timeout, u("50"));
    EXPECT_EQ(s.kktConnection().portName, u("ttyACM0"));
    EXPECT_EQ(s.kktConnection().baudRate, u("115200"));
    EXPECT_EQ(s.unitsUsed(), everyKey().units);

    // The settings window reads back what it saved.
    const OptionsFileValues form = readOptionsFileValues(readOptionsFileLines(s.programFolder()));
    EXPECT_EQ(form.operDefaultIndex, OperDefaultItems().indexOf(u("Возврат прихода")));
    EXPECT_EQ(form.payTypeIndex, 2);
    EXPECT_EQ(form.maxDiscount, u("12.5"));
    EXPECT_EQ(form.email, u("o'neil@магазин.рф"));
    EXPECT_EQ(form.tobaccoRule, 3);
    EXPECT_EQ(form.tobaccoRoubles, u("7.25"));
}

TEST_F(SettingsStoreTest, RowsAreInsertedInKeyOrderAndRewrittenWhole) {
    const Settings s = settings();
    ASSERT_TRUE(s.save(everyKey()).ok);
    SettingsInput second;
    second.tobaccoRule = 2;
    second.tobaccoPercent = u("15");
    second.units = {{u("кг"), 11}};
    ASSERT_TRUE(s.save(second).ok);
    EXPECT_EQ(optionRows(), (QList<OptionRow>{{u("ListClear"), u("1")},
                                              {u("PosDeleteType"), u("1")},
                                              {u("OperDefault"), u("")},
                                              {u("MaxDiscount"), u("")},
                                              {u("Email"), u("")},
                                              {u("TobaccoPriceRule"), u("2")},
                                              {u("TobaccoPriceRuleValue"), u("15")}}));
    // Saving with the tax system list empty drops the stored tax system.
    EXPECT_EQ(s.taxSystemCode(), 0);
    EXPECT_EQ(s.ReadFileOption(u("[TaxSystem]")), QString());
    EXPECT_EQ(s.tobaccoPriceRule().rule, 2);
    EXPECT_EQ(s.tobaccoPriceRule().amount, u("15"));
    EXPECT_EQ(s.payTypeDefault(), -1);
    EXPECT_EQ(s.operationCaption(), u("ПРИХОД"));
    EXPECT_EQ(s.scaleSettings(), ScaleParams{});
    EXPECT_EQ(s.unitsUsed(), (QList<CodeItem>{{u("кг"), 11}}));
}

TEST_F(SettingsStoreTest, FailedValidationChangesNeitherStore) {
    const Settings s = settings();
    ASSERT_TRUE(s.save(everyKey()).ok);
    const QByteArray before = fileBytes();
    const QList<OptionRow> rowsBefore = optionRows();
    const QList<CodeItem> unitsBefore = s.unitsUsed();

    struct Case {
        const char* what;
        SettingsInput input;
        SettingsField field;
    };
    std::vector<Case> cases;
    SettingsInput badPercent = everyKey();
    badPercent.tobaccoRule = 2;
    badPercent.tobaccoPercent = u("26");
    cases.push_back({"percent 26", badPercent, SettingsField::TobaccoPercent});
    SettingsInput badRoubles = everyKey();
    badRoubles.tobaccoRoubles = u("abc");
    badRoubles.units.clear();
    cases.push_back({"roubles abc", badRoubles, SettingsField::TobaccoRoubles});
    SettingsInput longEmail = everyKey();
    longEmail.email = u("очень.длинный.адрес@магазин.рф!");
    ASSERT_EQ(longEmail.email.size(), 31);
    cases.push_back({"31-character e-mail", longEmail, SettingsField::Email});
    SettingsInput longKktPort = everyKey();
    longKktPort.kktPortName = u("/dev/serial/by-id/usb-ATOL-if00");
    ASSERT_GT(longKktPort.kktPortName.size(), 30);
    cases.push_back({"register port too long", longKktPort, SettingsField::KktPortName});
    SettingsInput oddKktBaud = everyKey();
    oddKktBaud.kktBaudRate = u("115200中");
    cases.push_back({"register speed with a sign no code page holds", oddKktBaud, SettingsField::KktBaudRate});

    for (const auto& c : cases) {
        const SettingsSaveResult r = s.save(c.input);
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_FALSE(r.message.isEmpty()) << c.what;
        EXPECT_EQ(r.field, c.field) << c.what;
        EXPECT_EQ(fileBytes(), before) << c.what;
        EXPECT_EQ(optionRows(), rowsBefore) << c.what;
        EXPECT_EQ(s.unitsUsed(), unitsBefore) << c.what;
    }
}

TEST_F(SettingsStoreTest, DatabaseFailureLeavesTheFileAsItWas) {
    const Settings s = settings();
    ASSERT_TRUE(s.save(everyKey()).ok);
    const QByteArray before = fileBytes();
    exec(QStringLiteral("DROP TABLE QUANTITYMEASURESUSED"));
    SettingsInput other = everyKey();
    other.email = u("new@x.ru");
    const SettingsSaveResult r = s.save(other);
    EXPECT_FALSE(r.ok);
    // The step that failed, then the database's own message.
    EXPECT_TRUE(r.message.startsWith(u(" При сохранении данных 'единицы измерения' произошла ошибка.     \r\n\r\n"
                                       " Перезапустите программу и повторите попытку.     \r\n\r\n ")))
        << r.message.toStdString();
    EXPECT_TRUE(r.message.contains(u("QUANTITYMEASURESUSED"))) << r.message.toStdString();
    EXPECT_EQ(fileBytes(), before);
    EXPECT_EQ(s.email(), u("o'neil@магазин.рф"));
    EXPECT_EQ(s.ReadDbOption(u("Email")), u("o'neil@магазин.рф"));  // the OPTIONS rewrite was rolled back
}

TEST_F(SettingsStoreTest, UnwritableFileIsSaidInRussianWithTheSystemsReason) {
    const Settings s = settings();
    ASSERT_TRUE(s.save(everyKey()).ok);
    // Something that is no file stands where the settings file belongs.
    ASSERT_TRUE(QFile::remove(programFolder() + u("/options.sys")));
    ASSERT_TRUE(QDir(programFolder()).mkdir(u("options.sys")));
    SettingsInput other = everyKey();
    other.email = u("new@x.ru");
    const SettingsSaveResult r = s.save(other);
    EXPECT_FALSE(r.ok);
    const QString lead = u(" Не удалось записать файл настроек options.sys.     \r\n\r\n"
                           " Проверьте доступ к папке программы и повторите попытку.     ");
    EXPECT_TRUE(r.message.startsWith(lead + u("\r\n\r\n "))) << r.message.toStdString();
    EXPECT_GT(r.message.size(), lead.size() + 10) << r.message.toStdString();
    EXPECT_EQ(s.ReadDbOption(u("Email")), u("o'neil@магазин.рф"));
}

TEST_F(SettingsStoreTest, FileOutsideTheCurrentDirectory) {
    // The program folder, not the working directory, holds the file.
    const QString elsewhere = QDir::currentPath();
    ASSERT_NE(QDir(elsewhere).canonicalPath(), QDir(programFolder()).canonicalPath());
    const Settings s = settings();
    ASSERT_TRUE(s.save(everyKey()).ok);
    EXPECT_TRUE(QFile::exists(QDir(programFolder()).filePath(u("options.sys"))));
    EXPECT_EQ(ReadFileOption(programFolder(), u("[Email]")), u("o'neil@магазин.рф"));
}

TEST_F(SettingsStoreTest, UnitListFallsBackToAllUnits) {
    QComboBox combo;
    FillRefList(&combo, RefListUnits, db());
    ASSERT_EQ(combo.count(), 24);
    EXPECT_EQ(combo.itemText(23), u("иное"));
    EXPECT_EQ(codeItemCode(&combo, 23), 255);
    EXPECT_EQ(combo.currentIndex(), -1);

    ASSERT_TRUE(settings().save(everyKey()).ok);
    QListWidget list;
    FillRefList(&list, RefListUnits, db());
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.item(1)->text(), u("кВт*ч"));
    EXPECT_EQ(codeItemCode(&list, 1), 50);
    EXPECT_EQ(findCodeItem(&list, 42), 2);
    EXPECT_EQ(findCodeItem(&list, 11), -1);

    struct Case {
        int kind;
        int count;
        int codeOfLast;
        const char* textOfFirst;
    };
    const std::vector<Case> cases{{RefListVat, 6, 6, "НДС 20%"}, {RefListMarkTypes, 9, 0, "немаркированный товар"},
                                  {2, 0, -1, ""}, {7, 0, -1, ""}};
    for (const auto& c : cases) {
        FillRefList(&combo, c.kind, db());
        EXPECT_EQ(combo.count(), c.count) << c.kind;
        EXPECT_EQ(codeItemCode(&combo, combo.count() - 1), c.codeOfLast) << c.kind;
        EXPECT_EQ(combo.itemText(0), u(c.textOfFirst)) << c.kind;
    }
}

// Marking codes as scanners deliver them: separators as GS, as other
// characters, as several characters or as nothing; the layout of each mark
// type; the parts cut from a code; and the small rules around them.
#include "sales/marking/MarkCodeFormat.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace sales::marking;

namespace {

const QString G = QString(QChar(29));

// Parts of real-shaped codes. The crypto tails use the characters of the
// base-80 alphabet that sit on different keys in the two layouts.
const QString kGtin = QStringLiteral("04601234567893");
const QString kSerial13 = QStringLiteral("ABcd.,;:?\"/12");
const QString kKey = QStringLiteral("EE07");
const QString kCrypto44 = QStringLiteral("Ab1+/=cD2.,;eF3:?\"gH4!%&iJ5*-_kL6<>'mN7qR8xY");
const QString kCrypto88 = kCrypto44 + QStringLiteral("Zz9.,;Yy8:?/Xx7!%&Ww6*-_Vv5<>'Uu4+/=Tt3\"cd1e");
const QString kSerial7 = QStringLiteral("N4M'Yk,");
const QString kSerial6 = QStringLiteral("aB3;.?");

// 01 GTIN 21 serial(13) sep 91 key sep 92 crypto
QString cryptoCode(const QString& sep, const QString& crypto, const QString& tail = QString()) {
    return QStringLiteral("01") + kGtin + QStringLiteral("21") + kSerial13 + sep + QStringLiteral("91") + kKey + sep +
           QStringLiteral("92") + crypto + tail;
}

// 01 GTIN 21 serial(7) sep 8005 price(6) sep 93 crypto(4) [sep tail]
QString blockCode(const QString& sep, const QString& tail = QString()) {
    QString code = QStringLiteral("01") + kGtin + QStringLiteral("21") + kSerial7 + sep + QStringLiteral("8005012300") +
                   sep + QStringLiteral("93") + QStringLiteral("ab,?");
    if (!tail.isNull()) code += sep + tail;
    return code;
}

QString altTobaccoCode(const QString& sep, const QString& tail = QString()) {
    QString code = QStringLiteral("01") + kGtin + QStringLiteral("21") + kSerial7 + sep + QStringLiteral("93") +
                   QStringLiteral("Zq.;");
    if (!tail.isNull()) code += sep + tail;
    return code;
}

QString dairyCode(const QString& sep) {
    return QStringLiteral("01") + kGtin + QStringLiteral("21") + kSerial6 + sep + QStringLiteral("93") +
           QStringLiteral("k9/:");
}

// A pack code: GTIN 14, serial 7, price field 4, crypto 4. "AB,8" reads
// 1*80^2 + 73*80 + 60 = 12300 kopecks in base 80.
QString packCode(const QString& priceField) {
    return kGtin + kSerial7 + priceField + QStringLiteral("xY.;");
}

struct FormatCase {
    const char* what;
    int markType;
    QString scan;
    bool ok;
    QString expected;  // the normalised code when ok
    int kind;
};

TEST(MarkCodeFormat, NormalisesEachMarkTypeAndRefusesBrokenLayouts) {
    const QString shoe127 = cryptoCode(QString(), kCrypto88);
    const QString shoeNormal = cryptoCode(G, kCrypto88) + G;
    const QString code7 = cryptoCode(G, kCrypto44);
    const QString brokenFirst = QStringLiteral("02") + code7.mid(2);
    const FormatCase cases[] = {
        // shoes
        {"shoes without separators", 5, shoe127, true, shoeNormal, 0},
        {"shoes typed as type 1", 1, shoe127, true, shoeNormal, 0},
        {"shoes with GS", 5, cryptoCode(G, kCrypto88), true, shoeNormal, 0},
        {"shoes with 2-char separators", 5, cryptoCode(QStringLiteral("~~"), kCrypto88), true, shoeNormal, 0},
        {"shoes with a longer tail", 5, cryptoCode(G, kCrypto88, G + QStringLiteral("extra")), true, shoeNormal, 0},
        {"shoes of 128 characters", 5, shoe127 + QStringLiteral("x"), false, QString(), 0},
        {"shoes with a short crypto tail", 5, cryptoCode(QStringLiteral("~~"), kCrypto88.left(87)), false, QString(), 0},
        {"shoes without 92", 5, cryptoCode(G, kCrypto88).replace(QStringLiteral("92Ab"), QStringLiteral("93Ab")),
         false, QString(), 0},
        {"shoes not starting with 01", 5, QStringLiteral("02") + shoe127.mid(2), false, QString(), 0},
        // type 7 and 9-11
        {"type 7 exact", 7, code7, true, code7, 0},
        {"type 7 with 3-char separators", 7, cryptoCode(QStringLiteral("<#>"), kCrypto44), true, code7, 0},
        {"type 7 without separators", 7, cryptoCode(QString(), kCrypto44), true, code7, 0},
        {"type 7 with a tail after a separator", 7, cryptoCode(G, kCrypto44, G + QStringLiteral("rest")), true,
         code7 + G, 0},
        {"type 7 with a tail without separator", 7, cryptoCode(G, kCrypto44, QStringLiteral("rest")), false,
         QString(), 0},
        {"perfume exact", 9, code7, true, code7, 0},
        {"perfume with a tail", 9, cryptoCode(G, kCrypto44, G), false, QString(), 0},
        {"light industry exact", 11, cryptoCode(QStringLiteral("^]"), kCrypto44), true, code7, 0},
        {"light industry with a tail", 11, cryptoCode(G, kCrypto44, G), false, QString(), 0},
        {"tyres exact get a closing GS", 10, code7, true, code7 + G, 0},
        {"tyres with a closing separator", 10, cryptoCode(QStringLiteral("@@"), kCrypto44, QStringLiteral("@@")), true,
         code7 + G, 0},
        {"tyres with something else after", 10, cryptoCode(G, kCrypto44, G + QStringLiteral("x")), false, QString(),
         0},
        {"type 7 with 43 crypto characters", 7, cryptoCode(G, kCrypto44.left(43)), false, QString(), 0},
        {"type 7 too short", 7, code7.left(82), false, QString(), 0},
        {"type 7 not starting with 01", 7, brokenFirst, false, QString(), 0},
        {"type 7 without 91", 7, code7.left(31) + QString(52, QLatin1Char('A')), false, QString(), 0},
        // tobacco
        {"tobacco pack", 4, packCode(QStringLiteral("AB,8")), true, packCode(QStringLiteral("AB,8")), 1},
        {"tobacco 28 characters", 4, packCode(QStringLiteral("AB,8")).left(28), false, QString(), 0},
        {"tobacco block with GS", 4, blockCode(G), true, blockCode(G), 10},
        {"tobacco block with 2-char separators", 4, blockCode(QStringLiteral("##")), true, blockCode(G), 10},
        {"tobacco block without separators", 4, blockCode(QString()), true, blockCode(G), 10},
        {"tobacco block with a third separator", 4, blockCode(QStringLiteral("##"), QStringLiteral("2401234")), true,
         blockCode(G, QStringLiteral("2401234")), 10},
        {"tobacco block with one-char separators and tail", 4, blockCode(QStringLiteral("~"), QStringLiteral("24099")),
         true, blockCode(G, QStringLiteral("24099")), 10},
        {"tobacco block without 93", 4, blockCode(G).replace(QStringLiteral("93ab"), QStringLiteral("94ab")), false,
         QString(), 0},
        {"tobacco block without 8005", 4, blockCode(G).replace(QStringLiteral("8005"), QStringLiteral("8006")), false,
         QString(), 0},
        {"tobacco block not starting with 01", 4, QStringLiteral("11") + blockCode(G).mid(2), false, QString(), 0},
        // alternative tobacco
        {"alternative tobacco pack with zero price", 12, packCode(QStringLiteral("AAAA")), true,
         packCode(QStringLiteral("AAAA")), 0},
        {"alternative tobacco pack with a price", 12, packCode(QStringLiteral("AB,8")), false, QString(), 0},
        {"alternative tobacco pack with a broken price", 12, packCode(QStringLiteral("A A~")), false, QString(), 0},
        {"alternative tobacco DataMatrix", 12, altTobaccoCode(QStringLiteral("$$")), true, altTobaccoCode(G), 0},
        {"alternative tobacco with a tail", 12, altTobaccoCode(QStringLiteral("$$"), QStringLiteral("240")), true,
         altTobaccoCode(G, QStringLiteral("240")), 0},
        {"alternative tobacco without 93", 12, altTobaccoCode(G).replace(QStringLiteral("93Zq"), QStringLiteral("39Zq")),
         false, QString(), 0},
        // dairy
        {"dairy with GS", 13, dairyCode(G), true, dairyCode(G), 0},
        {"dairy with 3-char separator", 13, dairyCode(QStringLiteral("{|}")), true, dairyCode(G), 0},
        {"dairy without separator", 13, dairyCode(QString()), true, dairyCode(G), 0},
        {"dairy with one more character", 13, dairyCode(G) + QStringLiteral("x"), false, QString(), 0},
        {"dairy too short", 13, dairyCode(QString()).left(29), false, QString(), 0},
        // types the check does not know
        {"photo goods", 8, code7, false, QString(), 0},
        {"not marked", 0, code7, false, QString(), 0},
        {"type 6", 6, code7, false, QString(), 0},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.what);
        const NormalizedMark result = NormalizeMarkCode(c.scan, c.markType);
        EXPECT_EQ(result.ok, c.ok);
        EXPECT_EQ(result.code, c.expected);
        EXPECT_EQ(result.codeKind, c.kind);

        QString out = QStringLiteral("stale");
        int failed = -1;
        int kind = -1;
        CheckMarkCodeFormat(c.scan, c.markType, out, failed, kind);
        EXPECT_EQ(failed, c.ok ? 0 : 1);
        EXPECT_EQ(out, c.expected);
        EXPECT_EQ(kind, c.kind);
    }
}

TEST(MarkCodeFormat, ShoeCodeWithoutSeparatorsGetsThemAtFixedPlaces) {
    const QString normal = NormalizeMarkCode(cryptoCode(QString(), kCrypto88), 5).code;
    ASSERT_EQ(normal.size(), 130);
    for (int position : {32, 39, 130}) EXPECT_EQ(normal.at(position - 1), QChar(29)) << position;
    EXPECT_EQ(normal.count(QChar(29)), 3);
}

TEST(MarkCodeFormat, FindSepTakesTheTextUpToTheNextIdentifier) {
    struct Case {
        QString scan;
        int from;
        QString ai;
        std::optional<QString> sep;
    };
    const Case cases[] = {
        {QStringLiteral("abc~~91x"), 4, QStringLiteral("91"), QStringLiteral("~~")},
        {QStringLiteral("abc91x"), 4, QStringLiteral("91"), QString()},
        {QStringLiteral("abc9991"), 4, QStringLiteral("91"), QStringLiteral("99")},
        {QStringLiteral("abc~~9"), 4, QStringLiteral("91"), std::nullopt},
        {QStringLiteral("abc"), 10, QStringLiteral("91"), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scan.toStdString());
        EXPECT_EQ(FindSep(c.scan, c.from, c.ai), c.sep);
    }
}

TEST(MarkCodeFormat, ScanIsEvaluatedOnlyOnceLongEnoughForItsType) {
    struct Case {
        int type;
        int length;
        ScanDisposition expected;
    };
    const Case cases[] = {
        {4, 28, ScanDisposition::Wait},      {4, 29, ScanDisposition::Evaluate}, {4, 30, ScanDisposition::Wait},
        {4, 35, ScanDisposition::Wait},      {4, 39, ScanDisposition::Wait},     {4, 40, ScanDisposition::Evaluate},
        {4, 60, ScanDisposition::Evaluate},  {5, 126, ScanDisposition::Wait},    {5, 127, ScanDisposition::Evaluate},
        {9, 82, ScanDisposition::Wait},      {9, 83, ScanDisposition::Evaluate}, {10, 83, ScanDisposition::Evaluate},
        {11, 82, ScanDisposition::Wait},     {12, 28, ScanDisposition::Wait},    {12, 29, ScanDisposition::Evaluate},
        {13, 29, ScanDisposition::Wait},     {13, 30, ScanDisposition::Evaluate}, {7, 200, ScanDisposition::Ignore},
        {8, 200, ScanDisposition::Ignore},   {1, 200, ScanDisposition::Ignore},  {0, 200, ScanDisposition::Ignore},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " length " << c.length);
        EXPECT_EQ(scanDisposition(c.type, c.length), c.expected);
    }
}

TEST(MarkCodeFormat, CutsGtinSerialAndPriceFieldByType) {
    struct Case {
        const char* what;
        int type;
        QString raw;
        MarkParts expected;
    };
    const Case cases[] = {
        {"tobacco pack", 4, packCode(QStringLiteral("AB,8")), {kGtin, kSerial7, QStringLiteral("AB,8")}},
        {"tobacco block with 2-char separators", 4, blockCode(QStringLiteral("##")),
         {kGtin, kSerial7, QStringLiteral("012300")}},
        {"shoes", 5, cryptoCode(QStringLiteral("~~"), kCrypto88), {kGtin, kSerial13, QString()}},
        {"perfume", 9, cryptoCode(G, kCrypto44), {kGtin, kSerial13, QString()}},
        {"tyres", 10, cryptoCode(G, kCrypto44), {kGtin, kSerial13, QString()}},
        {"alternative tobacco pack", 12, packCode(QStringLiteral("AAAA")), {kGtin, kSerial7, QString()}},
        {"alternative tobacco DataMatrix", 12, altTobaccoCode(QStringLiteral("$$")), {kGtin, kSerial7, QString()}},
        {"dairy with a long separator", 13, dairyCode(QStringLiteral("{|}")), {kGtin, kSerial6, QString()}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const NormalizedMark normal = NormalizeMarkCode(c.raw, c.type);
        ASSERT_TRUE(normal.ok);
        const MarkParts parts = ExtractMarkParts(c.type, c.raw, normal.code);
        EXPECT_EQ(parts.gtin, c.expected.gtin);
        EXPECT_EQ(parts.serial, c.expected.serial);
        EXPECT_EQ(parts.priceField, c.expected.priceField);
    }
}

TEST(MarkCodeFormat, TobaccoMaximumPriceFromEitherCodeKind) {
    struct Case {
        QString field;
        bool pack;
        std::int64_t kopecks;
    };
    const Case cases[] = {
        {QStringLiteral("AB,8"), true, 12300},  {QStringLiteral("AAAA"), true, 0},
        {QStringLiteral("AAAB"), true, 1},      {QStringLiteral("AA A"), true, -1},
        {QStringLiteral("012300"), false, 12300}, {QStringLiteral("000099"), false, 99},
        {QStringLiteral("01x300"), false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field.toStdString());
        EXPECT_EQ(TobaccoMrp(c.field, c.pack), c.kopecks);
    }
}

TEST(MarkCodeFormat, GtinMatchesAnyBarcodeIgnoringLeadingZeros) {
    struct Case {
        const char* what;
        int type;
        QString codeGtin;
        QStringList stored;
        GtinMatch expected;
    };
    const Case cases[] = {
        {"same digits", 9, kGtin, {kGtin}, GtinMatch::Match},
        {"stored with a leading zero, other type", 13, kGtin, {kGtin}, GtinMatch::Match},
        {"stored without the leading zero", 5, kGtin, {kGtin.mid(1)}, GtinMatch::Match},
        {"tobacco, zeros on both sides", 4, QStringLiteral("00012345678905"), {QStringLiteral("012345678905")},
         GtinMatch::Match},
        {"second of several barcodes", 10, kGtin, {QStringLiteral("2000000000015"), kGtin}, GtinMatch::Match},
        {"none of several barcodes", 10, kGtin, {QStringLiteral("2000000000015"), QStringLiteral("4600000000017")},
         GtinMatch::Mismatch},
        {"no barcode", 9, kGtin, {}, GtinMatch::NoStoredGtin},
        {"placeholder", 11, kGtin, {QStringLiteral("xxxxxxxxxxxxxx")}, GtinMatch::NoStoredGtin},
        {"empty", 4, kGtin, {QStringLiteral("  ")}, GtinMatch::NoStoredGtin},
        {"only x for alternative tobacco", 12, kGtin, {QStringLiteral("xxx")}, GtinMatch::NoStoredGtin},
        {"only x for other types is a barcode", 9, kGtin, {QStringLiteral("xxx")}, GtinMatch::Mismatch},
        {"letters without case", 7, QStringLiteral("0460123456789a"), {QStringLiteral("460123456789A")},
         GtinMatch::Match},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(GtinCheck(c.type, c.codeGtin, c.stored), c.expected);
    }
}

TEST(MarkCodeFormat, NamesAreShortenedForTheQuestionByType) {
    const QString n45(45, QLatin1Char('a'));
    const QString n46(46, QLatin1Char('b'));
    const QString n50(50, QLatin1Char('c'));
    const QString n51(51, QLatin1Char('d'));
    const QString dots = QStringLiteral("...");
    struct Case {
        QString name;
        int type;
        QString expected;
    };
    const Case cases[] = {
        {n50, 4, n50},           {n51, 4, n51.left(47) + dots}, {n45, 9, n45},
        {n46, 9, n46.left(42) + dots}, {n46, 12, n46.left(42) + dots}, {n51, 5, n51},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name.size() << " for " << c.type);
        EXPECT_EQ(ShortNameForMessage(c.name, c.type), c.expected);
        EXPECT_TRUE(gtinMismatchQuestion(c.type, c.name).contains(c.expected));
    }
    EXPECT_FALSE(gtinMismatchQuestion(4, n51).contains(n51));
}

TEST(MarkCodeFormat, DuplicateUnitsAreFoundByPaddedGtinAndSerial) {
    const QList<QStringList> items = {
        {QStringLiteral("10"), QStringLiteral("4601234567893"), QStringLiteral("Abc'1,.")},
        {QStringLiteral("11"), QString(), QString()},  // emptied when its unit left the receipt
        {QStringLiteral("12")},                        // damaged record
    };
    struct Case {
        QString gtin;
        QString serial;
        bool duplicate;
    };
    const Case cases[] = {
        {QStringLiteral("04601234567893"), QStringLiteral("Abc'1,."), true},
        {QStringLiteral("4601234567893"), QStringLiteral("aBC'1,."), true},
        {QStringLiteral("04601234567893"), QStringLiteral("Abc'1,/"), false},
        {QStringLiteral("04601234567894"), QStringLiteral("Abc'1,."), false},
        {QStringLiteral("14601234567893"), QStringLiteral("Abc'1,."), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gtin.toStdString() + " " + c.serial.toStdString());
        EXPECT_EQ(IsDuplicateMark(items, c.gtin, c.serial), c.duplicate);
    }
}

TEST(MarkCodeFormat, TobaccoUnitPricesAndManualEntry) {
    struct PriceCase {
        QString text;
        std::optional<QString> expected;
    };
    const PriceCase prices[] = {
        {QStringLiteral("123"), QStringLiteral("123.00")},
        {QStringLiteral("123.4"), QStringLiteral("123.40")},
        {QStringLiteral("0.05"), QStringLiteral("0.05")},
        {QStringLiteral("abc"), std::nullopt},
    };
    for (const PriceCase& c : prices) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(TobaccoUnitPrice(c.text), c.expected);
    }

    struct ManualCase {
        QString text;
        std::optional<QString> expected;
    };
    const ManualCase manual[] = {
        {QStringLiteral(" 125,50 "), QStringLiteral("125.50")},
        {QStringLiteral("99"), QStringLiteral("99")},
        {QStringLiteral("0"), std::nullopt},
        {QStringLiteral("0.00"), std::nullopt},
        {QString(), std::nullopt},
        {QStringLiteral("1..2"), std::nullopt},
    };
    for (const ManualCase& c : manual) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(ValidateManualTobaccoPrice(c.text), c.expected);
    }

    EXPECT_TRUE(IsValidSerial7(QStringLiteral("Ab1'.,?")));
    EXPECT_FALSE(IsValidSerial7(QStringLiteral("Ab1'.,")));
    EXPECT_FALSE(IsValidSerial7(QStringLiteral("Ab1'.,Ю")));
}

TEST(MarkCodeFormat, CaptionsAndFormatMessagesCoverTheScannedTypes) {
    for (int type : {4, 5, 7, 8, 9, 10, 11, 12, 13}) EXPECT_TRUE(markTypeCaption(type).startsWith("[M]")) << type;
    for (int type : {0, 1, 2, 3, 6, 14, -1}) EXPECT_TRUE(markTypeCaption(type).isEmpty()) << type;
    // Every type the dialog evaluates has a message, and each its own.
    QSet<QString> seen;
    for (int type : {4, 5, 9, 10, 11, 12, 13}) {
        const QString text = formatMessage(type);
        EXPECT_FALSE(text.isEmpty()) << type;
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 7);
    EXPECT_TRUE(formatMessage(12).contains(markTypeCaption(12)));
    EXPECT_TRUE(formatMessage(8).isEmpty());
    EXPECT_TRUE(markedPriceConflictText(QStringLiteral("30.75"), 3, QStringLiteral("123.00"))
                    .contains(QStringLiteral("(строка 3): цена за ед. 123.00 руб. ")));
}

}  // namespace

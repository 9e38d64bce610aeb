#include "ReportTestSupport.h"
#include "platform/report/Barcode.h"
#include "platform/report/PageRenderer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace {

// The EAN code tables, written out independently of the encoder: L codes,
// R codes as their complement, G codes as the reversed R codes, and the
// parity of the left half that carries the first digit of an EAN-13.
const char* const kL[10] = {"0001101", "0011001", "0010011", "0111101", "0100011",
                            "0110001", "0101111", "0111011", "0110111", "0001011"};
const char* const kParity[10] = {"LLLLLL", "LLGLGG", "LLGGLG", "LLGGGL", "LGLLGG",
                                 "LGGLLG", "LGGGLL", "LGLGLG", "LGLGGL", "LGGLGL"};

QString rCode(int d) {
    QString r;
    for (QChar c : QString(kL[d])) r += c == '0' ? '1' : '0';
    return r;
}
QString gCode(int d) {
    QString r = rCode(d);
    std::reverse(r.begin(), r.end());
    return r;
}

QString withCheckDigit(const QString& body) {
    int sum = 0;
    for (int i = 0; i < body.size(); ++i) {
        const int fromRight = body.size() - i;  // 1 for the digit next to the check digit
        sum += body[i].digitValue() * (fromRight % 2 == 1 ? 3 : 1);
    }
    return body + QString::number((10 - sum % 10) % 10);
}

// Reads the modules off one pixel row of the rendered bars.
QString modulesFromRow(const QImage& image, const QRect& area, int y, int moduleCount) {
    auto dark = [&](int x) { return qGray(image.pixel(x, y)) < 128; };
    int first = -1, last = -1;
    for (int x = area.left(); x <= area.right(); ++x)
        if (dark(x)) {
            if (first < 0) first = x;
            last = x;
        }
    if (first < 0) return {};
    const double module = double(last - first + 1) / moduleCount;
    QString modules;
    int x = first;
    while (x <= last) {
        const bool d = dark(x);
        int end = x;
        while (end <= last && dark(end) == d) ++end;
        modules += QString(qRound((end - x) / module), d ? '1' : '0');
        x = end;
    }
    return modules;
}

// Decodes EAN-8 or EAN-13 modules; nothing when a pattern is not valid.
std::optional<QString> decodeEan(const QString& m) {
    auto code = [&](int at, const QString& table) -> std::optional<int> {
        for (int d = 0; d < 10; ++d) {
            const QString want = table == "L" ? QString(kL[d]) : table == "G" ? gCode(d) : rCode(d);
            if (m.mid(at, 7) == want) return d;
        }
        return std::nullopt;
    };
    if (m.size() == 95) {
        if (m.left(3) != "101" || m.mid(45, 5) != "01010" || m.right(3) != "101") return std::nullopt;
        QString digits, parity;
        for (int i = 0; i < 6; ++i) {
            if (auto d = code(3 + 7 * i, "L"))
                digits += QString::number(*d), parity += 'L';
            else if (auto g = code(3 + 7 * i, "G"))
                digits += QString::number(*g), parity += 'G';
            else
                return std::nullopt;
        }
        int first = -1;
        for (int d = 0; d < 10; ++d)
            if (parity == kParity[d]) first = d;
        if (first < 0) return std::nullopt;
        digits.prepend(QString::number(first));
        for (int i = 0; i < 6; ++i) {
            auto d = code(50 + 7 * i, "R");
            if (!d) return std::nullopt;
            digits += QString::number(*d);
        }
        return digits;
    }
    if (m.size() == 67) {
        if (m.left(3) != "101" || m.mid(31, 5) != "01010" || m.right(3) != "101") return std::nullopt;
        QString digits;
        for (int i = 0; i < 8; ++i) {
            auto d = i < 4 ? code(3 + 7 * i, "L") : code(36 + 7 * (i - 4), "R");
            if (!d) return std::nullopt;
            digits += QString::number(*d);
        }
        return digits;
    }
    return std::nullopt;
}

struct RenderedTag {
    QImage image;
    QRect barcode;
};

RenderedTag renderLabel(const QString& digits, double dpi) {
    report::Report r = reporttest::shippedReport("Sticker58x40");
    report::DataSet rows({"G_ID", "G_NAME", "G_PRICE", "G_EDIZM", "G_DECLAR_NUMBER"});
    rows.addRow({"17", "Молоко 3,2%", "89.90", "шт", digits});
    r.bindData("RvDataSetConnection1", rows);
    const report::Layout layout = report::layOut(r);
    const auto placed = layout.placements("dtBarcode");
    EXPECT_EQ(placed.size(), 1u);
    if (placed.empty()) return {};
    return {report::renderPage(layout, 0, dpi), reporttest::pixelRect(*placed.front().second, dpi)};
}

}  // namespace

TEST(Barcode, PrintedBarsScanBackToTheDigits) {
    const QStringList codes{withCheckDigit("400638133393"), withCheckDigit("590123412345"),
                            withCheckDigit("460000000000"), withCheckDigit("978020137962"),
                            withCheckDigit("9638507"),      withCheckDigit("4012345"),
                            withCheckDigit("0000000")};
    for (const QString& digits : codes) {
        SCOPED_TRACE(digits.toStdString());
        const RenderedTag tag = renderLabel(digits, 600);
        ASSERT_FALSE(tag.image.isNull());
        const int moduleCount = digits.size() == 13 ? 95 : 67;
        // Scan across the bars at several heights, as a scanner would.
        for (double at : {0.15, 0.4, 0.6}) {
            const int y = tag.barcode.top() + qRound(tag.barcode.height() * at);
            const QString modules = modulesFromRow(tag.image, tag.barcode, y, moduleCount);
            EXPECT_EQ(modules.size(), moduleCount) << modules.toStdString();
            EXPECT_EQ(decodeEan(modules).value_or("unreadable"), digits);
        }
    }
}

TEST(Barcode, NoBarsUnlessEightOrThirteenDigitsWithTheirCheckDigit) {
    const QString valid = withCheckDigit("400638133393");
    QString wrongCheck = valid;
    wrongCheck[12] = QChar('0' + (valid[12].digitValue() + 1) % 10);
    const QStringList refused{"", "12345678901", "460123456789", wrongCheck, "4006381A33931", "96385074 "};
    for (const QString& digits : refused) {
        SCOPED_TRACE(digits.toStdString());
        EXPECT_TRUE(report::eanModules(digits).empty());
        const RenderedTag tag = renderLabel(digits, 200);
        EXPECT_EQ(reporttest::darkPixels(tag.image, tag.barcode), 0);
    }
    const RenderedTag drawn = renderLabel(valid, 200);
    EXPECT_GT(reporttest::darkPixels(drawn.image, drawn.barcode), 100);
}

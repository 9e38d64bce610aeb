#include "ExchangeTestSupport.h"

#include "exchange/ExchangeFormat.h"
#include "exchange/ExchangeReader.h"

#include <QBuffer>

#include <gtest/gtest.h>

using namespace exchange;
using namespace exchangetest;

namespace {

struct Opened {
    QByteArray bytes;
    QBuffer buffer;
    explicit Opened(const QByteArray& b) : bytes(b), buffer(&bytes) { buffer.open(QIODevice::ReadOnly); }
};

// Events of a body as "type@line" texts.
QStringList events(const QString& text) {
    Opened in(encodeCp1251(text));
    ExchangeReader reader(in.buffer);
    EXPECT_EQ(reader.readHeader(), ExchangeReader::Header::Ok);
    QStringList out;
    ImportEvent e;
    while (reader.next(e)) {
        static const char* names[] = {"goods", "barcode", "delgoods", "delbarcodes", "refused"};
        QString s = QString::fromLatin1(names[int(e.type)]) + QLatin1Char('@') + QString::number(e.line);
        if (e.type == ImportEvent::Type::Goods) s += QLatin1Char(':') + QString::number(e.goods.id);
        if (e.type == ImportEvent::Type::Barcode) s += QLatin1Char(':') + e.barcode.barcode;
        out << s;
    }
    return out;
}

}  // namespace

TEST(ExchangeReaderHeader, AcceptsOnlyTheExactHeaderAndANewStatus) {
    using H = ExchangeReader::Header;
    const std::vector<std::pair<QByteArray, H>> cases = {
        {"", H::Empty},
        {"\r\n// only a comment\r\n   \r\n", H::Empty},
        {"##@@&&", H::NotFormat},
        {"##@@&&\r\n// nothing more\r\n", H::NotFormat},
        {"##@@&&\r\n#", H::Ok},
        {"// made by hand\r\n\r\n  ##@@&&  \r\n\t#\r\n", H::Ok},
        {"##@@&&\n#\n", H::Ok},
        {"##@@&&\r#\r", H::Ok},
        {"##@@&&\r\n@\r\n", H::Loaded},
        {"##@@&&\r\n# new\r\n", H::NotFormat},
        {"##@@&&;\r\n#\r\n", H::NotFormat},
        {"#\r\n##@@&&\r\n", H::NotFormat},
        {"1;2;3\r\n", H::NotFormat},
    };
    for (const auto& [bytes, expected] : cases) {
        Opened in(bytes);
        ExchangeReader reader(in.buffer);
        EXPECT_EQ(reader.readHeader(), expected) << bytes.toStdString();
    }
    EXPECT_EQ(ExchangeReader::headerMessage(H::Loaded), u("Выбранный Вами файл имеет статус ''ЗАГРУЖЕН''.     "));
    EXPECT_EQ(ExchangeReader::headerMessage(H::Empty),
              u("Выбранный Вами файл не соответствует формату ''АТОЛ'' (пустой).     "));
}

TEST(ExchangeReaderBody, FollowsCommandsAndCountsEveryPhysicalLine) {
    const QString text = file({
        goods(1, u("Хлеб"), u("30")),       // 3: before any command: goods
        u("// comment"),                    // 4
        QString(),                          // 5
        u("$$$addusers"),                   // 6
        u("1;Иванов;123"),                  // 7: skipped
        u("$$$ADDBARCODES"),                // 8
        u("4600;1"),                        // 9
        u("bad;x"),                         // 10: skipped
        u("$$$ADDPREFIXBARCODES"),          // 11
        u("22"),                            // 12: skipped
        u("$$$DELETEALLBARCODES"),          // 13
        u("anything"),                      // 14: repeats the deletion
        u("$$$REPLACEQUANTITY"),            // 15
        group(10, u("Группа")),             // 16
        u("$$$DELETEALLWARES"),             // 17
        u("x"),                             // 18
        u("$$$UNKNOWN"),                    // 19
        goods(2, u("skipped"), u("1")),     // 20
        u("$$$ADDQUANTITY"),                // 21
        goods(3, u("Молоко"), u("")),       // 22: refused
        goods(4, u("never read"), u("1")),  // 23
    });
    EXPECT_EQ(events(text), QStringList({u("goods@3:1"), u("barcode@9:4600"), u("delbarcodes@13"), u("delbarcodes@14"),
                                         u("goods@16:10"), u("delgoods@17"), u("delgoods@18"), u("refused@22")}));
}

TEST(ExchangeReaderBody, RefusedIdNamesThePositionNotTheLine) {
    Opened in(encodeCp1251(
        file({goods(1, u("a"), u("1")), u("// x"), group(2, u("g")), goods(3, u("c"), u("1"), {{1, u("z")}})})));
    ExchangeReader reader(in.buffer);
    ASSERT_EQ(reader.readHeader(), ExchangeReader::Header::Ok);
    ImportEvent e;
    while (reader.next(e) && e.type != ImportEvent::Type::Refused) {
    }
    EXPECT_EQ(e.type, ImportEvent::Type::Refused);
    EXPECT_EQ(e.message, msg::badId(3));
    EXPECT_FALSE(reader.next(e));
}

TEST(ExchangeReaderLines, SplitsAtEveryLineEndAcrossReadChunks) {
    // Lines of 99 bytes plus CR LF put a CR LF across the 64 KiB boundary
    // somewhere; LF-only, CR-only and a last line without an ending follow.
    QByteArray bytes;
    const int many = 2000;
    for (int i = 0; i < many; ++i) bytes += QByteArray(99, 'a' + char(i % 26)) + "\r\n";
    bytes += "lf\ncr\rcrlf\r\nlast";
    Opened in(bytes);
    LineSource lines(in.buffer);
    QString line;
    QStringList tail;
    int count = 0;
    while (lines.next(line)) {
        ++count;
        if (count <= many) {
            ASSERT_EQ(line.size(), 99) << count;
        } else {
            tail << line;
        }
    }
    EXPECT_EQ(count, many + 4);
    EXPECT_EQ(tail, QStringList({u("lf"), u("cr"), u("crlf"), u("last")}));
    EXPECT_EQ(lines.bytesRead(), bytes.size());
}

TEST(ExchangeReaderLines, StopRequestEndsTheBodyAtTheNextLine) {
    Opened in(encodeCp1251(file({goods(1, u("a"), u("1")), goods(2, u("b"), u("1")), goods(3, u("c"), u("1"))})));
    ExchangeReader reader(in.buffer);
    ASSERT_EQ(reader.readHeader(), ExchangeReader::Header::Ok);
    QList<int> seen;
    reader.lineSeen = [&](int line) {
        seen << line;
        return line < 4;
    };
    ImportEvent e;
    int goodsEvents = 0;
    while (reader.next(e)) ++goodsEvents;
    EXPECT_EQ(goodsEvents, 1);
    EXPECT_TRUE(reader.stopped());
    EXPECT_EQ(seen, QList<int>({3, 4}));
}

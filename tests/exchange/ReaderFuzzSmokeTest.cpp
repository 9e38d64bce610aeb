// The fuzz properties of the readers, checked on our own sample files and on
// a fixed series of mutations of them, so every test run covers them even
// without a libFuzzer build.
#include "fuzz/ReaderChecks.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <random>

namespace {

QList<QByteArray> corpus(const QString& kind) {
    QList<QByteArray> files;
    const QDir dir(QStringLiteral(TARVI_FUZZ_CORPUS) + QLatin1Char('/') + kind);
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly)) files << f.readAll();
    }
    return files;
}

// Byte edits a damaged or hand-made file shows: a changed byte, a separator
// or line end where none belongs, a cut, a repeated piece.
QByteArray mutate(QByteArray b, std::mt19937& rng) {
    static const char specials[] = {';',  ',',        '\r',       '\n',       '\0', '"',
                                    '\'', char(0x98), char(0xA4), char(0xB6), '$',  '#'};
    const int edits = 1 + int(rng() % 4);
    for (int i = 0; i < edits; ++i) {
        const qsizetype at = b.isEmpty() ? 0 : qsizetype(rng() % quint32(b.size()));
        switch (rng() % 5) {
            case 0:
                if (!b.isEmpty()) b[at] = char(rng());
                break;
            case 1:
                b.insert(at, specials[rng() % sizeof specials]);
                break;
            case 2:
                b.remove(at, 1 + qsizetype(rng() % 20));
                break;
            case 3:
                b.insert(at, b.mid(qsizetype(rng() % quint32(b.size() + 1)), 1 + qsizetype(rng() % 80)));
                break;
            default:
                b.truncate(at);
                break;
        }
    }
    return b;
}

void smoke(const QString& kind, QString (*check)(const QByteArray&)) {
    const QList<QByteArray> files = corpus(kind);
    ASSERT_FALSE(files.isEmpty()) << "no sample files for " << kind.toStdString();
    std::mt19937 rng(20261207);
    for (const QByteArray& file : files) {
        const QString problem = check(file);
        EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
        for (int i = 0; i < 400; ++i) {
            const QByteArray bytes = mutate(file, rng);
            const QString p = check(bytes);
            ASSERT_TRUE(p.isEmpty()) << p.toStdString() << "\n" << bytes.toHex().toStdString();
        }
    }
}

}  // namespace

TEST(ReaderFuzzSmoke, ExchangeFileReaderHoldsItsPropertiesOnDamagedFiles) {
    smoke(QStringLiteral("exchange"), &fuzzchecks::checkExchangeFile);
}

TEST(ReaderFuzzSmoke, CsvReaderHoldsItsPropertiesOnDamagedFiles) {
    smoke(QStringLiteral("csv"), &fuzzchecks::checkCsvFile);
}

TEST(ReaderFuzzSmoke, DecimalParserAgreesWithItsReferenceOnDamagedNumbers) {
    smoke(QStringLiteral("decimal"), &fuzzchecks::checkDecimalText);
}

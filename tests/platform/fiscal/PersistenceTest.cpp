// The register keeps its shift, counters, cash and open receipt across a
// restart of the program, and never loses state to a half-written file.
#include "EmulatorFixture.h"

#include <QDir>
#include <QTemporaryDir>

namespace fiscal::test {
namespace {

TEST_F(EmulatorTest, ShiftCountersCashAndOpenReceiptSurviveARestart) {
    ASSERT_EQ(openShift(), 0);
    ASSERT_EQ(cashIn(QStringLiteral("250.00")), 0);
    ASSERT_EQ(sell(QStringLiteral("30.00")), 0);
    ASSERT_EQ(openReceipt(), 0);
    ASSERT_EQ(addItem(QStringLiteral("Вода"), QStringLiteral("40.00"), QStringLiteral("3")), 0);
    ASSERT_EQ(status(), 0);
    const QString serial = kkt->getParamString(LIBFPTR_PARAM_SERIAL_NUMBER);
    const int documents = kkt->getParamInt(LIBFPTR_PARAM_DOCUMENT_NUMBER);
    kkt->setParam(LIBFPTR_PARAM_FN_DATA_TYPE, LIBFPTR_FNDT_LAST_DOCUMENT);
    ASSERT_EQ(kkt->fnQueryData(), 0);
    const QString sign = kkt->getParamString(LIBFPTR_PARAM_FISCAL_SIGN);
    const QDateTime signedAt = kkt->getParamDateTime(LIBFPTR_PARAM_DATE_TIME);

    restart();

    ASSERT_EQ(status(), 0);
    EXPECT_EQ(kkt->getParamString(LIBFPTR_PARAM_SERIAL_NUMBER), serial);
    EXPECT_EQ(kkt->getParamString(LIBFPTR_PARAM_MODEL_NAME), RegisterEmulator::kModelName);
    EXPECT_EQ(kkt->getParamInt(LIBFPTR_PARAM_SHIFT_STATE), LIBFPTR_SS_OPENED);
    EXPECT_EQ(kkt->getParamInt(LIBFPTR_PARAM_SHIFT_NUMBER), 1);
    EXPECT_EQ(kkt->getParamInt(LIBFPTR_PARAM_RECEIPT_NUMBER), 1);
    EXPECT_EQ(kkt->getParamInt(LIBFPTR_PARAM_DOCUMENT_NUMBER), documents);
    EXPECT_DOUBLE_EQ(kkt->getParamDouble(LIBFPTR_PARAM_CASH_SUM), 280.00);
    EXPECT_EQ(kkt->getParamInt(LIBFPTR_PARAM_RECEIPT_TYPE), LIBFPTR_RT_SELL);
    EXPECT_DOUBLE_EQ(kkt->getParamDouble(LIBFPTR_PARAM_RECEIPT_SUM), 120.00);
    kkt->setParam(LIBFPTR_PARAM_FN_DATA_TYPE, LIBFPTR_FNDT_LAST_DOCUMENT);
    ASSERT_EQ(kkt->fnQueryData(), 0);
    EXPECT_EQ(kkt->getParamString(LIBFPTR_PARAM_FISCAL_SIGN), sign);
    EXPECT_EQ(kkt->getParamDateTime(LIBFPTR_PARAM_DATE_TIME), signedAt);

    // The receipt opened before the restart is finished after it.
    ASSERT_EQ(pay(LIBFPTR_PT_CASH, QStringLiteral("120")), 0);
    ASSERT_EQ(kkt->closeReceipt(), 0) << kkt->errorDescription().toStdString();
    EXPECT_EQ(lastDocumentNumber(), documents + 1);
}

TEST_F(EmulatorTest, TheTapeNeverLacksADocumentTheRegisterFiscalised) {
    ASSERT_EQ(openShift(), 0);
    ASSERT_EQ(sell(QStringLiteral("30.00")), 0);
    const QByteArray before = tape().toUtf8();
    ASSERT_EQ(sell(QStringLiteral("45.50")), 0);
    const int fiscalised = lastDocumentNumber();
    // The power went after the state was written and before the tape was.
    kkt.reset();
    {
        QFile file(QDir(dir.path()).filePath(RegisterEmulator::kTapeFileName));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(before);
    }
    restart();
    const QString paper = tape();
    EXPECT_TRUE(paper.startsWith(QString::fromUtf8(before)));
    const QString restored = paper.mid(QString::fromUtf8(before).size());
    EXPECT_TRUE(restored.contains(QStringLiteral("ДОКУМЕНТ ИЗ ПАМЯТИ ФН"))) << restored.toStdString();
    EXPECT_TRUE(restored.contains(QStringLiteral("=45.50"))) << restored.toStdString();
    EXPECT_TRUE(restored.contains(QStringLiteral("ФД %1 ").arg(fiscalised))) << restored.toStdString();
    // Once on the tape, never again.
    restart();
    EXPECT_EQ(tape(), paper);

    // A tape that cannot be written: nothing is fiscalised, and the register
    // says why in Russian.
    kkt.reset();
    const QString tapePath = QDir(dir.path()).filePath(RegisterEmulator::kTapeFileName);
    ASSERT_TRUE(QFile::remove(tapePath));
    ASSERT_TRUE(QDir().mkdir(tapePath));
    restart();
    EXPECT_EQ(sell(QStringLiteral("10.00")), -1);
    EXPECT_EQ(kkt->errorCode(), LIBFPTR_ERROR_PRINTER_FAULT);
    EXPECT_TRUE(kkt->errorDescription().contains(QStringLiteral("чековую ленту"))) << kkt->errorDescription().toStdString();
    EXPECT_EQ(lastDocumentNumber(), fiscalised);
    ASSERT_EQ(status(), 0);
    EXPECT_EQ(kkt->getParamInt(LIBFPTR_PARAM_RECEIPT_TYPE), LIBFPTR_RT_CLOSED);
}

TEST_F(EmulatorTest, DocumentsAFullDiskKeptOffTheTapeArePrintedInOrderAtTheNextStart) {
    ASSERT_EQ(openShift(), 0);
    ASSERT_EQ(sell(QStringLiteral("30.00")), 0);
    const int first = lastDocumentNumber();
    // The disk fills up: the tape opens as ever, but takes nothing.
    const QString tapePath = kkt->tapePath();
    const QString kept = tapePath + QStringLiteral(".kept");
    ASSERT_TRUE(QFile::rename(tapePath, kept));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), tapePath));
    for (const char* sum : {"45.50", "12.00"}) {
        SCOPED_TRACE(sum);
        // Fiscalised all the same, and the register says the paper failed.
        EXPECT_EQ(sell(QString::fromLatin1(sum)), -1);
        EXPECT_EQ(kkt->errorCode(), LIBFPTR_ERROR_PRINTER_FAULT);
        EXPECT_TRUE(kkt->errorDescription().contains(QStringLiteral("не напечатан")))
            << kkt->errorDescription().toStdString();
    }
    EXPECT_EQ(lastDocumentNumber(), first + 2);
    ASSERT_EQ(status(), 0);
    EXPECT_EQ(kkt->getParamInt(LIBFPTR_PARAM_RECEIPT_TYPE), LIBFPTR_RT_CLOSED);

    // Room on the disk again; the program starts anew.
    kkt.reset();
    ASSERT_TRUE(QFile::remove(tapePath));
    ASSERT_TRUE(QFile::rename(kept, tapePath));
    restart();
    const QString paper = tape();
    const qsizetype second = paper.indexOf(QStringLiteral("ФД %1 ").arg(first + 1));
    const qsizetype third = paper.indexOf(QStringLiteral("ФД %1 ").arg(first + 2));
    EXPECT_GT(second, paper.indexOf(QStringLiteral("ФД %1 ").arg(first)));
    EXPECT_GT(third, second);
    EXPECT_TRUE(paper.mid(0, second).contains(QStringLiteral("=45.50"))) << paper.toStdString();
    EXPECT_TRUE(paper.mid(second).contains(QStringLiteral("=12.00"))) << paper.toStdString();
    // Once on the tape, never again; what follows goes after them.
    restart();
    EXPECT_EQ(tape(), paper);
    ASSERT_EQ(sell(QStringLiteral("7.00")), 0);
    EXPECT_GT(tape().indexOf(QStringLiteral("ФД %1 ").arg(first + 3)), third);
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A position costs one line appended to the log, not a new state file; a
// kill between two positions, or in the middle of one, loses none that the
// register took, and the receipt goes on after the restart.
TEST_F(EmulatorTest, PositionsSurviveAKillBetweenThemWithoutTheStateRewrittenForEach) {
    ASSERT_EQ(openShift(), 0);
    ASSERT_EQ(openReceipt(), 0);
    const QByteArray opened = fileBytes(kkt->statePath());
    for (int i = 1; i <= 3; ++i)
        ASSERT_EQ(addItem(QStringLiteral("Товар %1").arg(i), QStringLiteral("10.00"), QString::number(i)), 0);
    EXPECT_EQ(fileBytes(kkt->statePath()), opened);
    ASSERT_TRUE(QFile::exists(kkt->logPath()));

    // The process is killed now, and once more in the middle of writing the
    // fourth position: the folder as it is then is what the next start finds.
    QTemporaryDir killed;
    ASSERT_TRUE(killed.isValid());
    for (const QString& name : {RegisterEmulator::kStateFileName, RegisterEmulator::kLogFileName,
                                RegisterEmulator::kTapeFileName})
        ASSERT_TRUE(QFile::copy(QDir(dir.path()).filePath(name), QDir(killed.path()).filePath(name)));
    {
        QFile log(QDir(killed.path()).filePath(RegisterEmulator::kLogFileName));
        ASSERT_TRUE(log.open(QIODevice::Append));
        log.write(QByteArray("{\"generation\":").append(QByteArray::number(kkt->state().generation)).append(",\"ind"));
    }
    kkt = std::make_unique<RegisterEmulator>(killed.path());
    ASSERT_EQ(kkt->open(), 0);
    ASSERT_TRUE(kkt->state().receipt.has_value());
    ASSERT_EQ(kkt->state().receipt->positions.size(), 3);
    EXPECT_EQ(kkt->state().receipt->total(), 6000);
    EXPECT_EQ(kkt->state().receipt->positions[2].name, QStringLiteral("Товар 3"));
    // Taken into the state file; a second start adds nothing twice.
    EXPECT_FALSE(QFile::exists(kkt->logPath()));
    kkt = std::make_unique<RegisterEmulator>(killed.path());
    ASSERT_EQ(kkt->open(), 0);
    EXPECT_EQ(kkt->state().receipt->positions.size(), 3);

    ASSERT_EQ(addItem(QStringLiteral("Товар 4"), QStringLiteral("5.00"), QStringLiteral("1")), 0);
    ASSERT_EQ(pay(LIBFPTR_PT_CASH, QStringLiteral("65.00")), 0);
    ASSERT_EQ(kkt->closeReceipt(), 0) << kkt->errorDescription().toStdString();
    kkt = std::make_unique<RegisterEmulator>(killed.path());
    ASSERT_EQ(kkt->open(), 0);
    EXPECT_FALSE(kkt->state().receipt.has_value());
    EXPECT_EQ(kkt->state().lastDocument.sum, 6500);
    EXPECT_EQ(kkt->state().totals.sell, 6500);
    EXPECT_FALSE(QFile::exists(kkt->logPath()));
}

TEST_F(EmulatorTest, UnreadableStateFileIsKeptAndTheRegisterIsNotStartedAfresh) {
    ASSERT_EQ(openShift(), 0);
    kkt.reset();
    const QString path = QDir(dir.path()).filePath(RegisterEmulator::kStateFileName);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("{ \"shiftOpen\": tr");
    }
    kkt = std::make_unique<RegisterEmulator>(dir.path());
    EXPECT_EQ(kkt->open(), -1);
    EXPECT_EQ(status(), -1);
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".bad")));
    EXPECT_FALSE(loadState(path).has_value());
}

TEST_F(EmulatorTest, StateThatCannotBeWrittenRefusesTheOperation) {
    // A directory in place of the state file: the atomic replace must fail.
    const QString path = kkt->statePath();
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkpath(path));
    EXPECT_EQ(openShift(), -1);
    EXPECT_EQ(kkt->errorCode(), LIBFPTR_ERROR_STORAGE);
    EXPECT_EQ(kkt->errorDescription(), QStringLiteral("Ошибка записи в память ККТ"));
    ASSERT_EQ(status(), 0);
    EXPECT_EQ(kkt->getParamInt(LIBFPTR_PARAM_SHIFT_STATE), LIBFPTR_SS_CLOSED);
    EXPECT_EQ(kkt->getParamInt(LIBFPTR_PARAM_DOCUMENT_NUMBER), 0);
}

}  // namespace
}  // namespace fiscal::test

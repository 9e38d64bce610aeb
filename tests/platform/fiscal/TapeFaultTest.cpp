// The tape when the disk refuses a write: every fiscal document is on it
// once and whole, and what the register tells the cashier is true. The
// fault is put into the write calls of this test program, so the tape code
// meets it exactly as it would meet a full disk.
#include "EmulatorFixture.h"

#include "platform/fiscal/RegisterTape.h"

#include <QDir>

#include <atomic>
#include <cerrno>
#include <climits>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Tape writes to spoil: the first one takes only half its bytes when
// `halfFirst`, then `refusals` more fail with ENOSPC (-1: every one).
std::atomic<bool> halfFirst{false};
std::atomic<int> refusals{0};

bool toTape(int fd) {
    char link[PATH_MAX];
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t n = ::readlink(self.constData(), link, sizeof link - 1);
    if (n <= 0) return false;
    link[n] = '\0';
    return QByteArray(link).endsWith("/" + fiscal::RegisterEmulator::kTapeFileName.toUtf8());
}

}  // namespace

extern "C" ssize_t write(int fd, const void* data, size_t size) {
    if ((halfFirst.load() || refusals.load() != 0) && toTape(fd)) {
        if (halfFirst.exchange(false) && size > 1) return syscall(SYS_write, fd, data, size / 2);
        if (refusals.load() != 0) {
            if (refusals.load() > 0) refusals.fetch_sub(1);
            errno = ENOSPC;
            return -1;
        }
    }
    return syscall(SYS_write, fd, data, size);
}

namespace fiscal::test {
namespace {

int count(const QString& text, const QString& what) { return int(text.count(what)); }

TEST_F(EmulatorTest, TapeTheDiskRefusedHoldsEachDocumentOnceAndWholeAndTheRegisterSaysSoTruly) {
    struct Case {
        const char* name;
        bool half;      // the disk takes half the receipt
        int refusals;   // then refuses this many writes (-1: until it has room again)
        bool printed;   // the receipt is on the tape right away
    };
    const Case cases[] = {
        {"one write refused, the next taken", false, 1, true},
        {"half a receipt taken, then the disk full", true, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        ASSERT_EQ(openShift(), 0);
        ASSERT_EQ(sell(QStringLiteral("30.00")), 0);
        const QString before = tape();
        const int number = lastDocumentNumber() + 1;
        const QString footer = QStringLiteral("ФД %1 ").arg(number);

        halfFirst = c.half;
        refusals = c.refusals;
        const int result = sell(QStringLiteral("45.50"));
        const int error = kkt->errorCode();
        const QString told = kkt->errorDescription();
        halfFirst = false;
        refusals = 0;
        // Fiscalised either way; the register says the paper failed only when it did.
        EXPECT_EQ(lastDocumentNumber(), number);
        if (c.printed) {
            EXPECT_EQ(result, 0) << told.toStdString();
            EXPECT_TRUE(kkt->state().untaped.isEmpty());
            EXPECT_EQ(count(tape(), footer), 1);
        } else {
            EXPECT_EQ(result, -1);
            EXPECT_EQ(error, LIBFPTR_ERROR_PRINTER_FAULT);
            EXPECT_TRUE(told.contains(QStringLiteral("Не напечатаны ФД № %1;").arg(number))) << told.toStdString();
            // Not a line of it stays on the paper.
            EXPECT_EQ(tape(), before);
        }

        // The next sale: nothing is printed twice, nothing is missing.
        ASSERT_EQ(sell(QStringLiteral("12.00")), 0) << kkt->errorDescription().toStdString();
        restart();
        const QString paper = tape();
        EXPECT_EQ(count(paper, footer), 1) << paper.toStdString();
        EXPECT_EQ(count(paper, QStringLiteral("ФД %1 ").arg(number + 1)), 1) << paper.toStdString();
        // The item, the total and the cash.
        EXPECT_EQ(count(paper, QStringLiteral("=45.50")), 3) << paper.toStdString();
        EXPECT_EQ(count(paper, QStringLiteral("КАССОВЫЙ ЧЕК")), 3) << paper.toStdString();
        EXPECT_EQ(count(paper, QStringLiteral("ДОКУМЕНТ ИЗ ПАМЯТИ ФН")), c.printed ? 0 : 1) << paper.toStdString();
        EXPECT_TRUE(kkt->state().untaped.isEmpty());

        kkt.reset();
        ASSERT_TRUE(QFile::remove(QDir(dir.path()).filePath(RegisterEmulator::kStateFileName)));
        ASSERT_TRUE(QFile::remove(QDir(dir.path()).filePath(RegisterEmulator::kTapeFileName)));
    }
}

TEST_F(EmulatorTest, PartOfADocumentAKillLeftAtTheEndOfAFullTapeGivesWayToTheWholeDocument) {
    // The disk took part of a document, and the program ended before taking
    // it back: at the next start the tape holds that document once and whole.
    ASSERT_EQ(openShift(), 0);
    ASSERT_EQ(sell(QStringLiteral("30.00")), 0);
    const QString before = tape();
    refusals = -1;
    ASSERT_EQ(sell(QStringLiteral("45.50")), -1);
    refusals = 0;
    ASSERT_EQ(kkt->state().untaped.size(), 1);
    const RegisterTape paper{QString(), QString()};
    const QStringList lines = kkt->state().untaped.first().lines;
    const QByteArray receipt = (lines.join(u'\n') + u'\n').toUtf8();
    const QByteArray late = (paper.late(lines).join(u'\n') + u'\n').toUtf8();
    kkt.reset();
    const QString folder = dir.path();
    const QString statePath = QDir(folder).filePath(RegisterEmulator::kStateFileName);
    const QString tapePath = QDir(folder).filePath(RegisterEmulator::kTapeFileName);
    ASSERT_TRUE(QFile::copy(statePath, statePath + QStringLiteral(".kept")));

    const qsizetype ruleAndHeading = late.indexOf('\n', 41) + 1;
    const struct {
        const char* where;
        QByteArray part;
    } parts[] = {
        {"inside the opening line", receipt.left(20)},
        {"among the goods", receipt.left(receipt.size() / 2)},
        {"all but the last line break", receipt.left(receipt.size() - 1)},
        {"inside the heading of a late print", late.left(50)},
        {"inside a late print's second rule", late.left(ruleAndHeading + 10)},
        {"among the goods of a late print", late.left(late.size() / 2)},
    };
    for (const auto& p : parts) {
        SCOPED_TRACE(p.where);
        QFile::remove(statePath);
        ASSERT_TRUE(QFile::copy(statePath + QStringLiteral(".kept"), statePath));
        QFile file(tapePath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(before.toUtf8() + p.part);
        file.close();

        restart();
        EXPECT_EQ(tape(), before + QString::fromUtf8(late));
        EXPECT_TRUE(kkt->state().untaped.isEmpty());
        kkt.reset();
    }
}

}  // namespace
}  // namespace fiscal::test

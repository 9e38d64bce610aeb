// A correction receipt end to end against the stand-in register service and
// a real database: what reaches the register, what is recorded, and how
// every failure on the way closes what was opened.
#include "ChannelTestSupport.h"

#include "archive/CorrectionFlow.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "support/DbFixture.h"
#include "sales/closing/PrintSettle.h"
#include "support/FakeMessages.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

using namespace archive;
using namespace archivetest;
using Fault = tools::ServiceReply::Fault;

namespace {

class RecordingWait : public CorrectionWaitView {
public:
    void open(const QString& caption, const QString& text) override {
        shown = true;
        texts << caption + QStringLiteral(": ") + text;
    }
    void setText(const QString& text) override { texts << text; }
    void close() override { shown = false; }
    bool shown = false;
    QStringList texts;
};

class CorrectionFlowTest : public testsupport::DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        if (HasFatalFailure()) return;
        port = service.start();
        ASSERT_NE(port, 0);
        service.setRegisterTime(QDateTime(QDate(2026, 12, 7), QTime(10, 15, 42)));
        session.portName = QStringLiteral("COM3");
        session.baudRate = QStringLiteral("115200");
        channel = std::make_unique<KktJsonChannel>(session.vars(), loopback(port, 700));
        flow = std::make_unique<CorrectionFlow>(*channel, db(), wait, [this] { ++registerLost; });
    }

    CorrectionOrder order(int tag = 1, bool cash = true) const {
        CorrectionOrder o;
        o.tag = tag;
        o.userName = QStringLiteral(" Иванов И.И. ");
        o.userInn = QStringLiteral("500100732259");
        o.correctionType = 1;
        o.causeName = QStringLiteral("Касса \"2\" не пробила чек");
        o.causeDate = QDate(2026, 12, 1);
        o.causeDocNum = QStringLiteral("17-А");
        o.productTypeCode = 4;
        o.kopecks = 123456;
        o.cash = cash;
        o.taxSystem = 1;
        return o;
    }

    struct Stored {
        int checkType;
        QString fpd, number, date, time, sum, cash, card, user;
    };
    std::vector<Stored> corrections() {
        std::vector<Stored> rows;
        fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
        const std::vector<fb::Row> found = fb::query(
            tr, QStringLiteral("SELECT DOC_CHECK_TYPE, DOC_FPD, DOC_NUMBER, DOC_DATE_D, DOC_TIME_T, DOC_SUMM_FULL, "
                               "DOC_PAY_NAL, DOC_PAY_EL, DOC_USER FROM DOCUMENTS WHERE DOC_TYPE = 31 ORDER BY DOC_ID"));
        for (const fb::Row& r : found) {
            rows.push_back({r.integer(QStringLiteral("DOC_CHECK_TYPE")), r.str(QStringLiteral("DOC_FPD")),
                            r.str(QStringLiteral("DOC_NUMBER")),
                            fb::toDate(r.at(3)).value_or(QDate()).toString(QStringLiteral("dd.MM.yyyy")),
                            fb::toTime(r.at(4)).value_or(QTime()).toString(QStringLiteral("hh:mm:ss")),
                            r.str(QStringLiteral("DOC_SUMM_FULL")), r.str(QStringLiteral("DOC_PAY_NAL")),
                            r.str(QStringLiteral("DOC_PAY_EL")), r.str(QStringLiteral("DOC_USER"))});
        }
        return rows;
    }

    QJsonObject request(const QString& command) const {
        for (const QByteArray& r : service.requests()) {
            const QJsonObject o = QJsonDocument::fromJson(r).object();
            if (o.value(QStringLiteral("command")).toString() == command) return o;
        }
        return {};
    }

    // The database refuses every document while the procedure is gone.
    void dropDocWrite() {
        fb::Transaction tr(db());
        tr.executeImmediate(QStringLiteral("DROP PROCEDURE DOC_WRITE_PROC"));
        tr.commit();
    }
    void restoreDocWrite() {
        fb::Transaction tr(db());
        QFile f(QStringLiteral(":/sql/03_correction_procedures.sql"));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(f.readAll());
        const qsizetype from = text.indexOf(QStringLiteral("CREATE OR ALTER PROCEDURE"));
        const qsizetype to = text.indexOf(QStringLiteral("END^"), from);
        tr.executeImmediate(text.mid(from, to - from + 3));
        tr.commit();
        db().forgetProcedures();
    }

    testsupport::FakeMessages messages;
    tools::RegisterServiceStandIn service{30000};
    quint16 port = 0;
    KktJsonSession session;
    std::unique_ptr<KktJsonChannel> channel;
    RecordingWait wait;
    int registerLost = 0;
    std::unique_ptr<CorrectionFlow> flow;
};

}  // namespace

TEST_F(CorrectionFlowTest, PrintedOnceAndRecordedOnce) {
    struct Case {
        int tag;
        bool cash;
        int checkType;
        int docCheckType;
        const char* payment;
    };
    const std::vector<Case> cases = {{1, true, 4, 1, "cash"}, {2, false, 5, 3, "ecash"}};
    int printed = 0;
    for (const Case& c : cases) {
        service.clearRecords();
        messages.clear();
        EXPECT_EQ(flow->print(order(c.tag, c.cash)), CorrectionFlow::Outcome::Done) << c.tag;
        EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
        EXPECT_EQ(service.printedReceipts(), ++printed);
        // The first correction after a start cancels whatever receipt the
        // register may hold; once one has printed, the next needs not.
        QStringList expected{"OpenSession", "GetCommonInfo", "OpenCheck", "AddGoods",
                             "CloseCheck",  "CloseSession",  "ClosePorts", "ClosePorts"};
        if (printed == 1) expected.insert(1, QStringLiteral("ResetCheck"));
        EXPECT_EQ(service.commands(), expected);
        const QByteArray openCheck = service.requests().value(expected.indexOf(QStringLiteral("OpenCheck")));
        const QByteArray expectedOpen =
            QStringLiteral(R"({"sessionKey": "%1","command": "OpenCheck","checkType": %2,"taxSystem": 1,)"
                           R"("cashierInfo": {"cashierName": "Иванов И.И.","cashierINN": "500100732259"},)"
                           R"("correctionInfo": {"correctionType": 1,"causeName": "Касса \"2\" не пробила чек",)"
                           R"("causeDocDate": "2026-12-01","causeDocNum": "17-А"}})")
                .arg(QStringLiteral("SK-%1").arg(printed))
                .arg(c.checkType)
                .toUtf8();
        EXPECT_EQ(openCheck, expectedOpen);
        EXPECT_EQ(request(QStringLiteral("AddGoods")).value("price").toInt(), 123456);
        EXPECT_EQ(request(QStringLiteral("AddGoods")).value("productTypeCode").toInt(), 4);
        EXPECT_EQ(request(QStringLiteral("CloseCheck")).value("payment").toObject().value(c.payment).toInt(), 123456);
        EXPECT_TRUE(session.sessionKey.isEmpty());
        EXPECT_FALSE(channel->isConnected());
        EXPECT_FALSE(wait.shown);
        EXPECT_FALSE(flow->hasUnstored());
    }
    const std::vector<Stored> rows = corrections();
    ASSERT_EQ(rows.size(), 2u);
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].checkType, cases[i].docCheckType);
        EXPECT_EQ(rows[i].number, QString::number(101 + int(i)));
        EXPECT_EQ(rows[i].fpd.size(), 10);
        EXPECT_EQ(rows[i].date, QStringLiteral("07.12.2026"));
        EXPECT_EQ(rows[i].time, QStringLiteral("10:15:00"));
        EXPECT_EQ(rows[i].sum, QStringLiteral("1234.56"));
        EXPECT_EQ(rows[i].cash, cases[i].cash ? QStringLiteral("1234.56") : QStringLiteral("0.00"));
        EXPECT_EQ(rows[i].card, cases[i].cash ? QStringLiteral("0.00") : QStringLiteral("1234.56"));
        EXPECT_EQ(rows[i].user, QStringLiteral("Иванов И.И."));
    }
    EXPECT_NE(rows[0].fpd, rows[1].fpd);
}

TEST_F(CorrectionFlowTest, ARefusedSessionLeavesTheRegisterDisconnected) {
    service.scriptOnce(QStringLiteral("OpenSession"), refusal(4, QStringLiteral("Порт занят")));
    EXPECT_EQ(flow->print(order()), CorrectionFlow::Outcome::SessionRefused);
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("При открытии сеанса связи с ККТ произошла ошибка.     \r\n"
                                                           "Ответ драйвера: \r\n Ошибка 4. Порт занят     ")});
    EXPECT_EQ(registerLost, 1);
    EXPECT_TRUE(session.portName.isEmpty());
    EXPECT_TRUE(session.baudRate.isEmpty());
    EXPECT_TRUE(session.sessionKey.isEmpty());
    EXPECT_FALSE(wait.shown);
    EXPECT_FALSE(channel->isConnected());
    EXPECT_EQ(service.commands(), QStringList{"OpenSession"});
    EXPECT_TRUE(corrections().empty());
}

TEST_F(CorrectionFlowTest, EveryFailureAfterTheSessionOpensClosesItAndRecordsNothing) {
    struct Case {
        const char* name;
        const char* command;
        tools::ServiceReply reply;
        QStringList after;  // what the register is sent after the failed command
        QString message;
    };
    tools::ServiceReply badClock;
    badClock.members.insert(QStringLiteral("dateTime"), QStringLiteral("вчера"));
    const QString head =
        QStringLiteral("При выполнении операции произошла ошибка.     \r\nОтвет драйвера: \r\n Ошибка ");
    const QString lastDocument = QStringLiteral(
        "\r\n\r\nЧек коррекции мог быть напечатан.     \r\nПроверьте последний документ ККТ     \r\nперед повтором "
        "операции.     ");
    const std::vector<Case> cases = {
        {"register refuses the clock",
         "GetCommonInfo",
         refusal(2, QStringLiteral("Нет связи")),
         {"CloseSession", "ClosePorts", "ClosePorts"},
         head + QStringLiteral("2. Нет связи")},
        {"unreadable clock",
         "GetCommonInfo",
         badClock,
         {"CloseSession", "ClosePorts", "ClosePorts"},
         head + QStringLiteral("11001. дата и время ККТ не распознаны: \"вчера\"     ")},
        {"receipt refused",
         "OpenCheck",
         refusal(6, QStringLiteral("Смена закрыта")),
         {"CloseSession", "ClosePorts", "ClosePorts"},
         head + QStringLiteral("6. Смена закрыта     ")},
        {"hang-up after OpenCheck",
         "OpenCheck",
         fault(Fault::DropMidReply),
         {"ResetCheck", "CloseSession", "ClosePorts", "ClosePorts"},
         head + QStringLiteral("11001. соединение со службой ККТ прервано     ")},
        {"position refused",
         "AddGoods",
         refusal(5, QStringLiteral("Неверная цена")),
         {"ResetCheck", "CloseSession", "ClosePorts", "ClosePorts"},
         head + QStringLiteral("5. Неверная цена")},
        {"payment refused",
         "CloseCheck",
         refusal(8, QStringLiteral("Нет бумаги")),
         {"ResetCheck", "CloseSession", "ClosePorts", "ClosePorts"},
         head + QStringLiteral("8. Нет бумаги")},
        {"no answer to CloseCheck",
         "CloseCheck",
         fault(Fault::NoReply),
         {"ResetCheck", "CloseSession", "ClosePorts", "ClosePorts"},
         head + QStringLiteral("11000. истекло время ожидания ответа     ") + lastDocument +
             QStringLiteral("\r\nЗапись о нем сохранена в журнале печати.     ")},
    };
    for (const Case& c : cases) {
        service.clearRecords();
        messages.clear();
        service.scriptOnce(QString::fromLatin1(c.command), c.reply);
        EXPECT_EQ(flow->print(order()), CorrectionFlow::Outcome::PrintFailed) << c.name;
        EXPECT_EQ(messages.texts(), QStringList{c.message}) << c.name;
        const QStringList sent = service.commands();
        const qsizetype failedAt = sent.indexOf(QString::fromLatin1(c.command));
        ASSERT_GE(failedAt, 0) << c.name;
        EXPECT_EQ(sent.mid(failedAt + 1), c.after) << c.name;
        EXPECT_FALSE(service.receiptOpen()) << c.name;
        EXPECT_TRUE(session.sessionKey.isEmpty()) << c.name;
        EXPECT_FALSE(channel->isConnected()) << c.name;
        EXPECT_FALSE(wait.shown) << c.name;
        EXPECT_FALSE(flow->hasUnstored()) << c.name;
        EXPECT_EQ(registerLost, 0) << c.name;
    }
    EXPECT_TRUE(corrections().empty());
}

TEST_F(CorrectionFlowTest, ARefusedRecordIsWrittenAgainWithoutASecondPrint) {
    dropDocWrite();
    EXPECT_EQ(flow->print(order()), CorrectionFlow::Outcome::StoreFailed);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_TRUE(messages.last().startsWith(kCorrectionDbFailed));
    EXPECT_TRUE(messages.last().contains(QStringLiteral("ФД № 101"))) << messages.last().toStdString();
    ASSERT_TRUE(flow->hasUnstored());
    EXPECT_EQ(service.printedReceipts(), 1);
    EXPECT_TRUE(session.sessionKey.isEmpty());

    // The database is back: the next attempt only writes.
    ASSERT_NO_FATAL_FAILURE(restoreDocWrite());
    service.clearRecords();
    messages.clear();
    EXPECT_EQ(flow->print(order()), CorrectionFlow::Outcome::Done) << messages.last().toStdString();
    EXPECT_TRUE(service.commands().isEmpty());
    EXPECT_EQ(service.printedReceipts(), 1);
    EXPECT_FALSE(flow->hasUnstored());
    ASSERT_EQ(corrections().size(), 1u);
    EXPECT_EQ(corrections()[0].number, QStringLiteral("101"));
    // Once more changes nothing.
    EXPECT_EQ(flow->store(), CorrectionFlow::Outcome::Done);
    EXPECT_EQ(corrections().size(), 1u);
}

TEST_F(CorrectionFlowTest, CorrectionsAreOneOnlyWhenNumberAndSignAgree) {
    // A reply without a number and a fiscal sign cannot tell two receipts
    // apart: each printed correction is written.
    tools::ServiceReply anonymous;
    anonymous.members.insert(QStringLiteral("fiscalSign"), QString());
    anonymous.members.insert(QStringLiteral("fiscalDocNum"), QString());
    for (int i = 0; i < 2; ++i) {
        service.scriptOnce(QStringLiteral("CloseCheck"), anonymous);
        EXPECT_EQ(flow->print(order()), CorrectionFlow::Outcome::Done) << i;
    }
    EXPECT_EQ(service.printedReceipts(), 2);
    ASSERT_EQ(corrections().size(), 2u);

    // The same number and sign once more is the receipt already written.
    PrintedCorrection same;
    same.fiscalSign = QStringLiteral("1234567890");
    same.fiscalDocNum = QStringLiteral("55");
    same.registerTime = QDateTime(QDate(2026, 12, 7), QTime(9, 0));
    same.kopecks = 100;
    EXPECT_TRUE(storeCorrection(db(), same).isEmpty());
    EXPECT_TRUE(storeCorrection(db(), same).isEmpty());
    same.fiscalDocNum = QStringLiteral("56");
    EXPECT_TRUE(storeCorrection(db(), same).isEmpty());
    EXPECT_EQ(corrections().size(), 4u);
}

TEST_F(CorrectionFlowTest, APrintTheDatabaseRefusedWaitsInTheJournalUntilWritten) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    sales::PrintJournal journal(folder.path());
    flow = std::make_unique<CorrectionFlow>(*channel, db(), wait, [] {}, nullptr, journal);
    dropDocWrite();
    EXPECT_EQ(flow->print(order()), CorrectionFlow::Outcome::StoreFailed);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_TRUE(messages.last().contains(QStringLiteral("сохранен в журнале печати"))) << messages.last().toStdString();
    // The service heard the session closed after the journal had it.
    EXPECT_TRUE(service.commands().contains(QStringLiteral("CloseSession")));
    ASSERT_EQ(journal.records().size(), 1);
    EXPECT_TRUE(journal.records().first().closed);
    EXPECT_FALSE(journal.blocked());  // sales go on meanwhile

    // The window is closed without writing: the journal still has it.
    flow.reset();
    installCorrectionSettler([this] { return &db(); });
    const sales::SettleResult login = sales::settlePrintJournal(journal, nullptr, [](const sales::PrintJob&, const sales::FiscalDocumentInfo&) {
        return sales::StoreResult{};
    });
    sales::setCorrectionSettler({});
    EXPECT_TRUE(sales::settleNeedsAttention(login));
    EXPECT_EQ(journal.records().size(), 1);
    restoreDocWrite();
    const CorrectionSettle settled = settleCorrections(journal, db());
    EXPECT_EQ(settled.stored, 1) << settled.refused.join(' ').toStdString();
    EXPECT_TRUE(journal.isEmpty());
    ASSERT_EQ(corrections().size(), 1u);
    EXPECT_EQ(corrections()[0].number, QStringLiteral("101"));
    EXPECT_EQ(service.printedReceipts(), 1);
}

TEST_F(CorrectionFlowTest, AKilledTillLosesNoPrintedCorrectionAndBlocksNoLaterOne) {
    struct Case {
        const char* name;
        const char* killAt;  // the command the service keeps waiting, or nullptr
        const char* dieAt;   // the step at which the till dies by itself, or nullptr
        tools::ServiceReply::Fault fault;
        bool printed;  // the register printed before the kill
        bool stored;   // and the document was written
    };
    const std::vector<Case> cases = {
        {"silent after printing", "CloseSession", nullptr, Fault::NoReply, true, true},
        {"hangs up after printing, then silent", "ClosePorts", nullptr, Fault::NoReply, true, true},
        {"silent on CloseCheck", "CloseCheck", nullptr, Fault::NoReply, true, false},
        {"dies with the answer to CloseCheck in hand", nullptr, "replied", Fault::None, true, false},
        {"silent on AddGoods, the receipt open", "AddGoods", nullptr, Fault::NoReply, false, false},
        {"dies once journaled, before CloseCheck", nullptr, "journaled", Fault::None, false, false},
    };
    db().detach();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        service.clearScripts();
        service.clearRecords();
        const int printedBefore = service.printedReceipts();
        QStringList args{databasePath(), folder.path(), QString::number(port)};
        if (c.dieAt) args << QString::fromLatin1(c.dieAt);
        if (c.killAt) {
            if (QString::fromLatin1(c.killAt) == QStringLiteral("ClosePorts"))
                service.scriptAlways(QStringLiteral("CloseSession"), fault(Fault::CloseWithoutReply));
            service.scriptAlways(QString::fromLatin1(c.killAt), fault(c.fault));
        }
        QProcess child;
        child.start(QStringLiteral(TARVI_CORRECTION_CHILD), args);
        ASSERT_TRUE(child.waitForStarted(10000));
        if (c.killAt) {
            QDeadlineTimer deadline(60000);
            while (!service.commands().contains(QString::fromLatin1(c.killAt)) && !deadline.hasExpired())
                QThread::msleep(20);
            ASSERT_TRUE(service.commands().contains(QString::fromLatin1(c.killAt)));
            child.kill();
        }
        ASSERT_TRUE(child.waitForFinished(60000));
        EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
        EXPECT_EQ(service.printedReceipts() - printedBefore, c.printed ? 1 : 0);
        // A correction cut short before it printed leaves its receipt open.
        EXPECT_EQ(service.receiptOpen(), !c.printed);

        // The next start: the journal is settled, then a correction prints.
        db().attach();
        sales::PrintJournal journal(folder.path());
        const int before = int(corrections().size());
        const CorrectionSettle settled = settleCorrections(journal, db());
        EXPECT_EQ(before, c.stored ? 1 : 0);
        EXPECT_EQ(settled.stored, 0);
        if (c.printed && !c.stored) {
            // Nobody knows whether it printed: an administrator compares
            // the register's report.
            EXPECT_EQ(settled.unknown.size(), 1);
            EXPECT_EQ(journal.records().size(), 1);
        } else {
            // Written, or surely never printed: nothing to say.
            EXPECT_TRUE(correctionSettleNotes(settled).isEmpty()) << correctionSettleNotes(settled).join(' ').toStdString();
            EXPECT_TRUE(journal.isEmpty());
        }

        service.clearScripts();
        service.clearRecords();
        messages.clear();
        KktJsonSession restarted;
        restarted.portName = QStringLiteral("COM3");
        restarted.baudRate = QStringLiteral("115200");
        KktJsonChannel channelAfter(restarted.vars(), loopback(port, 700));
        CorrectionFlow after(channelAfter, db(), wait, {}, nullptr, journal);
        EXPECT_EQ(after.print(order()), CorrectionFlow::Outcome::Done) << messages.last().toStdString();
        EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
        const QStringList sent = service.commands();
        EXPECT_EQ(sent.mid(0, 2), (QStringList{"OpenSession", "ResetCheck"}));
        EXPECT_EQ(corrections().size(), size_t(before + 1));

        fb::Transaction tr(db());
        tr.executeImmediate(QStringLiteral("DELETE FROM DOCUMENTS WHERE DOC_TYPE = 31"));
        tr.commit();
        db().detach();
    }
    db().attach();
}

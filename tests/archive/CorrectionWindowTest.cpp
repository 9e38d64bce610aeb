// The correction window over the main screen, driven by its controls, and
// the main screen's watch over a session the channel opened.
#include "ChannelTestSupport.h"

#include "archive/MainScreenChannel.h"
#include "archive/uCorrectionCheck.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "sales/screen/Registration_Mode.h"
#include "sales/screen/uPrinttMessage.h"
#include "support/DbFixture.h"
#include "support/FakeMessages.h"
#include "support/TypeText.h"

#include <QApplication>
#include <QDateEdit>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace archivetest;
using Fault = tools::ServiceReply::Fault;

namespace {

const QDate kToday(2026, 12, 7);

class CorrectionWindowTest : public testsupport::DbTest {
protected:
    void SetUp() override {
        DbTest::SetUp();
        if (HasFatalFailure()) return;
        port = service.start();
        ASSERT_NE(port, 0);
        screen = std::make_unique<TfmReg>(nullptr, [this]() -> std::unique_ptr<fiscal::IFiscalDriver> {
            return std::make_unique<fiscal::RegisterEmulator>(programFolder());
        });
        screen->setQuitOnClose(false);
        core::SessionUser cashier;
        cashier.userId = 7;
        cashier.name = QStringLiteral("Иванов И.И.");
        cashier.postLabel = QStringLiteral("Кассир : ");
        cashier.inn = QStringLiteral("500100732259");
        screen->setUser(cashier);
        screen->setTaxSystem(2);
        channel = &archive::kktJsonChannel(*screen);
        channel->client().setOptions(loopback(port, 700));
        messages.clear();
    }

    void TearDown() override {
        if (window) delete window.data();
        screen.reset();
        DbTest::TearDown();
    }

    // One position of kind `subject`: 10.00 x 3.
    void addPosition(const QString& subject) {
        sales::ReceiptModel& r = screen->receipt();
        r.setCell(1, sales::ReceiptModel::ColStatus, QStringLiteral("A"));
        r.setCell(1, sales::ReceiptModel::ColId, QStringLiteral("12"));
        r.setCell(1, sales::ReceiptModel::ColKind, QStringLiteral("P"));
        r.setCell(1, sales::ReceiptModel::ColName, QStringLiteral("Стрижка"));
        r.setCell(1, sales::ReceiptModel::ColPrice, QStringLiteral("10.00"));
        r.setCell(1, sales::ReceiptModel::ColQty, QStringLiteral("3"));
        r.setCell(1, sales::ReceiptModel::ColSubject, subject);
        r.setAttr(1, sales::ReceiptModel::AttrBasePrice, QStringLiteral("10.00"));
        r.setAttr(1, sales::ReceiptModel::AttrDiscountKind, QStringLiteral("N"));
        r.setAttr(1, sales::ReceiptModel::AttrMarkType, QStringLiteral("0"));
        ASSERT_EQ(screen->RecalcReceipt(), 0);
    }

    TfmCorrectionCheck& open(int tag) {
        window = new TfmCorrectionCheck(*screen, *channel, db(), programFolder());
        window->setToday([] { return kToday; });
        window->setTag(tag);
        window->show();
        return *window;
    }

    template <class T>
    T* child(const char* name) const {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    void fillCause() {
        testsupport::typeText(child<QLineEdit>("edDoc"), QStringLiteral("Не пробит чек"));
        testsupport::typeText(child<QLineEdit>("edDocNum"), QStringLiteral("17"));
    }

    // On the indicator: a stretched button takes clicks on its text only.
    void clickRadio(const char* name) {
        QRadioButton* b = child<QRadioButton>(name);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
        EXPECT_TRUE(b->isChecked()) << name;
    }

    void clickOk() { QTest::mouseClick(child<QPushButton>("btnOK"), Qt::LeftButton); }

    int storedCorrections() {
        fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
        const std::optional<fb::Row> r =
            fb::queryOne(tr, QStringLiteral("SELECT COUNT(*) FROM DOCUMENTS WHERE DOC_TYPE = 31"));
        return r ? int(fb::toInt64(r->at(0)).value_or(-1)) : -1;
    }

    testsupport::FakeMessages messages;
    tools::RegisterServiceStandIn service{30000};
    quint16 port = 0;
    std::unique_ptr<TfmReg> screen;
    archive::KktJsonChannel* channel = nullptr;
    QPointer<TfmCorrectionCheck> window;
};

}  // namespace

TEST_F(CorrectionWindowTest, OpensWithTheReceiptInProgress) {
    struct Case {
        int tag;
        const char* subject;  // nullptr: an empty receipt
        const char* caption;
        const char* productCaption;
        int productCode;
    };
    const std::vector<Case> cases = {
        {1, nullptr, "Чек коррекции ПРИХОДА", "товар, кроме подакцизного", 1},
        {2, "СПР", "Чек коррекции РАСХОДА", "составной предмет расчета", 12},
        {1, "у", "Чек коррекции ПРИХОДА", "услуга", 4},
        {1, "Z", "Чек коррекции ПРИХОДА", "", 0},
    };
    for (const Case& c : cases) {
        screen->resetReceipt();
        if (c.subject) addPosition(QString::fromUtf8(c.subject));
        TfmCorrectionCheck& w = open(c.tag);
        EXPECT_EQ(w.windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(child<QLabel>("lblProductType")->text(), QString::fromUtf8(c.productCaption));
        EXPECT_EQ(sales::controlTag(child<QLabel>("lblProductType")), c.productCode);
        EXPECT_EQ(child<QLineEdit>("memSumma")->text(), c.subject ? screen->lblChekItogo->text().trimmed() : QString());
        if (c.subject) {
            EXPECT_EQ(child<QLineEdit>("memSumma")->text(), QStringLiteral("30.00"));
        }
        EXPECT_TRUE(child<QRadioButton>("RadioButton1")->isChecked());
        EXPECT_TRUE(child<QRadioButton>("rbNal")->isChecked());
        EXPECT_EQ(child<QDateEdit>("dtPicker")->date(), kToday);
        EXPECT_EQ(w.focusWidget(), child<QLineEdit>("edDoc"));
        EXPECT_TRUE(child<QLineEdit>("edDocNum")->isEnabled());
        EXPECT_FALSE(child<QLineEdit>("memNal")->isVisibleTo(&w));
        delete window.data();
    }
}

TEST_F(CorrectionWindowTest, TheSumTakesKeysThroughTheNumericFilter) {
    addPosition(QStringLiteral("Т"));
    open(1);
    QLineEdit* sum = child<QLineEdit>("memSumma");
    EXPECT_TRUE(sum->isReadOnly());
    sum->clear();
    for (char key : {'1', '2', ',', '5', '0', '7', 'x'}) QTest::keyClick(sum, key);
    EXPECT_EQ(sum->text(), QStringLiteral("12.50"));
    QTest::keyClick(sum, Qt::Key_Backspace);
    EXPECT_EQ(sum->text(), QStringLiteral("12.5"));
    sum->setSelection(0, 2);
    QTest::keyClick(sum, Qt::Key_Delete);
    EXPECT_EQ(sum->text(), QStringLiteral(".5"));
    EXPECT_EQ(sum->cursorPosition(), 0);
}

TEST_F(CorrectionWindowTest, ChecksStopBeforeAnythingIsSent) {
    struct Case {
        const char* name;
        bool receipt;
        bool register_;
        int daysAhead;
        QString message;
        int taxSystem = 2;
    };
    const std::vector<Case> cases = {
        {"empty receipt", false, true, 0, QStringLiteral("Не заполнены обязательные поля.     ")},
        {"no register port", true, false, 0, QStringLiteral("ККТ не подключена.     ")},
        {"cause date tomorrow", true, true, 1,
         QStringLiteral("Дата корректируемого расчета не может быть больше текущей даты!    ")},
        // Refused as closing a receipt refuses it, not sent as an unset -1.
        {"no tax system", true, true, 0, QStringLiteral(" Не указана или некорректное значение СНО.     "), 0},
    };
    for (const Case& c : cases) {
        screen->setTaxSystem(c.taxSystem);
        screen->resetReceipt();
        if (c.receipt) addPosition(QStringLiteral("Т"));
        screen->KktJsonPortName = c.register_ ? QStringLiteral("COM3") : QString();
        screen->KktJsonBaudRate = c.register_ ? QStringLiteral("115200") : QString();
        open(1);
        fillCause();
        child<QDateEdit>("dtPicker")->setDate(kToday.addDays(c.daysAhead));
        messages.clear();
        clickOk();
        EXPECT_EQ(messages.texts(), QStringList{c.message}) << c.name;
        EXPECT_TRUE(window->isVisible()) << c.name;
        delete window.data();
    }
    EXPECT_TRUE(service.requests().isEmpty());
}

TEST_F(CorrectionWindowTest, ACorrectionIsPrintedRecordedAndTheReceiptKindKept) {
    addPosition(QStringLiteral("Р"));
    screen->setReceiptKind(sales::KindPurchase);
    // The shop's tax system; a closed receipt's code went with its window.
    screen->setTaxSystem(4);
    screen->setTaxSystemCode(-1);
    screen->KktJsonPortName = QStringLiteral("COM3");
    screen->KktJsonBaudRate = QStringLiteral("115200");
    open(2);
    fillCause();
    clickRadio("rbEl");
    clickRadio("RadioButton2");

    // No at the question: nothing happens.
    clickOk();
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Провести операцию ''КОРРЕКЦИЯ РАСХОДА'' ?    ")});
    EXPECT_TRUE(service.requests().isEmpty());

    messages.clear();
    messages.answer(ui::Answer::Yes);
    clickOk();
    EXPECT_EQ(messages.boxes.size(), 1u) << messages.last().toStdString();
    EXPECT_EQ(service.printedReceipts(), 1);
    const QJsonObject open = QJsonDocument::fromJson(service.requests().value(3)).object();
    EXPECT_EQ(open.value("checkType").toInt(), 5);
    EXPECT_EQ(open.value("taxSystem").toInt(), 4);
    EXPECT_EQ(open.value("correctionInfo").toObject().value("correctionType").toInt(), 1);
    EXPECT_EQ(open.value("correctionInfo").toObject().value("causeName").toString(), QStringLiteral("Не пробит чек"));
    const QJsonObject goods = QJsonDocument::fromJson(service.requests().value(4)).object();
    EXPECT_EQ(goods.value("productTypeCode").toInt(), 3);
    EXPECT_EQ(goods.value("price").toInt(), 3000);
    EXPECT_EQ(storedCorrections(), 1);
    {
        fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
        const std::optional<fb::Row> row = fb::queryOne(
            tr, QStringLiteral("SELECT DOC_CHECK_TYPE, DOC_PAY_EL, DOC_USER FROM DOCUMENTS WHERE DOC_TYPE = 31"));
        ASSERT_TRUE(row.has_value());
        EXPECT_EQ(row->integer(QStringLiteral("DOC_CHECK_TYPE")), 3);
        EXPECT_EQ(row->str(QStringLiteral("DOC_PAY_EL")), QStringLiteral("30.00"));
        EXPECT_EQ(row->str(QStringLiteral("DOC_USER")), QStringLiteral("Иванов И.И."));
    }
    // The receipt in progress stays as it was, its kind included.
    EXPECT_EQ(screen->lblOperationType->text(), QStringLiteral("РАСХОД"));
    EXPECT_EQ(sales::controlTag(screen->lblOperationType), 3);
    EXPECT_EQ(screen->receipt().cell(1, sales::ReceiptModel::ColName), QStringLiteral("Стрижка"));
    EXPECT_TRUE(screen->KktJsonSessionKey.isEmpty());
    EXPECT_EQ(fmPrinttMessage, nullptr);
    // The window closed itself and is gone.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(fmCorrectionCheck, nullptr);
}

TEST_F(CorrectionWindowTest, AfterTheDatabaseRefusedOkOnlyWritesAndCancelAsks) {
    addPosition(QStringLiteral("Т"));
    screen->KktJsonPortName = QStringLiteral("COM3");
    screen->KktJsonBaudRate = QStringLiteral("115200");
    {
        fb::Transaction tr(db());
        tr.executeImmediate(QStringLiteral("DROP PROCEDURE DOC_WRITE_PROC"));
        tr.commit();
    }
    open(1);
    fillCause();
    messages.answer(ui::Answer::Yes);
    clickOk();
    ASSERT_EQ(messages.boxes.size(), 2u);
    EXPECT_TRUE(messages.last().startsWith(QStringLiteral("Ошибка сервера при записи в БД    ")));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(service.printedReceipts(), 1);

    // Cancel asks first; No keeps the window and its printed receipt.
    messages.clear();
    QTest::mouseClick(child<QPushButton>("btnCancel"), Qt::LeftButton);
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_TRUE(messages.boxes[0].question);
    EXPECT_TRUE(window->isVisible());

    // OK again: the database still refuses; nothing is sent to the register.
    service.clearRecords();
    messages.clear();
    clickOk();
    EXPECT_TRUE(service.requests().isEmpty());
    EXPECT_EQ(service.printedReceipts(), 1);
    EXPECT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(storedCorrections(), 0);
}

TEST_F(CorrectionWindowTest, TheMainScreenWatchesAnOpenedSession) {
    screen->KktJsonPortName = QStringLiteral("com3");
    screen->KktJsonBaudRate = QStringLiteral("115200");
    ASSERT_FALSE(screen->jsonIdleAttached());
    ASSERT_TRUE(channel->KktJsonOpenSession(screen->KktJsonPortName, screen->KktJsonBaudRate).ok());
    EXPECT_FALSE(screen->KktJsonSessionKey.isEmpty());
    EXPECT_TRUE(screen->jsonIdleAttached());

    struct Step {
        std::optional<tools::ServiceReply> reply;  // nullopt: the register answers well
        int messagesAfter;
    };
    const std::vector<Step> steps = {
        {std::nullopt, 0},          {fault(Fault::DropMidReply), 1},
        {fault(Fault::NoReply), 1}, {fault(Fault::DropMidReply), 1},       // one message for the whole run
        {std::nullopt, 1},          {fault(Fault::CloseWithoutReply), 2},  // a new run
    };
    for (size_t i = 0; i < steps.size(); ++i) {
        if (steps[i].reply) service.scriptOnce(QStringLiteral("GetCommonInfo"), *steps[i].reply);
        screen->ApplicationEvents1Idle();
        EXPECT_EQ(int(messages.boxes.size()), steps[i].messagesAfter) << i;
        EXPECT_FALSE(screen->KktJsonSessionKey.isEmpty()) << i;
        EXPECT_TRUE(screen->jsonIdleAttached()) << i;
    }
    for (const auto& b : messages.boxes) EXPECT_EQ(b.text, QStringLiteral("Ошибка -1"));

    service.scriptOnce(QStringLiteral("GetCommonInfo"), refusal(3, QStringLiteral("ККТ не отвечает")));
    screen->ApplicationEvents1Idle();
    EXPECT_EQ(screen->lblKKT->text(), QStringLiteral("ККТ не отвечает"));
    EXPECT_TRUE(screen->KktJsonSessionKey.isEmpty());
    EXPECT_TRUE(screen->KktJsonPortName.isEmpty());
    EXPECT_TRUE(screen->KktJsonBaudRate.isEmpty());
    EXPECT_FALSE(screen->jsonIdleAttached());
    EXPECT_EQ(service.commands().last(), QStringLiteral("ClosePorts"));
}

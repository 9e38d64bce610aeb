// Closing the receipt: the checks before payment and the hand-over table
// the register and the database receive.
#include "sales/closing/CloseReceipt.h"
#include "sales/receipt/ReceiptCalc.h"
#include "sales/closing/ReceiptLines.h"

#include <gtest/gtest.h>

#include <functional>

using namespace sales;

namespace {

GoodRecord good(const QString& id, const QString& name, const QString& price, const QString& weighed,
                const QString& vat, const QString& type = QStringLiteral("Т"), const QString& country = QStringLiteral("643"),
                const QString& markType = QStringLiteral("0"), const QString& measure = QStringLiteral("0")) {
    GoodRecord g;
    g.id = id;
    g.name = name;
    g.price = price;
    g.weighed = weighed;
    g.type = type;
    g.country = country;
    g.markType = markType;
    g.measure = measure;
    g.vat = vat;
    return g;
}

// A sale: bread 2 x 50.00 (from China, with a customs declaration), cheese
// 0.350 kg x 200.00 with a line discount of 1.00, and an annulled row.
struct SaleReceipt {
    ReceiptModel model;
    QList<QStringList> marked;

    SaleReceipt() {
        const int bread = addGoodPosition(model, good("11", "Хлеб", "50.00", "нет", "1", "Т", "156"), "50.00", Qty::units(2),
                                          "4600000000017");
        model.setCell(bread, ReceiptModel::ColCustoms, QStringLiteral(" 10702070/010120/0001234 "));
        const int cheese = addGoodPosition(model, good("12", "Сыр", "200.00", "да", "2", "АТ", "643", "0", "11"), "200.00",
                                           Qty::fromThousandths(350));
        model.setLineDiscount(cheese, QStringLiteral("S"), QStringLiteral("1.00"));
        const int annulled = addGoodPosition(model, good("13", "Чай", "90.00", "нет", "1"), "90.00", Qty::units(1));
        model.setCell(annulled, ReceiptModel::ColStatus, ReceiptModel::StatusEmpty);
        recalc();
    }

    void recalc() { EXPECT_TRUE(RecalcReceipt(model, ReceiptContext{QStringLiteral("ПРИХОД"), false}).ok()); }

    CloseReceiptInput input(int flag = PayFull, int tax = 1) const {
        CloseReceiptInput in;
        in.kind = 1;
        in.paymentFlag = flag;
        in.taxTag = tax;
        in.taxCaption = tax == 1 ? QStringLiteral("ОСН (общая)") : QStringLiteral("УСН (доход)");
        in.receipt = &model;
        in.markedItems = &marked;
        in.totalCaption = CalcReceiptTotal(model) + QStringLiteral(" ");
        return in;
    }
};

// Records every VAT question and answers from a script (21..26; 0 cancels).
struct VatScript {
    QList<int> answers;
    QStringList prompts;
    VatQuery query() {
        return [this](const QString& prompt) {
            prompts << prompt;
            return answers.isEmpty() ? 0 : answers.takeFirst();
        };
    }
};

struct Questions {
    QStringList asked;
    bool answer = true;
    Confirm confirm() {
        return [this](const QString& q) {
            asked << q;
            return answer;
        };
    }
};

}  // namespace

TEST(ReceiptLines, FullPaymentGivesOneRowPerUnmarkedPositionWithItsRequisites) {
    SaleReceipt r;
    VatScript vat;
    Questions q;
    const CloseReceiptResult result = CloseReceipt(r.input(), vat.query(), q.confirm());
    ASSERT_EQ(result.outcome, CloseReceiptResult::Outcome::ReadyToPay) << result.message.toStdString();
    EXPECT_TRUE(q.asked.isEmpty());
    EXPECT_TRUE(vat.prompts.isEmpty());
    EXPECT_EQ(result.taxSystemCode, 1);
    ASSERT_EQ(result.lines.size(), 2);

    const QStringList bread = result.lines[0];
    ASSERT_EQ(bread.size(), 19);
    const QStringList expectedBread{"11", "Хлеб", "1", "50.00", "50.00", "2", "156", "10702070/010120/0001234", "",
                                    "0", "4600000000017", "", "0", "", "1", "0", "", "", ""};
    EXPECT_EQ(bread, expectedBread);

    // 0.350 x 200.00 = 70.00 less 1.00 = 69.00; unit round2(69 / 0.35) = 197.14.
    const QStringList cheese = result.lines[1];
    EXPECT_EQ(cheese[LineSubject], "2");
    EXPECT_EQ(cheese[LineBasePrice], "200.00");
    EXPECT_EQ(cheese[LinePrice], "197.14");
    EXPECT_EQ(cheese[LineQty], "0.350");
    EXPECT_EQ(cheese[LineVat], "2");
    EXPECT_EQ(cheese[LineMeasure], "11");
    EXPECT_EQ(cheese[LineCustoms], "");
}

TEST(ReceiptLines, EveryPaymentMethodFlagBuildsItsOwnRows) {
    struct Case {
        int flag;
        int rows;
        QString subject;
        QStringList names;
        QStringList prices;
        QStringList quantities;
    };
    // Receipt total: 100.00 + 69.00.
    const QList<Case> cases{
        {PayFull, 2, "", {"Хлеб", "Сыр"}, {"50.00", "197.14"}, {"2", "0.350"}},
        {PayPrepayFull, 2, "10", {"Хлеб", "Сыр"}, {"100.00", "69.00"}, {"1", "1"}},
        {PayPrepayPartial, 2, "10", {"Хлеб", "Сыр"}, {"100.00", "69.00"}, {"1", "1"}},
        {PayAdvance, 1, "10", {""}, {"169.00"}, {"1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flag);
        SaleReceipt r;
        VatScript vat;
        vat.answers = {21, 21, 21};
        Questions q;
        const CloseReceiptResult result = CloseReceipt(r.input(c.flag), vat.query(), q.confirm());
        ASSERT_EQ(result.outcome, CloseReceiptResult::Outcome::ReadyToPay) << result.message.toStdString();
        ASSERT_EQ(result.lines.size(), c.rows);
        Money registered;
        for (int i = 0; i < c.rows; ++i) {
            const QStringList& line = result.lines[i];
            EXPECT_EQ(line[LineName], c.names[i]);
            EXPECT_EQ(line[LinePrice], c.prices[i]);
            EXPECT_EQ(line[LineQty], c.quantities[i]);
            if (!c.subject.isEmpty()) {
                EXPECT_EQ(line[LineSubject], c.subject);
                EXPECT_EQ(line[LineMeasure], "0");
                EXPECT_EQ(line[LineMarkType], "0");
                EXPECT_EQ(line[LineVat], "1");  // asked under the general system
            }
            registered += registeredLineSum(line).value();
        }
        // What the register will add up is what the payment window asks for.
        EXPECT_EQ(registered, calcReceiptTotal(r.model));
        // A prepayment or advance needs the cashier's Yes; full payment asks nothing.
        EXPECT_EQ(q.asked.size(), c.flag == PayFull ? 0 : 1);
    }
}

TEST(ReceiptLines, GeneralTaxSystemTakesStoredVatOnlyFrom1To5AndAsksOtherwise) {
    struct Case {
        QString stored;
        int tax;
        bool asked;
        QString expected;
    };
    const QList<Case> cases{
        {"1", 1, false, "1"}, {"5", 1, false, "5"}, {" 3 ", 1, false, "3"}, {"6", 1, true, "4"},
        {"", 1, true, "4"},   {"0", 1, true, "4"},  {"НДС", 1, true, "4"}, {"7", 1, true, "4"},
        {"1", 2, false, "6"}, {"", 4, false, "6"},  {"2", 32, false, "6"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.toStdString() + " / " + std::to_string(c.tax));
        ReceiptModel m;
        addGoodPosition(m, good("5", "Молоко", "80.00", "нет", c.stored), "80.00", Qty::units(1));
        ASSERT_TRUE(RecalcReceipt(m, ReceiptContext{"ПРИХОД", false}).ok());
        ReceiptLinesInput in;
        in.receipt = &m;
        in.taxSystemCode = c.tax;
        VatScript vat;
        vat.answers = {24};
        const ReceiptLinesResult r = buildReceiptLines(in, vat.query(), {});
        ASSERT_TRUE(r.built()) << r.message.toStdString();
        EXPECT_EQ(r.lines[0][LineVat], c.expected);
        EXPECT_EQ(vat.prompts, c.asked ? QStringList{"Укажите ставку НДС для товара в строке 1"} : QStringList{});
    }
}

TEST(ReceiptLines, CancellingTheVatDialogEndsTheCloseWithoutAMessage) {
    SaleReceipt r;
    r.model.setAttr(2, ReceiptModel::AttrVat, QStringLiteral("6"));
    VatScript vat;  // answers nothing: a cancel
    Questions q;
    const CloseReceiptResult result = CloseReceipt(r.input(), vat.query(), q.confirm());
    EXPECT_EQ(result.outcome, CloseReceiptResult::Outcome::Cancelled);
    EXPECT_TRUE(result.message.isEmpty());
    EXPECT_TRUE(result.lines.isEmpty());
    EXPECT_EQ(vat.prompts, QStringList{"Укажите ставку НДС для товара в строке 2"});
}

TEST(ReceiptLines, PrepaymentUnderGeneralSystemAsksVatOncePerPaidPosition) {
    SaleReceipt r;
    VatScript vat;
    vat.answers = {21, 25};
    Questions q;
    const CloseReceiptResult result = CloseReceipt(r.input(PayPrepayFull), vat.query(), q.confirm());
    ASSERT_EQ(result.outcome, CloseReceiptResult::Outcome::ReadyToPay);
    EXPECT_EQ(vat.prompts,
              (QStringList{"Укажите ставку НДС для товара в строке 1", "Укажите ставку НДС для товара в строке 2"}));
    ASSERT_EQ(result.lines.size(), 2);
    EXPECT_EQ(result.lines[0][LineVat], "1");
    EXPECT_EQ(result.lines[1][LineVat], "5");
}

TEST(ReceiptLines, ZeroSumPositionStopsTheCloseAndStillNeedsAName) {
    SaleReceipt r;
    const int free = addGoodPosition(r.model, good("14", "Пакет", "0.00", "нет", "1"), "0.00", Qty::units(1));
    r.recalc();
    // Left out, it would be a position the cashier entered and the register never sold.
    for (const int flag : {PayFull, PayPrepayFull}) {
        CloseReceiptResult result = CloseReceipt(r.input(flag), VatScript().query(), Questions().confirm());
        ASSERT_EQ(result.outcome, CloseReceiptResult::Outcome::Stopped);
        EXPECT_TRUE(result.message.contains(QStringLiteral("< Пакет > (строка %1)").arg(free)))
            << result.message.toStdString();
        EXPECT_TRUE(result.message.contains(QStringLiteral("составляет 0.00 руб.")));
    }
    CloseReceiptResult result;

    r.model.setCell(free, ReceiptModel::ColName, QStringLiteral("  "));
    result = CloseReceipt(r.input(), VatScript().query(), Questions().confirm());
    EXPECT_EQ(result.outcome, CloseReceiptResult::Outcome::Stopped);
    EXPECT_EQ(result.message,
              QStringLiteral(" Позиция %1\r\n Отсутствует наименование товара/услуги.     ").arg(free));
}

TEST(ReceiptLines, MarkedGoodsGiveOneRowPerMarkingCode) {
    ReceiptModel m;
    const int shoes = addGoodPosition(m, good("21", "Туфли", "3000.00", "нет", "1", "Т", "643", "5", "0"), "3000.00",
                                      Qty::units(3));
    m.setCell(shoes, ReceiptModel::ColCustoms, QStringLiteral("ДТ-1"));
    // Three tenths of a pack of curd: the position holds 0.3 of the pack's price.
    addGoodPosition(m, good("22", "Творог", "400.00", "нет", "2", "АТ", "643", "13", "0"), "400.00",
                    Qty::fromThousandths(300));
    ASSERT_TRUE(RecalcReceipt(m, ReceiptContext{"ПРИХОД", false}).ok());
    QList<QStringList> marked;
    for (int i = 1; i <= 3; ++i)
        marked << QStringList{"21", "04600000000011", QStringLiteral("SER%1").arg(i), "", QStringLiteral("CODE%1").arg(i),
                              "1", "15", "0", "0", "1"};
    // Three tenths of a pack of curd, sold by fraction.
    marked << QStringList{"22", "04600000000028", "SERX", "", "CODEX", "2", "15", "3", "10", "1"};
    ReceiptLinesInput in;
    in.receipt = &m;
    in.markedItems = &marked;
    in.taxSystemCode = 1;
    const ReceiptLinesResult r = buildReceiptLines(in, {}, {});
    ASSERT_TRUE(r.built()) << r.message.toStdString();
    ASSERT_EQ(r.lines.size(), 4);
    for (int i = 0; i < 3; ++i) {
        const QStringList& l = r.lines[i];
        EXPECT_EQ(l[LineGoodId], "21");
        EXPECT_EQ(l[LineSubject], "33");
        EXPECT_EQ(l[LineQty], "1");
        EXPECT_EQ(l[LineMarkType], "5");
        EXPECT_EQ(l[LineSerial], QStringLiteral("SER%1").arg(i + 1));
        EXPECT_EQ(l[LineMarkCode], QStringLiteral("CODE%1").arg(i + 1));
        EXPECT_EQ(l[LineStockUnit], "1");
        EXPECT_EQ(l[LineMarkStatus], "1");
        EXPECT_EQ(l[LineOnlineResult], "15");
        EXPECT_EQ(l[LineCustoms], "ДТ-1");
        EXPECT_EQ(l[LineFraction], "");
    }
    const QStringList& curd = r.lines[3];
    EXPECT_EQ(curd[LineSubject], "31");
    EXPECT_EQ(curd[LineQty], "0.300");
    EXPECT_EQ(curd[LineMeasure], "0");
    EXPECT_EQ(curd[LineFraction], "3/10");
    EXPECT_EQ(curd[LineBasePrice], "400.00");
    EXPECT_EQ(curd[LinePrice], "400.00");
    EXPECT_EQ(registeredLineSum(curd), Money::fromKopecks(12000));
}

TEST(ReceiptLines, MarkedPositionWithoutItsCodesIsStoppedBeforePayment) {
    ReceiptModel m;
    addGoodPosition(m, good("21", "Туфли", "3000.00", "нет", "1", "Т", "643", "5"), "3000.00", Qty::units(2));
    ASSERT_TRUE(RecalcReceipt(m, ReceiptContext{"ПРИХОД", false}).ok());
    const QList<QStringList> marked{{"21", "04600000000011", "SER1", "", "CODE1", "1", "15", "0", "0", "1"}};
    ReceiptLinesInput in;
    in.receipt = &m;
    in.markedItems = &marked;
    in.taxSystemCode = 2;
    const ReceiptLinesResult r = buildReceiptLines(in, {}, {});
    EXPECT_EQ(r.outcome, ReceiptLinesResult::Outcome::Stopped);
    // The position and the likely cause are named; restarting would only lose the receipt.
    EXPECT_EQ(r.message, QStringLiteral(" Сумма позиций к печати не совпадает с итогом чека.     \r\n"
                                        " Строка 1: < Туфли >     \r\n"
                                        " Сумма в чеке: 6000.00, к печати: 3000.00.     \r\n\r\n"
                                        " Вероятно, отсканированы не все коды маркировки этого товара.     \r\n"
                                        " Удалите позицию и добавьте её снова, отсканировав код каждой единицы.     "));
    EXPECT_FALSE(r.message.contains("Перезапустите"));
}

TEST(CloseReceipt, EveryRefusalShowsItsMessageWordForWord) {
    const QString tail = QStringLiteral("     \r\n\r\n Сообщите о возникшей проблеме разработчику.     ");
    struct Case {
        const char* what;
        std::function<void(SaleReceipt&, CloseReceiptInput&)> change;
        QString message;
    };
    const QList<Case> cases{
        {"unknown kind", [](SaleReceipt&, CloseReceiptInput& in) { in.kind = 0; },
         QStringLiteral(" При работе программы произошел сбой:     \r\n 'некорректный признак расчета'.     \r\n\r\n"
                        " Перезапустите программу и продолжите работу.") + tail},
        {"prepayment on a purchase",
         [](SaleReceipt&, CloseReceiptInput& in) {
             in.kind = 3;
             in.paymentFlag = 2;
         },
         QStringLiteral(" Признак способа расчета ''ПРЕДОПЛАТА'' не поддерживается     \r\n"
                        " для признака расчета ''РАСХОД''.     ")},
        {"unknown flag", [](SaleReceipt&, CloseReceiptInput& in) { in.paymentFlag = 7; },
         QStringLiteral(" При работе программы произошел сбой:     \r\n 'неизвестный признак способа расчета'.     \r\n\r\n"
                        " Перезапустите программу и продолжите работу.") + tail},
        {"ЕНВД",
         [](SaleReceipt&, CloseReceiptInput& in) {
             in.taxTag = 8;
             in.taxCaption = "ЕНВД";
         },
         QStringLiteral(" При работе программы произошел сбой:     \r\n 'некорректное значение СНО - ЕНВД'.     \r\n\r\n"
                        " Укажите требуемую СНО.") + tail},
        {"caption of another system", [](SaleReceipt&, CloseReceiptInput& in) { in.taxCaption = "Патент"; },
         QStringLiteral(" При работе программы произошел сбой:     \r\n"
                        " 'некорректное значение системы налогообложения (СНО)'.     \r\n\r\n Укажите требуемую СНО.") + tail},
        {"no tax system",
         [](SaleReceipt&, CloseReceiptInput& in) {
             in.taxTag = 0;
             in.taxCaption = "не указана";
         },
         QStringLiteral(" Не указана или некорректное значение СНО.     ")},
        {"marked goods on a purchase return",
         [](SaleReceipt& r, CloseReceiptInput& in) {
             in.kind = 4;
             r.model.setAttr(1, ReceiptModel::AttrMarkType, "4");
         },
         QStringLiteral(" Признак расчета 'ВОЗВРАТ РАСХОДА' для кассовых чеков,     \r\n"
                        " содержащих маркированный товар,     \r\n    НЕ ПОДДЕРЖИВАЕТСЯ!")},
        {"position without a name", [](SaleReceipt& r, CloseReceiptInput&) { r.model.setCell(2, ReceiptModel::ColName, " "); },
         QStringLiteral(" Позиция 2\r\n Отсутствует наименование товара/услуги.     ")},
        {"bad measure", [](SaleReceipt& r, CloseReceiptInput&) { r.model.setAttr(1, ReceiptModel::AttrMeasure, "7"); },
         QStringLiteral(" Позиция 1\r\n некорректное значение реквизита 'мера количества'.     ")},
        {"advance without buyer name",
         [](SaleReceipt&, CloseReceiptInput& in) {
             in.paymentFlag = 3;
             in.legalEntity = true;
         },
         QStringLiteral(" Не указано название покупателя.     ")},
        {"advance with a bad buyer INN",
         [](SaleReceipt&, CloseReceiptInput& in) {
             in.paymentFlag = 3;
             in.legalEntity = true;
             in.buyerName = "ООО Ромашка";
             in.buyerInn = "12345678901";
         },
         QStringLiteral(" Некорректный ИНН покупателя.     ")},
        {"marked goods with a bad ID",
         [](SaleReceipt& r, CloseReceiptInput&) {
             r.model.setAttr(2, ReceiptModel::AttrMarkType, "5");
             r.model.setCell(2, ReceiptModel::ColId, "x12");
         },
         QStringLiteral(" В работе программы произошел сбой:     \r\n 'некорректный ID товара в строке 2'.     \r\n\r\n"
                        " Перезапустите программу и продолжите работу.") + tail},
        {"marked work",
         [](SaleReceipt& r, CloseReceiptInput&) {
             r.model.setAttr(2, ReceiptModel::AttrMarkType, "5");
             r.model.setCell(2, ReceiptModel::ColSubject, "Р");
         },
         QStringLiteral(" Некорректный признак предмета расчета   \r\n для маркированного товара в строке 2:     "
                        " < Сыр >      Тип маркировки: '5'      Допустимые значения: 'Товар', 'Подакцизный товар'.     "
                        " Укажите в карточке товара корректное значение      реквизита 'признак предмета расчета'.     ")},
        {"sum that is no number",
         [](SaleReceipt& r, CloseReceiptInput&) { r.model.setCell(1, ReceiptModel::ColPrice, "5O.00"); },
         QStringLiteral(" При работе программы произошел сбой:     \r\n 'некорректная сумма в строке 1'.     \r\n\r\n"
                        " Перезапустите программу и продолжите работу.") + tail},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SaleReceipt r;
        CloseReceiptInput in = r.input();
        c.change(r, in);
        Questions q;
        const CloseReceiptResult result = CloseReceipt(in, VatScript().query(), q.confirm());
        EXPECT_EQ(result.outcome, CloseReceiptResult::Outcome::Stopped);
        EXPECT_EQ(result.message, c.message);
        EXPECT_TRUE(result.lines.isEmpty());
    }
}

TEST(CloseReceipt, LongNamesAreCutInTheMeasureMessageOfTheRowBuilder) {
    ReceiptModel m;
    const int row = addGoodPosition(m, good("1", QString(60, QChar(u'Ж')), "10.00", "нет", "1"), "10.00", Qty::units(1));
    m.setAttr(row, ReceiptModel::AttrMeasure, "99");
    ASSERT_TRUE(RecalcReceipt(m, ReceiptContext{"ПРИХОД", false}).ok());
    ReceiptLinesInput in;
    in.receipt = &m;
    in.taxSystemCode = 2;
    const ReceiptLinesResult r = buildReceiptLines(in, {}, {});
    EXPECT_EQ(r.message, QStringLiteral(" Не указано или указано некорректное значение      \r\n"
                                        " реквизита 'мера количества' для позиции:     \r\n < ") +
                             QString(47, QChar(u'Ж')) + QStringLiteral("... > (строка 1)    "));
}

TEST(CloseReceipt, NothingHappensForAZeroTotalOrAnotherDocument) {
    ReceiptModel empty;
    CloseReceiptInput in;
    in.kind = 1;
    in.taxTag = 1;
    in.taxCaption = "ОСН (общая)";
    in.receipt = &empty;
    Questions q;
    EXPECT_EQ(CloseReceipt(in, {}, q.confirm()).outcome, CloseReceiptResult::Outcome::Nothing);

    SaleReceipt r;
    CloseReceiptInput correction = r.input();
    correction.documentType = 31;
    EXPECT_EQ(CloseReceipt(correction, {}, q.confirm()).outcome, CloseReceiptResult::Outcome::Nothing);
    EXPECT_TRUE(q.asked.isEmpty());
}

TEST(CloseReceipt, PrepaymentAndAdvanceAskFirstAndNoStops) {
    SaleReceipt r;
    Questions q;
    q.answer = false;
    EXPECT_EQ(CloseReceipt(r.input(PayPrepayPartial), VatScript().query(), q.confirm()).outcome,
              CloseReceiptResult::Outcome::Cancelled);
    EXPECT_EQ(CloseReceipt(r.input(PayAdvance), VatScript().query(), q.confirm()).outcome,
              CloseReceiptResult::Outcome::Cancelled);
    ASSERT_EQ(q.asked.size(), 2);
    EXPECT_EQ(q.asked[0], QStringLiteral(" Установлен признак способа расчета ''ПРЕДОПЛАТА''.     \r\n\r\n"
                                         " Этот признак будет указан для всех позиций в кассовом чеке.     \r\n\r\n"
                                         " Продолжить? "));
    EXPECT_EQ(q.asked[1], QStringLiteral(" Установлен признак способа расчета ''АВАНС''.     \r\n\r\n"
                                         " Кассовый чек будет содержать только одну позицию без наименования     \r\n"
                                         " на сумму 169.00\r\n\r\n Продолжить? "));
}

TEST(CloseReceipt, AdvanceToABuyerWithoutInnAsksWhetherToGoOn) {
    SaleReceipt r;
    CloseReceiptInput in = r.input(PayAdvance, 2);
    in.legalEntity = true;
    in.buyerName = "ООО Ромашка";
    Questions q;
    q.answer = true;
    const CloseReceiptResult result = CloseReceipt(in, {}, q.confirm());
    ASSERT_EQ(result.outcome, CloseReceiptResult::Outcome::ReadyToPay);
    ASSERT_EQ(q.asked.size(), 2);
    EXPECT_EQ(q.asked[1], QStringLiteral(" Не указан ИНН покупателя.     \r\n\r\n Всё равно продолжить?     "));
    EXPECT_EQ(result.lines[0][LineVat], "6");
}

TEST(CloseReceipt, PaymentWindowCaptionFollowsTheKind) {
    EXPECT_EQ(payWindowCaption(1), " Расчет с покупателем (ПРИХОД)");
    EXPECT_EQ(payWindowCaption(2), " ВОЗВРАТ ПРИХОДА");
    EXPECT_EQ(payWindowCaption(3), " Расчет с клиентом (РАСХОД)");
    EXPECT_EQ(payWindowCaption(4), " ВОЗВРАТ РАСХОДА");
    EXPECT_EQ(payWindowCaption(5), "");
}

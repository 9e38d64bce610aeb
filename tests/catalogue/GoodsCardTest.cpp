#include "CatalogueTestSupport.h"

#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueLogic.h"
#include "catalogue/uGoodEdit.h"

#include "core/RefLists.h"
#include "support/FakeMessages.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace catalogue;
using cataloguetest::CatalogueDbTest;

namespace {

class GoodsCardTest : public CatalogueDbTest {
protected:
    // A new card, every required field filled; the test spoils one.
    std::unique_ptr<TfmGoodEdit> newCard(std::int64_t id, QString filter = {}) {
        auto card = std::make_unique<TfmGoodEdit>(
            db(), CardContext{std::move(filter), [this](std::int64_t id, std::int64_t) { refreshed << id; }});
        card->setTag(1);
        card->prepareNew(id, 0, {});
        card->edGoodName->setText(QStringLiteral("Товар"));
        card->edGoodPrice->setText(QStringLiteral("1"));
        card->cmbEdIzm->setCurrentIndex(core::findCodeItem(card->cmbEdIzm, 0));
        return card;
    }
    void setBarcode(TfmGoodEdit& card, int row, const QString& text) {
        if (card.sgBarcodeGrid->rowCount() <= row) card.sgBarcodeGrid->setRowCount(row + 1);
        card.sgBarcodeGrid->setItem(row, 0, new QTableWidgetItem(text));
    }

    testsupport::FakeMessages messages;
    QList<std::int64_t> refreshed;
};

}  // namespace

TEST_F(GoodsCardTest, ChecksRefuseBadInputAndLeaveTheCardOpen) {
    goods(7, QStringLiteral("Чай"));
    barcode(7, QStringLiteral("4607"));
    struct Case {
        const char* what;
        std::function<void(TfmGoodEdit&)> spoil;
        QString message;
    };
    const std::vector<Case> cases = {
        {"id 0", [](TfmGoodEdit& c) { c.edGoodID->setText(QStringLiteral("0")); }, kBadIdText},
        {"id -5", [](TfmGoodEdit& c) { c.edGoodID->setText(QStringLiteral("-5")); }, kBadIdText},
        {"id 12a", [](TfmGoodEdit& c) { c.edGoodID->setText(QStringLiteral("12a")); }, kBadIdText},
        {"duplicate", [this](TfmGoodEdit& c) { setBarcode(c, 0, QStringLiteral("46 07")); },
         duplicateBarcodeMessage(QStringLiteral("4607"), 7, QStringLiteral("Чай"))},
        {"no unit", [](TfmGoodEdit& c) { c.cmbEdIzm->setCurrentIndex(-1); }, kNoUnitText},
        {"price", [](TfmGoodEdit& c) { c.edGoodPrice->setText(QStringLiteral("1.2.3")); }, kBadPriceText},
        {"marked service",
         [](TfmGoodEdit& c) {
             c.cmbMarkingType->setCurrentIndex(core::findCodeItem(c.cmbMarkingType, 4));
             c.cmbGoodType->setCurrentIndex(3);
         },
         kindForMarkedText()},
    };
    for (const Case& c : cases) {
        auto card = newCard(8);
        c.spoil(*card);
        messages.clear();
        card->btnOKClick();
        EXPECT_EQ(messages.last(), c.message) << c.what;
        EXPECT_EQ(card->result(), 0) << c.what;
        EXPECT_EQ(column(8, QStringLiteral("GOOD_NAME")), QStringLiteral("<none>")) << c.what;
    }
}

TEST_F(GoodsCardTest, PackCountShowsForMarkedPieceGoodsInFractionsAndIsDroppedWhenHidden) {
    auto card = newCard(8);
    card->show();
    card->cmbMarkingType->setCurrentIndex(core::findCodeItem(card->cmbMarkingType, 4));
    auto* caption = card->findChild<QLabel*>(QStringLiteral("lblPackCount"));
    ASSERT_TRUE(caption);
    EXPECT_EQ(caption->text(), QStringLiteral("Кол-во в упаковке"));
    EXPECT_FALSE(card->edPackCount->isVisible());
    EXPECT_FALSE(caption->isVisible());
    card->chW->click();
    EXPECT_TRUE(card->edPackCount->isVisible());
    EXPECT_TRUE(caption->isVisible());
    card->edPackCount->setText(QStringLiteral("20"));
    card->chW->click();
    EXPECT_FALSE(card->edPackCount->isVisible());
    EXPECT_FALSE(caption->isVisible());
    EXPECT_TRUE(card->edPackCount->text().isEmpty());

    // Ticked again and left empty: the question, and OK stores null.
    card->chW->click();
    messages.answer(ui::Answer::Ok);   // the pack-count question (OK / ОТМЕНА): leave as is
    messages.answer(ui::Answer::Yes);  // "Сохранить данные?"
    card->btnOKClick();
    EXPECT_EQ(messages.boxes.front().text, packCountQuestion());
    EXPECT_EQ(column(8, QStringLiteral("GOOD_W")), QStringLiteral("да"));
    EXPECT_EQ(column(8, QStringLiteral("GOOD_MARKTYPE")), QStringLiteral("4"));
    EXPECT_EQ(column(8, QStringLiteral("GOOD_PACKCOUNT")), QString());
}

TEST_F(GoodsCardTest, NameMissingTheFilterIsSavedAfterConfirmationWithoutRefresh) {
    auto card = newCard(8, QStringLiteral("молоко"));
    card->edGoodName->setText(QStringLiteral("O'Neil"));
    messages.answer(ui::Answer::Yes);
    messages.answer(ui::Answer::Yes);
    card->btnOKClick();
    EXPECT_EQ(messages.texts(), (QStringList{QStringLiteral("Сохранить данные?       "), filterMismatchQuestion()}));
    EXPECT_EQ(column(8, QStringLiteral("GOOD_NAME")), QStringLiteral("O'Neil"));
    EXPECT_TRUE(refreshed.isEmpty());

    auto other = newCard(9);
    messages.answer(ui::Answer::Yes);
    other->btnOKClick();
    EXPECT_EQ(refreshed, QList<std::int64_t>{9});
}

TEST_F(GoodsCardTest, ChangedIdOntoAnExistingGoodsItemIsRefused) {
    goods(5, QStringLiteral("Пятый"));
    goods(6, QStringLiteral("Шестой"));
    TfmGoodEdit card(db(), CardContext{});
    card.setTag(2);
    card.prepareNew(5, 0, {});
    card.edGoodName->setText(QStringLiteral("Пятый"));
    card.edGoodPrice->setText(QStringLiteral("1"));
    card.cmbEdIzm->setCurrentIndex(core::findCodeItem(card.cmbEdIzm, 0));
    card.edGoodID->setText(QStringLiteral("6"));
    messages.answer(ui::Answer::Yes);
    card.btnOKClick();
    EXPECT_EQ(messages.last(), idTakenText(6));
    EXPECT_EQ(column(6, QStringLiteral("GOOD_NAME")), QStringLiteral("Шестой"));
    EXPECT_EQ(card.result(), 0);
}

TEST_F(GoodsCardTest, ChangedIdKeepsItsBarcodesAndIsRefusedWhileHistoryRefersToTheOldOne) {
    goods(6, QStringLiteral("Сыр Российский"));
    barcode(6, QStringLiteral("00123"));
    goods(11, QStringLiteral("Молоко 2,5% 1л"));
    auto changeId = [&](int from, int to, const QStringList& codes) {
        TfmGoodEdit card(db(), CardContext{});
        card.setTag(2);
        card.prepareNew(from, 0, {});
        card.edGoodName->setText(column(from, QStringLiteral("GOOD_NAME")));
        card.edGoodPrice->setText(QStringLiteral("1"));
        card.cmbEdIzm->setCurrentIndex(core::findCodeItem(card.cmbEdIzm, 0));
        for (int i = 0; i < codes.size(); ++i) setBarcode(card, i, codes[i]);
        card.edGoodID->setText(QString::number(to));
        messages.answer(ui::Answer::Yes);
        card.btnOKClick();
        return card.result();
    };
    const struct {
        const char* insert;
        const char* remove;
        IdUse use;
    } uses[] = {
        {"INSERT INTO DOCUMENTS_DETAIL (DD_DOC_ID, DD_GOOD_ID, DD_GOOD_NAME) VALUES (1, 11, 'Молоко')",
         "DELETE FROM DOCUMENTS_DETAIL", IdUse::DocumentLines},
        {"INSERT INTO PORTIONS (P_DOC_ID, P_GOOD_ID, P_GOOD_COUNT, P_CONFIRM) VALUES (1, 11, '5', 1)",
         "DELETE FROM PORTIONS", IdUse::Lots},
        {"INSERT INTO GOODS_TEMP (G_ID, G_NAME) VALUES (11, 'Молоко')", "DELETE FROM GOODS_TEMP", IdUse::WorkingList},
    };
    for (const auto& u : uses) {
        SCOPED_TRACE(u.insert);
        exec(QString::fromUtf8(u.insert));
        EXPECT_EQ(changeId(11, 9, {}), 0);
        EXPECT_EQ(messages.last(), idInUseText(11, u.use));
        EXPECT_EQ(column(11, QStringLiteral("GOOD_NAME")), QStringLiteral("Молоко 2,5% 1л"));
        exec(QString::fromUtf8(u.remove));
    }
    // Without history the code moves, and the card's own barcode is no
    // duplicate of itself.
    EXPECT_EQ(changeId(6, 60, {QStringLiteral("00123")}), QDialog::Accepted);
    EXPECT_EQ(column(60, QStringLiteral("GOOD_NAME")), QStringLiteral("Сыр Российский"));
    EXPECT_EQ(barcodesOf(60), QStringList{QStringLiteral("00123")});
    EXPECT_TRUE(barcodesOf(6).isEmpty());
}

TEST_F(GoodsCardTest, CodesTheOpenReceiptOrTheHistoryNameStayWithTheirItem) {
    goods(11, QStringLiteral("Йогурт"));
    // The receipt on the main screen holds Yogurt.
    setOpenReceiptGoods([](std::int64_t id) { return id == 11; });
    TfmGoodEdit card(db(), CardContext{});
    card.setTag(2);
    card.prepareNew(11, 0, {});
    card.edGoodName->setText(QStringLiteral("Йогурт"));
    card.edGoodPrice->setText(QStringLiteral("1"));
    card.cmbEdIzm->setCurrentIndex(core::findCodeItem(card.cmbEdIzm, 0));
    card.edGoodID->setText(QStringLiteral("150"));
    messages.answer(ui::Answer::Yes);
    card.btnOKClick();
    setOpenReceiptGoods({});
    EXPECT_EQ(messages.last(), idInUseText(11, IdUse::OpenReceipt));
    EXPECT_EQ(card.result(), 0);
    EXPECT_EQ(column(150, QStringLiteral("GOOD_NAME")), QStringLiteral("<none>"));

    // A stock document still names 3, whose item was deleted long ago: a
    // new item typed with that code is refused.
    exec(QStringLiteral("INSERT INTO DOCUMENTS (DOC_ID, DOC_TYPE) VALUES (7, 51)"));
    exec(QStringLiteral("INSERT INTO DOCUMENTS_DETAIL (DD_DOC_ID, DD_GOOD_ID, DD_GOOD_NAME) VALUES (7, 3, 'Молоко')"));
    auto fresh = newCard(3);
    messages.answer(ui::Answer::Yes);
    fresh->btnOKClick();
    EXPECT_EQ(messages.last(), idNamedByHistoryText(3, IdUse::StockLines));
    EXPECT_EQ(fresh->result(), 0);
    EXPECT_EQ(column(3, QStringLiteral("GOOD_NAME")), QStringLiteral("<none>"));
}

TEST_F(GoodsCardTest, FailedBarcodeSaveShowsItsMessageAndChangesNothing) {
    goods(5, QStringLiteral("Прежнее"), 0, QStringLiteral("3.00"));
    barcode(5, QStringLiteral("111"));
    TfmGoodEdit card(db(), CardContext{});
    card.setTag(2);
    card.prepareNew(5, 0, {});
    card.edGoodName->setText(QStringLiteral("Новое"));
    card.edGoodPrice->setText(QStringLiteral("4"));
    card.cmbEdIzm->setCurrentIndex(core::findCodeItem(card.cmbEdIzm, 0));
    setBarcode(card, 0, QString(40, QLatin1Char('9')));
    messages.answer(ui::Answer::Yes);
    card.btnOKClick();
    EXPECT_TRUE(messages.last().startsWith(QStringLiteral("Ошибка сервера при обработке штрихкодов")));
    EXPECT_EQ(column(5, QStringLiteral("GOOD_NAME")), QStringLiteral("Прежнее"));
    EXPECT_EQ(barcodesOf(5), QStringList{QStringLiteral("111")});
}

TEST_F(GoodsCardTest, PrefillKeepsStoredValuesTheListsDoNotShow) {
    exec(
        QStringLiteral("INSERT INTO QUANTITYMEASURESUSED (QMU_ORDERNUMBER, QMU_PRINTVALUE, QMU_FFDVALUE) "
                       "VALUES (1, 'шт', 0)"));
    exec(
        QStringLiteral("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_EDIZM, "
                       "GOOD_EDIZM_FFD, GOOD_NALOG, GOOD_ISGOOD, GOOD_PARENTGROUP, GOOD_COUNTRY_CODE, GOOD_MARKTYPE) "
                       "VALUES (5, 'Сыр', '10.00', ' Да ', 'СПР', 'кг', 11, 'x', 1, 0, '999', 7)"));
    const GoodsListQuery q = buildGoodsListQuery(0, true, {}, NameFilter::Contains);
    fb::Transaction tr(db());
    const auto row = fb::queryOne(tr, q.sql, {});
    tr.commit();
    ASSERT_TRUE(row);

    TfmGoodEdit card(db(), CardContext{});
    card.setTag(2);
    card.fillFromRow(*row, 5, 0, {}, {QStringLiteral("111"), QStringLiteral("222")});
    EXPECT_EQ(card.cmbEdIzm->currentText(), QStringLiteral("кг"));
    EXPECT_EQ(card.cmbEdIzm->currentData().toInt(), 11);
    EXPECT_TRUE(card.chW->isChecked());
    EXPECT_EQ(card.cmbNalog->currentData().toInt(), 6);
    EXPECT_EQ(card.cmbGoodType->currentText(), QStringLiteral("СПР"));
    EXPECT_EQ(card.cmbMarkingType->currentData().toInt(), 7);
    EXPECT_EQ(fieldTag(card.edCountry), 999);
    EXPECT_EQ(card.barcodes(), (QStringList{QStringLiteral("111"), QStringLiteral("222")}));
    EXPECT_EQ(card.sgBarcodeGrid->horizontalHeaderItem(0)->text(), QStringLiteral("ШК/Код вес.товара"));
    EXPECT_EQ(card.btnRecAdd->toolTip(), QStringLiteral("Добавить 'ШК EAN/код весового товара'"));

    card.chW->click();
    EXPECT_EQ(card.sgBarcodeGrid->horizontalHeaderItem(0)->text(), QStringLiteral("Штрихкоды"));
    EXPECT_EQ(card.btnRecDel->toolTip(), QStringLiteral("Удалить штрихкод"));
    card.chW->click();
    EXPECT_EQ(card.btnRecAdd->toolTip(), QStringLiteral("Добавить 'ШК/код весового товара'"));

    // A kept kind is still checked against the mark type.
    card.btnOKClick();
    EXPECT_EQ(messages.last(), kindForMarkedText());
    card.cmbGoodType->setCurrentIndex(1);
    messages.answer(ui::Answer::Yes);
    card.btnOKClick();
    EXPECT_EQ(card.result(), QDialog::Accepted) << messages.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(column(5, QStringLiteral("GOOD_TYPE")), QStringLiteral("АТ"));
    EXPECT_EQ(column(5, QStringLiteral("GOOD_MARKTYPE")), QStringLiteral("7"));
    EXPECT_EQ(column(5, QStringLiteral("GOOD_COUNTRY_CODE")), QStringLiteral("999"));
    EXPECT_EQ(column(5, QStringLiteral("GOOD_EDIZM_FFD")), QStringLiteral("11"));
    EXPECT_EQ(column(5, QStringLiteral("GOOD_NALOG")), QStringLiteral("6"));
    EXPECT_EQ(column(5, QStringLiteral("GOOD_W")), QStringLiteral("да"));
}

TEST_F(GoodsCardTest, IdUnlocksOnlyByADoubleClickOnItsCaption) {
    auto card = newCard(8);
    card->show();
    EXPECT_FALSE(card->edGoodID->isEnabled());
    QTest::mouseDClick(card->lblIdCaption, Qt::LeftButton);
    EXPECT_TRUE(card->edGoodID->isEnabled());
    card->edGoodName->setFocus();
    QApplication::processEvents();
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(card->edGoodID, &out);
    EXPECT_FALSE(card->edGoodID->isEnabled());
}

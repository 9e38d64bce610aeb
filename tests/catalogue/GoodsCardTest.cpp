#include "CatalogueTestSupport.h"

#include "catalogue/CatalogueLogic.h"
#include "catalogue/uGoodEdit.h"

#include "core/RefLists.h"
#include "support/FakeMessages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>

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
    EXPECT_FALSE(card->edPackCount->isVisible());
    card->chW->click();
    EXPECT_TRUE(card->edPackCount->isVisible());
    card->edPackCount->setText(QStringLiteral("20"));
    card->chW->click();
    EXPECT_FALSE(card->edPackCount->isVisible());
    EXPECT_TRUE(card->edPackCount->text().isEmpty());

    // Ticked again and left empty: the question, and OK stores null.
    card->chW->click();
    messages.answer(ui::Answer::Yes);  // the pack-count question: leave as is
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

// The unit-of-measure question: its modal result, the list's effect on
// "сохранить в карточке товара", and the question asked on a refund.
#include "archive/uQueryEdizm.h"

#include "core/RefLists.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "support/UpgradedDbFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QList<core::CodeItem> allUnits() {
    return core::unitRefListItems({});
}

int indexOfCode(QComboBox* list, int code) {
    return list->findData(code);
}

}  // namespace

TEST(UnitQueryWindow, ResultIsTwentyPlusTheChosenCode) {
    for (int code : {0, 11, 255}) {
        QPointer<TfmQueryEdizm> w = new TfmQueryEdizm(allUnits);
        w->show();
        ASSERT_EQ(w->cmbEdizm->currentIndex(), -1) << "nothing is chosen in advance";
        const int index = indexOfCode(w->cmbEdizm, code);
        ASSERT_GE(index, 0) << code;
        w->cmbEdizm->setCurrentIndex(index);
        ASSERT_TRUE(w->CheckBox1->isEnabled());
        w->CheckBox1->setChecked(true);
        QTest::mouseClick(w->findChild<QPushButton*>("btnApply"), Qt::LeftButton);
        EXPECT_EQ(w->result(), 20 + code);
        EXPECT_EQ(archive::unitFromModalResult(w->result()), code);
        EXPECT_TRUE(w->saveToCard);
        EXPECT_EQ(w->chosenText, w->cmbEdizm->itemText(index));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(w.isNull()) << "a window that frees itself on close is gone";
    }
}

TEST(UnitQueryWindow, ApplyWithNothingChosenKeepsTheWindowOpen) {
    TfmQueryEdizm w(allUnits);
    w.freeOnClose = false;
    w.show();
    QTest::mouseClick(w.findChild<QPushButton*>("btnApply"), Qt::LeftButton);
    EXPECT_TRUE(w.isVisible());
    QTest::mouseClick(w.findChild<QPushButton*>("btnCancel"), Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), QDialog::Rejected);
    EXPECT_EQ(archive::unitFromModalResult(w.result()), std::nullopt);
}

TEST(UnitQueryWindow, ClearingTheChoiceUnchecksAndDisablesSaving) {
    TfmQueryEdizm w(allUnits);
    w.freeOnClose = false;
    w.show();
    EXPECT_FALSE(w.CheckBox1->isEnabled());
    w.cmbEdizm->setCurrentIndex(0);
    w.CheckBox1->setChecked(true);
    w.cmbEdizm->setCurrentIndex(-1);
    EXPECT_FALSE(w.CheckBox1->isChecked());
    EXPECT_FALSE(w.CheckBox1->isEnabled());
}

TEST(UnitQueryRules, ValidCodesNameLabelAndResults) {
    struct Case {
        std::optional<int> code;
        bool valid;
    };
    for (const Case& c : std::vector<Case>{{0, true},
                                           {10, true},
                                           {83, true},
                                           {255, true},
                                           {std::nullopt, false},
                                           {1, false},
                                           {60, false},
                                           {84, false},
                                           {-1, false},
                                           {256, false}})
        EXPECT_EQ(archive::isValidUnitCode(c.code), c.valid) << (c.code ? *c.code : -100);

    const QString n45(45, QChar(u'я'));
    const QString n46(46, QChar(u'я'));
    EXPECT_EQ(archive::unitQueryNameLabel("Хлеб"), "  < Хлеб >");
    EXPECT_EQ(archive::unitQueryNameLabel(n45), "  < " + n45 + " >");
    EXPECT_EQ(archive::unitQueryNameLabel(n46), "  < " + n46.left(42) + "... >");

    EXPECT_EQ(archive::unitFromModalResult(QDialog::Rejected), std::nullopt);
    EXPECT_EQ(archive::unitFromModalResult(20), 0);
    EXPECT_EQ(archive::unitFromModalResult(21), std::nullopt) << "1 is no unit";
}

TEST(UnitQueryRules, OneWindowAnswersSeveralQuestionsWithoutSaving) {
    archive::WindowUnitQuery query(allUnits, nullptr);
    std::vector<std::optional<int>> answers;
    for (int code : {12, -1}) {
        QTimer::singleShot(0, [code] {
            ASSERT_NE(fmQueryEdizm, nullptr);
            EXPECT_FALSE(fmQueryEdizm->CheckBox1->isVisible());
            EXPECT_EQ(fmQueryEdizm->lblStr1->text(), " В выбранном чеке у позиции :");
            EXPECT_EQ(fmQueryEdizm->lblGoodName->text(), "  < Сыр >");
            if (code < 0) {
                fmQueryEdizm->btnCancelClick();
                return;
            }
            fmQueryEdizm->cmbEdizm->setCurrentIndex(fmQueryEdizm->cmbEdizm->findData(code));
            fmQueryEdizm->btnApplyClick();
        });
        answers.push_back(query.ask(" В выбранном чеке у позиции :", "Сыр"));
    }
    EXPECT_EQ(answers, (std::vector<std::optional<int>>{12, std::nullopt}));
}

namespace {
class UnitCardTest : public testsupport::UpgradedDbTest {};
}  // namespace

TEST_F(UnitCardTest, TheChosenUnitIsWrittenIntoTheGoodsCardBound) {
    {
        fb::Transaction tr(db());
        fb::execute(tr,
                    "INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD, GOOD_PARENTGROUP) VALUES (5, 'Мука', 1, 0)");
        fb::execute(tr,
                    "INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD, GOOD_PARENTGROUP) VALUES (6, 'Соль', 1, 0)");
        tr.commit();
    }
    EXPECT_TRUE(archive::saveUnitToGoodsCard(db(), 5, "к'г", 11));
    fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
    const auto five = fb::queryOne(tr, "SELECT GOOD_EDIZM, GOOD_EDIZM_FFD FROM GOODS WHERE GOOD_ID=5");
    ASSERT_TRUE(five);
    EXPECT_EQ(fb::toString(five->at(0)), "к'г") << "a quote is stored as typed";
    EXPECT_EQ(fb::toString(five->at(1)), "11");
    const auto six = fb::queryOne(tr, "SELECT GOOD_EDIZM_FFD FROM GOODS WHERE GOOD_ID=6");
    ASSERT_TRUE(six);
    EXPECT_TRUE(fb::isNull(six->at(0))) << "only the chosen goods change";
}

// The stock documents list: which documents it shows for a kind and dates,
// in what order and how, and what its commands open.
#include "StockTestSupport.h"

#include "stock/StockDocuments.h"
#include "stock/uDocGoodMoveList.h"
#include "stock/uInventory.h"
#include "support/FakeMessages.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDateEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QtTest/QTest>

#include <memory>

namespace {

class StockList : public stocktest::StockDbTest {
protected:
    std::unique_ptr<stock::TfmDocGoodMoveList> open(int tag) {
        auto w = std::make_unique<stock::TfmDocGoodMoveList>(params());
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        w->setTag(tag);
        w->show();
        return w;
    }
    template <class T>
    static T* child(QWidget* w, const char* name) {
        return w->findChild<T*>(QLatin1String(name));
    }
    static QStringList column(stock::TfmDocGoodMoveList& w, int col) {
        auto* grid = child<QTableView>(&w, "DBGrid1");
        QStringList out;
        for (int r = 0; r < grid->model()->rowCount(); ++r) out << grid->model()->index(r, col).data().toString();
        return out;
    }
    testsupport::FakeMessages messages;
};

TEST_F(StockList, GoodsReceiptsOfTheLastMonthNewestFirstWithTiesByHighestId) {
    const QDate today = QDate::currentDate();
    const int a = document(51, 1, today);
    const int b = document(51, 2, today, 2);
    const int c = document(51, 123, today.addDays(-10));
    document(51, 4, today.addMonths(-2));
    document(50, 5, today);
    document(53, 6, today);

    auto w = open(2);
    EXPECT_EQ(w->windowTitle(), "Складские документы. ПОСТУПЛЕНИЕ");
    EXPECT_EQ(w->kind(), 1);
    ASSERT_EQ(w->rowCount(), 3);
    EXPECT_EQ((std::vector<int>{w->docIdAt(0), w->docIdAt(1), w->docIdAt(2)}), (std::vector<int>{b, a, c}));
    EXPECT_EQ(column(*w, 1), (QStringList{" проведен", " сохранен", " сохранен"}));
    EXPECT_EQ(column(*w, 2), (QStringList{"000002", "000001", "000123"}));
    EXPECT_EQ(column(*w, 3).last(), today.addDays(-10).toString("dd.MM.yyyy"));
    EXPECT_TRUE(child<QTableView>(w.get(), "DBGrid1")->isColumnHidden(0));
}

TEST_F(StockList, AnotherKindRelistsWithoutChangingTheTagAndNewCreatesThatKind) {
    goods(1, "Хлеб", QStringLiteral("10"));
    document(51, 1, QDate::currentDate());
    document(53, 1, QDate::currentDate());
    auto w = open(2);
    ASSERT_EQ(w->rowCount(), 1);

    child<QRadioButton>(w.get(), "RadioGroup1_3")->click();
    EXPECT_EQ(w->tag(), 2);
    EXPECT_EQ(w->windowTitle(), "Складские документы. СПИСАНИЕ");
    ASSERT_EQ(w->rowCount(), 1);

    int editorKind = -1;
    QTimer::singleShot(0, [&] {
        stock::TfmInventory* ed = stock::fmInventory;
        if (!ed) return;
        editorKind = ed->kind();
        ed->addLine({1, "Хлеб", "", "шт", "10"});
        ed->btnSaveClick();
        ed->reject();
    });
    QTest::mouseClick(child<QPushButton>(w.get(), "btnNewDoc"), Qt::LeftButton);
    EXPECT_EQ(editorKind, stock::WriteOff);
    EXPECT_EQ(w->docIdToEdit(), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM DOCUMENTS WHERE DOC_TYPE=53 AND DOC_NUMBER=2"), 1);
    // The list shows the new document and stands on it.
    ASSERT_EQ(w->rowCount(), 2);
    auto* grid = child<QTableView>(w.get(), "DBGrid1");
    EXPECT_EQ(grid->model()->index(grid->currentIndex().row(), 2).data().toString(), "000002");
}

TEST_F(StockList, OpenHandsTheCurrentDocumentToTheEditor) {
    const int id = document(52, 9, QDate::currentDate());
    auto w = open(3);
    ASSERT_EQ(w->rowCount(), 1);
    int editorDoc = -1, editorNumber = -1;
    QTimer::singleShot(0, [&] {
        if (!stock::fmInventory) return;
        editorDoc = stock::fmInventory->docId();
        editorNumber = stock::fmInventory->number();
        stock::fmInventory->reject();
    });
    auto* grid = child<QTableView>(w.get(), "DBGrid1");
    grid->setCurrentIndex(grid->model()->index(0, 2));
    emit grid->doubleClicked(grid->model()->index(0, 2));
    EXPECT_EQ(editorDoc, id);
    EXPECT_EQ(editorNumber, 9);
}

TEST_F(StockList, DatesRelistOnlyWhenTheyChange) {
    auto w = open(4);
    EXPECT_EQ(w->rowCount(), 0);
    document(53, 1, QDate::currentDate().addDays(-40));
    auto* from = child<QDateEdit>(w.get(), "DateTimePicker1");
    from->setDate(from->date());
    EXPECT_EQ(w->rowCount(), 0);
    from->setDate(QDate::currentDate().addDays(-50));
    EXPECT_EQ(w->rowCount(), 1);

    // A from-date after the to-date lists nothing, and opening does nothing.
    from->setDate(QDate::currentDate().addDays(5));
    EXPECT_EQ(w->rowCount(), 0);
    EXPECT_FALSE(child<QPushButton>(w.get(), "btnOpenDoc")->isEnabled());
    w->btnOpenDocClick();
    EXPECT_EQ(stock::fmInventory, nullptr);
}

TEST_F(StockList, WithoutAKindNothingIsListedOrCreated) {
    document(49, 1, QDate::currentDate());
    document(50, 1, QDate::currentDate());
    for (int tag : {0, 5}) {
        auto w = open(tag);
        EXPECT_EQ(w->windowTitle(), "Складские документы. ");
        EXPECT_EQ(w->kind(), -1);
        EXPECT_EQ(w->rowCount(), 0);
        EXPECT_FALSE(child<QPushButton>(w.get(), "btnNewDoc")->isEnabled());
        child<QDateEdit>(w.get(), "DateTimePicker1")->setDate(QDate::currentDate().addYears(-1));
        EXPECT_EQ(w->rowCount(), 0);
        w->btnNewDocClick();
        EXPECT_EQ(stock::fmInventory, nullptr);
    }
}

}  // namespace

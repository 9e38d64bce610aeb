// The goods-check settings window on a real database.
#include "archive/GoodsCheck.h"
#include "archive/uPrintFormsSettings.h"

#include "ReportTestSupport.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "support/FakeMessages.h"
#include "support/UpgradedDbFixture.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace archive;

namespace {

class PrintFormsSettingsTest : public testsupport::UpgradedDbTest {
protected:
    TfmPrintFormsSettings* open(const QString& folder = reporttest::programFolder()) {
        auto* w = new TfmPrintFormsSettings(db(), folder);
        w->show();
        return w;
    }

    // A window closed with WA_DeleteOnClose goes at the next deferred delete.
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    testsupport::FakeMessages messages;
};

}  // namespace

TEST_F(PrintFormsSettingsTest, ShowsTheStoredRowAndSavesTheEditsTrimmed) {
    GoodsCheckSettings s;
    s.row1 = "ИП Петров";
    s.address = "ул. Мира, 2";
    s.prefix = "К";
    s.number = 41;
    GoodsCheckStore(db()).saveSettings(s);

    QPointer<TfmPrintFormsSettings> w = open();
    EXPECT_EQ(w->windowTitle(), "Настройки печатных форм");
    EXPECT_EQ(w->ed1String->text(), "ИП Петров");
    EXPECT_EQ(w->edAddress->text(), "ул. Мира, 2");
    EXPECT_EQ(w->edNumberPref->text(), "К");
    EXPECT_EQ(w->edNumberBegin->text(), "41");

    w->ed2String->setText("  ИНН 7700  ");
    w->edNumberPref->setText(" О'Н ");
    QTest::mouseClick(w->Button3, Qt::LeftButton);  // save, the window stays
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->isVisible());
    const GoodsCheckSettings saved = GoodsCheckStore(db()).settings();
    EXPECT_EQ(saved.row1, "ИП Петров");
    EXPECT_EQ(saved.row2, "ИНН 7700");
    EXPECT_EQ(saved.prefix, "О'Н");
    EXPECT_EQ(saved.number, 41);
    QTest::mouseClick(w->Button2, Qt::LeftButton);
    settle();
    EXPECT_FALSE(w);  // freed on close
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(PrintFormsSettingsTest, AStartNumberThatIsNoNumberStoresOne) {
    for (const QString text : {"", "0", "000"}) {
        SCOPED_TRACE(text.toStdString());
        QPointer<TfmPrintFormsSettings> w = open();
        w->edNumberBegin->setText(text);
        QTest::mouseClick(w->Button4, Qt::LeftButton);  // save and close
        settle();
        EXPECT_FALSE(w);
        EXPECT_EQ(GoodsCheckStore(db()).settings().number, 1);
        GoodsCheckSettings s;
        s.number = 9;
        GoodsCheckStore(db()).saveSettings(s);
    }
    // Letters never reach the edit, nor more digits than a number holds.
    QPointer<TfmPrintFormsSettings> w = open();
    w->edNumberBegin->clear();
    QTest::keyClicks(w->edNumberBegin, "1a2b34567890123");
    EXPECT_EQ(w->edNumberBegin->text(), "123456789");
    QTest::keyClicks(w->edNumberPref, "ABCDEFGHIJKLMN");
    EXPECT_EQ(w->edNumberPref->text().size(), 10);
    delete w;
}

TEST_F(PrintFormsSettingsTest, AFailedSaveIsToldAndTheWindowStays) {
    QPointer<TfmPrintFormsSettings> w = open();
    exec("DROP PROCEDURE GOODSCHECKSETTINGS_WRITE");
    w->ed1String->setText("ИП Петров");
    QTest::mouseClick(w->Button4, Qt::LeftButton);
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->isVisible());
    ASSERT_EQ(messages.boxes.size(), 1u);
    EXPECT_EQ(messages.boxes[0].icon, ui::Icon::Error);
    delete w;
}

TEST_F(PrintFormsSettingsTest, PreviewShowsTheHeaderAsTheEditsStand) {
    struct Case {
        QStringList rows;
        QString prefix, number, address;
        QString supplier, title, addressShown;
        bool second;
        double section;
    };
    const QString today = QDate::currentDate().toString("dd") + " ";
    const std::vector<Case> cases{
        {{"", "", ""}, "", "", "", "не указан", "Товарный чек № 1 от ", "не указан", false, 0.748},
        {{"ИП Петров", "", "ИНН 7700"},
         "К",
         "15",
         " ул. Мира ",
         "ИП Петров",
         "Товарный чек № К-15 от ",
         "ул. Мира",
         true,
         0.945},
    };
    for (const Case& c : cases) {
        QPointer<TfmPrintFormsSettings> w = open();
        w->ed1String->setText(c.rows[0]);
        w->ed2String->setText(c.rows[1]);
        w->ed3String->setText(c.rows[2]);
        w->edNumberPref->setText(c.prefix);
        w->edNumberBegin->setText(c.number);
        w->edAddress->setText(c.address);
        QTest::mouseClick(w->Button1, Qt::LeftButton);
        const report::Report* r = w->previewReport();
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->find("txtSupplier1S")->text, c.supplier);
        EXPECT_TRUE(r->find("txtHead")->text.startsWith(c.title + today)) << r->find("txtHead")->text.toStdString();
        EXPECT_EQ(r->find("txtAddress")->text, c.addressShown);
        EXPECT_EQ(r->contains("txtSupplier2S"), c.second);
        EXPECT_FALSE(r->contains("txtSupplier3S"));
        EXPECT_DOUBLE_EQ(r->find("Section1")->top, c.section);
        EXPECT_FALSE(w->RvRenderPreview1->pixmap().isNull());
        EXPECT_TRUE(w->Label1->isHidden());
        delete w;
    }
    // Nothing was saved by previewing.
    EXPECT_FALSE(GoodsCheckStore(db()).settings().exists);
}

TEST_F(PrintFormsSettingsTest, PreviewWithoutItsProjectOrReportSaysSo) {
    QTemporaryDir empty;
    QPointer<TfmPrintFormsSettings> w = open(empty.path());
    QTest::mouseClick(w->Button1, Qt::LeftButton);
    EXPECT_EQ(messages.texts(), QStringList{"Не найден файл шаблонов.     "});
    delete w;

    QDir(empty.path()).mkpath("reports");
    QFile f(report::projectPath(empty.path()));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(R"({"reports": [{"name": "GoodsCheck"}]})");
    f.close();
    messages.clear();
    w = open(empty.path());
    QTest::mouseClick(w->Button1, Qt::LeftButton);
    EXPECT_TRUE(messages.boxes.empty());
    EXPECT_FALSE(w->Label1->isHidden());
    EXPECT_EQ(w->Label1->text(), "не найден шаблон для просмотра шапки товарного чека");
    EXPECT_EQ(w->previewReport(), nullptr);
    delete w;
}

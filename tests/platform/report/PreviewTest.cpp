#include "ReportTestSupport.h"
#include "platform/report/PrintSetupDialog.h"
#include "platform/report/ReportPreview.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

report::Report inventorySheet(int lines) {
    report::Report r = reporttest::shippedReport("InventoryList");
    report::DataSet rows({"G_ID", "G_NAME", "G_PRICE"});
    for (int i = 0; i < lines; ++i) rows.addRow({QString::number(i), "Товар", "1.000"});
    r.bindData("RvDataSetConn_Inventory", rows);
    return r;
}

template <class W>
W* child(QWidget* parent, const char* name) {
    W* w = parent->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

}  // namespace

TEST(ReportPreview, OpensAtTheCallersCaptionSizeAndZoomAndTurnsPages) {
    report::PreviewOptions options;
    options.title = "Печать ценников";
    options.zoomPercent = 150;
    options.width = 820;
    options.height = 620;
    report::ReportPreview preview(inventorySheet(150), options);
    preview.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));

    EXPECT_EQ(preview.windowTitle(), "Печать ценников");
    EXPECT_EQ(preview.size(), QSize(820, 620));
    EXPECT_EQ(child<QComboBox>(&preview, "cbZoom")->currentData().toInt(), 150);
    ASSERT_GT(preview.pageCount(), 2);
    auto* label = child<QLabel>(&preview, "lblPage");
    EXPECT_EQ(label->text(), QString("Стр. 1 из %1").arg(preview.pageCount()));

    // The page is drawn at the zoom: an A4 width at 150 % of the screen's
    // resolution.
    auto* image = child<QLabel>(&preview, "lblPageImage");
    const int width150 = image->pixmap().width();
    EXPECT_NEAR(width150, 8.27 * preview.logicalDpiX() * 1.5, 2);

    QTest::mouseClick(child<QPushButton>(&preview, "btnNext"), Qt::LeftButton);
    EXPECT_EQ(preview.currentPage(), 1);
    QTest::mouseClick(child<QPushButton>(&preview, "btnLast"), Qt::LeftButton);
    EXPECT_EQ(preview.currentPage(), preview.pageCount() - 1);
    EXPECT_FALSE(child<QPushButton>(&preview, "btnNext")->isEnabled());
    QTest::keyClick(&preview, Qt::Key_Home);
    EXPECT_EQ(preview.currentPage(), 0);
    EXPECT_FALSE(child<QPushButton>(&preview, "btnPrior")->isEnabled());

    auto* zoom = child<QComboBox>(&preview, "cbZoom");
    zoom->setCurrentIndex(zoom->findData(75));
    EXPECT_EQ(preview.zoom(), 75);
    EXPECT_NEAR(image->pixmap().width(), width150 / 2.0, 2);
}

TEST(ReportPreview, PrintCommandOpensPrintSetupWithItsCaptionsAndTellsTheCaller) {
    for (const bool rangeEnabled : {true, false}) {
        SCOPED_TRACE(rangeEnabled);
        int told = 0;
        report::PreviewOptions options;
        options.title = "Товарный чек";
        options.zoomPercent = 90;
        options.printRangeEnabled = rangeEnabled;
        options.onPrintSetupOpened = [&] { ++told; };
        report::Report r = reporttest::shippedReport("GoodsCheck");
        r.bindData("RvDataSetConnDM", reporttest::goodsCheckLines(5));
        r.setCopies(3);
        report::ReportPreview preview(r, options);
        QSignalSpy opened(&preview, &report::ReportPreview::printSetupOpened);
        preview.show();

        bool inspected = false;
        QTimer::singleShot(0, [&] {
            auto* setup = qobject_cast<report::PrintSetupDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(setup, nullptr);
            inspected = true;
            EXPECT_EQ(setup->windowTitle(), "Параметры печати");
            auto* cancel = child<QPushButton>(setup, "btnCancel");
            EXPECT_EQ(cancel->text(), "ОТМЕНА");
            EXPECT_EQ(cancel->font().pointSize(), 8);
            EXPECT_EQ(child<QPushButton>(setup, "btnSetup")->text(), "НАСТР.");
            EXPECT_EQ(child<QGroupBox>(setup, "gbPrinter")->title(), " Текущий принтер ");
            EXPECT_EQ(child<QGroupBox>(setup, "gbRange")->isEnabled(), rangeEnabled);
            EXPECT_EQ(setup->copies(), 3);
            // Told before the user decides: cancelling still counts.
            EXPECT_EQ(told, 1);
            QTest::mouseClick(cancel, Qt::LeftButton);
        });
        QTest::mouseClick(child<QPushButton>(&preview, "btnPrint"), Qt::LeftButton);
        EXPECT_TRUE(inspected);
        EXPECT_EQ(told, 1);
        EXPECT_EQ(opened.count(), 1);
        EXPECT_TRUE(preview.isVisible());
    }
}

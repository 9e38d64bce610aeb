#include "ReportTestSupport.h"
#include "platform/report/PreviewRecorder.h"
#include "stock/InventoryPrint.h"
#include "support/FakeMessages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QList<stock::InventorySheetLine> sheetLines(int count) {
    QList<stock::InventorySheetLine> lines;
    for (int i = 1; i <= count; ++i)
        lines.append({QString::number(100 + i), QStringLiteral("Товар %1").arg(i), "Россия", "шт",
                      QStringLiteral("%1.000").arg(i), QStringLiteral("%1.000").arg(i + 1)});
    return lines;
}

void writeProject(const QString& folder, const QByteArray& text) {
    QDir(folder).mkpath("reports");
    QFile f(report::projectPath(folder));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

}  // namespace

TEST(InventoryPrint, MissingFileOrReportIsToldWithTheSheetsOwnTexts) {
    struct Case {
        const char* what;
        QByteArray project;  // empty: no file at all
        QString message;
    };
    const std::vector<Case> cases{
        {"no project file", {}, "Не найден файл с шаблоном 'Инвентаризационная ведомость'.    "},
        {"unreadable project", "not a project", "Не найден файл с шаблоном 'Инвентаризационная ведомость'.    "},
        {"project without the sheet", R"({"reports": [{"name": "GoodsCheck"}]})",
         "Не найден шаблон 'Инвентаризационная ведомость'.    "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        if (!c.project.isEmpty()) writeProject(dir.path(), c.project);
        testsupport::FakeMessages messages;
        report::PreviewRecorder previews;
        EXPECT_FALSE(stock::printInventorySheet(nullptr, dir.path(), "вся номенклатура", sheetLines(3)));
        ASSERT_EQ(messages.boxes.size(), 1u);
        EXPECT_EQ(messages.boxes.front().text, c.message);
        EXPECT_EQ(messages.boxes.front().icon, ui::Icon::Error);
        EXPECT_TRUE(previews.shown.empty());
    }
}

TEST(InventoryPrint, ShowsTheLinesUnderTheGroupLabel) {
    testsupport::FakeMessages messages;
    report::PreviewRecorder previews;
    const auto lines = sheetLines(60);
    ASSERT_TRUE(stock::printInventorySheet(nullptr, reporttest::programFolder(), "Молочные продукты, включая подгруппы",
                                           lines));
    EXPECT_TRUE(messages.boxes.empty());
    ASSERT_EQ(previews.shown.size(), 1u);
    const report::Report& sheet = previews.shown.front().report;
    EXPECT_EQ(sheet.name(), "InventoryList");
    EXPECT_EQ(previews.shown.front().options.title, "Инвентаризационная ведомость");

    const report::Layout layout = report::layOut(sheet);
    ASSERT_EQ(layout.placements("TextGroupName").size(), 1u);
    EXPECT_EQ(layout.placements("TextGroupName").front().second->text, "Молочные продукты, включая подгруппы");
    // Each line shows its name, book and counted quantity in its own row.
    const auto names = layout.placements("dmName");
    const auto book = layout.placements("dtBook");
    const auto counted = layout.placements("dtCounted");
    ASSERT_EQ(names.size(), static_cast<size_t>(lines.size()));
    ASSERT_EQ(book.size(), names.size());
    ASSERT_EQ(counted.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        const auto& line = lines[static_cast<qsizetype>(i)];
        EXPECT_EQ(names[i].second->text, line.name);
        EXPECT_EQ(book[i].second->text, line.bookQuantity);
        EXPECT_EQ(counted[i].second->text, line.countedQuantity);
        EXPECT_DOUBLE_EQ(book[i].second->rect.top(), names[i].second->rect.top());
    }
    EXPECT_GT(layout.pageCount(), 1);
}

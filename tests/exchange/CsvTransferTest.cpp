#include "ExchangeTestSupport.h"

#include "exchange/CsvFormat.h"
#include "exchange/CsvTransfer.h"
#include "exchange/uGoodsLoadSettings.h"

#include "core/GroupTree.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "support/FakeMessages.h"
#include "support/UpgradedDbFixture.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <gtest/gtest.h>

using namespace exchange;
using namespace exchangetest;

namespace {

class CsvTransferTest : public testsupport::UpgradedDbTest {
protected:
    void SetUp() override {
        UpgradedDbTest::SetUp();
        if (HasFatalFailure()) return;
        exec(u("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD, GOOD_PARENTGROUP) VALUES (10, 'Молочка', 0, 0)"));
        exec(u("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD, GOOD_PARENTGROUP) VALUES (20, 'Хлеб', 0, 0)"));
        exec(
            u("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_ISGOOD, GOOD_PARENTGROUP, "
              "GOOD_COUNTRY_CODE) VALUES (11, 'Кефир', '50.00', 'нет', 'Т', 1, 10, '643')"));
        exec(
            u("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_W, GOOD_TYPE, GOOD_ISGOOD, GOOD_PARENTGROUP) "
              "VALUES (21, 'Батон', '40.00', 'нет', 'Т', 1, 20)"));
        exec(u("INSERT INTO GOODS_BARCODE (GOOD_ID, GOOD_BARCODE) VALUES (21, '777')"));
    }
    CsvLoadResult load(const QString& text, std::int32_t group, CsvLoadHooks hooks = {}) {
        QByteArray bytes = encodeCp1251(text);
        QBuffer in(&bytes);
        in.open(QIODevice::ReadOnly);
        return loadCsvGoods(in, db(), group, hooks);
    }
    QStringList rows() {
        fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
        QStringList out;
        for (const fb::Row& r :
             fb::query(tr, u("SELECT G.GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_TYPE, GOOD_W, GOOD_EDIZM, GOOD_EDIZM_FFD, "
                             "GOOD_MARKTYPE, GOOD_NALOG, GOOD_PACKCOUNT, GOOD_PARENTGROUP, GOOD_COUNTRY_CODE, (SELECT "
                             "LIST(GOOD_BARCODE) FROM GOODS_BARCODE B WHERE B.GOOD_ID = G.GOOD_ID) FROM GOODS G WHERE "
                             "GOOD_ISGOOD = 1 ORDER BY G.GOOD_ID"))) {
            QStringList f;
            for (int i = 0; i < r.size(); ++i) f << (fb::isNull(r.at(i)) ? u("null") : fb::toString(r.at(i)));
            out << f.join(QLatin1Char('|'));
        }
        return out;
    }
};

}  // namespace

TEST_F(CsvTransferTest, LoadIntoAGroupInsertsUpdatesItsOwnAndSkipsOthers) {
    const CsvLoadResult r = load(
        kCsvHeader + u("\r\n;;;;\r\n") +
            u("\"11\";\"4601\";\"Кефир 'Д'Артаньян'\";\"55,5\";\"товар\";\"штучный\";\"л\";\"\";\"НДС 10%\";\"\"\r\n"
              "\"21\";\"\";\"Батон новый\";\"1\";\"\";\"\";\"\";\"\";\"\";\"\"\r\n"
              "\"30\";\"4602,4603\";\"Сыр; "
              "весовой\";\"1\u00a0234,50\";\"\";\"весовой\";\"кг\";\"молочка\";\"20%\";\"6\"\r\n"),
        10);
    ASSERT_EQ(r.outcome, CsvLoadResult::Outcome::Done) << r.message.toStdString();
    EXPECT_EQ(r.counters.read, 5);
    EXPECT_EQ(r.counters.loaded, 1);
    EXPECT_EQ(r.counters.updated, 1);
    EXPECT_EQ(rows(), QStringList({
                          u("11|Кефир 'Д'Артаньян'|55.50|Т|нет|л|41|0|2|null|10|643|4601"),
                          u("21|Батон|40.00|Т|нет|null|null|null|null|null|20|null|777"),
                          u("30|Сыр; весовой|1234.50|Т|да|кг|11|13|1|6|10|null|4602,4603"),
                      }));
}

TEST_F(CsvTransferTest, RootChosenUpdatesAnyGoodsAndKeepsItsGroup) {
    const CsvLoadResult r = load(u("21;;Батон новый;41;;;;;;\r\n"), 0);
    ASSERT_EQ(r.outcome, CsvLoadResult::Outcome::Done);
    EXPECT_EQ(r.counters.updated, 1);
    EXPECT_EQ(rows()[1], u("21|Батон новый|41.00|Т|нет|шт|0|0|6|null|20|null|null"));
}

TEST_F(CsvTransferTest, RefusalOrUserStopLeavesTheCatalogueAsItWas) {
    const QStringList before = rows();
    const QString good = u("40;;Новый;1;;;;;;\r\n");
    CsvLoadResult r = load(good + u("41;;x;1;;;;;НДС 18%;\r\n"), 0);
    EXPECT_EQ(r.outcome, CsvLoadResult::Outcome::Refused);
    EXPECT_EQ(r.message, csvmsg::badVat(2));
    EXPECT_EQ(rows(), before);
    r = load(good + u("41;;Чай ") + QChar(0x98) + u(";1;;;;;;\r\n"), 0);
    EXPECT_EQ(r.outcome, CsvLoadResult::Outcome::Refused);
    EXPECT_EQ(r.message, msg::unmappedByte(2));
    EXPECT_EQ(rows(), before);
    // Code 45 came in by a stock document as a lot of an item deleted since:
    // a new item on it would take that stock over.
    exec(u("INSERT INTO PORTIONS (P_RECORD_ID, P_DOC_ID, P_GOOD_ID, P_GOOD_COUNT, P_CONFIRM) VALUES (1, 2, 45, '5', 1)"));
    r = load(good + u("45;;Other item on code 45;77;;;;;;\r\n"), 0);
    EXPECT_EQ(r.outcome, CsvLoadResult::Outcome::Refused);
    EXPECT_EQ(r.message, u("Позиция в строке 2 не может быть загружена,     \r\nт.к. код 45 нельзя дать новому товару: "
                           "на него ссылаются партии товара.      "));
    EXPECT_EQ(rows(), before);

    // An ID that is a group: Yes skips the line, No ends the load.
    std::vector<QString> asked;
    CsvLoadHooks hooks;
    hooks.skipGroupLine = [&](const QString& q) {
        asked.push_back(q);
        return asked.size() == 1;
    };
    r = load(good + u("10;;x;1;;;;;;\r\n42;;Ещё;1;;;;;;\r\n20;;y;1;;;;;;\r\n"), 0, hooks);
    EXPECT_EQ(r.outcome, CsvLoadResult::Outcome::Stopped);
    EXPECT_EQ(r.message, csvmsg::kStoppedByUser);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], csvmsg::groupQuestion(2, 10, u("Молочка")));
    EXPECT_EQ(asked[0], u("Позиция в строке 2 не может быть загружена/обновлена,     \r\nт.к. код 10 назначен группе "
                          "Молочка.      \r\n\r\nПродолжить? "));
    EXPECT_EQ(rows(), before);

    hooks.skipGroupLine = {};
    hooks.stop = [](const CsvCounters& c) { return c.read == 1; };
    r = load(good + good, 0, hooks);
    EXPECT_EQ(r.outcome, CsvLoadResult::Outcome::Stopped);
    EXPECT_EQ(rows(), before);
}

TEST_F(CsvTransferTest, AnIdWhoseFlagIsNotOneIsAskedAboutAsAGroup) {
    exec(u("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD, GOOD_PARENTGROUP) VALUES (50, 'Без признака', NULL, 0)"));
    exec(u("INSERT INTO GOODS (GOOD_ID, GOOD_NAME, GOOD_ISGOOD, GOOD_PARENTGROUP) VALUES (51, 'Признак 2', 2, 0)"));
    std::vector<QString> asked;
    CsvLoadHooks hooks;
    hooks.skipGroupLine = [&](const QString& q) {
        asked.push_back(q);
        return true;
    };
    const CsvLoadResult r = load(u("50;;x;1;;;;;;\r\n51;;y;1;;;;;;\r\n"), 0, hooks);
    ASSERT_EQ(r.outcome, CsvLoadResult::Outcome::Done) << r.message.toStdString();
    EXPECT_EQ(r.counters.updated, 0);
    EXPECT_EQ(asked, std::vector<QString>({csvmsg::groupQuestion(1, 50, u("Без признака")),
                                           csvmsg::groupQuestion(2, 51, u("Признак 2"))}));
}

TEST_F(CsvTransferTest, UnloadWritesAGroupOrTheCatalogueAndReadsBack) {
    exec(
        u("UPDATE GOODS SET GOOD_EDIZM = 'кг', GOOD_EDIZM_FFD = 11, GOOD_NALOG = '2', GOOD_MARKTYPE = 13, "
          "GOOD_W = 'да', GOOD_PACKCOUNT = 6 WHERE GOOD_ID = 11"));
    exec(
        u("UPDATE GOODS SET GOOD_EDIZM = 'шт', GOOD_EDIZM_FFD = 0, GOOD_NALOG = '6', GOOD_MARKTYPE = 0 WHERE GOOD_ID = "
          "21"));
    for (bool textMode : {true, false}) {
        SCOPED_TRACE(textMode);
        QByteArray bytes;
        QBuffer out(&bytes);
        out.open(QIODevice::WriteOnly);
        const CsvUnloadResult group = unloadCsvGoods(db(), 10, out, true, textMode);
        EXPECT_EQ(group.count, 1);
        const QStringList lines = decodeCp1251(bytes).split(u("\r\n"));
        ASSERT_EQ(lines.size(), 4);
        EXPECT_EQ(lines[0], kCsvHeader);
        EXPECT_EQ(lines[1], u(""));
        EXPECT_EQ(lines[2],
                  textMode ? u("\"11\";\"\";\"Кефир\";\"50.00\";\"товар\";\"весовой\";\"кг\";\"молочка\";\"10%\";\"6\"")
                           : u("\"11\";\"\";\"Кефир\";\"50.00\";\"1\";\"0\";\"11\";\"13\";\"2\";\"6\""));

        QByteArray all;
        QBuffer outAll(&all);
        outAll.open(QIODevice::WriteOnly);
        EXPECT_EQ(unloadCsvGoods(db(), 0, outAll, false, textMode).count, 2);
        const QStringList before = rows();
        exec(u("DELETE FROM GOODS_BARCODE"));
        exec(u("DELETE FROM GOODS WHERE GOOD_ISGOOD = 1"));
        const CsvLoadResult r = load(decodeCp1251(all), 0);
        ASSERT_EQ(r.outcome, CsvLoadResult::Outcome::Done) << r.message.toStdString();
        // Loaded back into the root: the groups and countries are not in the file.
        QStringList expected = before;
        expected[0].replace(u("|10|643|"), u("|0|null|"));
        expected[1].replace(u("|20|null|"), u("|0|null|"));
        EXPECT_EQ(rows().join(u("\n")).toStdString(), expected.join(u("\n")).toStdString());
        exec(u("UPDATE GOODS SET GOOD_PARENTGROUP = 10, GOOD_COUNTRY_CODE = '643' WHERE GOOD_ID = 11"));
        exec(u("UPDATE GOODS SET GOOD_PARENTGROUP = 20 WHERE GOOD_ID = 21"));
    }
}

namespace {

class CsvWindowTest : public CsvTransferTest {
protected:
    void SetUp() override {
        CsvTransferTest::SetUp();
        host.mainScreen = &screen;
        host.loadFlag = &loadFlag;
        host.csvFlag = &csvFlag;
        host.database = [this]() -> fb::Connection& { return db(); };
        host.programFolder = programFolder();
        host.openFile = [this](QWidget*, const QString&, const QString&, const QString&) { return chosen; };
        host.saveFile = [this](QWidget*, const QString& title, const QString&, const QString&, const QString&) {
            titles << title;
            return chosen;
        };
    }
    void choose(TfmGoodsLoadSettings& w, std::int64_t group) {
        QTreeWidget* tree = w.findChild<QTreeWidget*>(u("TreeView1"));
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            if (core::groupTreeItemId(*it) == group) tree->setCurrentItem(*it);
    }
    QString text(TfmGoodsLoadSettings& w, const char* name) { return w.findChild<QLabel*>(u(name))->text(); }

    QWidget screen;
    QAction loadFlag{u("MGoodsLoad")};
    QAction csvFlag{u("MLoadCSV")};
    testsupport::FakeMessages messages;
    ExchangeHost host;
    QString chosen;
    QStringList titles;
};

}  // namespace

TEST_F(CsvWindowTest, LoadShowsCountersAndResult) {
    chosen = programFolder() + u("/goods.csv");
    QFile f(chosen);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(encodeCp1251(kCsvHeader + u("\r\n50;;Новый;1;;;;;;\r\n11;;Кефир;2;;;;;;\r\n")));
    f.close();
    TfmGoodsLoadSettings w(host, TfmGoodsLoadSettings::Load);
    EXPECT_EQ(w.windowTitle(), u("Загрузка товаров из файла csv"));
    EXPECT_FALSE(w.findChild<QWidget*>(u("chAddHead"))->isVisibleTo(&w));
    choose(w, 10);
    QTest::mouseClick(w.findChild<QPushButton*>(u("btnLoad")), Qt::LeftButton);
    EXPECT_TRUE(messages.boxes.empty()) << messages.last().toStdString();
    EXPECT_EQ(text(w, "lblReadCount"), u("3"));
    EXPECT_EQ(text(w, "lblLoadCount"), u("1"));
    EXPECT_EQ(text(w, "lblUpdateCount"), u("1"));
    EXPECT_EQ(text(w, "lblResult"), u("успешно"));
    EXPECT_TRUE(w.findChild<QPushButton*>(u("btnLoad"))->isEnabled());
    EXPECT_EQ(rows().size(), 3);

    // A refusal: the error box, "ошибка!" and counters back to 0.
    f.open(QIODevice::WriteOnly);
    f.write(encodeCp1251(u("51;;x;-1;;;;;;\r\n")));
    f.close();
    QTest::mouseClick(w.findChild<QPushButton*>(u("btnLoad")), Qt::LeftButton);
    EXPECT_EQ(messages.texts(), QStringList({csvmsg::badPrice(1)}));
    EXPECT_EQ(text(w, "lblResult"), u("ошибка!"));
    EXPECT_EQ(text(w, "lblLoadCount"), u("0"));
}

TEST_F(CsvWindowTest, StopButtonAsksAndRollsBack) {
    chosen = programFolder() + u("/goods.csv");
    QFile f(chosen);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    for (int id = 100; id < 110; ++id) f.write(encodeCp1251(QString::number(id) + u(";;x;1;;;;;;\r\n")));
    f.close();
    TfmGoodsLoadSettings w(host, TfmGoodsLoadSettings::Load);
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.show();
    choose(w, 0);
    QTimer::singleShot(0, &w, [&] {
        EXPECT_EQ(w.findChild<QPushButton*>(u("btnClose"))->text(), u("ОСТАНОВИТЬ"));
        EXPECT_FALSE(w.close()) << "no closing while a load runs";
        w.reject();
        EXPECT_TRUE(w.isVisible()) << "nor by Escape";
        messages.answer(ui::Answer::Yes);
        QTest::mouseClick(w.findChild<QPushButton*>(u("btnClose")), Qt::LeftButton);
    });
    QTest::mouseClick(w.findChild<QPushButton*>(u("btnLoad")), Qt::LeftButton);
    EXPECT_EQ(messages.texts(), QStringList({u("Остановить загрузку?      ")}));
    EXPECT_EQ(text(w, "lblResult"), u("прервано пользователем"));
    EXPECT_EQ(rows().size(), 2);
    EXPECT_EQ(w.findChild<QPushButton*>(u("btnClose"))->text(), u("ЗАКРЫТЬ"));
}

TEST_F(CsvWindowTest, EachModeShowsItsCountersWithTheirCaptionsOnly) {
    // Counter and caption, in the window's order.
    const std::pair<const char*, QString> rows[] = {{"lblReadCount", u("Прочитано строк:")},
                                                    {"lblLoadCount", u("Загружено:")},
                                                    {"lblUpdateCount", u("Обновлено:")},
                                                    {"lblUnloadCount", u("Выгружено:")}};
    const std::pair<TfmGoodsLoadSettings::Mode, std::vector<bool>> cases[] = {
        {TfmGoodsLoadSettings::Load, {true, true, true, false}},
        {TfmGoodsLoadSettings::Unload, {false, false, false, true}}};
    for (const auto& [mode, shown] : cases) {
        TfmGoodsLoadSettings w(host, mode);
        w.show();
        for (size_t i = 0; i < std::size(rows); ++i) {
            SCOPED_TRACE(rows[i].first);
            EXPECT_EQ(w.findChild<QLabel*>(QLatin1String(rows[i].first))->isVisible(), shown[i]);
            for (QLabel* l : w.findChildren<QLabel*>()) {
                if (l->text() == rows[i].second) {
                    EXPECT_EQ(l->isVisible(), shown[i]);
                }
            }
        }
    }
}

TEST_F(CsvWindowTest, UnloadOfAGroupNamesItInTheDialogAndWritesTheFile) {
    TfmGoodsLoadSettings w(host, TfmGoodsLoadSettings::Unload);
    EXPECT_EQ(w.windowTitle(), u("Выгрузка товаров в файл csv"));
    EXPECT_TRUE(w.findChild<QCheckBox*>(u("chAddHead"))->isChecked());
    chosen = programFolder() + u("/out.csv");
    choose(w, 20);
    QTest::mouseClick(w.findChild<QPushButton*>(u("btnLoad")), Qt::LeftButton);
    EXPECT_EQ(titles, QStringList({u("Выгрузить товары из группы 'Хлеб' в файл...")}));
    EXPECT_EQ(text(w, "lblUnloadCount"), u("1"));
    EXPECT_EQ(text(w, "lblResult"), u("успешно"));
    QFile f(chosen);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(decodeCp1251(f.readAll()).split(u("\r\n")).at(2).left(12), u("\"21\";\"777\";\""));

    exec(u("DELETE FROM GOODS WHERE GOOD_ID = 21"));
    QTest::mouseClick(w.findChild<QPushButton*>(u("btnLoad")), Qt::LeftButton);
    EXPECT_EQ(messages.texts(), QStringList({u("В выбранной Вами группе нет товаров.      ")}));
}

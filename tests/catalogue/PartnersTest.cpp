// Counterparties: which rows the directory and the picker list for each
// filter, what the card refuses and stores, and what delete and edit do.
#include "catalogue/Partners.h"
#include "catalogue/SuppliersRepository.h"
#include "catalogue/uPartners.h"
#include "catalogue/uSupplierEdit.h"
#include "catalogue/uSuppliers.h"
#include "core/SchemaUpgrade.h"
#include "platform/db/Metadata.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "support/FakeMessages.h"
#include "support/TypeText.h"
#include "support/UpgradedDbFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QtTest/QTest>

#include <memory>

namespace {

using catalogue::SupplierCard;

class Partners : public testsupport::UpgradedDbTest {
protected:
    // A row as another program (or an older version) may have left it:
    // flags given as SQL text, null included.
    int addRow(const QString& name, const QString& supplier, const QString& buyer, const QString& work,
               const QString& inn = QStringLiteral("7700")) {
        exec(QStringLiteral("INSERT INTO SUPPLIERS (SU_ID, SU_NAMEFULL, SU_NAMESHORT, SU_INN, SU_SUPPLIER, SU_BUYER, "
                            "SU_WORK) VALUES (%1, '%2', '%3', '%4', %5, %6, %7)")
                 .arg(++lastId_)
                 .arg(QString(name).replace(QLatin1Char('\''), QStringLiteral("''")),
                      QString(name).replace(QLatin1Char('\''), QStringLiteral("''")).left(20), inn, supplier, buyer,
                      work));
        return lastId_;
    }
    QStringList listed(const catalogue::SqlWithParams& q, const QString& column = QStringLiteral("SU_NAMEFULL")) {
        fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
        fb::Statement st(tr, q.sql);
        st.bindAll(q.params);
        st.execute(tr);
        QStringList out;
        while (st.fetch()) out << st.row().str(column);
        out.sort();
        return out;
    }
    std::unique_ptr<catalogue::TfmSuppliers> directory(catalogue::SuppliersPreset preset) {
        auto w = std::make_unique<catalogue::TfmSuppliers>(params(), db());
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        w->presetFilter(catalogue::presetFilter(preset));
        w->LoadSuppliersList();
        w->show();
        return w;
    }
    QStringList names(catalogue::TfmSuppliers& w) {
        auto* grid = w.findChild<QTableView*>(QStringLiteral("DBGrid1"));
        QStringList out;
        for (int r = 0; r < grid->model()->rowCount(); ++r) out << grid->model()->index(r, 0).data().toString();
        return out;
    }
    int lastId_ = 100;
};

TEST_F(Partners, DirectoryListsTheKindsTickedAndOnlyWorkingOnesWhenAsked) {
    addRow(QStringLiteral("Поставщик"), QStringLiteral("1"), QStringLiteral("null"), QStringLiteral("1"));
    addRow(QStringLiteral("Покупатель"), QStringLiteral("null"), QStringLiteral("1"), QStringLiteral("1"));
    addRow(QStringLiteral("Оба"), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1"));
    addRow(QStringLiteral("Никто null"), QStringLiteral("null"), QStringLiteral("null"), QStringLiteral("1"));
    addRow(QStringLiteral("Никто 0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"));
    addRow(QStringLiteral("Бывший поставщик"), QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("0"));
    const struct {
        bool suppliers, buyers, workOnly;
        QStringList expected;
    } cases[] = {
        {false, false, false, {QStringLiteral("Никто 0"), QStringLiteral("Никто null")}},
        {false, false, true, {QStringLiteral("Никто null")}},
        {true, false, false, {QStringLiteral("Бывший поставщик"), QStringLiteral("Оба"), QStringLiteral("Поставщик")}},
        {true, false, true, {QStringLiteral("Оба"), QStringLiteral("Поставщик")}},
        {false, true, true, {QStringLiteral("Оба"), QStringLiteral("Покупатель")}},
        {true, true, true, {QStringLiteral("Оба"), QStringLiteral("Покупатель"), QStringLiteral("Поставщик")}},
    };
    for (const auto& c : cases) {
        catalogue::SuppliersFilter f;
        f.suppliers = c.suppliers;
        f.buyers = c.buyers;
        f.workOnly = c.workOnly;
        QStringList expected = c.expected;
        expected.sort();
        EXPECT_EQ(listed(catalogue::buildSuppliersQuery(f)), expected) << c.suppliers << c.buyers << c.workOnly;
    }
}

TEST_F(Partners, NameAndInnFiltersMatchTypedTextLiterally) {
    for (const char* n : {"Скидка 50%", "Скидка 500", "a_b", "axb", "O'Neil", "ONeil", "¤x", "x"})
        addRow(QString::fromUtf8(n), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1"));
    const struct {
        const char* typed;
        QStringList expected;
    } cases[] = {
        {"50%", {QStringLiteral("Скидка 50%")}},
        {"a_b", {QStringLiteral("a_b")}},
        {"o'neil", {QStringLiteral("O'Neil")}},
        {"¤x", {QStringLiteral("¤x")}},
    };
    for (const auto& c : cases) {
        catalogue::SuppliersFilter f;
        f.name = QString::fromUtf8(c.typed);
        EXPECT_EQ(listed(catalogue::buildSuppliersQuery(f)), c.expected) << c.typed;
        EXPECT_EQ(listed(catalogue::buildPartnersQuery(catalogue::PartnerMode::Buyer, true, f.name, {})), c.expected)
            << c.typed;
    }
    // A quote pasted past the key filter finds nothing and fails nothing.
    catalogue::SuppliersFilter f;
    f.inn = QStringLiteral("77'");
    EXPECT_TRUE(listed(catalogue::buildSuppliersQuery(f)).isEmpty());
    f.inn = QStringLiteral("770");
    EXPECT_EQ(listed(catalogue::buildSuppliersQuery(f)).size(), 8);
}

TEST_F(Partners, PickerListsWorkingRowsOfItsKindAndNothingForAnUnknownOpener) {
    addRow(QStringLiteral("Поставщик"), QStringLiteral("1"), QStringLiteral("null"), QStringLiteral("1"));
    addRow(QStringLiteral("Бывший поставщик"), QStringLiteral("1"), QStringLiteral("null"), QStringLiteral("0"));
    addRow(QStringLiteral("Покупатель"), QStringLiteral("null"), QStringLiteral("1"), QStringLiteral("1"));
    using catalogue::PartnerMode;
    EXPECT_EQ(listed(catalogue::buildPartnersQuery(PartnerMode::Supplier, true, {}, {})),
              QStringList{QStringLiteral("Поставщик")});
    EXPECT_EQ(listed(catalogue::buildPartnersQuery(PartnerMode::Buyer, true, {}, {})),
              QStringList{QStringLiteral("Покупатель")});
    EXPECT_TRUE(listed(catalogue::buildPartnersQuery(PartnerMode::None, true, {}, {})).isEmpty());
}

TEST_F(Partners, CardRefusesWhatCannotBeStoredAndCopiesAFieldLeftAlone) {
    const QString long51(51, QChar(0x042F));
    const struct {
        SupplierCard card;
        const char* message;  // nullptr: accepted
    } cases[] = {
        {{0, QStringLiteral("  "), QString(), {}, {}, {}, true, true, false}, "Отсутствует название Контрагента.    "},
        {{0, QStringLiteral("ООО"), QString(), {}, {}, {}, true, false, false},
         "Не указан статус контрагента (покупатель/поставщик).     "},
        {{0, long51, QStringLiteral("Коротко"), {}, {}, {}, true, false, true},
         " Полное название покупателя длиннее 50 символов.     "},
        {{0, long51, QStringLiteral("Коротко"), {}, {}, {}, true, true, false}, nullptr},
        {{0, QStringLiteral("ООО"), QString(101, QLatin1Char('a')), {}, {}, {}, true, true, false},
         " Поле \"Сокращенное название\" длиннее 100 символов.     "},
    };
    for (const auto& c : cases) {
        const auto error = catalogue::validateSupplierCard(c.card);
        if (c.message)
            EXPECT_EQ(error.value_or(QString()), QString::fromUtf8(c.message));
        else
            EXPECT_FALSE(error.has_value()) << error->toStdString();
    }

    QString full = QStringLiteral("ООО Ромашка"), shortName;
    catalogue::copyNameOnLeave(full, shortName, true);
    EXPECT_EQ(shortName, QStringLiteral("ООО Ромашка"));
    full.clear();
    shortName = QStringLiteral("Ромашка");
    catalogue::copyNameOnLeave(full, shortName, true);  // leaving the empty field copies nothing
    EXPECT_TRUE(full.isEmpty());
    catalogue::copyNameOnLeave(full, shortName, false);
    EXPECT_EQ(full, QStringLiteral("Ромашка"));
}

TEST_F(Partners, NewCounterpartyIsStoredWithItsFlagsAndShownInTheDirectory) {
    testsupport::FakeMessages messages;
    auto w = directory(catalogue::SuppliersPreset::Buyers);
    catalogue::TfmSupplierEdit card(db(), w.get());
    card.setAttribute(Qt::WA_DeleteOnClose, false);
    SupplierCard c;
    c.working = false;
    card.setMode(1, c);
    card.show();
    auto* edit1 = card.findChild<QLineEdit*>(QStringLiteral("Edit1"));
    auto* edit2 = card.findChild<QLineEdit*>(QStringLiteral("Edit2"));
    edit1->setFocus();
    testsupport::typeText(edit1, QStringLiteral("O'Neil Ltd"));
    QFocusEvent leave(QEvent::FocusOut);  // leaving the full name copies it
    QApplication::sendEvent(edit1, &leave);
    EXPECT_EQ(edit2->text(), QStringLiteral("O'Neil Ltd"));

    card.Button2Click();  // no kind ticked
    EXPECT_EQ(messages.last(), QStringLiteral("Не указан статус контрагента (покупатель/поставщик).     "));
    card.findChild<QCheckBox*>(QStringLiteral("chSupplier"))->setChecked(true);
    card.Button2Click();
    ASSERT_GT(card.supplierId(), 0);

    fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
    const auto row = fb::queryOne(tr,
                                  QStringLiteral("SELECT SU_NAMEFULL, SU_NAMESHORT, SU_SUPPLIER, SU_BUYER, SU_WORK "
                                                 "FROM SUPPLIERS WHERE SU_ID=?"),
                                  {std::int64_t{card.supplierId()}});
    ASSERT_TRUE(row);
    EXPECT_EQ(row->str(QStringLiteral("SU_NAMESHORT")), QStringLiteral("O'Neil Ltd"));
    EXPECT_EQ(row->integer(QStringLiteral("SU_SUPPLIER")), 1);
    EXPECT_TRUE(row->isNull(QStringLiteral("SU_BUYER")));
    EXPECT_EQ(row->integer(QStringLiteral("SU_WORK")), 0);

    // The directory (buyers, working only) turned to show it: suppliers
    // ticked, not-working rows shown, grey.
    EXPECT_TRUE(w->filter().suppliers);
    EXPECT_FALSE(w->filter().workOnly);
    EXPECT_EQ(w->currentId(), card.supplierId());
    EXPECT_TRUE(w->rowGrey(0));
}

TEST_F(Partners, EditOfARowDeletedMeanwhileIsReportedNotClaimed) {
    testsupport::FakeMessages messages;
    const int id =
        addRow(QStringLiteral("ООО Ромашка"), QStringLiteral("1"), QStringLiteral("null"), QStringLiteral("1"));
    auto w = directory(catalogue::SuppliersPreset::All);
    ASSERT_EQ(w->currentId(), id);
    exec(QStringLiteral("DELETE FROM SUPPLIERS WHERE SU_ID=%1").arg(id));
    catalogue::TfmSupplierEdit card(db(), w.get());
    card.setAttribute(Qt::WA_DeleteOnClose, false);
    SupplierCard c;
    c.id = id;
    c.nameFull = QStringLiteral("Новое");
    c.supplier = true;
    card.setMode(2, c);
    card.Button2Click();
    EXPECT_EQ(messages.last(), QStringLiteral("При выполнении операции произошла ошибка БД.    "));
    EXPECT_FALSE(card.result() == QDialog::Accepted);
}

TEST_F(Partners, DeleteAsksAndStaysOnTheSameRecordNumber) {
    testsupport::FakeMessages messages;
    addRow(QStringLiteral("А"), QStringLiteral("1"), QStringLiteral("null"), QStringLiteral("1"));
    const int b = addRow(QStringLiteral("Б"), QStringLiteral("1"), QStringLiteral("null"), QStringLiteral("1"));
    const int v = addRow(QStringLiteral("В"), QStringLiteral("1"), QStringLiteral("null"), QStringLiteral("1"));
    auto w = directory(catalogue::SuppliersPreset::Suppliers);
    auto* grid = w->findChild<QTableView*>(QStringLiteral("DBGrid1"));
    grid->setCurrentIndex(grid->model()->index(1, 0));
    ASSERT_EQ(w->currentId(), b);

    w->Button1Click();  // No
    EXPECT_EQ(messages.last(), QStringLiteral("Удалить контрагента     \r\nБ ?     "));
    EXPECT_EQ(w->rowCount(), 3);

    messages.answer(ui::Answer::Yes);
    w->Button1Click();
    EXPECT_EQ(names(*w), (QStringList{QStringLiteral("А"), QStringLiteral("В")}));
    EXPECT_EQ(w->currentId(), v);
}

TEST_F(Partners, EditOnAnEmptyListOpensNothingAndFiltersReloadOnceAfterTyping) {
    auto w = directory(catalogue::SuppliersPreset::Suppliers);
    w->btnEditClick();
    EXPECT_EQ(catalogue::fmSupplierEdit, nullptr);

    addRow(QStringLiteral("ООО Ромашка"), QStringLiteral("1"), QStringLiteral("null"), QStringLiteral("1"));
    addRow(QStringLiteral("ИП Лютик"), QStringLiteral("1"), QStringLiteral("null"), QStringLiteral("1"));
    auto* name = w->findChild<QLineEdit*>(QStringLiteral("edFilterName"));
    auto* timer = w->findChild<QTimer*>(QStringLiteral("Timer1"));
    name->setFocus();
    testsupport::typeText(name, QStringLiteral("ром"));
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(w->rowCount(), 0);  // not yet reloaded
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->rowCount() == 1; }, 5000));
    EXPECT_EQ(names(*w), QStringList{QStringLiteral("ООО Ромашка")});
}

TEST_F(Partners, PickerHandsBackTheChosenSupplierAndRefusesAnOverlongBuyerName) {
    testsupport::FakeMessages messages;
    addRow(QStringLiteral("ООО Ромашка"), QStringLiteral("1"), QStringLiteral("null"), QStringLiteral("1"),
           QStringLiteral("7701"));
    const int buyer =
        addRow(QString(60, QChar(0x0411)), QStringLiteral("null"), QStringLiteral("1"), QStringLiteral("1"));
    // The picker is modal: OK is pressed once it shows.
    const auto pressOk = [] {
        QTimer::singleShot(0, [] {
            ASSERT_NE(catalogue::fmPartners, nullptr);
            catalogue::fmPartners->Button2Click();
            if (catalogue::fmPartners && catalogue::fmPartners->isVisible()) catalogue::fmPartners->reject();
        });
    };
    pressOk();
    const auto supplier = catalogue::pickPartner(params(), catalogue::PartnerMode::Supplier, nullptr);
    ASSERT_TRUE(supplier.has_value());
    EXPECT_EQ(supplier->nameFull, QStringLiteral("ООО Ромашка"));
    EXPECT_EQ(supplier->inn, QStringLiteral("7701"));
    EXPECT_EQ(catalogue::fmPartners, nullptr);

    pressOk();
    EXPECT_FALSE(catalogue::pickPartner(params(), catalogue::PartnerMode::Buyer, nullptr).has_value());
    EXPECT_EQ(messages.last(), QStringLiteral(" Полное название покупателя длиннее 50 символов.     "));
    EXPECT_GT(buyer, 0);

    pressOk();  // nothing listed: OK does nothing
    EXPECT_FALSE(catalogue::pickPartner(params(), catalogue::PartnerMode::None, nullptr).has_value());
}

TEST_F(Partners, DatabaseMadeBeforeGetsTheProceduresAtTheUpgrade) {
    for (const char* p : {"SUPPLIERS_EDIT", "BARCODE_PREFIX_IO", "PARENTGROUP_CHANGE_PROC"})
        exec(QStringLiteral("DROP PROCEDURE %1").arg(QLatin1String(p)));
    core::SchemaUpgrade(db());
    {
        fb::Transaction tr(db(), fb::Transaction::Access::ReadOnly);
        for (const char* p : {"SUPPLIERS_EDIT", "BARCODE_PREFIX_IO", "PARENTGROUP_CHANGE_PROC"})
            EXPECT_TRUE(fb::meta::procedureExists(tr, QLatin1String(p))) << p;
    }
    SupplierCard c;
    c.nameFull = QStringLiteral("ООО Ромашка");
    c.buyer = true;
    EXPECT_GT(catalogue::SuppliersRepository(db()).insert(c), 0);
}

TEST_F(Partners, TickingABoxReloadsAtOnceOnTheSameRowAndTheInnFieldTakesDigitsOnly) {
    addRow(QStringLiteral("А поставщик"), QStringLiteral("1"), QStringLiteral("null"), QStringLiteral("1"));
    const int both = addRow(QStringLiteral("Б оба"), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1"));
    addRow(QStringLiteral("В покупатель"), QStringLiteral("null"), QStringLiteral("1"), QStringLiteral("1"));
    auto w = directory(catalogue::SuppliersPreset::All);
    auto* grid = w->findChild<QTableView*>(QStringLiteral("DBGrid1"));
    grid->setCurrentIndex(grid->model()->index(1, 0));
    ASSERT_EQ(w->currentId(), both);
    w->findChild<QCheckBox*>(QStringLiteral("chBuyers"))->setChecked(false);
    EXPECT_EQ(names(*w), (QStringList{QStringLiteral("А поставщик"), QStringLiteral("Б оба")}));
    EXPECT_EQ(w->currentId(), both);
    w->findChild<QCheckBox*>(QStringLiteral("chNameFull"))->setChecked(false);
    EXPECT_EQ(w->currentId(), both);

    // What is pasted passes the same filter as what is typed.
    auto* inn = w->findChild<QLineEdit*>(QStringLiteral("edFilterINN"));
    inn->insert(QStringLiteral("7'7"));
    EXPECT_TRUE(inn->text().isEmpty());
    inn->insert(QStringLiteral("77"));
    EXPECT_EQ(inn->text(), QStringLiteral("77"));
}

}  // namespace

#include "PriceTagLogic.h"

#include "CatalogueLogic.h"

#include "core/TextUtils.h"
#include "platform/db/Connection.h"
#include "platform/db/Procedure.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/report/PreviewService.h"
#include "platform/report/QueryData.h"
#include "platform/report/Report.h"
#include "platform/report/ReportProject.h"
#include "platform/ui/MessageService.h"

namespace catalogue {

namespace {

constexpr int kA4First = 3;
constexpr int kLabelFirst = 30;
constexpr int kA4Count = 3;
constexpr int kLabelCount = 6;
// The list's country column is narrower than the countries' names.
constexpr int kCountryWidth = 32;

const QString kNoFile = QStringLiteral("Не найден файл шаблонов.    ");
const QString kNoReport = QStringLiteral("Не найден шаблон.    ");
const QString kDataConnection = QStringLiteral("RvDataSetConnection1");

}  // namespace

const char* const kPriceTagListSql =
    "SELECT G_ID, G_NAME, G_PRICE, G_EDIZM, G_COUNTRY, G_DECLAR_NUMBER, G_RECORD_ID, G_BARCODE FROM GOODS_TEMP "
    "ORDER BY G_RECORD_ID";

PriceTagSize priceTagSize(bool a4, int a4Index, int labelIndex, const QString& copiesText) {
    if (a4) {
        if (a4Index < 0 || a4Index >= kA4Count) return {};
        return {kA4First + a4Index, 1};
    }
    if (labelIndex < 0 || labelIndex >= kLabelCount) return {};
    bool ok = false;
    const int typed = copiesText.trimmed().toInt(&ok);
    // No copies at all is never what was meant: one label is.
    return {kLabelFirst + labelIndex, ok && typed >= 1 ? typed : 1};
}

std::optional<PriceTagReport> priceTagReport(int code) {
    switch (code) {
        case 3:
            return PriceTagReport{QStringLiteral("PriceTagSmall"), 90};
        case 4:
            return PriceTagReport{QStringLiteral("PriceTagMiddle"), 90};
        case 5:
            return PriceTagReport{QStringLiteral("PriceTagBig"), 90};
        case 30:
            return PriceTagReport{QStringLiteral("Sticker30x20"), 200};
        case 31:
            return PriceTagReport{QStringLiteral("Sticker40x30"), 150};
        case 32:
            return PriceTagReport{QStringLiteral("Sticker43x25"), 150};
        case 33:
            return PriceTagReport{QStringLiteral("Sticker58x30"), 150};
        case 34:
            return PriceTagReport{QStringLiteral("Sticker58x40"), 150};
        case 35:
            return PriceTagReport{QStringLiteral("Sticker58x60"), 90};
        default:
            return std::nullopt;
    }
}

QString organisationText(const QString& shortName, const QString& fullName, bool useFullName, bool addSalesPoint,
                         const QString& salesPoint, int code) {
    QString text = (useFullName ? fullName : shortName).trimmed();
    if (!addSalesPoint) return text;
    // The name and the sales point share two lines of the tag; a name that
    // fills the first line leaves none for the sales point.
    int room = 0;
    switch (code) {
        case 3:
            room = 26;
            break;
        case 4:
            room = 25;
            break;
        case 5:
            room = 30;
            break;
        default:
            return text;
    }
    if (text.size() < room) text += QStringLiteral("\r\n") + salesPoint.trimmed();
    return text;
}

PriceTagBarcode priceTagBarcode(const QString& barcode) {
    if (barcode.size() != 8 && barcode.size() != 13) return {};
    return {barcode, core::EncodeEanForBarcodeFont(barcode)};
}

PriceTagQuery priceTagFillQuery(std::optional<std::int64_t> groupId, const QString& nameText) {
    PriceTagQuery q;
    q.sql = QStringLiteral(
        "SELECT A.GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_EDIZM,  COUNTRY_NAME, GOOD_BARCODE FROM ("
        "SELECT GOOD_ID, GOOD_NAME, GOOD_PRICE, GOOD_EDIZM, COUNTRY_NAME "
        " FROM GOODS LEFT JOIN COUNTRIES ON GOOD_COUNTRY_CODE=COUNTRY_CODE "
        " WHERE (GOOD_ISGOOD=1)");
    if (groupId) {
        q.sql += QStringLiteral(" AND (GOOD_PARENTGROUP=?)");
        q.params.emplace_back(*groupId);
    }
    const QString text = nameText.trimmed().toUpper();
    if (!text.isEmpty()) {
        // Cast wide: a typed text longer than the column finds nothing
        // instead of failing on the column's width.
        q.sql += QStringLiteral(" AND (UPPER(GOOD_NAME) LIKE CAST(? AS VARCHAR(1000)) ESCAPE '\u00A4')");
        q.params.emplace_back(QLatin1Char('%') + escapeLikeText(text) + QLatin1Char('%'));
    }
    q.sql += QStringLiteral(
        ") A LEFT JOIN GOODS_BARCODE B ON A.GOOD_ID=B.GOOD_ID"
        " ORDER BY GOOD_NAME COLLATE PXW_CYRL");
    return q;
}

void clearPriceTagList(fb::Transaction& tr) {
    fb::callProcedure(tr, QStringLiteral("GOODS_TEMP_EDIT"),
                      {{QStringLiteral("I_MODE"), std::int64_t{1}},
                       {QStringLiteral("I_ID"), std::int64_t{0}},
                       {QStringLiteral("I_NAME"), QString()},
                       {QStringLiteral("I_PRICE"), QString()},
                       {QStringLiteral("I_EDIZM"), QString()},
                       {QStringLiteral("I_COUNTRY"), QString()}});
}

int fillPriceTagList(fb::Connection& db, std::optional<std::int64_t> groupId, const QString& nameText) {
    const PriceTagQuery q = priceTagFillQuery(groupId, nameText);
    fb::Transaction tr(db);
    clearPriceTagList(tr);
    fb::Statement goods(tr, q.sql);
    fb::Statement add(tr, QStringLiteral("EXECUTE PROCEDURE GOODS_TEMP_ADDRECORD (?, ?, ?, ?, ?, ?, ?)"));
    goods.bindAll(q.params);
    goods.execute(tr);
    int added = 0;
    while (goods.fetch()) {
        const fb::Row& r = goods.row();
        const PriceTagBarcode code = priceTagBarcode(fb::toString(r.at(5)));
        add.execute(tr, {r.at(0), r.at(1), r.at(2), r.at(3), fb::toString(r.at(4)).left(kCountryWidth), code.digits,
                         code.fontText});
        ++added;
    }
    tr.commit();
    return added;
}

void removePriceTag(fb::Connection& db, std::int64_t recordId) {
    fb::Transaction tr(db);
    fb::execute(tr, QStringLiteral("DELETE FROM GOODS_TEMP WHERE G_RECORD_ID=?"), {recordId});
    tr.commit();
}

report::DataSet priceTagRows(fb::Connection& db) {
    fb::Transaction tr(db, fb::Transaction::Access::ReadOnly);
    report::DataSet rows = report::queryData(tr, QString::fromLatin1(kPriceTagListSql));
    tr.commit();
    return rows;
}

void preparePriceTagReport(report::Report& tags, const PriceTagPrint& print, report::DataSet rows) {
    tags.setText(QStringLiteral("mCompanyName"), print.organisation);
    // The smallest A4 tag has room for a long name only in a smaller font.
    if (print.code == 3) tags.setFontSize(QStringLiteral("MemoGoodName"), 9);
    if (!print.printCode)
        for (const char* c : {"textCode", "dtextCode"}) tags.setVisible(QLatin1String(c), false);
    if (!print.printPrice)
        for (const char* c : {"textPrice", "dtextGoodPrice", "dtextEdIzm", "textPrice1"})
            tags.setVisible(QLatin1String(c), false);
    tags.setCopies(print.copies);
    tags.bindData(kDataConnection, std::move(rows));
}

PriceTagPrintResult printPriceTags(QWidget* parent, const QString& programFolder, const PriceTagPrint& print,
                                   report::DataSet rows) {
    const auto which = priceTagReport(print.code);
    if (!which) return PriceTagPrintResult::UnknownCode;
    report::ReportProject project;
    if (!project.open(report::projectPath(programFolder))) {
        ui::showError(kNoFile, parent);
        return PriceTagPrintResult::NoFile;
    }
    if (!project.selectReport(which->name)) {
        ui::showError(kNoReport, parent);
        return PriceTagPrintResult::NoReport;
    }
    preparePriceTagReport(project.report(), print, std::move(rows));

    report::PreviewOptions options;
    options.title = QStringLiteral("Печать ценников");
    options.zoomPercent = which->zoom;
    options.width = 820;
    options.height = 620;
    // Tags are printed as a whole sheet run; a page range makes no sense here.
    options.printRangeEnabled = false;
    report::showPreview(parent, project.report(), options);
    project.close();
    return PriceTagPrintResult::Shown;
}

}  // namespace catalogue

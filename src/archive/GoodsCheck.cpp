#include "archive/GoodsCheck.h"

#include "archive/GoodsCheckText.h"

#include "platform/db/Connection.h"
#include "platform/db/Error.h"
#include "platform/db/Procedure.h"
#include "platform/db/Statement.h"
#include "platform/db/Transaction.h"
#include "platform/report/PreviewService.h"
#include "platform/report/QueryData.h"
#include "platform/report/ReportProject.h"
#include "platform/ui/MessageService.h"

namespace archive {

QStringList GoodsCheckSettings::headerLines() const {
    return archive::headerLines(row1, row2, row3);
}

GoodsCheckStore::Fill GoodsCheckStore::refill(const std::vector<GoodsCheckLine>& lines) {
    fb::Transaction tr(db_);
    std::optional<fb::Statement> edit;
    try {
        edit.emplace(tr, QStringLiteral("EXECUTE PROCEDURE GOODSCHECK_EDIT(?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        edit->execute(tr, {std::int64_t{1}, fb::null(), fb::null(), fb::null(), fb::null(), fb::null(), fb::null(),
                           fb::null(), fb::null()});
    } catch (const fb::Error&) {
        return Fill::ClearFailed;
    }
    try {
        for (const GoodsCheckLine& l : lines) {
            edit->execute(
                tr, {std::int64_t{2}, std::int64_t{l.numPos}, l.code ? fb::Value(std::int64_t{*l.code}) : fb::null(),
                     fb::null(), l.name, l.price, l.sum, l.count, fb::null()});
        }
        tr.commit();
    } catch (const fb::Error&) {
        return Fill::FillFailed;
    }
    return Fill::Ok;
}

report::DataSet GoodsCheckStore::lines() {
    fb::Transaction tr(db_, fb::Transaction::Access::ReadOnly);
    report::DataSet rows = report::queryData(tr, QStringLiteral("SELECT * FROM GOODSCHECK ORDER BY NUMPOS"));
    tr.commit();
    return rows;
}

GoodsCheckSettings GoodsCheckStore::settings() {
    fb::Transaction tr(db_, fb::Transaction::Access::ReadOnly);
    GoodsCheckSettings s;
    const std::optional<fb::Row> row = fb::queryOne(
        tr, QStringLiteral("SELECT HEAD_ROW1, HEAD_ROW2, HEAD_ROW3, HEAD_ADDRESS, GC_NUMBERPREF, GC_NUMBER "
                           "FROM GOODSCHECK_SETTINGS"));
    tr.commit();
    if (!row) return s;
    s.exists = true;
    s.row1 = row->str(QStringLiteral("HEAD_ROW1"));
    s.row2 = row->str(QStringLiteral("HEAD_ROW2"));
    s.row3 = row->str(QStringLiteral("HEAD_ROW3"));
    s.address = row->str(QStringLiteral("HEAD_ADDRESS"));
    s.prefix = row->str(QStringLiteral("GC_NUMBERPREF"));
    if (const auto n = fb::toInt64((*row)[QStringLiteral("GC_NUMBER")])) s.number = int(*n);
    return s;
}

void GoodsCheckStore::saveSettings(const GoodsCheckSettings& s) {
    fb::Transaction tr(db_);
    fb::callProcedure(tr, QStringLiteral("GOODSCHECKSETTINGS_WRITE"),
                      {{QStringLiteral("I_HROW1"), s.row1},
                       {QStringLiteral("I_HROW2"), s.row2},
                       {QStringLiteral("I_HROW3"), s.row3},
                       {QStringLiteral("I_HADDR"), s.address},
                       {QStringLiteral("I_NUMPREF"), s.prefix},
                       {QStringLiteral("I_NUMBER"), s.number ? fb::Value(std::int64_t{*s.number}) : fb::null()}});
    tr.commit();
}

std::optional<StoredGoodsCheckNumber> GoodsCheckStore::storedNumber(int docId) {
    fb::Transaction tr(db_, fb::Transaction::Access::ReadOnly);
    const std::optional<fb::Row> row = fb::queryOne(
        tr, QStringLiteral("SELECT DOC_GC_NUMBER, DOC_GC_PREFNUMBER, DOC_DATE_D FROM DOCUMENTS WHERE DOC_ID = ?"),
        {std::int64_t{docId}});
    tr.commit();
    if (!row) return std::nullopt;
    const std::optional<std::int64_t> n = fb::toInt64((*row)[QStringLiteral("DOC_GC_NUMBER")]);
    if (!n || *n < 1) return std::nullopt;
    return StoredGoodsCheckNumber{int(*n), row->str(QStringLiteral("DOC_GC_PREFNUMBER")),
                                  fb::toDate((*row)[QStringLiteral("DOC_DATE_D")]).value_or(QDate())};
}

void GoodsCheckStore::recordNumber(int docId, int number, const QString& prefix) {
    fb::Transaction tr(db_);
    // A receipt not stored (yet) has no row to keep the number; the number
    // is spent all the same.
    if (docId > 0)
        fb::execute(tr,
                    QStringLiteral("UPDATE DOCUMENTS SET DOC_GC_NUMBER = ?, DOC_GC_PREFNUMBER = ? WHERE DOC_ID = ?"),
                    {std::int64_t{number}, prefix.trimmed(), std::int64_t{docId}});
    // The counter lives in the settings row. A database whose print settings
    // were never saved has none, and without one every goods check would
    // come out as number 1: the first number spent creates it.
    if (fb::execute(tr, QStringLiteral("UPDATE GOODSCHECK_SETTINGS SET GC_NUMBER = ?"), {std::int64_t{number} + 1}) ==
        0)
        fb::execute(tr, QStringLiteral("INSERT INTO GOODSCHECK_SETTINGS (GC_NUMBER) VALUES (?)"),
                    {std::int64_t{number} + 1});
    tr.commit();
}

QString signatureLine(const QString& cashier) {
    const QString name = cashier.trimmed();
    return name.isEmpty() ? QStringLiteral("/ ____________________ /")
                          : QStringLiteral("/ ") + name + QStringLiteral(" /");
}

bool showGoodsCheck(QWidget* parent, const QString& programFolder, const GoodsCheckContent& content,
                    std::function<void()> onPrintSetupOpened) {
    report::ReportProject project;
    if (!project.open(report::projectPath(programFolder))) {
        ui::showError(goodsCheckText::kNoProjectFile, parent);
        return false;
    }
    if (!project.selectReport(QStringLiteral("GoodsCheck"))) {
        ui::showError(goodsCheckText::kNoReport, parent);
        return false;
    }
    report::Report& r = project.report();
    // The layout names a Windows font; the report layer finds its metric
    // twin on this system.
    for (const QString& name : r.textComponents()) r.setFont(name, QStringLiteral("Times New Roman"));
    r.setText(QStringLiteral("txtAddress"), content.address);
    r.setText(QStringLiteral("txtHead"), content.title);
    // A continuation sheet that slips out of the pile still tells whose it is.
    r.setText(QStringLiteral("txtHeadNext"), content.title + QStringLiteral(", лист {page}"));
    r.setText(QStringLiteral("txtItogo"), content.total);
    r.setText(QStringLiteral("txtSummaWord"),
              amountInWords(content.total).value_or(content.total.trimmed() + QStringLiteral(" рублей")));
    r.setText(QStringLiteral("txtFIO"), signatureLine(content.cashier));
    layOutGoodsCheckHeader(r, content.header);
    r.bindData(QStringLiteral("RvDataSetConnDM"), content.lines);

    report::PreviewOptions options;
    options.title = QStringLiteral("Товарный чек");
    options.zoomPercent = 90;
    options.width = 820;
    options.onPrintSetupOpened = std::move(onPrintSetupOpened);
    report::showPreview(parent, r, options);
    return true;
}

}  // namespace archive

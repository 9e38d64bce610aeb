// Prints one receipt on the register emulator in a program folder and
// stores it in that folder's database, as the receipt window does, but dies
// by SIGKILL at the step named on the command line, as a killed process or a
// power cut would:
//   print_and_die <program folder> after-close | before-close | after-commit | none
// Exit codes without a kill: 0 printed and stored, 2 not printed, 3 not stored.
#include "platform/db/Connection.h"
#include "platform/fiscal/RegisterEmulator.h"
#include "sales/closing/PrintSettle.h"
#include "sales/closing/ReceiptPrinter.h"

#include "PrintJobSample.h"

#include <QCoreApplication>
#include <QDir>

#include <csignal>

using namespace fiscal;
using namespace sales;

namespace {

[[noreturn]] void die() {
    std::raise(SIGKILL);
    std::abort();
}

struct DriverAccess : IFiscalDriver {
    static void store(IFiscalDriver& d, int id, const QVariant& v) { (d.*(&DriverAccess::storeParam))(id, v); }
    static QVariant output(const IFiscalDriver& d, int id) { return (d.*(&DriverAccess::outputParam))(id); }
};

// The emulator as it is, except that the process dies around closeReceipt.
class DyingLink final : public IFiscalDriver {
public:
    DyingLink(RegisterEmulator& kkt, QString stage) : kkt_(kkt), stage_(std::move(stage)) {}

    int open() override { return kkt_.open(); }
    int close() override { return kkt_.close(); }
    bool isOpened() const override { return kkt_.isOpened(); }
    QString version() const override { return kkt_.version(); }
    int errorCode() const override { return kkt_.errorCode(); }
    QString errorDescription() const override { return kkt_.errorDescription(); }
    int resetError() override { return kkt_.resetError(); }
    int queryData() override { return kkt_.queryData(); }
    int fnQueryData() override { return kkt_.fnQueryData(); }
    int operatorLogin() override { return kkt_.operatorLogin(); }
    int openShift() override { return kkt_.openShift(); }
    int report() override { return kkt_.report(); }
    int cashIncome() override { return kkt_.cashIncome(); }
    int openReceipt() override { return kkt_.openReceipt(); }
    int cancelReceipt() override { return kkt_.cancelReceipt(); }
    int registration() override { return kkt_.registration(); }
    int payment() override { return kkt_.payment(); }
    int closeReceipt() override {
        if (stage_ == QLatin1String("before-close")) die();  // the receipt is open in the register
        const int rc = kkt_.closeReceipt();
        if (stage_ == QLatin1String("after-close")) die();  // fiscalised, nothing read back yet
        return rc;
    }
    int checkDocumentClosed() override { return kkt_.checkDocumentClosed(); }
    int beginMarkingCodeValidation() override { return kkt_.beginMarkingCodeValidation(); }
    int getMarkingCodeValidationStatus() override { return kkt_.getMarkingCodeValidationStatus(); }
    int acceptMarkingCode() override { return kkt_.acceptMarkingCode(); }
    int declineMarkingCode() override { return kkt_.declineMarkingCode(); }
    int cancelMarkingCodeValidation() override { return kkt_.cancelMarkingCodeValidation(); }
    int clearMarkingCodeValidationResult() override { return kkt_.clearMarkingCodeValidationResult(); }
    int utilFormTlv() override { return kkt_.utilFormTlv(); }

protected:
    void storeParam(int id, const QVariant& value) override { DriverAccess::store(kkt_, id, value); }
    QVariant outputParam(int id) const override { return DriverAccess::output(kkt_, id); }

private:
    RegisterEmulator& kkt_;
    QString stage_;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) return 64;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString stage = QString::fromLatin1(argv[2]);

    RegisterEmulator kkt(folder);
    DyingLink link(kkt, stage);
    ReceiptPrinter printer(folder);
    PrintJob job = salestest::saleJob("04600000000017", "2000012000005");
    job.cashierInn = QStringLiteral("500100732259");
    const PrintOutcome printed = printer.print(&link, job);
    if (printed.state != PrintOutcome::State::Printed) return 2;

    fb::ConnectionParams params;
    params.database = QDir(folder).filePath(QStringLiteral("DB/TARVI_BASE.FDB"));
    fb::Connection db(params);
    const ReceiptStorer toDatabase = databaseStorer(&db);
    const ReceiptStorer store = [&](const PrintJob& j, const FiscalDocumentInfo& d) {
        const StoreResult r = toDatabase(j, d);
        if (r.ok() && stage == QLatin1String("after-commit")) die();  // committed, the record not yet removed
        return r;
    };
    const StoreResult stored = storePrinted(printer.journal(), printed.recordId, printed.job, printed.document, store);
    return stored.ok() ? 0 : 3;
}

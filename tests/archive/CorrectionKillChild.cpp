// A till that prints one correction receipt through the register service
// at the given port and is killed by the test while the service keeps it
// waiting: the kill test checks that the printed receipt is never lost.
// Arguments: database file, program folder (its print journal), port, and
// optionally a step of the correction at which the till dies by itself
// ("journaled", "sent", "replied"), as a power cut would take it.
#include "archive/CorrectionFlow.h"

#include "platform/db/Connection.h"
#include "platform/ui/MessageService.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdlib>

namespace {

class NoWait : public archive::CorrectionWaitView {
public:
    void open(const QString&, const QString&) override {}
    void setText(const QString&) override {}
    void close() override {}
};

// Nobody is there to press OK.
class SilentMessages : public ui::MessageService {
public:
    void show(QWidget*, const QString&, ui::Icon, const QString&) override {}
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4 && args.size() != 5) return 2;
    SilentMessages messages;
    ui::setMessageService(&messages);
    fb::ConnectionParams params;
    params.database = args.at(1);
    fb::Connection db(params);
    db.attach();
    QString port = QStringLiteral("COM3");
    QString baud = QStringLiteral("115200");
    QString key;
    net::ClientOptions options;
    options.host = QStringLiteral("127.0.0.1");
    options.port = quint16(args.at(3).toUInt());
    options.connectTimeoutMs = 2000;
    options.readTimeoutMs = 30000;
    archive::KktJsonChannel channel(archive::KktJsonSessionVars{&key, &port, &baud}, options);
    NoWait wait;
    archive::CorrectionFlow flow(channel, db, wait, {}, nullptr, sales::PrintJournal(args.at(2)));
    const QString dieAt = args.value(4);
    flow.setStepHook([dieAt](const QString& step) {
        if (step != dieAt) return;
        std::raise(SIGKILL);
        std::abort();
    });
    archive::CorrectionOrder order;
    order.userName = QStringLiteral("Иванов И.И.");
    order.causeName = QStringLiteral("Касса не пробила чек");
    order.causeDate = QDate::currentDate();
    order.causeDocNum = QStringLiteral("17");
    order.kopecks = 50000;
    order.taxSystem = 1;
    return flow.print(order) == archive::CorrectionFlow::Outcome::Done ? 0 : 1;
}

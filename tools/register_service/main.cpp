// The register service stand-in as a program, for trying correction
// receipts without the register's own service: listens on 127.0.0.1 at the
// port given (50009 by default) and ends after ten idle minutes.
#include "tools/register_service/RegisterServiceStandIn.h"

#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const quint16 port = args.size() > 1 ? quint16(args.at(1).toUInt()) : quint16(50009);
    constexpr int kIdleLimitMs = 10 * 60 * 1000;
    tools::RegisterServiceStandIn service(kIdleLimitMs);
    if (service.start(port) == 0) {
        QTextStream(stderr) << "cannot listen on 127.0.0.1:" << port << '\n';
        return 1;
    }
    QTextStream(stdout) << "register service stand-in on 127.0.0.1:" << service.port() << Qt::endl;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &app, [&] {
        if (!service.isListening()) app.quit();
    });
    watch.start(1000);
    return app.exec();
}

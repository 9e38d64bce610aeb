#include "TestHooks.h"

#include "core/uAuthor.h"
#include "platform/sys/DbEngine.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace app {

namespace {
class EmbeddedOnly : public sys::DbEngine {
public:
    bool serverRunning() const override { return false; }
};
}  // namespace

void applyTestHooks(core::StartupOptions& options, std::function<void()>& createWindows) {
    if (qEnvironmentVariable("TARVI_TEST_EMBEDDED") == QLatin1String("1")) {
        static EmbeddedOnly embedded;
        sys::setDbEngine(&embedded);
    }
    const QString key = qEnvironmentVariable("TARVI_TEST_INSTANCE_KEY");
    if (!key.isEmpty()) options.instanceKey = key;
    const QString login = qEnvironmentVariable("TARVI_TEST_LOGIN");
    if (login.isEmpty()) return;
    createWindows = [inner = createWindows, login] {
        if (inner) inner();
        core::TfmAuthor* author = core::fmAuthor;
        if (!author) return;
        QObject::connect(author, &core::TfmAuthor::loggedIn, author, [] {
            std::fputs("logged in\n", stdout);
            std::fflush(stdout);
        });
        QTimer::singleShot(0, author, [author, login] {
            const QString name = login.section(QLatin1Char('\t'), 0, 0);
            const QString password = login.section(QLatin1Char('\t'), 1);
            author->findChild<QComboBox*>(QStringLiteral("cmbLogin"))->setEditText(name);
            author->findChild<QLineEdit*>(QStringLiteral("edPassword"))->setText(password);
            author->findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
        });
    };
}

}  // namespace app

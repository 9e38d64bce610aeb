#pragma once
#include <QObject>

class QSocketNotifier;

namespace sys {

// SIGTERM, SIGINT and SIGHUP (a session logout, `kill`, Ctrl+C) end the
// program the normal way: the signal is passed through a pipe to the event
// loop, which emits quitRequested(), and the program quits as if the
// cashier had closed it, so files are saved and the database detached.
//
// The embedded database engine installs signal handlers of its own when it
// first attaches; they shut the engine down and leave the process running
// without its database. The engine asks before it does that, and the
// answer given here is no: its shutdown is refused and the program quits
// through quitRequested() instead, whichever handler saw the signal first.
class QuitSignals : public QObject {
    Q_OBJECT
public:
    // One per process; a second instance takes nothing over.
    explicit QuitSignals(QObject* parent = nullptr);
    ~QuitSignals() override;

    bool isActive() const { return notifier_ != nullptr; }

signals:
    // The signal number; SIGTERM when the engine passed the request on.
    void quitRequested(int signal);

private:
    void readPipe();

    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace sys

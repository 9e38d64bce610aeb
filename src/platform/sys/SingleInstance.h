#pragma once
#include <QObject>
#include <QString>

class QLocalServer;

namespace sys {

// One running copy per user and computer. The first copy listens on a local
// socket named after the login window's class and caption; a later copy
// finds it there, asks it to come forward and ends without a window. A
// socket left behind by a crashed copy is removed and taken over.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString key = defaultKey(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // True: this is the only copy (now listening). False: another copy runs
    // and has been asked to come forward.
    bool tryBecomePrimary();

    static QString defaultKey();
    QString serverName() const { return name_; }

signals:
    void activationRequested();

private:
    QString name_;
    QLocalServer* server_ = nullptr;
};

}  // namespace sys

#include "archive/MainScreenChannel.h"

#include "archive/KktJsonChannel.h"
#include "sales/screen/Registration_Mode.h"

#include <QObject>

namespace archive {

namespace {

// Carries the channel as a child of the screen, so both end together.
class ChannelHolder : public QObject {
public:
    explicit ChannelHolder(TfmReg& screen)
        : QObject(&screen), channel({&screen.KktJsonSessionKey, &screen.KktJsonPortName, &screen.KktJsonBaudRate}) {
        setObjectName(QStringLiteral("IdTCPClient1"));
        KktJsonChannel* ch = &channel;
        TfmReg* reg = &screen;
        channel.setSessionOpenedHandler([reg, ch] {
            reg->attachJsonIdle([ch](const QString& key) { return ch->pollSession(key); },
                                [ch] { ch->KktJsonClosePorts(); });
        });
    }
    KktJsonChannel channel;
};

}  // namespace

KktJsonChannel& kktJsonChannel(TfmReg& screen) {
    for (QObject* child : screen.children()) {
        if (auto* holder = dynamic_cast<ChannelHolder*>(child)) return holder->channel;
    }
    return (new ChannelHolder(screen))->channel;
}

}  // namespace archive

#include "core/ScaleConnection.h"

#include "core/Pos2m.h"
#include "core/ScalePolling.h"
#include "platform/serial/Clock.h"
#include "platform/serial/QtSerialPort.h"

ScaleConnection::ScaleConnection(QObject* parent)
    : ScaleConnection(std::make_unique<serial::QtSerialPort>(),
                      std::make_unique<serial::SystemClock>(), parent) {}

ScaleConnection::ScaleConnection(std::unique_ptr<serial::SerialPort> port,
                                 std::unique_ptr<serial::Clock> clock, QObject* parent)
    : QObject(parent), port_(std::move(port)), clock_(std::move(clock)) {}

ScaleConnection::~ScaleConnection() {
    port_->close();
}

void ScaleConnection::setConnected(bool connected) {
    if (connected_ == connected)
        return;
    connected_ = connected;
    emit connectionChanged(connected);
}

ScaleTestResult ScaleConnection::connectScale(const ScaleParams& params) {
    ScaleTestResult result =
        ScaleTester::run(*port_, *clock_, params, [this] { setConnected(false); });
    if (result.ok) {
        current_ = {params.protocol, params.port.trimmed(), params.baudRate.trimmed(),
                    params.timeout.trimmed()};
        setConnected(true);
    }
    return result;
}

void ScaleConnection::disconnectScale() {
    port_->close();
    setConnected(false);
}

ScaleReading ScaleConnection::fail(ScaleReadError error) {
    disconnectScale();
    return {std::nullopt, error};
}

ScaleReading ScaleConnection::readWeight() {
    if (!connected_)
        return {std::nullopt, ScaleReadError::NotConnected};
    if (!port_->isOpen())
        return fail(ScaleReadError::PortFailure);
    if (current_.protocol != pos2m::kProtocolCode)
        return fail(ScaleReadError::UnsupportedProtocol);

    if (!port_->purge() || !port_->write(pos2m::stateRequest()))
        return fail(ScaleReadError::PortFailure);
    if (!waitForScaleBytes(*port_, *clock_, 1))
        return fail(ScaleReadError::Timeout);
    const QByteArray state = port_->read(1);
    if (state.size() != 1)
        return fail(ScaleReadError::PortFailure);
    if (state[0] != pos2m::kReady)
        return fail(ScaleReadError::InvalidAnswer);

    if (!port_->write(pos2m::weightRequest()))
        return fail(ScaleReadError::PortFailure);
    if (!waitForScaleBytes(*port_, *clock_, pos2m::kWeightReplySize))
        return fail(ScaleReadError::Timeout);
    const QByteArray reply = port_->read(pos2m::kWeightReplySize);
    if (reply.size() != pos2m::kWeightReplySize)
        return fail(ScaleReadError::PortFailure);
    const std::optional<int> grams = pos2m::parseWeightReply(reply);
    if (!grams)
        return fail(ScaleReadError::InvalidAnswer);
    return {grams, ScaleReadError::None};
}

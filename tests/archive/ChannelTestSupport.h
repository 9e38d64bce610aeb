#pragma once
// The register channel over the stand-in service on a loopback port the
// test chose, with short time limits so that faults end quickly.
#include "archive/KktJsonChannel.h"
#include "tools/register_service/RegisterServiceStandIn.h"

#include <gtest/gtest.h>

#include <memory>

namespace archivetest {

inline net::ClientOptions loopback(quint16 port, int readTimeoutMs = 1500) {
    net::ClientOptions o;
    o.host = QStringLiteral("127.0.0.1");
    o.port = port;
    o.connectTimeoutMs = 2000;
    o.readTimeoutMs = readTimeoutMs;
    return o;
}

inline tools::ServiceReply refusal(int code, const QString& description) {
    tools::ServiceReply r;
    r.result = code;
    r.description = description;
    return r;
}

inline tools::ServiceReply fault(tools::ServiceReply::Fault f) {
    tools::ServiceReply r;
    r.fault = f;
    return r;
}

}  // namespace archivetest

#pragma once
// Frames of the register service's channel: a 4-byte unsigned byte count in
// network byte order, then exactly that many bytes of UTF-8 JSON. No
// terminator, no other header, the same in both directions.
#include <QByteArray>

#include <cstdint>
#include <optional>

namespace net {

// A reply longer than this is not a reply of the register service: a bogus
// count must not make the till wait for (or allocate) gigabytes.
inline constexpr std::uint32_t kMaxFrameBytes = 1024 * 1024;

QByteArray encodeFrame(const QByteArray& payload);

// Collects bytes as they arrive and hands out whole frames, however the
// stream was cut into segments.
class FrameReader {
public:
    explicit FrameReader(std::uint32_t maxPayload = kMaxFrameBytes) : max_(maxPayload) {}

    void append(const QByteArray& bytes) { buffer_.append(bytes); }
    // The next whole payload, or nullopt while it is incomplete (or refused:
    // see oversized()).
    std::optional<QByteArray> next();
    // The announced length exceeds the cap: nothing more will be read.
    bool oversized() const { return oversized_; }
    // Bytes of an unfinished frame are waiting.
    bool hasPartial() const { return !buffer_.isEmpty(); }
    // The announced length of the frame being read, once its header is in.
    std::optional<std::uint32_t> announced() const;

private:
    std::uint32_t max_;
    QByteArray buffer_;
    bool oversized_ = false;
};

}  // namespace net

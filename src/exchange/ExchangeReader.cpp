#include "ExchangeReader.h"

#include <QIODevice>

namespace exchange {
namespace {
constexpr qint64 kChunk = 64 * 1024;
}

LineSource::LineSource(QIODevice& device) : device_(device) {}

bool LineSource::fill() {
    if (eof_) return false;
    if (pos_ > 0) {
        buffer_.remove(0, pos_);
        pos_ = 0;
    }
    const qsizetype old = buffer_.size();
    buffer_.resize(old + kChunk);
    const qint64 n = device_.read(buffer_.data() + old, kChunk);
    buffer_.resize(old + std::max<qint64>(n, 0));
    if (n <= 0) eof_ = true;
    return n > 0;
}

bool LineSource::next(QString& line) {
    for (;;) {
        const char* data = buffer_.constData();
        const qsizetype size = buffer_.size();
        qsizetype i = pos_;
        while (i < size && data[i] != '\n' && data[i] != '\r') ++i;
        if (i < size) {
            // A CR as the last byte of the buffer may be the first half of CR LF.
            if (data[i] == '\r' && i + 1 == size && !eof_) {
                fill();
                continue;
            }
            qsizetype end = i + 1;
            if (data[i] == '\r' && end < size && data[end] == '\n') ++end;
            line = decodeCp1251(data + pos_, i - pos_);
            consumed_ += end - pos_;
            pos_ = end;
            ++lineNumber_;
            return true;
        }
        if (!fill()) {
            if (pos_ >= buffer_.size()) return false;
            // The last line without an ending.
            line = decodeCp1251(buffer_.constData() + pos_, buffer_.size() - pos_);
            consumed_ += buffer_.size() - pos_;
            pos_ = buffer_.size();
            ++lineNumber_;
            return true;
        }
    }
}

bool ExchangeReader::nextMeaningful(QString& trimmed) {
    QString line;
    while (lines_.next(line)) {
        trimmed = trimControls(line);
        if (classifyLine(trimmed) != LineKind::Skipped) return true;
    }
    return false;
}

ExchangeReader::Header ExchangeReader::readHeader() {
    QString line;
    if (!nextMeaningful(line)) return Header::Empty;
    if (line != kHeaderLine) return Header::NotFormat;
    if (!nextMeaningful(line)) return Header::NotFormat;
    if (line == kStatusLoaded) return Header::Loaded;
    return line == kStatusNew ? Header::Ok : Header::NotFormat;
}

QString ExchangeReader::headerMessage(Header h) {
    switch (h) {
        case Header::Ok:
            return {};
        case Header::Empty:
            return msg::kEmpty;
        case Header::Loaded:
            return msg::kLoaded;
        case Header::NotFormat:
            break;
    }
    return msg::kNotFormat;
}

bool ExchangeReader::next(ImportEvent& event) {
    if (refused_ || stopped_) return false;
    QString line;
    while (nextMeaningful(line)) {
        const int number = lines_.lineNumber();
        if (lineSeen && !lineSeen(number)) {
            stopped_ = true;
            return false;
        }
        event.line = number;
        RecordKind kind = kind_;
        if (classifyLine(line) == LineKind::Command) {
            kind_ = commandKind(line);
            kind = kind_;
            if (kind != RecordKind::DeleteGoods && kind != RecordKind::DeleteBarcodes) continue;
        }
        switch (kind) {
            case RecordKind::Goods: {
                auto parsed = parseGoodsRecord(line, number, goods_);
                if (auto* refusal = std::get_if<Refusal>(&parsed)) {
                    refused_ = true;
                    event.type = ImportEvent::Type::Refused;
                    event.message = std::move(refusal->message);
                    return true;
                }
                event.type = ImportEvent::Type::Goods;
                event.goods = std::move(std::get<GoodsRecord>(parsed));
                ++goods_;
                return true;
            }
            case RecordKind::Barcodes:
                if (auto code = parseBarcodeRecord(line)) {
                    event.type = ImportEvent::Type::Barcode;
                    event.barcode = std::move(*code);
                    return true;
                }
                continue;
            case RecordKind::DeleteGoods:
                event.type = ImportEvent::Type::DeleteAllGoods;
                return true;
            case RecordKind::DeleteBarcodes:
                event.type = ImportEvent::Type::DeleteAllBarcodes;
                return true;
            case RecordKind::Skipped:
                continue;
        }
    }
    return false;
}

}  // namespace exchange

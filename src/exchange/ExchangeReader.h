#pragma once
// Reads a goods exchange file as a stream: one physical line at a time, so
// memory does not grow with the file, and every line counted (header and
// comments included) for the messages that name a line.
#include "ExchangeFormat.h"

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

namespace exchange {

// Splits bytes into lines at CR LF, LF or a lone CR.
class LineSource {
public:
    explicit LineSource(QIODevice& device);
    // The next line without its ending, decoded; false at the end.
    bool next(QString& line);
    int lineNumber() const { return lineNumber_; }
    qint64 bytesRead() const { return consumed_; }

private:
    bool fill();

    QIODevice& device_;
    QByteArray buffer_;
    qsizetype pos_ = 0;
    bool eof_ = false;
    int lineNumber_ = 0;
    qint64 consumed_ = 0;
};

// What the body of a file asks for, line by line.
struct ImportEvent {
    enum class Type { Goods, Barcode, DeleteAllGoods, DeleteAllBarcodes, Refused };
    Type type = Type::Goods;
    int line = 0;
    GoodsRecord goods;
    BarcodeRecord barcode;
    QString message;  // Refused
};

class ExchangeReader {
public:
    enum class Header { Ok, NotFormat, Empty, Loaded };

    explicit ExchangeReader(QIODevice& device) : lines_(device) {}

    // Reads the header and the status line. Call once, before next().
    Header readHeader();
    static QString headerMessage(Header h);

    // The next event of the body; false at the end of the file or after a
    // stop. A line that asks for nothing (a skipped section, a barcode record
    // to skip) yields no event but still passes through `lineSeen`. After a
    // Refused event the reader reads no further.
    bool next(ImportEvent& event);

    // Physical lines read so far, header and comments included.
    int lineNumber() const { return lines_.lineNumber(); }
    // Goods records yielded so far (groups included).
    int goodsCount() const { return goods_; }
    // Called for every line of the body that is neither empty nor a comment,
    // before its event; a caller uses it for progress and for stop requests.
    std::function<bool(int line)> lineSeen;
    bool stopped() const { return stopped_; }

private:
    bool nextMeaningful(QString& trimmed);

    LineSource lines_;
    RecordKind kind_ = RecordKind::Goods;
    int goods_ = 0;
    bool refused_ = false;
    bool stopped_ = false;
};

}  // namespace exchange

#include "platform/fiscal/RegisterTape.h"

#include "platform/fiscal/Amounts.h"
#include "platform/fiscal/AtomicFile.h"
#include "platform/fiscal/FiscalConstants.h"

#include <QFile>
#include <QRegularExpression>

#include <fcntl.h>
#include <unistd.h>

namespace fiscal {

namespace {

constexpr int kWidth = 40;

QString centred(const QString& text) {
    const qsizetype pad = (kWidth - text.size()) / 2;
    return pad > 0 ? QString(pad, u' ') + text : text;
}

// Left text and right text on one line; a long left text keeps its own line.
QString columns(const QString& left, const QString& right) {
    const qsizetype gap = kWidth - left.size() - right.size();
    if (gap >= 1) return left + QString(gap, u' ') + right;
    return left + u'\n' + right.rightJustified(kWidth, u' ');
}

// Long names break between words, as the printer does.
QStringList wrapped(const QString& text) {
    QStringList lines;
    QString line;
    for (const QString& word : text.split(u' ')) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > kWidth) {
            lines << line;
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
        while (line.size() > kWidth) {
            lines << line.left(kWidth);
            line = line.mid(kWidth);
        }
    }
    if (!line.isEmpty() || lines.isEmpty()) lines << line;
    return lines;
}

QString money(qint64 kopecks) { return u'=' + formatScaled(kopecks, 2); }

QString stamp(const QDateTime& at) { return at.toString(QStringLiteral("dd.MM.yyyy hh:mm")); }

QString rule(QChar c) { return QString(kWidth, c); }

// What heads a fiscal document printed after its time.
QString lateHeading() { return centred(QStringLiteral("ДОКУМЕНТ ИЗ ПАМЯТИ ФН")); }

void appendFooter(QStringList& lines, const FiscalDocument& doc) {
    lines << columns(QStringLiteral("ФД %1").arg(doc.number), QStringLiteral("ФП %1").arg(doc.fiscalSign))
          << stamp(doc.dateTime);
}

}  // namespace

QString receiptTypeName(int type) {
    switch (type) {
    case LIBFPTR_RT_SELL: return QStringLiteral("ПРИХОД");
    case LIBFPTR_RT_SELL_RETURN: return QStringLiteral("ВОЗВРАТ ПРИХОДА");
    case LIBFPTR_RT_BUY: return QStringLiteral("РАСХОД");
    case LIBFPTR_RT_BUY_RETURN: return QStringLiteral("ВОЗВРАТ РАСХОДА");
    default: return QString();
    }
}

QString taxTypeName(int type) {
    switch (type) {
    case LIBFPTR_TAX_VAT20: return QStringLiteral("НДС 20%");
    case LIBFPTR_TAX_VAT10: return QStringLiteral("НДС 10%");
    case LIBFPTR_TAX_VAT120: return QStringLiteral("НДС 20/120");
    case LIBFPTR_TAX_VAT110: return QStringLiteral("НДС 10/110");
    case LIBFPTR_TAX_VAT0: return QStringLiteral("НДС 0%");
    case LIBFPTR_TAX_NO: return QStringLiteral("БЕЗ НДС");
    default: return QString();
    }
}

QString paymentTypeName(int type) {
    switch (type) {
    case LIBFPTR_PT_CASH: return QStringLiteral("НАЛИЧНЫМИ");
    case LIBFPTR_PT_ELECTRONICALLY: return QStringLiteral("БЕЗНАЛИЧНЫМИ");
    case LIBFPTR_PT_PREPAID: return QStringLiteral("ПРЕДВАРИТЕЛЬНАЯ ОПЛАТА");
    default: return QString();
    }
}

QString taxSystemName(int system) {
    switch (system) {
    case LIBFPTR_TT_OSN: return QStringLiteral("ОСН");
    case LIBFPTR_TT_USN_INCOME: return QStringLiteral("УСН доход");
    case LIBFPTR_TT_USN_INCOME_OUTCOME: return QStringLiteral("УСН доход - расход");
    case LIBFPTR_TT_ESN: return QStringLiteral("ЕСХН");
    case LIBFPTR_TT_PATENT: return QStringLiteral("ПСН");
    default: return QString();
    }
}

RegisterTape::RegisterTape(QString path, QString modelName)
    : path_(std::move(path)), modelName_(std::move(modelName)) {}

QStringList RegisterTape::header(const RegisterState& state, const QString& title) const {
    QStringList lines{rule(u'='), centred(modelName_), centred(QStringLiteral("ЗН ККТ ") + state.serialNumber)};
    for (const QString& line : title.split(u'\n')) lines << centred(line);
    if (!state.cashierName.isEmpty()) lines << columns(QStringLiteral("Кассир"), state.cashierName);
    if (!state.cashierInn.isEmpty()) lines << columns(QStringLiteral("ИНН кассира"), state.cashierInn);
    return lines;
}

QStringList RegisterTape::receipt(const RegisterState& state, const OpenReceipt& r, const FiscalDocument& doc,
                                  qint64 change) const {
    QStringList lines = header(state, QStringLiteral("КАССОВЫЙ ЧЕК\n") + receiptTypeName(r.type));
    lines << columns(QStringLiteral("Смена %1").arg(state.shiftNumber),
                     QStringLiteral("Чек %1").arg(state.receiptsInShift))
          << rule(u'-');
    for (const auto& p : r.positions) {
        lines << wrapped(p.name);
        lines << columns(QStringLiteral("  %1 x %2").arg(formatScaled(p.quantity, 3), formatScaled(p.price, 2)),
                         money(p.sum));
        lines << QStringLiteral("  ") + taxTypeName(p.taxType);
        if (!p.markingCode.isEmpty()) lines << QStringLiteral("  [М] ") + p.markingCode;
        if (!p.fractionalQuantity.isEmpty()) lines << QStringLiteral("  Дробное количество ") + p.fractionalQuantity;
    }
    lines << rule(u'-') << columns(QStringLiteral("ИТОГ"), money(r.total()));
    for (const auto& p : r.payments) lines << columns(paymentTypeName(p.type), money(p.sum));
    if (change > 0) lines << columns(QStringLiteral("СДАЧА"), money(change));
    if (r.taxSystem) lines << columns(QStringLiteral("СНО"), taxSystemName(r.taxSystem));
    if (!r.buyerName.isEmpty()) lines << columns(QStringLiteral("Покупатель"), r.buyerName);
    if (!r.buyerInn.isEmpty()) lines << columns(QStringLiteral("ИНН покупателя"), r.buyerInn);
    if (!r.buyerContact.isEmpty()) lines << columns(QStringLiteral("Эл. адрес покупателя"), r.buyerContact);
    if (!r.refundedFiscalSign.isEmpty()) lines << columns(QStringLiteral("ФП возвращаемого чека"), r.refundedFiscalSign);
    appendFooter(lines, doc);
    return lines;
}

QStringList RegisterTape::cancelledReceipt(const RegisterState& state, const OpenReceipt& r,
                                           const QDateTime& at) const {
    QStringList lines = header(state, QStringLiteral("ЧЕК АННУЛИРОВАН\n") + receiptTypeName(r.type));
    lines << columns(QStringLiteral("ИТОГ"), money(r.total())) << stamp(at);
    return lines;
}

QStringList RegisterTape::shiftOpened(const RegisterState& state, const FiscalDocument& doc) const {
    QStringList lines = header(state, QStringLiteral("ОТЧЕТ ОБ ОТКРЫТИИ СМЕНЫ"));
    lines << columns(QStringLiteral("Смена"), QString::number(state.shiftNumber));
    appendFooter(lines, doc);
    return lines;
}

QStringList RegisterTape::shiftReport(const RegisterState& state, const QDateTime& at,
                                      const FiscalDocument* doc) const {
    QStringList lines = header(state, doc ? QStringLiteral("ОТЧЕТ О ЗАКРЫТИИ СМЕНЫ") : QStringLiteral("X-ОТЧЕТ"));
    lines << columns(QStringLiteral("Смена"), QString::number(state.shiftNumber))
          << columns(QStringLiteral("Чеков за смену"), QString::number(state.totals.receipts))
          << columns(QStringLiteral("ПРИХОД"), money(state.totals.sell))
          << columns(QStringLiteral("ВОЗВРАТ ПРИХОДА"), money(state.totals.sellReturn))
          << columns(QStringLiteral("РАСХОД"), money(state.totals.buy))
          << columns(QStringLiteral("ВОЗВРАТ РАСХОДА"), money(state.totals.buyReturn))
          << columns(QStringLiteral("ВНЕСЕНИЯ"), money(state.totals.cashIncome))
          << columns(QStringLiteral("НАЛИЧНЫХ В КАССЕ"), money(state.cash));
    if (doc)
        appendFooter(lines, *doc);
    else
        lines << stamp(at);
    return lines;
}

QStringList RegisterTape::cashIncome(const RegisterState& state, qint64 sum, const QDateTime& at) const {
    QStringList lines = header(state, QStringLiteral("ВНЕСЕНИЕ"));
    lines << columns(QStringLiteral("СУММА"), money(sum)) << columns(QStringLiteral("НАЛИЧНЫХ В КАССЕ"), money(state.cash))
          << stamp(at);
    return lines;
}

namespace {

// One attempt: the whole document reaches the disk, or the tape is left
// exactly as it was (whatever part of it went in is cut off again).
bool appendWhole(int fd, const QByteArray& text) {
    const off_t before = ::lseek(fd, 0, SEEK_END);
    if (before < 0) return false;
    if (writeWhole(fd, text) && ::fsync(fd) == 0) return true;
    if (::ftruncate(fd, before) == 0) ::fsync(fd);
    return false;
}

// Where the document that a write cut short begins, in a tape that ends
// inside a line: every document opens with a line of '=', and one printed
// late repeats that line below its heading.
qsizetype tornDocumentStart(const QByteArray& text) {
    const QByteArray opening(kWidth, '=');
    const QByteArray late = lateHeading().toUtf8();
    // The start of the whole line that ends just before `end`; -1: none.
    const auto lineStart = [&text](qsizetype end) -> qsizetype {
        if (end <= 0) return -1;
        return end < 2 ? 0 : text.lastIndexOf('\n', end - 2) + 1;
    };
    const auto lineAt = [&text](qsizetype from, qsizetype end) { return text.mid(from, end - 1 - from); };

    qsizetype start = text.lastIndexOf('\n') + 1;
    if (!opening.startsWith(text.mid(start))) {
        for (qsizetype end = start, from = lineStart(end); from >= 0; end = from, from = lineStart(end)) {
            if (lineAt(from, end) == opening) {
                start = from;
                break;
            }
        }
    }
    const qsizetype heading = lineStart(start);
    if (heading >= 0 && lineAt(heading, start) == late) {
        const qsizetype first = lineStart(heading);
        if (first >= 0 && lineAt(first, heading) == opening) start = first;
    }
    return start;
}

}  // namespace

void RegisterTape::cutTornTail() const {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) return;
    // Every document goes on whole and ends with a line break, so a tape
    // that ends inside a line holds part of one; it is rare enough to read
    // the whole roll for it.
    const qint64 size = file.size();
    if (size == 0 || !file.seek(size - 1) || file.read(1) == "\n" || !file.seek(0)) return;
    const qsizetype start = tornDocumentStart(file.readAll());
    file.close();
    const int fd = ::open(QFile::encodeName(path_).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return;
    if (::ftruncate(fd, start) == 0) ::fsync(fd);
    ::close(fd);
}

bool RegisterTape::print(const QStringList& lines) const {
    const int fd = ::open(QFile::encodeName(path_).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const QByteArray text = (lines.join(u'\n') + u'\n').toUtf8();
    // A write the disk refused once is tried once more at once: a document
    // is on the tape whole and once, or not at all and still waiting.
    const bool printed = appendWhole(fd, text) || appendWhole(fd, text);
    ::close(fd);
    return printed;
}

bool RegisterTape::writable() const {
    QFile file(path_);
    return file.open(QIODevice::WriteOnly | QIODevice::Append);
}

int RegisterTape::lastDocumentNumber() const {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) return 0;
    // Only the end matters, however long the roll has grown; reports
    // without a number after the last document widen the look back.
    static const QRegularExpression footer(QStringLiteral("^ФД (\\d+) +ФП "));
    const qint64 size = file.size();
    for (qint64 tail = 64 * 1024;; tail *= 4) {
        const qint64 from = qMax<qint64>(0, size - tail);
        if (!file.seek(from)) return 0;
        const QStringList lines = QString::fromUtf8(file.read(size - from)).split(u'\n');
        // A cut first line may be a footer's end: it is not read.
        for (qsizetype i = lines.size() - 1; i >= (from > 0 ? 1 : 0); --i) {
            const QRegularExpressionMatch m = footer.match(lines[i]);
            if (m.hasMatch()) return m.captured(1).toInt();
        }
        if (from == 0) return 0;
    }
}

QStringList RegisterTape::late(const QStringList& lines) const {
    return QStringList{rule(u'='), lateHeading()} + lines;
}

QStringList RegisterTape::restored(const RegisterState& state) const {
    const FiscalDocument& doc = state.lastDocument;
    QStringList lines = header(state, QStringLiteral("ДОКУМЕНТ ИЗ ПАМЯТИ ФН"));
    if (doc.receiptType != 0)
        lines << columns(QStringLiteral("КАССОВЫЙ ЧЕК"), receiptTypeName(doc.receiptType))
              << columns(QStringLiteral("ИТОГ"), money(doc.sum));
    appendFooter(lines, doc);
    lines << rule(u'=');
    return lines;
}

}  // namespace fiscal

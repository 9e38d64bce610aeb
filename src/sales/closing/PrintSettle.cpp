#include "sales/closing/PrintSettle.h"

#include "platform/db/Connection.h"
#include "platform/fiscal/FiscalDriver.h"

namespace sales {

using namespace fiscal;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString unresolvedAfterOthers() {
    return QStringLiteral(" После чека, исход печати которого неизвестен, ККТ напечатала другие документы:     ") +
           kCrLf + QStringLiteral(" по последнему документу ККТ нельзя узнать, напечатан ли он.     ") + kCrLf +
           QStringLiteral(" Сверьте чековую ленту с журналом печати (") + PrintJournal::kFileName +
           QStringLiteral(")     ") + kCrLf + QStringLiteral(" и сообщите администратору.     ");
}


QString cancelRefused(const QString& description) {
    return QStringLiteral(" В ККТ остался открытый чек, отменить его не удалось.     ") + kCrLf +
           QStringLiteral(" Ответ драйвера: '") + description + QStringLiteral("'     ");
}

CorrectionSettler& correctionSettler() {
    static CorrectionSettler settler;
    return settler;
}

}  // namespace

QString journalUnreadableMessage(const PrintJournal& journal) {
    // The parser's own words help nobody at the till: the file is named, and
    // only a person who compares it with the register's tape can mend it.
    return QStringLiteral(" Поврежден файл журнала печати чеков:     ") + kCrLf + QStringLiteral(" ") + journal.path() +
           QStringLiteral("     ") + kCrLf + kCrLf +
           QStringLiteral(" В нем могут быть напечатанные, но не записанные в Базу Данных чеки.     ") + kCrLf +
           QStringLiteral(" Печать чеков и операции с ККТ недоступны, пока этот файл     ") + kCrLf +
           QStringLiteral(" не проверит специалист. Сообщите администратору.     ");
}

void setCorrectionSettler(CorrectionSettler settler) { correctionSettler() = std::move(settler); }

bool documentIsReceipt(const FiscalDocumentInfo& document, const PrintJob& job) {
    const std::optional<int> type = receiptTypeOf(job.kind);
    return type && document.receiptType == *type && document.sum == job.total;
}

RegisterAnswer askRegisterAboutJournal(PrintJournal& journal, IFiscalDriver* driver) {
    RegisterAnswer a;
    if (!journal.readable()) {
        a.blocked = true;
        a.messages.append({journalUnreadableMessage(journal), PrintMessage::Kind::Error});
        return a;
    }
    const QList<JournalRecord> records = journal.records();
    bool opened = false;
    for (JournalRecord r : records) {
        if (!r.needsRegister()) continue;
        const auto unknown = [&](const QString& why) {
            a.blocked = true;
            a.unresolved.append(r);
            if (!why.isEmpty()) a.messages.append({why, PrintMessage::Kind::Error});
        };
        if (!driver) {
            unknown(printText::kNoDriver);
            continue;
        }
        if (!opened) {
            if (driver->open() != 0) {
                a.connectionLost = true;
                unknown(printText::kNoLink);
                continue;
            }
            opened = true;
        }
        const std::optional<FiscalDocumentInfo> last = readLastDocument(*driver);
        if (!last) {
            unknown(unresolvedPrintText(driver->errorDescription()));
            continue;
        }
        const bool newer = last->number > r.documentBefore;
        if (newer && documentIsReceipt(*last, r.job)) {
            // Nothing fiscal runs while a record waits here, so a newer
            // receipt of the same kind and total is this one.
            r.closed = true;
            r.document = *last;
            if (!documentKnown(*last)) {
                unknown(unresolvedPrintText(driver->errorDescription()));
                continue;
            }
            journal.put(r);
            a.printedNow.append(r);
            continue;
        }
        if (r.closed) {
            // Printed, but whatever the register printed since hides its
            // number: it waits for a person, and no longer holds up the till.
            r.documentBefore = -1;
            journal.put(r);
            continue;
        }
        if (newer && last->number > r.documentBefore + 1) {
            unknown(unresolvedAfterOthers());
            continue;
        }
        // Not printed: the one newer document, if any, is something else.
        // Whatever is still open of it in the register goes.
        if (receiptOpenInRegister(*driver) && (driver->cancelReceipt() != 0 || driver->errorCode() != 0)) {
            unknown(cancelRefused(driver->errorDescription()));
            continue;
        }
        journal.remove(r.id);
        ++a.dropped;
    }
    return a;
}

StoreResult storeReceiptSafely(fb::Connection* db, const PrintJob& job, const FiscalDocumentInfo& document,
                               int documentType) {
    StoreResult result;
    result.failure = StoreResult::Failure::Header;
    result.message = QStringLiteral(" При записи документа в БД произошла ошибка.     ");
    // A receipt is stored under the register's number and fiscal sign or
    // not at all: without them it could neither be found nor told apart.
    if (!documentKnown(document)) {
        result.databaseError = QStringLiteral("ККТ не сообщила номер и фискальный признак чека");
        return result;
    }
    try {
        if (db)
            result = storeReceipt(*db, job, document, documentType);
        else
            result.databaseError = QStringLiteral("нет подключения к базе данных");
    } catch (const std::exception& e) {
        result.failure = StoreResult::Failure::Header;
        result.databaseError = QString::fromLocal8Bit(e.what());
    } catch (...) {
        result.failure = StoreResult::Failure::Header;
    }
    return result;
}

ReceiptStorer databaseStorer(fb::Connection* db, int documentType) {
    return [db, documentType](const PrintJob& job, const FiscalDocumentInfo& document) {
        return storeReceiptSafely(db, job, document, documentType);
    };
}

StoreResult storePrinted(PrintJournal& journal, const QString& recordId, const PrintJob& job,
                         const FiscalDocumentInfo& document, const ReceiptStorer& store) {
    // The number and fiscal sign keep a receipt the database already holds
    // (a commit whose record could not be removed) from being stored twice.
    StoreResult result;
    if (receiptIsStored(job.kind)) result = store(job, document);
    if (result.ok()) journal.remove(recordId);
    return result;
}

const SettledReceipt* SettleResult::find(const QString& id) const {
    for (const SettledReceipt& s : stored)
        if (s.record.id == id) return &s;
    for (const SettledReceipt& s : refused)
        if (s.record.id == id) return &s;
    return nullptr;
}

SettleResult settlePrintJournal(PrintJournal& journal, IFiscalDriver* driver, const ReceiptStorer& store) {
    SettleResult result;
    result.answer = askRegisterAboutJournal(journal, driver);
    for (const JournalRecord& r : journal.records()) {
        if (!r.closed || r.isCorrection()) continue;
        if (!documentKnown(r.document)) {
            if (!r.needsRegister()) result.withoutNumber.append(r);
            continue;
        }
        SettledReceipt s{r, storePrinted(journal, r.id, r.job, r.document, store)};
        if (!s.result.ok()) {
            result.refused.append(s);
            continue;
        }
        result.stored.append(s);
    }
    if (correctionSettler() && journal.readable()) correctionSettler()(journal, result);
    return result;
}

SettleResult settleAtLogin(const QString& programFolder, IFiscalDriver* driver, fb::Connection* db) {
    PrintJournal journal(programFolder);
    journal.adoptOldFiles();
    SettleResult r = settlePrintJournal(journal, driver, databaseStorer(db));
    r.correctionNotes << r.correctionLoginNotes;
    if (!r.correctionLoginNotes.isEmpty()) r.correctionsNeedAttention = true;
    return r;
}

bool settleNeedsAttention(const SettleResult& r) {
    for (const SettledReceipt& s : r.stored)
        if (!s.result.lotShortfall.isEmpty()) return true;
    return r.blocked() || !r.refused.isEmpty() || !r.withoutNumber.isEmpty() || r.correctionsNeedAttention;
}

QString settleMessage(const SettleResult& r, bool withUnresolved) {
    QStringList parts;
    int stored = 0;
    for (const SettledReceipt& s : r.stored)
        if (receiptIsStored(s.record.job.kind) && !s.result.alreadyStored) ++stored;
    if (stored > 0) parts << QStringLiteral(" Записано в Базу Данных напечатанных ранее чеков: %1.     ").arg(stored);
    for (const SettledReceipt& s : r.stored)
        if (!s.result.lotShortfall.isEmpty())
            parts << QStringLiteral(" ФД № %1:").arg(s.record.document.number) + kCrLf + s.result.lotShortfall;
    if (!r.refused.isEmpty()) {
        QString text =
            QStringLiteral(" Не удалось записать в Базу Данных напечатанные чеки: %1.     ").arg(r.refused.size()) +
            kCrLf + QStringLiteral(" Они сохранены в журнале печати и будут записаны при следующем входе.     ");
        for (const SettledReceipt& s : r.refused)
            text += kCrLf + QStringLiteral(" ФД № %1: ").arg(s.record.document.number) +
                    (s.result.databaseError.isEmpty() ? s.result.message.trimmed() : s.result.databaseError);
        parts << text;
    }
    if (!r.withoutNumber.isEmpty())
        parts << QStringLiteral(" Напечатанных чеков без номера и фискального признака в журнале печати: %1.     ")
                         .arg(r.withoutNumber.size()) +
                     kCrLf + QStringLiteral(" Сверьте их с чековой лентой и сообщите администратору.     ");
    parts << r.correctionNotes;
    if (withUnresolved && r.blocked()) {
        for (const PrintMessage& m : r.answer.messages) parts << m.text;
    }
    return parts.join(kCrLf + kCrLf);
}

}  // namespace sales

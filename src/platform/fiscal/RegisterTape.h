#pragma once
// The paper roll: every document the register prints is appended to a text
// file as the cashier would see it on paper, 40 characters wide.
#include "platform/fiscal/RegisterState.h"

#include <QString>
#include <QStringList>

namespace fiscal {

class RegisterTape {
public:
    RegisterTape(QString path, QString modelName);

    QStringList receipt(const RegisterState& state, const OpenReceipt& receipt, const FiscalDocument& doc,
                        qint64 change) const;
    QStringList cancelledReceipt(const RegisterState& state, const OpenReceipt& receipt, const QDateTime& at) const;
    QStringList shiftOpened(const RegisterState& state, const FiscalDocument& doc) const;
    // X report when doc is null, close-shift (Z) report otherwise.
    QStringList shiftReport(const RegisterState& state, const QDateTime& at, const FiscalDocument* doc) const;
    QStringList cashIncome(const RegisterState& state, qint64 sum, const QDateTime& at) const;

    // Appends one document whole and puts it on the disk; false when the
    // file cannot take it, which then holds no part of it.
    bool print(const QStringList& lines) const;
    // Whether a document could be appended now (the file opens for writing).
    bool writable() const;
    // Takes off the start of a document that a write cut short left at the
    // end (the disk took part of it and the program ended before taking it
    // back).
    void cutTornTail() const;
    // The number of the last fiscal document on the tape; 0 for none.
    int lastDocumentNumber() const;
    // The last fiscal document as the register's memory keeps it, for a
    // tape that lost it (the power went between the two).
    QStringList restored(const RegisterState& state) const;

    // A fiscal document printed after its time (the tape failed, or the
    // power went), marked as coming from the register's memory.
    QStringList late(const QStringList& lines) const;

    const QString& path() const { return path_; }

private:
    QStringList header(const RegisterState& state, const QString& title) const;

    QString path_;
    QString modelName_;
};

QString receiptTypeName(int receiptType);
QString taxTypeName(int taxType);
QString paymentTypeName(int paymentType);
QString taxSystemName(int taxSystem);

}  // namespace fiscal

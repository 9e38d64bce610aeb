#pragma once
// The register driver as the program calls it.
//
// The driver works like an automation object: the caller sets input
// parameters by id (setParam), calls a method, and reads the method's output
// parameters by id (getParam*). A method consumes the inputs set since the
// previous method; its outputs stay readable until the next method runs.
//
// Methods return 0 on success and -1 on a refusal; either way errorCode()
// and errorDescription() tell what happened (0 and an empty text on success).
// Numbers may be given as numbers or as text with "." or "," ("12.50").
#include "platform/fiscal/FiscalConstants.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>

#include <memory>

namespace fiscal {

class IFiscalDriver {
public:
    virtual ~IFiscalDriver() = default;

    // connection
    virtual int open() = 0;
    virtual int close() = 0;
    virtual bool isOpened() const = 0;
    virtual QString version() const = 0;

    // inputs
    void setParam(int id, int value) { storeParam(id, QVariant(value)); }
    void setParam(int id, double value) { storeParam(id, QVariant(value)); }
    void setParam(int id, bool value) { storeParam(id, QVariant(value)); }
    void setParam(int id, const QString& value) { storeParam(id, QVariant(value)); }
    void setParam(int id, const char* value) { storeParam(id, QVariant(QString::fromUtf8(value))); }
    void setParam(int id, const QDateTime& value) { storeParam(id, QVariant(value)); }
    void setParam(int id, const QByteArray& value) { storeParam(id, QVariant(value)); }

    // outputs of the last method; an absent value reads as 0 / "" / false / invalid
    int getParamInt(int id) const;
    double getParamDouble(int id) const;
    QString getParamString(int id) const;
    bool getParamBool(int id) const;
    QDateTime getParamDateTime(int id) const;
    QByteArray getParamByteArray(int id) const;

    // result of the last method
    virtual int errorCode() const = 0;
    virtual QString errorDescription() const = 0;
    virtual int resetError() = 0;

    // queries
    virtual int queryData() = 0;    // LIBFPTR_PARAM_DATA_TYPE
    virtual int fnQueryData() = 0;  // LIBFPTR_PARAM_FN_DATA_TYPE

    // cashier, shift, reports, cash
    virtual int operatorLogin() = 0;  // tags 1021, 1203
    virtual int openShift() = 0;
    virtual int report() = 0;         // LIBFPTR_PARAM_REPORT_TYPE
    virtual int cashIncome() = 0;     // LIBFPTR_PARAM_SUM

    // receipt
    virtual int openReceipt() = 0;
    virtual int cancelReceipt() = 0;
    virtual int registration() = 0;
    virtual int payment() = 0;
    virtual int closeReceipt() = 0;
    virtual int checkDocumentClosed() = 0;

    // marking codes
    virtual int beginMarkingCodeValidation() = 0;
    virtual int getMarkingCodeValidationStatus() = 0;
    virtual int acceptMarkingCode() = 0;
    virtual int declineMarkingCode() = 0;
    virtual int cancelMarkingCodeValidation() = 0;
    // Empties the register's table of accepted codes, except those already
    // registered in the receipt it has open.
    virtual int clearMarkingCodeValidationResult() = 0;

    // utilities
    virtual int utilFormTlv() = 0;  // the tags set become LIBFPTR_PARAM_TAG_VALUE

protected:
    virtual void storeParam(int id, const QVariant& value) = 0;
    virtual QVariant outputParam(int id) const = 0;
};

// The one place where the program gets its register driver. The driver keeps
// what it must remember between runs in the program folder.
std::unique_ptr<IFiscalDriver> createKktDriver(const QString& programFolder);

}  // namespace fiscal

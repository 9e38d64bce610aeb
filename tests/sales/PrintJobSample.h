#pragma once
// A sample receipt as the printer and the store take it.
#include "sales/closing/ReceiptPrinter.h"

#include <QStringList>

#include <initializer_list>

namespace salestest {

inline QStringList line(std::initializer_list<const char*> entries) {
    QStringList l;
    for (const char* e : entries) l << QString::fromUtf8(e);
    return l;
}

// Bread 2 x 50.00 from China with its declaration, cheese 0.350 kg at 197.14;
// 169.00 in all, 100.00 by card, 69.00 cash. The barcodes are the caller's.
inline sales::PrintJob saleJob(const char* breadBarcode, const char* cheeseBarcode) {
    sales::PrintJob job;
    job.cashierName = "Иванова А.А.";
    job.kind = 1;
    job.paymentFlag = 4;
    job.taxSystemCode = 1;
    job.lines << line({"11", "Хлеб", "1", "50.00", "50.00", "2", "156", "10702070/010120/0001234", "", "0",
                       breadBarcode, "", "0", "", "1", "0", "", "", ""})
              << line({"12", "Сыр", "2", "200.00", "197.14", "0.350", "643", "", "", "0", cheeseBarcode, "", "0", "",
                       "2", "11", "", "", ""});
    job.total = sales::Money::fromKopecks(16900);
    job.totalText = "169.00";
    job.card = sales::Money::fromKopecks(10000);
    job.cash = sales::Money::fromKopecks(6900);
    return job;
}

}  // namespace salestest

// Keeps the register writing until it is killed: a shift, then one receipt
// that grows by a position with every call (a line of the register's log;
// the state file is written whole at each start, which takes the log in), so
// that a kill is likely to land inside a write.
//
//     register_state_writer <folder>
//
// Prints "ready" once the receipt is open.
#include "platform/fiscal/RegisterEmulator.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    fiscal::RegisterEmulator kkt(QString::fromLocal8Bit(argv[1]));
    if (kkt.open() != 0) return 3;
    if (!kkt.state().shiftOpen) {
        kkt.setParam(fiscal::tag::CashierName, "Кассир Иванова");
        if (kkt.operatorLogin() != 0 || kkt.openShift() != 0) return 4;
    }
    if (!kkt.state().receipt) {
        kkt.setParam(fiscal::LIBFPTR_PARAM_RECEIPT_TYPE, fiscal::LIBFPTR_RT_SELL);
        if (kkt.openReceipt() != 0) return 5;
    }
    std::puts("ready");
    std::fflush(stdout);
    for (;;) {
        kkt.setParam(fiscal::LIBFPTR_PARAM_COMMODITY_NAME,
                     QStringLiteral("Позиция с длинным наименованием, чтобы файл рос быстрее"));
        kkt.setParam(fiscal::LIBFPTR_PARAM_PRICE, "1.00");
        kkt.setParam(fiscal::LIBFPTR_PARAM_QUANTITY, "1");
        kkt.setParam(fiscal::LIBFPTR_PARAM_TAX_TYPE, fiscal::LIBFPTR_TAX_NO);
        if (kkt.registration() != 0) return 6;
    }
}

// libFuzzer target: the shared decimal parser.
#include "ReaderChecks.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const QString problem =
        fuzzchecks::checkDecimalText(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(problem));
        std::abort();
    }
    return 0;
}

#include "platform/fiscal/FiscalDriver.h"
#include "platform/fiscal/RegisterEmulator.h"

namespace fiscal {

// The register this workstation prints on. Its state and paper tape live in
// the program folder.
std::unique_ptr<IFiscalDriver> createKktDriver(const QString& programFolder) {
    return std::make_unique<RegisterEmulator>(programFolder);
}

}  // namespace fiscal

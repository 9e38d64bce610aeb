#pragma once
// How the main screen reaches the archive's windows: the menu items that
// open them and the receipt window's goods check. The program's start wires
// it once the main screen exists, so the sale windows know nothing of the
// archive.
class TfmReg;

namespace sales {
struct SaleServices;
}

namespace archive {

void installArchiveWindows(TfmReg& reg, sales::SaleServices& services);

}  // namespace archive

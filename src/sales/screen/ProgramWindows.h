#pragma once
// The long-lived windows made at start after the login window, and the
// wiring between them: the main cashier screen with its commands, the
// keypads, the scale connection it shows, the user list of the login window.
#include <functional>

class TfmReg;

namespace sales {
struct SaleServices;

void createProgramWindows();
// Subsystems that the main screen opens without knowing them (the receipt
// archive) register here before the windows are made; each is given the
// main screen and the sale windows' services to fill.
using ProgramWindowsExtension = std::function<void(TfmReg& reg, SaleServices& services)>;
void addProgramWindowsExtension(ProgramWindowsExtension extension);
// At every login, before the cashier works: the print journal is settled
// against the register and the data module's database, and the cashier is
// told what was stored or is still waiting.
void settlePrintsAtLogin(TfmReg& reg);
}

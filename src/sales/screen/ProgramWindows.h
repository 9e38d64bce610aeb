#pragma once
// The long-lived windows made at start after the login window, and the
// wiring between them: the main cashier screen with its commands, the
// keypads, the scale connection it shows, the user list of the login window.
class TfmReg;

namespace sales {
void createProgramWindows();
// At every login, before the cashier works: the print journal is settled
// against the register and the data module's database, and the cashier is
// told what was stored or is still waiting.
void settlePrintsAtLogin(TfmReg& reg);
}

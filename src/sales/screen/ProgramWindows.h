#pragma once
// The long-lived windows made at start after the login window, and the
// wiring between them: the main cashier screen with its commands, the
// keypads, the scale connection it shows, the user list of the login window.
namespace sales {
void createProgramWindows();
}

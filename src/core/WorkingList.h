#pragma once
// Emptying the working goods list (GOODS_TEMP) at every showing of the main
// screen without making the login wait for it. An inventory can leave a
// hundred thousand rows behind, and deleting them takes the engine a third
// of a second (seconds on a busy machine), plus as much again for the
// cleanup of the deleted rows at the next reading of the table.
//
// So the showing empties a list of the usual size (one batch at most)
// itself, in its own transaction: it is then empty before the screen shows,
// and a row another workstation holds fails the showing as any other step of
// the check does. A longer list is only counted (up to one row past a batch,
// reading alone) and deleted whole on an attachment of its own on a thread
// of its own, in a snapshot taken at once (rows added after it are not
// touched); the deleted rows are then read once so that the engine cleans
// them up there too rather than in the next login.
#include <cstdint>

namespace fb {
class Connection;
}

namespace core {

// Rows the showing deletes itself.
inline constexpr int kWorkingListBatch = 250;

// Empties GOODS_TEMP when it holds at most kWorkingListBatch rows and
// commits; true when it holds more (left for emptyWorkingListInBackground).
// Throws fb::Error as any step does.
bool emptyWorkingListBatch(fb::Connection& connection);

// Deletes the rest of GOODS_TEMP in the background on a new attachment to
// the same database. A run still going is waited for first. Failures are
// not reported: the next showing tries again, and whoever fills the list
// empties it first anyway.
void emptyWorkingListInBackground(const fb::Connection& connection);

// Waits for a background run to end (the program's end, tests).
void waitForWorkingList();

}  // namespace core

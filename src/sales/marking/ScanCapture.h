#pragma once
// What one key press of a scanner adds to the two copies a scan window keeps:
// the characters as typed, and the characters the same keys type in the US
// layout, which is what marking codes are written in.
#include <QString>

class QKeyEvent;

namespace sales::marking {

struct CapturedKey {
    bool used = false;  // the key belongs to the scan (Backspace is used and adds nothing)
    QString typed;      // for the copy as typed
    QString latin;      // for the Latin copy; empty under a layout that cannot be read
};

// `layoutId`: the layout active when the key went down (1033, 1049, other).
CapturedKey captureKey(const QKeyEvent& event, int layoutId);

}  // namespace sales::marking

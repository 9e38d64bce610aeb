#pragma once
#include "MessageService.h"

#include "platform/db/Error.h"

#include <exception>
#include <utility>

class QWidget;

namespace ui {

// Runs a slot's body so that no exception crosses the Qt event loop: a
// failure shows a Russian message (for the database, what kind of failure
// it was; otherwise the program's failure message) with the engine's or the
// library's own text as its last line, and the caller's data stays as the
// body left it, which with RAII transactions means rolled back. Returns
// false on failure.
template <class F>
bool guarded(QWidget* parent, F&& body) {
    try {
        std::forward<F>(body)();
        return true;
    } catch (const fb::Error& e) {
        showError(databaseFailureText(e), parent);
    } catch (const std::exception& e) {
        showError(unexpectedFailureText(QString::fromUtf8(e.what())), parent);
    } catch (...) {
        showError(unexpectedFailureText(), parent);
    }
    return false;
}

}  // namespace ui

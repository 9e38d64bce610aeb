#include "MainScreenPort.h"

namespace core {

namespace {
MainScreenPort* current = nullptr;
}

MainScreenPort* mainScreen() { return current; }
void setMainScreen(MainScreenPort* screen) { current = screen; }

}  // namespace core

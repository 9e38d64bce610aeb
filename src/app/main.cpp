// The program's entry: everything else starts in core::runStartup.
#include "core/Startup.h"
#include "sales/screen/ProgramWindows.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return core::runStartup(app, sales::createProgramWindows);
}

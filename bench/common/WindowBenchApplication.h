// WindowBenchApplication: the Qt application a benchmark of the window's code runs in,
// set up as the module sets itself up: the grid library started, the offscreen platform
// unless the caller chose one, and the design font's substitutions installed.
//
// Invariant: the grid library outlives the application (it is started before the
// application is made and finished after it is gone), so the benchmark's widgets, made
// and destroyed inside the application's lifetime, always find it.
#pragma once

#include <QApplication>

#include "grid/GridLibrary.h"
#include "platform/FontSubstitution.h"

namespace qelvor::bench {

class WindowBenchApplication {
public:
    // Makes the application over the program's arguments.
    WindowBenchApplication(int& argc, char** argv) : application_(argc, argv) { InstallFontSubstitutions(); }

private:
    struct GridLibraryLifetime {
        GridLibraryLifetime()
        {
            InitializeGridLibrary();
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        ~GridLibraryLifetime() { FinalizeGridLibrary(); }
        GridLibraryLifetime(const GridLibraryLifetime&) = delete;
        GridLibraryLifetime& operator=(const GridLibraryLifetime&) = delete;
    };

    GridLibraryLifetime gridLibrary_;  // first made, last gone
    QApplication application_;
};

}  // namespace qelvor::bench

#pragma once
// The program's start-up: the tip window first, which loads the main window; the user's
// choices from the last run put back on it; then a file named on the command line opened as
// the Open command opens a chosen file.

#include "app/frmmain.h"

#include <memory>

namespace kadrel {

struct Launch {
    Platform& platform;
    ProgramState& state;
    ActiveMovieControl& movie;
    QString dataFolder;  // of TIPOFDAY.TXT and help.htm
    QString file;        // to open once started; may be empty
};

// Leaves the main window, once loaded, in mainWindow, which must outlive no session it uses.
void startProgram(const Launch& launch, std::unique_ptr<frmmain>& mainWindow);

}  // namespace kadrel

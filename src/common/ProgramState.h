#pragma once
// The values the windows share. One instance is owned by the application and handed to the
// windows by reference; tests build a fresh one.

#include <QString>

namespace kadrel {

struct ProgramState {
    QString selectedFile;   // the path chosen last in the Open dialog
    QString loadedFile;     // the path of the media that is open
    bool paused = false;
    bool muted = false;
    int volumeLevel = 100;  // last value 0..100 of a volume slider
    bool positionHeld = false;
    bool fullScreenActive = false;
};

}  // namespace kadrel

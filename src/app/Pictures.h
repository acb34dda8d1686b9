#pragma once
// The pictures the main window draws itself: the black button faces and the program's logo.

#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace kadrel {

enum class ButtonPicture {
    Play,
    Pause,
    First,        // a bar and two left-pointing triangles
    Last,         // two right-pointing triangles and a bar
    StepBack,     // two left-pointing triangles
    StepForward,  // two right-pointing triangles
    SoundOn,      // a loudspeaker with sound waves
    SoundOff,     // a loudspeaker without waves
    Capture,      // a floppy disk
    Info,         // an "i" in a ring
};

// A black-on-transparent face (grey when disabled), drawn at 16 x 16 pixels and at twice
// that for dense screens.
QIcon buttonIcon(ButtonPicture picture);

// The logo: a strip of film and the program's name on black, filling size.
QPixmap logoPicture(QSize size, qreal devicePixelRatio = 1.0);

}  // namespace kadrel

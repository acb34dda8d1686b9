#pragma once
// The pictures of the panel's buttons: small black icons on a transparent background, drawn
// at the pixel sizes the buttons were designed for.

#include <QPixmap>

namespace kadrel {

QPixmap playIcon();         // 9 x 15: a right-pointing triangle
QPixmap pauseIcon();        // 9 x 15: two vertical bars
QPixmap firstIcon();        // 18 x 15: a bar and two left-pointing triangles
QPixmap lastIcon();         // 18 x 15: two right-pointing triangles and a bar
QPixmap stepBackIcon();     // 16 x 11: two left-pointing triangles
QPixmap stepForwardIcon();  // 16 x 11: two right-pointing triangles
QPixmap soundOnIcon();      // 20 x 17: a loudspeaker with sound waves
QPixmap soundOffIcon();     // 10 x 17: a loudspeaker without waves
QPixmap floppyIcon();       // 18 x 18: a floppy disk

}  // namespace kadrel

#pragma once
// Pictures drawn by the program itself, so nothing has to be shipped beside it.

#include <QPixmap>

namespace kadrel {

// The light bulb in the corner of the tip window (also its window icon).
QPixmap tipBulbPicture(int side = 32);

// The About box's banner: the program's name over a strip of film.
QPixmap aboutBanner(QSize size);

}  // namespace kadrel

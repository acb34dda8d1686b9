#pragma once
// The frame on show as an image in memory, from the same snapshot Save Frame As writes.

#include "common/Status.h"

#include <QImage>

namespace kadrel {

class ActiveMovieControl;

// At the picture's full size, pixel for pixel what a saved file holds.
Result<QImage> frameOnShow(ActiveMovieControl& movie);

}  // namespace kadrel

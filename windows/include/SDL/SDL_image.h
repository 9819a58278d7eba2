// SDL_image.h -- the Windows build's stand-in for SDL_image, which is not built for Windows: the
// show's sources include <SDL/SDL_image.h> on every platform, and here IMG_Load is the libpng
// decoder in imagefile.cpp.
#pragma once

#include "../../imagefile.h"

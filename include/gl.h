// gl.h -- the one place the OpenGL 1.1 and GLU headers are included from.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

#ifdef __EMSCRIPTEN__
// The browser build: what its GL and SDL lack or do differently, taken over by the web platform.
#include "glcompat.h"
#include "sdlcompat.h"
#endif

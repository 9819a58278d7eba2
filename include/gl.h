// gl.h -- the one place the OpenGL 1.1 and GLU headers are included from.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

// Windows' gl.h stops at OpenGL 1.1; the screen asks for the widest aliased line, a 1.2 query.
#ifndef GL_ALIASED_LINE_WIDTH_RANGE
#define GL_ALIASED_LINE_WIDTH_RANGE 0x846E
#endif
// Also 1.2: the paused picture, a texture of the output's size, is sampled up to its edges.
#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif

#ifdef __EMSCRIPTEN__
// The browser build: what its GL and SDL lack or do differently, taken over by the web platform.
#include "glcompat.h"
#include "sdlcompat.h"
#endif

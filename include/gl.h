// gl.h -- the one place the OpenGL 1.1 and GLU headers are included from.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

// util.h -- image files into OpenGL textures.
#pragma once

#include <string>

#include "gl.h"

// Decodes an image file (PNG, BMP, ...) from the working directory, uploads it as a mipmapped RGBA
// texture with trilinear filtering and returns its name, left bound to GL_TEXTURE_2D. The image's
// top row lands at t = 0. Needs a current GL context; call only while loading, never per frame.
// Throws "Unable to load: " + fileName when the file cannot be decoded.
GLuint loadTexture(const std::string& fileName);

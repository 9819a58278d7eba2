// util.h -- image files into OpenGL textures, and the textured quad the full-screen passes draw.
#pragma once

#include <string>
#include <vector>

#include "gl.h"

// Decodes an image file (PNG, BMP, ...) from the working directory, uploads it as a mipmapped RGBA
// texture with trilinear filtering and returns its name, left bound to GL_TEXTURE_2D. The image's
// top row lands at t = 0. Needs a current GL context; call only while loading, never per frame.
// Throws "Unable to load: " + fileName when the file cannot be decoded.
GLuint loadTexture(const std::string& fileName);

// An image's alpha channel, top row first.
struct ImageAlpha {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> values;  // width * height
};

// As above, and hands back the image's alpha channel as decoded (1-bit and opaque formats read as
// 0 or 255) for callers that want to know where the picture is empty.
GLuint loadTexture(const std::string& fileName, ImageAlpha& alpha);

// One textured quad at z = 0; corners given as (s, t, x, y) in the order they are sent.
void texturedQuad(const float corners[4][4]);

// For a pass drawn straight in clip space over whatever the scene set up: the projection and the
// model-view matrices pushed and made identity (model-view left current), then popped again.
void pushFlatMatrices();
void popFlatMatrices();

// glrecorder.h -- a recording stand-in for OpenGL 1.1 and GLU, linked into tests instead of libGL.
//
// Every GL/GLU call the program makes is logged with its arguments; a small model of the state
// (capabilities, matrix stacks, current colour/texcoord/normal, bound texture) lets the code under
// test read back what it set (glGetFloatv of the model-view matrix, for the cel shader) and lets
// tests check primitives vertex by vertex.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gl.h"

namespace glrec {

struct Call {
    std::string name;
    std::vector<double> args;  // every argument as a number (pointers are left out)
};

struct Vertex {
    float x, y, z;        // as passed, model space
    float r, g, b, a;     // current colour when the vertex was sent
    float s, t;           // current texture coordinate
    float nx, ny, nz;     // current normal
};

struct Primitive {
    GLenum mode;                  // GL_QUADS, GL_POINTS, ...
    GLuint texture;               // bound to GL_TEXTURE_2D when the batch began
    bool textured;                // GL_TEXTURE_2D enabled when the batch began
    std::vector<Vertex> vertices;
    bool scissored = false;       // GL_SCISSOR_TEST enabled when the batch began
    GLint scissor[4] = {0, 0, 0, 0};  // the scissor box then: x, y, width, height
};

void reset();  // clears the log and restores the initial GL state
const std::vector<Call>& calls();
std::vector<Call> callsNamed(const std::string& name);
std::size_t count(const std::string& name);
const std::vector<Primitive>& primitives();

bool isEnabled(GLenum capability);
bool clientStateEnabled(GLenum array);
const float* matrix(GLenum mode);  // top of the stack, column-major as GL stores it
GLenum matrixMode();
int stackDepth(GLenum mode);
void currentColor(float out[4]);
GLuint boundTexture();
void blendFunc(GLenum* source, GLenum* destination);
bool depthMask();

// The show clock for Tempo: from now on SDL ticks read as ms.
void setClock(std::uint32_t ms);

}  // namespace glrec

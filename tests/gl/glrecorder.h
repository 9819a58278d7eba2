// glrecorder.h -- a recording stand-in for the OpenGL 1.1 and GLU calls the program makes, linked
// into tests instead of libGL.
//
// Each call is logged with its arguments (pointers left out), and a small model of the state lets
// the code under test read back its model-view matrix (the cel shader) and lets tests check
// primitives vertex by vertex. gluLookAt and gluPerspective are logged but leave the matrices alone.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "gl.h"

namespace glrec {

struct Call {
    std::string name;
    std::vector<double> args;
};

struct Vertex {
    float x, y, z;     // as passed, model space
    float r, g, b, a;  // current colour when the vertex was sent
    float s, t;        // current texture coordinate
    float nx, ny, nz;  // current normal
};

struct Primitive {
    GLenum mode;      // GL_QUADS, GL_POINTS, ...
    GLuint texture;   // bound to GL_TEXTURE_2D when the batch began
    bool textured;    // GL_TEXTURE_2D enabled when the batch began
    bool blended;     // GL_BLEND enabled when the batch began
    bool depthWrites; // the depth mask when the batch began
    bool scissored;   // GL_SCISSOR_TEST enabled when the batch began
    std::array<GLint, 4> scissor;  // the scissor box then: x, y, width, height
    float pointSize, lineWidth;    // pixels, in effect when the batch began
    std::vector<Vertex> vertices;
};

struct State {
    std::vector<Call> log;
    std::vector<Primitive> primitives;
    std::set<GLenum> enabled;
    std::map<GLenum, std::vector<std::vector<float>>> stacks;  // column-major 4x4 matrices, top last
    GLenum matrixMode = GL_MODELVIEW;
    std::array<float, 4> colour = {1, 1, 1, 1};
    std::array<float, 2> texCoord = {0, 0};
    std::array<float, 3> normal = {0, 0, 1};
    GLuint texture = 0, nextTexture = 1;
    std::array<GLint, 4> scissor = {0, 0, 1024, 768};
    std::array<float, 4> clearColour = {0, 0, 0, 0};
    float largestSize = 64;              // pixels: the widest line and point the stand-in "draws"
    float pointSize = 1, lineWidth = 1;  // pixels, as last set
    GLenum blendSource = GL_ONE, blendDestination = GL_ZERO;
    bool depthMask = true;
    const float* vertexArray = nullptr;  // three floats a vertex
    const float* colourArray = nullptr;  // four floats a vertex
    const float* texCoordArray = nullptr;  // two floats a vertex
    std::uint32_t clockMs = 0;           // what SDL ticks read as, once setClock has run
};

State& state();
void reset();  // clears the log and restores the initial GL state
void setClock(std::uint32_t ms);  // from now on the show clock reads ms
std::vector<Call> callsNamed(const std::string& name);
inline const std::vector<Primitive>& primitives() { return state().primitives; }
inline bool isEnabled(GLenum capability) { return state().enabled.count(capability) > 0; }
inline const float* matrix(GLenum mode) { return state().stacks[mode].back().data(); }

}  // namespace glrec

// glrecorder.cpp -- the recording GL/GLU stand-in: logs each call and models the state tests read.
#include "glrecorder.h"

#include <algorithm>
#include <cmath>

#include "tempo.h"

namespace glrec {
namespace {
const std::vector<float> identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

void record(const char* name, std::vector<double> args) { state().log.push_back(Call{name, std::move(args)}); }

std::vector<std::vector<float>>& stack() { return state().stacks[state().matrixMode]; }
std::vector<float>& top() { return stack().back(); }

// Multiplies the current matrix on the right by `by` (column-major), as every GL transform does.
void multiplyTop(const std::vector<float>& by)
{
    std::vector<float> product(16);
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row)
            for (int k = 0; k < 4; ++k)
                product[col * 4 + row] += top()[k * 4 + row] * by[col * 4 + k];
    top() = product;
}

void addVertex(float x, float y, float z)
{
    const State& s = state();
    state().primitives.back().vertices.push_back(Vertex{x, y, z, s.colour[0], s.colour[1], s.colour[2], s.colour[3],
                                                        s.texCoord[0], s.texCoord[1], s.normal[0], s.normal[1], s.normal[2]});
}

void beginPrimitive(GLenum mode)
{
    State& s = state();
    s.primitives.push_back(Primitive{mode, s.texture, isEnabled(GL_TEXTURE_2D), isEnabled(GL_BLEND), s.depthMask,
                                     isEnabled(GL_SCISSOR_TEST), s.scissor, s.pointSize, s.lineWidth, {}});
}

std::uint32_t virtualTicks() { return state().clockMs; }
}  // namespace

State& state()
{
    static State s;
    if (s.stacks.empty())
        s.stacks = {{GL_MODELVIEW, {identity}}, {GL_PROJECTION, {identity}}};
    return s;
}

void reset() { state() = State(); }

void setClock(std::uint32_t ms)
{
    state().clockMs = ms;
    Tempo::setTickSource(virtualTicks);
}

std::vector<Call> callsNamed(const std::string& name)
{
    std::vector<Call> found;
    for (const Call& call : state().log)
        if (call.name == name)
            found.push_back(call);
    return found;
}
}  // namespace glrec

using glrec::record;
using glrec::state;

extern "C" {

void glEnable(GLenum cap) { record("glEnable", {double(cap)}); state().enabled.insert(cap); }
void glDisable(GLenum cap) { record("glDisable", {double(cap)}); state().enabled.erase(cap); }
void glEnableClientState(GLenum array) { record("glEnableClientState", {double(array)}); }
void glDisableClientState(GLenum array) { record("glDisableClientState", {double(array)}); }
void glBlendFunc(GLenum s, GLenum d) { record("glBlendFunc", {double(s), double(d)}); state().blendSource = s; state().blendDestination = d; }
void glDepthMask(GLboolean flag) { record("glDepthMask", {double(flag)}); state().depthMask = flag != GL_FALSE; }
void glHint(GLenum target, GLenum mode) { record("glHint", {double(target), double(mode)}); }
void glPointSize(GLfloat size) { record("glPointSize", {size}); state().pointSize = size; }
void glLineWidth(GLfloat width) { record("glLineWidth", {width}); state().lineWidth = width; }
// A clear logs its mask, its colour and, under a scissor, the box it is confined to.
void glClear(GLbitfield mask)
{
    const glrec::State& s = state();
    std::vector<double> args = {double(mask), s.clearColour[0], s.clearColour[1], s.clearColour[2]};
    if (glrec::isEnabled(GL_SCISSOR_TEST))
        args.insert(args.end(), s.scissor.begin(), s.scissor.end());
    record("glClear", args);
}
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a)
{
    record("glClearColor", {r, g, b, a});
    state().clearColour = {r, g, b, a};
}
void glFinish(void) { record("glFinish", {}); }
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) { record("glViewport", {double(x), double(y), double(w), double(h)}); }
void glFogf(GLenum pname, GLfloat param) { record("glFogf", {double(pname), param}); }
void glScissor(GLint x, GLint y, GLsizei w, GLsizei h) { record("glScissor", {}); state().scissor = {x, y, w, h}; }
// The program asks for the matrices, the clear colour and the size limits.
void glGetFloatv(GLenum pname, GLfloat* params)
{
    if (pname == GL_POINT_SIZE_RANGE || pname == GL_ALIASED_LINE_WIDTH_RANGE)
        std::copy_n(std::array<GLfloat, 2>{1, state().largestSize}.begin(), 2, params);
    else if (pname == GL_COLOR_CLEAR_VALUE)
        std::copy_n(state().clearColour.begin(), 4, params);
    else
        std::copy_n(glrec::matrix(pname == GL_PROJECTION_MATRIX ? GL_PROJECTION : GL_MODELVIEW), 16, params);
}
// The boxes the drawing reads back; anything else reads as 0 (the viewer's passes, which read
// single values, run in no test here).
void glGetIntegerv(GLenum pname, GLint* params)
{
    if (pname == GL_SCISSOR_BOX || pname == GL_VIEWPORT)
        std::copy_n((pname == GL_SCISSOR_BOX ? state().scissor : std::array<GLint, 4>{0, 0, 1024, 768}).begin(), 4, params);
    else
        *params = 0;
}
GLboolean glIsEnabled(GLenum cap) { return glrec::isEnabled(cap) ? GL_TRUE : GL_FALSE; }

void glMatrixMode(GLenum mode) { record("glMatrixMode", {double(mode)}); state().matrixMode = mode; }
void glLoadIdentity(void) { record("glLoadIdentity", {}); glrec::top() = glrec::identity; }
void glPushMatrix(void) { glrec::stack().push_back(glrec::stack().back()); }
void glPopMatrix(void)
{
    if (glrec::stack().size() > 1)  // as GL, which leaves an underflowing stack alone
        glrec::stack().pop_back();
}
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) { record("glTranslatef", {x, y, z}); glrec::multiplyTop({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1}); }
void glScalef(GLfloat x, GLfloat y, GLfloat z) { record("glScalef", {x, y, z}); glrec::multiplyTop({x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1}); }
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    record("glRotatef", {angle, x, y, z});
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0)
        return;
    x /= length, y /= length, z /= length;
    const float c = std::cos(angle * 3.14159265f / 180), s = std::sin(angle * 3.14159265f / 180), k = 1 - c;
    glrec::multiplyTop({x * x * k + c, y * x * k + z * s, x * z * k - y * s, 0,
                        x * y * k - z * s, y * y * k + c, y * z * k + x * s, 0,
                        x * z * k + y * s, y * z * k - x * s, z * z * k + c, 0, 0, 0, 0, 1});
}

void glBegin(GLenum mode) { record("glBegin", {double(mode)}); glrec::beginPrimitive(mode); }
void glEnd(void) { record("glEnd", {}); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { glrec::addVertex(x, y, z); }
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { state().colour = {r, g, b, a}; }
void glTexCoord2f(GLfloat s, GLfloat t) { state().texCoord = {s, t}; }
void glNormal3f(GLfloat x, GLfloat y, GLfloat z) { state().normal = {x, y, z}; }

// The galaxy's arrays: tightly packed floats, three a position and four a colour.
void glVertexPointer(GLint, GLenum, GLsizei, const GLvoid* pointer) { state().vertexArray = static_cast<const float*>(pointer); }
void glColorPointer(GLint, GLenum, GLsizei, const GLvoid* pointer) { state().colourArray = static_cast<const float*>(pointer); }
void glTexCoordPointer(GLint, GLenum, GLsizei, const GLvoid* pointer) { state().texCoordArray = static_cast<const float*>(pointer); }
// The sprites' arrays: positions and texture coordinates, the colour the current one.
void glDrawArrays(GLenum mode, GLint first, GLsizei count)
{
    record("glDrawArrays", {double(mode), double(first), double(count)});
    glrec::beginPrimitive(mode);
    for (GLint i = first; i < first + count; ++i) {
        if (state().texCoordArray)
            std::copy_n(state().texCoordArray + 2 * i, 2, state().texCoord.begin());
        const float* v = state().vertexArray + 3 * i;
        glrec::addVertex(v[0], v[1], v[2]);
    }
}
void glDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices)
{
    record("glDrawElements", {double(mode), double(count), double(type)});
    glrec::beginPrimitive(mode);
    for (GLsizei i = 0; i < count; ++i) {
        const GLuint index = static_cast<const GLuint*>(indices)[i];
        std::copy_n(state().colourArray + 4 * index, 4, state().colour.begin());
        const float* v = state().vertexArray + 3 * index;
        glrec::addVertex(v[0], v[1], v[2]);
    }
}

void glGenTextures(GLsizei n, GLuint* textures)
{
    record("glGenTextures", {double(n)});
    for (GLsizei i = 0; i < n; ++i)
        textures[i] = state().nextTexture++;
}
void glBindTexture(GLenum target, GLuint texture) { record("glBindTexture", {double(target), double(texture)}); state().texture = texture; }
void glTexParameteri(GLenum target, GLenum pname, GLint param) { record("glTexParameteri", {double(target), double(pname), double(param)}); }
GLint gluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei w, GLsizei h, GLenum format, GLenum type, const void*)
{
    record("gluBuild2DMipmaps", {double(target), double(internalFormat), double(w), double(h), double(format), double(type)});
    return 0;
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) { record("gluPerspective", {fovy, aspect, zNear, zFar}); }
void gluLookAt(GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz, GLdouble ux, GLdouble uy, GLdouble uz)
{
    record("gluLookAt", {ex, ey, ez, cx, cy, cz, ux, uy, uz});
}
struct GLUquadric {};
GLUquadric* gluNewQuadric(void) { return new GLUquadric; }
void gluDeleteQuadric(GLUquadric* q) { delete q; }
void gluQuadricTexture(GLUquadric*, GLboolean) {}
// Seeking, the paused picture and the chapter line: recorded by name only.
void glOrtho(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble) { record("glOrtho", {}); }
void glClipPlane(GLenum plane, const GLdouble*) { record("glClipPlane", {double(plane)}); }
void glCopyTexImage2D(GLenum, GLint, GLenum, GLint, GLint, GLsizei, GLsizei, GLint) { record("glCopyTexImage2D", {}); }
void gluQuadricNormals(GLUquadric*, GLenum) {}
void gluSphere(GLUquadric*, GLdouble radius, GLint slices, GLint stacks) { record("gluSphere", {radius, double(slices), double(stacks)}); }

}  // extern "C"

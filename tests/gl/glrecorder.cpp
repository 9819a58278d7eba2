// glrecorder.cpp -- the recording GL/GLU stand-in: logs each call and models the state tests read.
#include "glrecorder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <map>
#include <set>

#include "tempo.h"

namespace glrec {
namespace {

struct Mat {
    float m[16];  // column-major, as GL
};

Mat identityMat()
{
    Mat r{};
    r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1.0f;
    return r;
}

Mat multiply(const Mat& a, const Mat& b)
{
    Mat r{};
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            double sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += static_cast<double>(a.m[k * 4 + row]) * b.m[col * 4 + k];
            r.m[col * 4 + row] = static_cast<float>(sum);
        }
    return r;
}

struct State {
    std::vector<Call> log;
    std::vector<Primitive> primitives;
    bool inBegin = false;
    std::set<GLenum> enabled;
    std::set<GLenum> clientEnabled;
    std::map<GLenum, std::vector<Mat>> stacks;
    GLenum mode = GL_MODELVIEW;
    float colour[4] = {1, 1, 1, 1};
    float texCoord[2] = {0, 0};
    float normal[3] = {0, 0, 1};
    GLuint texture = 0;
    GLuint nextTexture = 1;
    GLint scissor[4] = {0, 0, 1024, 768};
    GLenum blendSource = GL_ONE, blendDestination = GL_ZERO;
    bool depthWrites = true;
    const GLvoid* vertexPointer = nullptr;
    GLint vertexSize = 3;
    GLsizei vertexStride = 0;
    const GLvoid* colourPointer = nullptr;
    GLint colourSize = 4;
    GLsizei colourStride = 0;
    std::uint32_t clockMs = 0;

    State()
    {
        stacks[GL_MODELVIEW] = {identityMat()};
        stacks[GL_PROJECTION] = {identityMat()};
        stacks[GL_TEXTURE] = {identityMat()};
        enabled.insert(GL_DITHER);
    }
};

State& state()
{
    static State s;
    return s;
}

void record(const char* name, std::initializer_list<double> args)
{
    state().log.push_back(Call{name, std::vector<double>(args)});
}

Mat& top()
{
    return state().stacks[state().mode].back();
}

void multiplyTop(const Mat& by)
{
    top() = multiply(top(), by);
}

Vertex currentVertex(float x, float y, float z)
{
    const State& s = state();
    return Vertex{x, y, z, s.colour[0], s.colour[1], s.colour[2], s.colour[3],
                  s.texCoord[0], s.texCoord[1], s.normal[0], s.normal[1], s.normal[2]};
}

void beginPrimitive(GLenum mode)
{
    State& s = state();
    Primitive p{mode, s.texture, s.enabled.count(GL_TEXTURE_2D) > 0, {}};
    p.scissored = s.enabled.count(GL_SCISSOR_TEST) > 0;
    std::copy(s.scissor, s.scissor + 4, p.scissor);
    s.primitives.push_back(p);
}

// One element of the client arrays, as glArrayElement would send it.
void arrayElement(GLint index)
{
    State& s = state();
    if (s.clientEnabled.count(GL_COLOR_ARRAY) && s.colourPointer) {
        const GLsizei stride = s.colourStride ? s.colourStride : s.colourSize * static_cast<GLsizei>(sizeof(float));
        const float* c = reinterpret_cast<const float*>(static_cast<const char*>(s.colourPointer) + index * stride);
        for (int i = 0; i < 4; ++i)
            s.colour[i] = i < s.colourSize ? c[i] : 1.0f;
    }
    if (s.vertexPointer) {
        const GLsizei stride = s.vertexStride ? s.vertexStride : s.vertexSize * static_cast<GLsizei>(sizeof(float));
        const float* v = reinterpret_cast<const float*>(static_cast<const char*>(s.vertexPointer) + index * stride);
        s.primitives.back().vertices.push_back(currentVertex(v[0], v[1], s.vertexSize > 2 ? v[2] : 0.0f));
    }
}

std::uint32_t virtualTicks()
{
    return state().clockMs;
}

}  // namespace

void reset()
{
    state() = State();
}

const std::vector<Call>& calls()
{
    return state().log;
}

std::vector<Call> callsNamed(const std::string& name)
{
    std::vector<Call> found;
    for (const Call& call : state().log)
        if (call.name == name)
            found.push_back(call);
    return found;
}

std::size_t count(const std::string& name)
{
    std::size_t n = 0;
    for (const Call& call : state().log)
        n += call.name == name;
    return n;
}

const std::vector<Primitive>& primitives()
{
    return state().primitives;
}

bool isEnabled(GLenum capability)
{
    return state().enabled.count(capability) > 0;
}

bool clientStateEnabled(GLenum array)
{
    return state().clientEnabled.count(array) > 0;
}

const float* matrix(GLenum mode)
{
    return state().stacks[mode].back().m;
}

GLenum matrixMode()
{
    return state().mode;
}

int stackDepth(GLenum mode)
{
    return static_cast<int>(state().stacks[mode].size());
}

void currentColor(float out[4])
{
    std::memcpy(out, state().colour, sizeof(state().colour));
}

GLuint boundTexture()
{
    return state().texture;
}

void blendFunc(GLenum* source, GLenum* destination)
{
    *source = state().blendSource;
    *destination = state().blendDestination;
}

bool depthMask()
{
    return state().depthWrites;
}

void setClock(std::uint32_t ms)
{
    state().clockMs = ms;
    Tempo::setTickSource(virtualTicks);
}

}  // namespace glrec

using glrec::record;

extern "C" {

// --- state ---------------------------------------------------------------------------------------
void glEnable(GLenum cap) { record("glEnable", {double(cap)}); glrec::state().enabled.insert(cap); }
void glDisable(GLenum cap) { record("glDisable", {double(cap)}); glrec::state().enabled.erase(cap); }
GLboolean glIsEnabled(GLenum cap) { return glrec::isEnabled(cap) ? GL_TRUE : GL_FALSE; }
void glEnableClientState(GLenum array) { record("glEnableClientState", {double(array)}); glrec::state().clientEnabled.insert(array); }
void glDisableClientState(GLenum array) { record("glDisableClientState", {double(array)}); glrec::state().clientEnabled.erase(array); }
void glBlendFunc(GLenum s, GLenum d) { record("glBlendFunc", {double(s), double(d)}); glrec::state().blendSource = s; glrec::state().blendDestination = d; }
void glDepthMask(GLboolean flag) { record("glDepthMask", {double(flag)}); glrec::state().depthWrites = flag != GL_FALSE; }
void glDepthFunc(GLenum func) { record("glDepthFunc", {double(func)}); }
void glAlphaFunc(GLenum func, GLclampf ref) { record("glAlphaFunc", {double(func), ref}); }
void glCullFace(GLenum mode) { record("glCullFace", {double(mode)}); }
void glFrontFace(GLenum mode) { record("glFrontFace", {double(mode)}); }
void glShadeModel(GLenum mode) { record("glShadeModel", {double(mode)}); }
void glHint(GLenum target, GLenum mode) { record("glHint", {double(target), double(mode)}); }
void glPointSize(GLfloat size) { record("glPointSize", {size}); }
void glLineWidth(GLfloat width) { record("glLineWidth", {width}); }
void glPolygonMode(GLenum face, GLenum mode) { record("glPolygonMode", {double(face), double(mode)}); }
void glClear(GLbitfield mask) { record("glClear", {double(mask)}); }
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) { record("glClearColor", {r, g, b, a}); }
void glClearDepth(GLclampd depth) { record("glClearDepth", {depth}); }
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) { record("glViewport", {double(x), double(y), double(w), double(h)}); }
void glScissor(GLint x, GLint y, GLsizei w, GLsizei h)
{
    record("glScissor", {double(x), double(y), double(w), double(h)});
    const GLint box[4] = {x, y, w, h};
    std::copy(box, box + 4, glrec::state().scissor);
}
void glFogi(GLenum pname, GLint param) { record("glFogi", {double(pname), double(param)}); }
void glFogf(GLenum pname, GLfloat param) { record("glFogf", {double(pname), param}); }
void glFogfv(GLenum pname, const GLfloat* params)
{
    if (pname == GL_FOG_COLOR)
        record("glFogfv", {double(pname), params[0], params[1], params[2], params[3]});
    else
        record("glFogfv", {double(pname), params[0]});
}
void glLightModelfv(GLenum pname, const GLfloat* params) { record("glLightModelfv", {double(pname), params[0], params[1], params[2], params[3]}); }
void glLightModeli(GLenum pname, GLint param) { record("glLightModeli", {double(pname), double(param)}); }
void glLightfv(GLenum light, GLenum pname, const GLfloat* params) { record("glLightfv", {double(light), double(pname), params[0], params[1], params[2], params[3]}); }
void glMaterialfv(GLenum face, GLenum pname, const GLfloat* params) { record("glMaterialfv", {double(face), double(pname), params[0], params[1], params[2], params[3]}); }
void glColorMaterial(GLenum face, GLenum mode) { record("glColorMaterial", {double(face), double(mode)}); }
void glFlush(void) { record("glFlush", {}); }
void glFinish(void) { record("glFinish", {}); }
GLenum glGetError(void) { return GL_NO_ERROR; }
void glPixelStorei(GLenum pname, GLint param) { record("glPixelStorei", {double(pname), double(param)}); }
void glReadBuffer(GLenum mode) { record("glReadBuffer", {double(mode)}); }
void glReadPixels(GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type, GLvoid* pixels)
{
    record("glReadPixels", {double(x), double(y), double(w), double(h), double(format), double(type)});
    const int channels = format == GL_RGBA ? 4 : 3;
    std::memset(pixels, 0, static_cast<std::size_t>(w) * h * channels);
}

// --- matrices ------------------------------------------------------------------------------------
void glMatrixMode(GLenum mode) { record("glMatrixMode", {double(mode)}); glrec::state().mode = mode; }
void glLoadIdentity(void) { record("glLoadIdentity", {}); glrec::top() = glrec::identityMat(); }
void glPushMatrix(void)
{
    record("glPushMatrix", {});
    auto& stack = glrec::state().stacks[glrec::state().mode];
    stack.push_back(stack.back());
}
void glPopMatrix(void)
{
    record("glPopMatrix", {});
    auto& stack = glrec::state().stacks[glrec::state().mode];
    if (stack.size() > 1)
        stack.pop_back();
}
void glLoadMatrixf(const GLfloat* m)
{
    record("glLoadMatrixf", {});
    std::memcpy(glrec::top().m, m, sizeof(float) * 16);
}
void glMultMatrixf(const GLfloat* m)
{
    record("glMultMatrixf", {});
    glrec::Mat by;
    std::memcpy(by.m, m, sizeof(float) * 16);
    glrec::multiplyTop(by);
}
void glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    record("glTranslatef", {x, y, z});
    glrec::Mat t = glrec::identityMat();
    t.m[12] = x;
    t.m[13] = y;
    t.m[14] = z;
    glrec::multiplyTop(t);
}
void glTranslated(GLdouble x, GLdouble y, GLdouble z)
{
    record("glTranslated", {x, y, z});
    glrec::Mat t = glrec::identityMat();
    t.m[12] = float(x);
    t.m[13] = float(y);
    t.m[14] = float(z);
    glrec::multiplyTop(t);
}
void glScalef(GLfloat x, GLfloat y, GLfloat z)
{
    record("glScalef", {x, y, z});
    glrec::Mat t = glrec::identityMat();
    t.m[0] = x;
    t.m[5] = y;
    t.m[10] = z;
    glrec::multiplyTop(t);
}
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    record("glRotatef", {angle, x, y, z});
    const double length = std::sqrt(double(x) * x + double(y) * y + double(z) * z);
    if (length == 0)
        return;
    const double ux = x / length, uy = y / length, uz = z / length;
    const double radians = angle * 3.14159265358979323846 / 180.0;
    const double c = std::cos(radians), s = std::sin(radians), k = 1 - c;
    glrec::Mat r = glrec::identityMat();
    r.m[0] = float(ux * ux * k + c);      r.m[4] = float(ux * uy * k - uz * s); r.m[8] = float(ux * uz * k + uy * s);
    r.m[1] = float(uy * ux * k + uz * s); r.m[5] = float(uy * uy * k + c);      r.m[9] = float(uy * uz * k - ux * s);
    r.m[2] = float(ux * uz * k - uy * s); r.m[6] = float(uy * uz * k + ux * s); r.m[10] = float(uz * uz * k + c);
    glrec::multiplyTop(r);
}
void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f)
{
    record("glOrtho", {l, r, b, t, n, f});
    glrec::Mat o = glrec::identityMat();
    o.m[0] = float(2 / (r - l));
    o.m[5] = float(2 / (t - b));
    o.m[10] = float(-2 / (f - n));
    o.m[12] = float(-(r + l) / (r - l));
    o.m[13] = float(-(t + b) / (t - b));
    o.m[14] = float(-(f + n) / (f - n));
    glrec::multiplyTop(o);
}
void glGetFloatv(GLenum pname, GLfloat* params)
{
    record("glGetFloatv", {double(pname)});
    if (pname == GL_MODELVIEW_MATRIX)
        std::memcpy(params, glrec::matrix(GL_MODELVIEW), sizeof(float) * 16);
    else if (pname == GL_PROJECTION_MATRIX)
        std::memcpy(params, glrec::matrix(GL_PROJECTION), sizeof(float) * 16);
    else if (pname == GL_CURRENT_COLOR)
        glrec::currentColor(params);
    else
        params[0] = 0;
}
void glGetIntegerv(GLenum pname, GLint* params)
{
    record("glGetIntegerv", {double(pname)});
    if (pname == GL_VIEWPORT) {
        params[0] = params[1] = 0;
        params[2] = 1024;
        params[3] = 768;
    } else if (pname == GL_MATRIX_MODE) {
        params[0] = GLint(glrec::state().mode);
    } else {
        params[0] = 0;
    }
}

// --- immediate mode ------------------------------------------------------------------------------
void glBegin(GLenum mode)
{
    record("glBegin", {double(mode)});
    glrec::state().inBegin = true;
    glrec::beginPrimitive(mode);
}
void glEnd(void) { record("glEnd", {}); glrec::state().inBegin = false; }
void glVertex2f(GLfloat x, GLfloat y) { glrec::state().primitives.back().vertices.push_back(glrec::currentVertex(x, y, 0)); }
void glVertex2i(GLint x, GLint y) { glrec::state().primitives.back().vertices.push_back(glrec::currentVertex(float(x), float(y), 0)); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { glrec::state().primitives.back().vertices.push_back(glrec::currentVertex(x, y, z)); }
void glVertex3d(GLdouble x, GLdouble y, GLdouble z) { glVertex3f(float(x), float(y), float(z)); }
void glVertex3fv(const GLfloat* v) { glVertex3f(v[0], v[1], v[2]); }
void glColor3f(GLfloat r, GLfloat g, GLfloat b) { record("glColor4f", {r, g, b, 1.0}); float c[4] = {r, g, b, 1}; std::memcpy(glrec::state().colour, c, sizeof c); }
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { record("glColor4f", {r, g, b, a}); float c[4] = {r, g, b, a}; std::memcpy(glrec::state().colour, c, sizeof c); }
void glColor3fv(const GLfloat* v) { glColor3f(v[0], v[1], v[2]); }
void glColor4fv(const GLfloat* v) { glColor4f(v[0], v[1], v[2], v[3]); }
void glColor3d(GLdouble r, GLdouble g, GLdouble b) { glColor3f(float(r), float(g), float(b)); }
void glColor4d(GLdouble r, GLdouble g, GLdouble b, GLdouble a) { glColor4f(float(r), float(g), float(b), float(a)); }
void glColor3ub(GLubyte r, GLubyte g, GLubyte b) { glColor3f(r / 255.0f, g / 255.0f, b / 255.0f); }
void glColor4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a) { glColor4f(r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f); }
void glTexCoord2f(GLfloat s, GLfloat t) { glrec::state().texCoord[0] = s; glrec::state().texCoord[1] = t; }
void glTexCoord2d(GLdouble s, GLdouble t) { glTexCoord2f(float(s), float(t)); }
void glNormal3f(GLfloat x, GLfloat y, GLfloat z) { glrec::state().normal[0] = x; glrec::state().normal[1] = y; glrec::state().normal[2] = z; }
void glNormal3fv(const GLfloat* v) { glNormal3f(v[0], v[1], v[2]); }

// --- client arrays -------------------------------------------------------------------------------
void glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer)
{
    record("glVertexPointer", {double(size), double(type), double(stride)});
    glrec::state().vertexPointer = pointer;
    glrec::state().vertexSize = size;
    glrec::state().vertexStride = stride;
}
void glColorPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer)
{
    record("glColorPointer", {double(size), double(type), double(stride)});
    glrec::state().colourPointer = pointer;
    glrec::state().colourSize = size;
    glrec::state().colourStride = stride;
}
void glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid*) { record("glTexCoordPointer", {double(size), double(type), double(stride)}); }
void glNormalPointer(GLenum type, GLsizei stride, const GLvoid*) { record("glNormalPointer", {double(type), double(stride)}); }
void glDrawArrays(GLenum mode, GLint first, GLsizei count)
{
    record("glDrawArrays", {double(mode), double(first), double(count)});
    glrec::beginPrimitive(mode);
    for (GLint i = first; i < first + count; ++i)
        glrec::arrayElement(i);
}
void glDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices)
{
    record("glDrawElements", {double(mode), double(count), double(type)});
    glrec::beginPrimitive(mode);
    for (GLsizei i = 0; i < count; ++i) {
        GLint index = 0;
        if (type == GL_UNSIGNED_INT)
            index = GLint(static_cast<const GLuint*>(indices)[i]);
        else if (type == GL_UNSIGNED_SHORT)
            index = static_cast<const GLushort*>(indices)[i];
        else
            index = static_cast<const GLubyte*>(indices)[i];
        glrec::arrayElement(index);
    }
}

// --- textures ------------------------------------------------------------------------------------
void glGenTextures(GLsizei n, GLuint* textures)
{
    record("glGenTextures", {double(n)});
    for (GLsizei i = 0; i < n; ++i)
        textures[i] = glrec::state().nextTexture++;
}
void glDeleteTextures(GLsizei n, const GLuint*) { record("glDeleteTextures", {double(n)}); }
void glBindTexture(GLenum target, GLuint texture) { record("glBindTexture", {double(target), double(texture)}); glrec::state().texture = texture; }
void glTexParameteri(GLenum target, GLenum pname, GLint param) { record("glTexParameteri", {double(target), double(pname), double(param)}); }
void glTexParameterf(GLenum target, GLenum pname, GLfloat param) { record("glTexParameterf", {double(target), double(pname), param}); }
void glTexEnvi(GLenum target, GLenum pname, GLint param) { record("glTexEnvi", {double(target), double(pname), double(param)}); }
void glTexEnvf(GLenum target, GLenum pname, GLfloat param) { record("glTexEnvf", {double(target), double(pname), param}); }
void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei w, GLsizei h, GLint border, GLenum format, GLenum type, const GLvoid*)
{
    record("glTexImage2D", {double(target), double(level), double(internalFormat), double(w), double(h), double(border), double(format), double(type)});
}

// --- GLU -----------------------------------------------------------------------------------------
void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar)
{
    record("gluPerspective", {fovy, aspect, zNear, zFar});
    const double f = 1.0 / std::tan(fovy * 3.14159265358979323846 / 360.0);
    glrec::Mat p{};
    p.m[0] = float(f / aspect);
    p.m[5] = float(f);
    p.m[10] = float((zFar + zNear) / (zNear - zFar));
    p.m[11] = -1.0f;
    p.m[14] = float(2 * zFar * zNear / (zNear - zFar));
    glrec::multiplyTop(p);
}
void gluLookAt(GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz, GLdouble ux, GLdouble uy, GLdouble uz)
{
    record("gluLookAt", {ex, ey, ez, cx, cy, cz, ux, uy, uz});
    double f[3] = {cx - ex, cy - ey, cz - ez};
    double fl = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    for (double& v : f)
        v /= fl;
    double s[3] = {f[1] * uz - f[2] * uy, f[2] * ux - f[0] * uz, f[0] * uy - f[1] * ux};
    double sl = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    for (double& v : s)
        v /= sl;
    const double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2], s[0] * f[1] - s[1] * f[0]};
    glrec::Mat m = glrec::identityMat();
    for (int i = 0; i < 3; ++i) {
        m.m[i * 4 + 0] = float(s[i]);
        m.m[i * 4 + 1] = float(u[i]);
        m.m[i * 4 + 2] = float(-f[i]);
    }
    glrec::multiplyTop(m);
    glrec::Mat t = glrec::identityMat();
    t.m[12] = float(-ex);
    t.m[13] = float(-ey);
    t.m[14] = float(-ez);
    glrec::multiplyTop(t);
}
void gluOrtho2D(GLdouble l, GLdouble r, GLdouble b, GLdouble t) { glOrtho(l, r, b, t, -1, 1); }
GLint gluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei w, GLsizei h, GLenum format, GLenum type, const void*)
{
    record("gluBuild2DMipmaps", {double(target), double(internalFormat), double(w), double(h), double(format), double(type)});
    return 0;
}

struct GLUquadric {
    int id;
};
GLUquadric* gluNewQuadric(void) { record("gluNewQuadric", {}); return new GLUquadric{1}; }
void gluDeleteQuadric(GLUquadric* q) { record("gluDeleteQuadric", {}); delete q; }
void gluQuadricTexture(GLUquadric*, GLboolean texture) { record("gluQuadricTexture", {double(texture)}); }
void gluQuadricNormals(GLUquadric*, GLenum normal) { record("gluQuadricNormals", {double(normal)}); }
void gluQuadricOrientation(GLUquadric*, GLenum orientation) { record("gluQuadricOrientation", {double(orientation)}); }
void gluQuadricDrawStyle(GLUquadric*, GLenum draw) { record("gluQuadricDrawStyle", {double(draw)}); }
void gluSphere(GLUquadric*, GLdouble radius, GLint slices, GLint stacks) { record("gluSphere", {radius, double(slices), double(stacks)}); }
void gluDisk(GLUquadric*, GLdouble inner, GLdouble outer, GLint slices, GLint loops) { record("gluDisk", {inner, outer, double(slices), double(loops)}); }
void gluCylinder(GLUquadric*, GLdouble base, GLdouble top, GLdouble height, GLint slices, GLint stacks) { record("gluCylinder", {base, top, height, double(slices), double(stacks)}); }

}  // extern "C"

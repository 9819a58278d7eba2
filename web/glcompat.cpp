// glcompat.cpp -- immediate mode, wide lines, smooth points and GLU for the browser's emulated GL.
#define GLCOMPAT_IMPLEMENTATION
#include "glcompat.h"

#include <algorithm>
#include <cmath>
#include <vector>

struct GLUquadric {
    GLenum normals = GLU_SMOOTH;
    GLboolean textureCoords = GL_FALSE;
};

namespace {

const double PI = 3.14159265358979323846;
const int MAX_VERTICES_PER_DRAW = 60000;  // 2.9 MB of vertices; the link sets the emulation's buffer to 4 MB

// One vertex as the batch will send it: object-space position and the attributes current at it.
struct Vertex {
    float position[3];
    float colour[4];     // clamped to [0, 1] as fixed-function GL clamps vertex colours
    float texCoord[2];
    float normal[3];
};

struct State {
    GLenum mode = GL_POINTS;
    bool insideBatch = false;
    std::vector<Vertex> batch;
    Vertex current = {{0, 0, 0}, {1, 1, 1, 1}, {0, 0}, {0, 0, 1}};
    bool texturing = false;    // GL_TEXTURE_2D
    bool lighting = false;     // GL_LIGHTING
    bool smoothPoints = false; // GL_POINT_SMOOTH
    float lineWidth = 1;       // pixels
    float pointSize = 1;       // pixels
    // Client arrays as last set; only float arrays are used by the show.
    const float* vertexArray = nullptr;
    int vertexArrayStride = 0;  // floats per vertex
    const float* colourArray = nullptr;
    int colourArrayStride = 0;
    int colourArraySize = 4;
    const float* texCoordArray = nullptr;
    int texCoordArrayStride = 0;
    bool colourArrayOn = false;    // GL_COLOR_ARRAY: without it a draw takes the current colour
    bool texCoordArrayOn = false;  // GL_TEXTURE_COORD_ARRAY
    std::vector<Vertex> scratch;  // expanded triangles for lines, points, polygons
};

State state;

float clampUnit(float value)
{
    return std::min(1.0f, std::max(0.0f, value));
}

// Sends vertices through the emulation as client arrays in one draw, each vertex with every
// attribute the current state reads, so that nothing depends on attributes carried from one
// vertex to the next. Quads become the two triangles the emulation itself would make of them.
void send(GLenum mode, const std::vector<Vertex>& vertices)
{
    const std::vector<Vertex>* drawn = &vertices;
    static std::vector<Vertex> quadTriangles;
    if (mode == GL_QUADS) {
        quadTriangles.clear();
        for (std::size_t i = 0; i + 3 < vertices.size(); i += 4)
            quadTriangles.insert(quadTriangles.end(), {vertices[i], vertices[i + 1], vertices[i + 2],
                                                       vertices[i], vertices[i + 2], vertices[i + 3]});
        drawn = &quadTriangles;
        mode = GL_TRIANGLES;
    }
    if (drawn->empty())
        return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    if (state.texturing)
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    if (state.lighting)
        glEnableClientState(GL_NORMAL_ARRAY);
    // The emulation copies each draw into a buffer of limited size: long batches go in pieces
    // that end on whole primitives (line strips repeat the joining vertex).
    const GLsizei total = static_cast<GLsizei>(drawn->size());
    const GLsizei perPrimitive = mode == GL_TRIANGLES ? 3 : mode == GL_LINES ? 2 : 1;
    const GLsizei piece = MAX_VERTICES_PER_DRAW / perPrimitive * perPrimitive;
    const GLsizei overlap = mode == GL_LINE_STRIP ? 1 : 0;
    const GLsizei stride = sizeof(Vertex);
    for (GLsizei start = 0; start < total; start += piece - overlap) {
        const Vertex* first = drawn->data() + start;
        glVertexPointer(3, GL_FLOAT, stride, first->position);
        glColorPointer(4, GL_FLOAT, stride, first->colour);
        if (state.texturing)
            glTexCoordPointer(2, GL_FLOAT, stride, first->texCoord);
        if (state.lighting)
            glNormalPointer(GL_FLOAT, stride, first->normal);
        glDrawArrays(mode, 0, std::min(piece, total - start));
        if (start + piece >= total)
            break;
    }
    if (state.texturing)
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    if (state.lighting)
        glDisableClientState(GL_NORMAL_ARRAY);
}

// Where a model-space point lands: eye coordinates and the clip-space w, from the current
// column-major matrices.
struct Projected {
    float eye[3];
    float w;
    float window[2];  // pixels
};

struct Transform {
    float modelView[16];
    float projection[16];
    int viewport[4];

    Transform()
    {
        glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
    }

    Projected project(const float* p) const
    {
        Projected r;
        for (int i = 0; i < 3; ++i)
            r.eye[i] = modelView[i] * p[0] + modelView[4 + i] * p[1] + modelView[8 + i] * p[2] + modelView[12 + i];
        float clip[4];
        for (int i = 0; i < 4; ++i)
            clip[i] = projection[i] * r.eye[0] + projection[4 + i] * r.eye[1] + projection[8 + i] * r.eye[2] + projection[12 + i];
        r.w = clip[3];
        const float w = std::fabs(clip[3]) > 1e-20f ? clip[3] : 1e-20f;
        r.window[0] = (clip[0] / w + 1) * 0.5f * viewport[2] + viewport[0];
        r.window[1] = (clip[1] / w + 1) * 0.5f * viewport[3] + viewport[1];
        return r;
    }

    // Eye-space offsets that move a point at clip w by the given window pixels. The show's
    // projections scale x and y only on the diagonal, so an eye-space shift moves the
    // projected point without changing its depth, and fog and depth test see the native values.
    void eyeOffset(float w, float pixelsX, float pixelsY, float& eyeX, float& eyeY) const
    {
        eyeX = pixelsX * 2 * w / (viewport[2] * projection[0]);
        eyeY = pixelsY * 2 * w / (viewport[3] * projection[5]);
    }
};

Vertex atEye(const Vertex& source, const float eye[3], float dx, float dy)
{
    Vertex v = source;
    v.position[0] = eye[0] + dx;
    v.position[1] = eye[1] + dy;
    v.position[2] = eye[2];
    return v;
}

// Draws already eye-space triangles with an identity model-view.
void sendInEyeSpace(const std::vector<Vertex>& triangles)
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    send(GL_TRIANGLES, triangles);
    glPopMatrix();
}

// Lines wider than a pixel as the native rasteriser draws them: each segment widened across its
// minor axis in window space (vertically for mostly horizontal lines), a parallelogram.
void sendWideLines(const std::vector<Vertex>& vertices, bool strip)
{
    const Transform transform;
    std::vector<Vertex>& triangles = state.scratch;
    triangles.clear();
    const float half = state.lineWidth * 0.5f;
    const std::size_t segments = strip ? (vertices.size() < 2 ? 0 : vertices.size() - 1) : vertices.size() / 2;
    for (std::size_t s = 0; s < segments; ++s) {
        const Vertex& a = vertices[strip ? s : 2 * s];
        const Vertex& b = vertices[strip ? s + 1 : 2 * s + 1];
        const Projected pa = transform.project(a.position);
        const Projected pb = transform.project(b.position);
        const bool xMajor = std::fabs(pb.window[0] - pa.window[0]) >= std::fabs(pb.window[1] - pa.window[1]);
        const float px = xMajor ? 0 : half;
        const float py = xMajor ? half : 0;
        float ax, ay, bx, by;
        transform.eyeOffset(pa.w, px, py, ax, ay);
        transform.eyeOffset(pb.w, px, py, bx, by);
        const Vertex a0 = atEye(a, pa.eye, -ax, -ay), a1 = atEye(a, pa.eye, ax, ay);
        const Vertex b0 = atEye(b, pb.eye, -bx, -by), b1 = atEye(b, pb.eye, bx, by);
        triangles.insert(triangles.end(), {a0, b0, b1, a0, b1, a1});
    }
    sendInEyeSpace(triangles);
}

// Smooth points as the native rasteriser draws them: round discs of the point's diameter.
void sendSmoothPoints(const std::vector<Vertex>& vertices)
{
    const Transform transform;
    const float radius = std::max(0.5f, state.pointSize * 0.5f);  // pixels
    const int sides = std::max(8, static_cast<int>(std::ceil(radius * 4)));
    float unitX[64], unitY[64];
    for (int i = 0; i <= sides; ++i) {
        unitX[i] = static_cast<float>(std::cos(2 * PI * i / sides));
        unitY[i] = static_cast<float>(std::sin(2 * PI * i / sides));
    }
    std::vector<Vertex>& triangles = state.scratch;
    triangles.clear();
    for (const Vertex& point : vertices) {
        const Projected p = transform.project(point.position);
        if (p.w <= 0)
            continue;  // behind the eye: clipped natively too
        float rx, ry;
        transform.eyeOffset(p.w, radius, radius, rx, ry);
        const Vertex centre = atEye(point, p.eye, 0, 0);
        for (int i = 0; i < sides; ++i)
            triangles.insert(triangles.end(), {centre, atEye(point, p.eye, rx * unitX[i], ry * unitY[i]),
                                               atEye(point, p.eye, rx * unitX[i + 1], ry * unitY[i + 1])});
    }
    sendInEyeSpace(triangles);
}

void sendBatch(GLenum mode, const std::vector<Vertex>& vertices)
{
    switch (mode) {
    case GL_POLYGON: {
        // Convex by contract: a fan from the first vertex, as the native rasteriser splits it.
        std::vector<Vertex>& triangles = state.scratch;
        triangles.clear();
        for (std::size_t i = 1; i + 1 < vertices.size(); ++i)
            triangles.insert(triangles.end(), {vertices[0], vertices[i], vertices[i + 1]});
        send(GL_TRIANGLES, triangles);
        break;
    }
    case GL_QUAD_STRIP: {
        std::vector<Vertex>& triangles = state.scratch;
        triangles.clear();
        for (std::size_t i = 0; i + 3 < vertices.size(); i += 2)
            triangles.insert(triangles.end(), {vertices[i], vertices[i + 1], vertices[i + 3],
                                               vertices[i], vertices[i + 3], vertices[i + 2]});
        send(GL_TRIANGLES, triangles);
        break;
    }
    case GL_LINES:
    case GL_LINE_STRIP:
        if (state.lineWidth > 1)
            sendWideLines(vertices, mode == GL_LINE_STRIP);
        else
            send(mode, vertices);
        break;
    case GL_POINTS:
        if (state.smoothPoints)
            sendSmoothPoints(vertices);
        else
            send(mode, vertices);
        break;
    default:
        send(mode, vertices);
    }
}

// Column-major multiply of the current matrix, as GLU does it.
void multiply(const double m[16])
{
    float f[16];
    for (int i = 0; i < 16; ++i)
        f[i] = static_cast<float>(m[i]);
    glMultMatrixf(f);
}

}  // namespace

extern "C" {

void compatBegin(GLenum mode)
{
    state.mode = mode;
    state.insideBatch = true;
    state.batch.clear();
}

void compatEnd(void)
{
    state.insideBatch = false;
    sendBatch(state.mode, state.batch);
}

void compatVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    Vertex v = state.current;
    v.position[0] = x;
    v.position[1] = y;
    v.position[2] = z;
    state.batch.push_back(v);
}

void compatColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha)
{
    float* c = state.current.colour;
    c[0] = clampUnit(red);
    c[1] = clampUnit(green);
    c[2] = clampUnit(blue);
    c[3] = clampUnit(alpha);
    if (!state.insideBatch)
        glColor4f(c[0], c[1], c[2], c[3]);
}

void compatTexCoord2f(GLfloat s, GLfloat t)
{
    state.current.texCoord[0] = s;
    state.current.texCoord[1] = t;
}

void compatNormal3f(GLfloat x, GLfloat y, GLfloat z)
{
    state.current.normal[0] = x;
    state.current.normal[1] = y;
    state.current.normal[2] = z;
}

// Point smoothing is drawn by this layer; texturing and lighting are tracked for the batches it builds.
static void setCapability(GLenum capability, bool on)
{
    if (capability == GL_POINT_SMOOTH) {
        state.smoothPoints = on;
        return;
    }
    if (capability == GL_TEXTURE_2D)
        state.texturing = on;
    if (capability == GL_LIGHTING)
        state.lighting = on;
    if (on)
        glEnable(capability);
    else
        glDisable(capability);
}

void compatEnable(GLenum capability)
{
    setCapability(capability, true);
}

void compatDisable(GLenum capability)
{
    setCapability(capability, false);
}

GLboolean compatIsEnabled(GLenum capability)
{
    if (capability == GL_TEXTURE_2D)
        return state.texturing;
    if (capability == GL_POINT_SMOOTH)
        return state.smoothPoints;
    return glIsEnabled(capability);
}

void compatGetIntegerv(GLenum name, GLint* values)
{
    // Colour and alpha share their factors here: glBlendFunc is the only blend call the show makes.
    if (name == GL_BLEND_SRC)
        name = GL_BLEND_SRC_RGB;
    else if (name == GL_BLEND_DST)
        name = GL_BLEND_DST_RGB;
    glGetIntegerv(name, values);
}

void compatLineWidth(GLfloat width)
{
    state.lineWidth = width;
}

void compatPointSize(GLfloat size)
{
    state.pointSize = size;
    glPointSize(size);
}

void compatHint(GLenum target, GLenum mode)
{
    if (target != GL_POINT_SMOOTH_HINT && target != GL_LINE_SMOOTH_HINT)
        glHint(target, mode);
}

void compatVertexPointer(GLint size, GLenum, GLsizei stride, const GLvoid* pointer)
{
    state.vertexArray = static_cast<const float*>(pointer);
    state.vertexArrayStride = stride ? stride / static_cast<int>(sizeof(float)) : size;
}

void compatColorPointer(GLint size, GLenum, GLsizei stride, const GLvoid* pointer)
{
    state.colourArray = static_cast<const float*>(pointer);
    state.colourArraySize = size;
    state.colourArrayStride = stride ? stride / static_cast<int>(sizeof(float)) : size;
}

void compatTexCoordPointer(GLint size, GLenum, GLsizei stride, const GLvoid* pointer)
{
    state.texCoordArray = static_cast<const float*>(pointer);
    state.texCoordArrayStride = stride ? stride / static_cast<int>(sizeof(float)) : size;
}

static void setClientState(GLenum array, bool on)
{
    if (array == GL_COLOR_ARRAY)
        state.colourArrayOn = on;
    if (array == GL_TEXTURE_COORD_ARRAY)
        state.texCoordArrayOn = on;
}

void compatEnableClientState(GLenum array)
{
    setClientState(array, true);
}

void compatDisableClientState(GLenum array)
{
    setClientState(array, false);
}

// Array element index as a recorded vertex: the arrays that are on, the current attributes otherwise.
static Vertex arrayVertex(unsigned index)
{
    Vertex v = state.current;
    const float* p = state.vertexArray + index * state.vertexArrayStride;
    std::copy(p, p + 3, v.position);
    if (state.colourArrayOn) {
        const float* c = state.colourArray + index * state.colourArrayStride;
        for (int k = 0; k < 4; ++k)
            v.colour[k] = k < state.colourArraySize ? clampUnit(c[k]) : 1.0f;
    }
    if (state.texCoordArrayOn) {
        const float* t = state.texCoordArray + index * state.texCoordArrayStride;
        std::copy(t, t + 2, v.texCoord);
    }
    return v;
}

void compatDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices)
{
    // Array elements become one recorded batch; 32-bit indices need no extension that way.
    std::vector<Vertex> vertices(static_cast<std::size_t>(count));
    for (GLsizei i = 0; i < count; ++i) {
        const unsigned index = type == GL_UNSIGNED_INT ? static_cast<const GLuint*>(indices)[i]
                             : type == GL_UNSIGNED_SHORT ? static_cast<const GLushort*>(indices)[i]
                                                         : static_cast<const GLubyte*>(indices)[i];
        vertices[static_cast<std::size_t>(i)] = arrayVertex(index);
    }
    sendBatch(mode, vertices);
}

void compatDrawArrays(GLenum mode, GLint first, GLsizei count)
{
    std::vector<Vertex> vertices(static_cast<std::size_t>(count));
    for (GLsizei i = 0; i < count; ++i)
        vertices[static_cast<std::size_t>(i)] = arrayVertex(static_cast<unsigned>(first + i));
    sendBatch(mode, vertices);
}

void compatLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY,
                  GLdouble centerZ, GLdouble upX, GLdouble upY, GLdouble upZ)
{
    // GLU's construction in single precision: side = forward x up, up = side x forward.
    float forward[3] = {static_cast<float>(centerX - eyeX), static_cast<float>(centerY - eyeY), static_cast<float>(centerZ - eyeZ)};
    float up[3] = {static_cast<float>(upX), static_cast<float>(upY), static_cast<float>(upZ)};
    const auto normalise = [](float* v) {
        const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (length != 0)
            for (int i = 0; i < 3; ++i)
                v[i] /= length;
    };
    const auto cross = [](const float* a, const float* b, float* out) {
        out[0] = a[1] * b[2] - a[2] * b[1];
        out[1] = a[2] * b[0] - a[0] * b[2];
        out[2] = a[0] * b[1] - a[1] * b[0];
    };
    normalise(forward);
    float side[3];
    cross(forward, up, side);
    normalise(side);
    cross(side, forward, up);
    float m[16] = {side[0], up[0], -forward[0], 0, side[1], up[1], -forward[1], 0,
                   side[2], up[2], -forward[2], 0, 0, 0, 0, 1};
    glMultMatrixf(m);
    glTranslatef(static_cast<float>(-eyeX), static_cast<float>(-eyeY), static_cast<float>(-eyeZ));
}

void compatPerspective(GLdouble fovyDegrees, GLdouble aspect, GLdouble zNear, GLdouble zFar)
{
    const double radians = fovyDegrees / 2 * PI / 180;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0)
        return;
    const double cotangent = std::cos(radians) / sine;
    double m[16] = {};
    m[0] = cotangent / aspect;
    m[5] = cotangent;
    m[10] = -(zFar + zNear) / deltaZ;
    m[11] = -1;
    m[14] = -2 * zNear * zFar / deltaZ;
    multiply(m);
}

GLint compatBuild2DMipmaps(GLenum target, GLint, GLsizei width, GLsizei height, GLenum format, GLenum type,
                           const void* data)
{
    // Every image of the show is RGBA with power-of-two sides: level 0 as given, then GLU's box
    // filter, rounding to nearest, down to 1 x 1.
    if (format != GL_RGBA || type != GL_UNSIGNED_BYTE || (width & (width - 1)) || (height & (height - 1)))
        return GLU_INVALID_VALUE;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    std::vector<unsigned char> level(static_cast<const unsigned char*>(data),
                                     static_cast<const unsigned char*>(data) + static_cast<std::size_t>(width) * height * 4);
    std::vector<unsigned char> next;
    for (GLint index = 0;; ++index) {
        glTexImage2D(target, index, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, level.data());
        if (width == 1 && height == 1)
            break;
        const int nextWidth = std::max(1, width / 2), nextHeight = std::max(1, height / 2);
        next.assign(static_cast<std::size_t>(nextWidth) * nextHeight * 4, 0);
        for (int y = 0; y < nextHeight; ++y)
            for (int x = 0; x < nextWidth; ++x)
                for (int c = 0; c < 4; ++c) {
                    const auto at = [&](int sx, int sy) { return level[(static_cast<std::size_t>(sy) * width + sx) * 4 + c]; };
                    int value;
                    if (width == 1)
                        value = (at(0, 2 * y) + at(0, 2 * y + 1)) / 2;
                    else if (height == 1)
                        value = (at(2 * x, 0) + at(2 * x + 1, 0)) / 2;
                    else
                        value = (at(2 * x, 2 * y) + at(2 * x + 1, 2 * y) + at(2 * x, 2 * y + 1) + at(2 * x + 1, 2 * y + 1) + 2) / 4;
                    next[(static_cast<std::size_t>(y) * nextWidth + x) * 4 + c] = static_cast<unsigned char>(value);
                }
        level.swap(next);
        width = nextWidth;
        height = nextHeight;
    }
    return 0;
}

GLUquadric* compatNewQuadric(void)
{
    return new GLUquadric();
}

void compatDeleteQuadric(GLUquadric* quadric)
{
    delete quadric;
}

void compatQuadricNormals(GLUquadric* quadric, GLenum normals)
{
    quadric->normals = normals;
}

void compatQuadricTexture(GLUquadric* quadric, GLboolean textureCoords)
{
    quadric->textureCoords = textureCoords;
}

void compatSphere(GLUquadric* quadric, GLdouble radius, GLint slices, GLint stacks)
{
    // GLU's filled sphere, facing outwards: quad strips from pole to pole (the textured form,
    // whose apexes repeat per slice), with the same single-precision caches.
    std::vector<float> sinSlice(slices + 1), cosSlice(slices + 1), sinStack(stacks + 1), cosStack(stacks + 1),
        ringRadius(stacks + 1), ringZ(stacks + 1);
    for (int i = 0; i < slices; ++i) {
        const float angle = static_cast<float>(2 * PI * i / slices);
        sinSlice[i] = std::sin(angle);
        cosSlice[i] = std::cos(angle);
    }
    sinSlice[slices] = sinSlice[0];
    cosSlice[slices] = cosSlice[0];
    for (int j = 0; j <= stacks; ++j) {
        const float angle = static_cast<float>(PI * j / stacks);
        sinStack[j] = std::sin(angle);
        cosStack[j] = std::cos(angle);
        ringRadius[j] = static_cast<float>(radius * std::sin(angle));
        ringZ[j] = static_cast<float>(radius * std::cos(angle));
    }
    ringRadius[0] = 0;
    ringRadius[stacks] = 0;
    const bool textured = quadric->textureCoords;
    const bool smooth = quadric->normals != GLU_NONE;
    const int first = textured ? 0 : 1, last = textured ? stacks : stacks - 1;
    for (int j = first; j < last; ++j) {
        compatBegin(GL_QUAD_STRIP);
            for (int i = 0; i <= slices; ++i) {
                if (smooth)
                    compatNormal3f(sinSlice[i] * sinStack[j + 1], cosSlice[i] * sinStack[j + 1], cosStack[j + 1]);
                if (textured)
                    compatTexCoord2f(1 - static_cast<float>(i) / slices, 1 - static_cast<float>(j + 1) / stacks);
                compatVertex3f(ringRadius[j + 1] * sinSlice[i], ringRadius[j + 1] * cosSlice[i], ringZ[j + 1]);
                if (smooth)
                    compatNormal3f(sinSlice[i] * sinStack[j], cosSlice[i] * sinStack[j], cosStack[j]);
                if (textured)
                    compatTexCoord2f(1 - static_cast<float>(i) / slices, 1 - static_cast<float>(j) / stacks);
                compatVertex3f(ringRadius[j] * sinSlice[i], ringRadius[j] * cosSlice[i], ringZ[j]);
            }
        compatEnd();
    }
}

}  // extern "C"

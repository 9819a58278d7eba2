// glcompat.h -- the OpenGL 1.1 and GLU behaviour the scenes rely on, over the browser's emulated GL.
//
// Included from gl.h in the web build only. The browser's fixed-function emulation draws quads,
// triangles, 1-pixel lines, square points, fog, blending and the matrix stack as the native GL
// does, but has no GL_POLYGON, loses attributes set once for several vertices of a batch, draws
// every line 1 pixel wide and every point square, and lacks most of GLU. The calls below take
// those cases over and hand everything else to the emulation unchanged.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

#ifdef __cplusplus
extern "C" {
#endif

// Immediate mode: every vertex is recorded with the current colour, texture coordinate and
// normal, and the batch is sent at glEnd in a shape the emulation draws faithfully.
void compatBegin(GLenum mode);
void compatEnd(void);
void compatVertex3f(GLfloat x, GLfloat y, GLfloat z);
void compatColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha);
void compatTexCoord2f(GLfloat s, GLfloat t);
void compatNormal3f(GLfloat x, GLfloat y, GLfloat z);

// State the emulation ignores or rejects: smooth points, line width, their hints.
void compatEnable(GLenum capability);
void compatDisable(GLenum capability);
void compatLineWidth(GLfloat width);
void compatPointSize(GLfloat size);
void compatHint(GLenum target, GLenum mode);
// State read back: the texturing switch the emulation does not report, and the blend factors that
// WebGL names only per colour and alpha.
GLboolean compatIsEnabled(GLenum capability);
void compatGetIntegerv(GLenum name, GLint* values);

// Client arrays: recorded, with which of them are on, and drawn as a recorded batch, so that smooth
// points from arrays get the same treatment and a draw without a colour array takes the current
// colour.
void compatVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer);
void compatColorPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer);
void compatTexCoordPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer);
void compatEnableClientState(GLenum array);
void compatDisableClientState(GLenum array);
void compatDrawElements(GLenum mode, GLsizei count, GLenum type, const GLvoid* indices);
void compatDrawArrays(GLenum mode, GLint first, GLsizei count);

// GLU: the camera and projection matrices, mipmapped textures and the textured sphere.
void compatLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY,
                  GLdouble centerZ, GLdouble upX, GLdouble upY, GLdouble upZ);
void compatPerspective(GLdouble fovyDegrees, GLdouble aspect, GLdouble zNear, GLdouble zFar);
GLint compatBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height,
                           GLenum format, GLenum type, const void* data);
GLUquadric* compatNewQuadric(void);
void compatDeleteQuadric(GLUquadric* quadric);
void compatQuadricNormals(GLUquadric* quadric, GLenum normals);
void compatQuadricTexture(GLUquadric* quadric, GLboolean textureCoords);
void compatSphere(GLUquadric* quadric, GLdouble radius, GLint slices, GLint stacks);

#ifdef __cplusplus
}
#endif

#ifndef GLCOMPAT_IMPLEMENTATION
#define glBegin compatBegin
#define glEnd compatEnd
#define glVertex3f compatVertex3f
#define glColor4f compatColor4f
#define glTexCoord2f compatTexCoord2f
#define glNormal3f compatNormal3f
#define glEnable compatEnable
#define glDisable compatDisable
#define glLineWidth compatLineWidth
#define glPointSize compatPointSize
#define glHint compatHint
#define glIsEnabled compatIsEnabled
#define glGetIntegerv compatGetIntegerv
#define glVertexPointer compatVertexPointer
#define glColorPointer compatColorPointer
#define glTexCoordPointer compatTexCoordPointer
#define glEnableClientState compatEnableClientState
#define glDisableClientState compatDisableClientState
#define glDrawElements compatDrawElements
#define glDrawArrays compatDrawArrays
#define gluLookAt compatLookAt
#define gluPerspective compatPerspective
#define gluBuild2DMipmaps compatBuild2DMipmaps
#define gluNewQuadric compatNewQuadric
#define gluDeleteQuadric compatDeleteQuadric
#define gluQuadricNormals compatQuadricNormals
#define gluQuadricTexture compatQuadricTexture
#define gluSphere compatSphere
#endif

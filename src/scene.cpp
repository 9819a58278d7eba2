// scene.cpp -- the setup every animated scene starts from.
#include "scene.h"

#include "gl.h"

void setupSceneCamera(double fovyDegrees, double zNear, double zFar)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fovyDegrees, 1.3333333333333333, zNear, zFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.3f, 0.2f, 0.15f, 1.0f);
}

// scene.cpp -- what the animated scenes share: their setup and the blowing flakes.
#include "scene.h"

#include <cmath>

#include "gl.h"
#include "tempo.h"

void setupSceneCamera(double fovyDegrees, double zNear, double zFar)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fovyDegrees, 1.3333333333333333, zNear, zFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.3f, 0.2f, 0.15f, 1.0f);
}

Vec3 flakePosition(const Vec3& base, Tempo& tempo, int index)
{
    const float x = static_cast<float>(base.x - 2 * std::cos(tempo.elapsed() * 0.001) -
                                       1.5 * std::cos(tempo.elapsed() * 0.0016666666666666668 + index));
    const float y = static_cast<float>(base.y - 0.5 * std::cos(tempo.elapsed() * 0.00125) -
                                       0.3 * std::cos(tempo.elapsed() * 0.0016666666666666668 + index));
    return Vec3{x, y, base.z};
}

void drawFlake(const Vec3& position, float degreesX, float degreesY, float degreesZ, bool outlined)
{
    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    glRotatef(degreesX, 1, 0, 0);
    glRotatef(degreesY, 0, 1, 0);
    glRotatef(degreesZ, 0, 0, 1);
    // The square hangs from a corner at the flake's position.
    glBegin(GL_POLYGON);
        glVertex3f(0.1f, 0.1f, 0);
        glVertex3f(0.1f, 0, 0);
        glVertex3f(0, 0, 0);
        glVertex3f(0, 0.1f, 0);
    glEnd();
    if (outlined) {
        glBegin(GL_LINE_STRIP);
            glVertex3f(0.1f, 0.1f, 0);
            glVertex3f(0.1f, 0, 0);
            glVertex3f(0, 0, 0);
            glVertex3f(0, 0.1f, 0);
            glVertex3f(0.1f, 0.1f, 0);
        glEnd();
    }
    glPopMatrix();
}

void blowFlake(Vec3& base, int dt)
{
    base.x = static_cast<float>(base.x + dt * 0.0033333333333333335);
    if (base.x > 15)
        base.x = -15;
}

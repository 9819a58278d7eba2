// teddy.cpp -- loads the shared teddy once and draws it cel-shaded through a 1-D ramp lookup.
#include "teddy.h"

#include <algorithm>
#include <cmath>

#include "exception.h"
#include "util.h"
#include "wavefrontloader.h"

GLuint Teddy::teddyTexture = 0;
std::vector<Vec3> Teddy::teddyVertices;
std::vector<Vec3> Teddy::teddyNormals;
float Teddy::teddyRadius = 0;

Teddy::Teddy()
{
    if (!teddyVertices.empty())
        return;
    WavefrontLoader loader(1);
    loader.load("teddy.obj", 0);
    teddyVertices = loader.triangleVertices(0);
    teddyNormals = loader.triangleNormals(0);
    // The loader reads a file without an object as empty; the show needs its teddy.
    if (teddyVertices.empty())
        THROW_EXCEPTION("Bad model: teddy.obj");
    teddyRadius = 0;
    for (const Vec3& v : teddyVertices)
        teddyRadius = std::max(teddyRadius, std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z));
    teddyTexture = loadTexture("celshades.png");
    // The ramp is sampled without interpolation, so its bands keep hard edges.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
}

// The ramp coordinate of a normal: how far it faces -x once turned by the transpose of the
// model-view matrix (OpenGL's column-major array read as our row-major Matrix), kept within
// 1 %..99 % of the ramp. A zero-length normal has no direction and takes s = 0.01.
static float shadeCoordinate(const Matrix& transposedModelView, const Vec3& normal)
{
    const Vec3 turned = transposedModelView * normal;
    const double length = std::sqrt(static_cast<double>(turned.x) * turned.x +
                                    static_cast<double>(turned.y) * turned.y +
                                    static_cast<double>(turned.z) * turned.z);
    if (!(length > 0.0))
        return 0.01f;
    double s = -turned.x / length;
    if (!(s >= 0.01))  // also catches NaN from non-finite normals
        s = 0.01;
    if (s > 0.99)
        s = 0.99;
    return static_cast<float>(s);
}

void Teddy::draw() const
{
    GLfloat modelView[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    const Matrix transposedModelView(modelView);

    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, teddyTexture);
    glBegin(GL_TRIANGLES);
        for (std::size_t i = 0; i < teddyVertices.size(); ++i) {  // 3 corners a triangle
            const Vec3& normal = teddyNormals[i];
            const Vec3& position = teddyVertices[i];
            glTexCoord2f(shadeCoordinate(transposedModelView, normal), 0.0f);
            glNormal3f(normal.x, normal.y, normal.z);  // model space, as loaded
            glVertex3f(position.x, position.y, position.z);
        }
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

// viewvolume.cpp -- the view volume as the clip-space matrix and its six planes.
#include "viewvolume.h"

#include <cmath>

#include "gl.h"

ViewVolume::ViewVolume(const float modelView[16], const float projection[16])
{
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            double sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += static_cast<double>(projection[4 * k + row]) * modelView[4 * column + k];
            clip[4 * column + row] = sum;
        }
}

ViewVolume ViewVolume::current()
{
    GLfloat modelView[16], projection[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    return ViewVolume(modelView, projection);
}

bool ViewVolume::holdsWell(const Vec3& p) const
{
    double c[4];
    for (int row = 0; row < 4; ++row)
        c[row] = clip[row] * p.x + clip[4 + row] * p.y + clip[8 + row] * p.z + clip[12 + row];
    const double limit = 0.99 * c[3];
    return c[3] > 0 && std::fabs(c[0]) <= limit && std::fabs(c[1]) <= limit && std::fabs(c[2]) <= limit;
}

bool ViewVolume::misses(const Vec3& centre, float radius) const
{
    // Plane i (x, y or z) on either side: w + c_i >= 0 and w - c_i >= 0 inside, as rows of the matrix.
    for (int axis = 0; axis < 3; ++axis) {
        for (double side : {1.0, -1.0}) {
            double plane[4];
            for (int k = 0; k < 4; ++k)
                plane[k] = clip[4 * k + 3] + side * clip[4 * k + axis];
            const double length = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
            if (!(length > 0))
                continue;
            const double distance = (plane[0] * centre.x + plane[1] * centre.y + plane[2] * centre.z + plane[3]) / length;
            if (distance < -radius)
                return true;
        }
    }
    return false;
}

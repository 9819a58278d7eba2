// viewvolume.h -- what the current camera can see: points well inside its view volume, and spheres
// wholly outside it.
#pragma once

#include "matrix.h"

class ViewVolume {
public:
    // From column-major model-view and projection matrices, as glGetFloatv returns them; points
    // and spheres are then given in the model-view's model space.
    ViewVolume(const float modelView[16], const float projection[16]);

    // The volume of the GL context's current matrices.
    static ViewVolume current();

    // True when p lies inside the view volume by a margin of 1 % of its clip w on every side, so
    // that no renderer, however it rounds, has anything of it to clip.
    bool holdsWell(const Vec3& p) const;

    // True when the sphere lies wholly beyond one of the six planes: nothing of it can be drawn.
    bool misses(const Vec3& centre, float radius) const;

private:
    double clip[16];  // projection times model-view, column-major: model space to clip space
};

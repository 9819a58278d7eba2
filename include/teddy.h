// teddy.h -- handle to the program-wide teddy model, drawn cel-shaded from a shade ramp.
#pragma once

#include <vector>

#include "gl.h"
#include "matrix.h"

class Teddy {
public:
    // Loads "teddy.obj" and "celshades.png" the first time only, and leaves them loaded for the
    // program's life; may throw.
    Teddy();

    // Draws the model once under the caller's matrices, colour, blending and depth state. Leaves
    // GL_TEXTURE_2D disabled and the ramp bound.
    void draw() const;

    // The radius, about the model's origin, of a sphere that holds every corner of the model.
    float boundingRadius() const { return teddyRadius; }

private:
    friend struct TeddyTestAccess;  // lets the GL tests load a model of their own

    // The one model shared by every Teddy; an empty teddyVertices means not loaded yet.
    static GLuint teddyTexture;               // the shade ramp, read along its first row
    static std::vector<Vec3> teddyVertices;   // model space, 3 consecutive corners per triangle
    static std::vector<Vec3> teddyNormals;    // model space, element for element with teddyVertices
    static float teddyRadius;                 // the farthest corner's distance from the origin
};

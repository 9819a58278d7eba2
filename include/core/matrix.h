// matrix.h -- small CPU-side 3-D math kit: Vec3, a 4x4 Matrix and the shared randomUnit helper.
//
// Matrix layout: sixteen floats, ROW-MAJOR (element (row r, column c) at index 4*r + c), acting on
// COLUMN vectors (p' = M * p), so a translation sits at indices 3, 7 and 11. This is the transpose
// of OpenGL's order; the program never hands a Matrix to OpenGL. Angles are in RADIANS.
#pragma once

#include <cmath>

#include "exception.h"
#include "random.h"

// The program's one value of pi, for the show, its images and its music. The show's motions were
// tuned with these ten digits; a closer value would move pixels. PI_F is the same number in single
// precision, for formulas computed in floats.
constexpr double PI = 3.1415926535;
constexpr float PI_F = static_cast<float>(PI);

// Three floats and nothing else: arrays of Vec3 are read as flat float arrays (3 per vertex).
struct Vec3 {
    float x, y, z;
};

// Elementary transforms for Matrix(kind, value).
enum MatrixKind {
    RotateX = 1,  // takes +y towards +z
    RotateY = 2,  // takes +z towards +x
    RotateZ = 3,  // takes +x towards +y
    Scale = 4     // uniform scale by value
};

struct Matrix {
    float m[16];

    Matrix() = default;  // uninitialised; use identity(), translation() or a kind

    // Copies sixteen floats in index order, without reordering.
    explicit Matrix(const float values[16])
    {
        for (int i = 0; i < 16; ++i)
            m[i] = values[i];
    }

    // One of the four elementary transforms of MatrixKind; any other kind throws.
    Matrix(int kind, float value)
    {
        *this = identity();
        if (kind == Scale) {
            m[0] = m[5] = m[10] = value;
            return;
        }
        const float c = static_cast<float>(std::cos(static_cast<double>(value)));
        const float s = static_cast<float>(std::sin(static_cast<double>(value)));
        switch (kind) {
        case RotateX:
            m[5] = c; m[6] = -s;
            m[9] = s; m[10] = c;
            break;
        case RotateY:
            m[0] = c; m[2] = s;
            m[8] = -s; m[10] = c;
            break;
        case RotateZ:
            m[0] = c; m[1] = -s;
            m[4] = s; m[5] = c;
            break;
        default:
            THROW_EXCEPTION("Bad matrix operation");
        }
    }

    static Matrix identity()
    {
        Matrix r;
        for (int i = 0; i < 16; ++i)
            r.m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
        return r;
    }

    static Matrix translation(float x, float y, float z)
    {
        Matrix r = identity();
        r.m[3] = x;
        r.m[7] = y;
        r.m[11] = z;
        return r;
    }

    // this * other: the right-hand factor acts first. Safe for M = M * N.
    Matrix operator*(const Matrix& other) const
    {
        Matrix r;
        for (int row = 0; row < 4; ++row)
            for (int col = 0; col < 4; ++col)
                r.m[4 * row + col] = m[4 * row + 0] * other.m[0 + col] + m[4 * row + 1] * other.m[4 + col] +
                                     m[4 * row + 2] * other.m[8 + col] + m[4 * row + 3] * other.m[12 + col];
        return r;
    }

    // Transforms a point (w = 1) with the top three rows; the bottom row is ignored.
    Vec3 operator*(const Vec3& p) const
    {
        return Vec3{m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3],
                    m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7],
                    m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11]};
    }
};

// A float in [0, 1] from exactly one value of the random sequence.
inline float randomUnit()
{
    return static_cast<float>(random15()) * 3.0518509e-05f;
}

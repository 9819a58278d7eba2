// teddy.cpp -- generates "teddy.obj": a teddy bear as one closed, smooth mesh of an implicit surface.
//
// The bear is a smooth union of ellipsoids and capsules (a signed distance field). The surface is
// meshed with surface nets on a fine grid, every vertex projected onto the exact surface, then
// simplified by quadric edge collapses down to the triangle budget, so the triangles gather where
// the silhouette bends (ears, snout, paws) and stay sparse on the round belly and back.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "registry.h"

namespace {

struct P3 {
    double x, y, z;
};

P3 operator+(P3 a, P3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
P3 operator-(P3 a, P3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
P3 operator*(P3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dot(P3 a, P3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double length(P3 a) { return std::sqrt(dot(a, a)); }
P3 normalized(P3 a) { return a * (1.0 / length(a)); }

// Approximate distance to an axis-aligned ellipsoid (exact on the surface, smooth everywhere else).
double ellipsoid(P3 p, P3 centre, P3 radii)
{
    const P3 q = p - centre;
    const double k0 = std::sqrt(q.x * q.x / (radii.x * radii.x) + q.y * q.y / (radii.y * radii.y) +
                                q.z * q.z / (radii.z * radii.z));
    const double k1 = std::sqrt(q.x * q.x / std::pow(radii.x, 4) + q.y * q.y / std::pow(radii.y, 4) +
                                q.z * q.z / std::pow(radii.z, 4));
    if (k1 < 1e-12)
        return -std::min(radii.x, std::min(radii.y, radii.z));
    return k0 * (k0 - 1.0) / k1;
}

// Distance to a capsule whose radius runs from ra at a to rb at b.
double capsule(P3 p, P3 a, P3 b, double ra, double rb)
{
    const P3 ab = b - a;
    const double t = std::clamp(dot(p - a, ab) / dot(ab, ab), 0.0, 1.0);
    return length(p - (a + ab * t)) - (ra + (rb - ra) * t);
}

// Polynomial smooth minimum: blends two distances over a seam about k wide.
double smoothUnion(double a, double b, double k)
{
    const double h = std::clamp(0.5 + 0.5 * (b - a) / k, 0.0, 1.0);
    return b + (a - b) * h - k * h * (1.0 - h);
}

// The bear, about 6 units tall, standing along +y and facing +z; negative inside.
double teddyDistance(P3 p)
{
    const P3 mirrored{std::fabs(p.x), p.y, p.z};  // left and right halves are alike

    double body = ellipsoid(p, {0.0, -0.75, 0.0}, {1.12, 1.38, 0.95});
    const double belly = ellipsoid(p, {0.0, -1.0, 0.3}, {0.85, 0.95, 0.75});
    body = smoothUnion(body, belly, 0.3);

    const double leg = ellipsoid(mirrored, {0.58, -2.25, 0.02}, {0.5, 0.78, 0.52});
    const double foot = ellipsoid(mirrored, {0.62, -2.82, 0.22}, {0.46, 0.3, 0.62});
    const double legs = smoothUnion(leg, foot, 0.25);

    const double arm = capsule(mirrored, {0.85, 0.15, 0.0}, {1.55, -1.15, 0.4}, 0.36, 0.4);

    const double head = ellipsoid(p, {0.0, 1.45, 0.05}, {1.08, 0.98, 0.95});
    const double snout = ellipsoid(p, {0.0, 1.15, 0.82}, {0.48, 0.36, 0.42});
    const double nose = ellipsoid(p, {0.0, 1.3, 1.2}, {0.17, 0.12, 0.12});
    const double ear = ellipsoid(mirrored, {0.8, 2.3, -0.05}, {0.42, 0.42, 0.24});
    const double eye = ellipsoid(mirrored, {0.36, 1.62, 0.84}, {0.11, 0.11, 0.08});

    double face = smoothUnion(head, snout, 0.2);
    face = smoothUnion(face, nose, 0.06);
    face = smoothUnion(face, eye, 0.03);
    face = smoothUnion(face, ear, 0.1);

    double bear = smoothUnion(body, legs, 0.3);
    bear = smoothUnion(bear, arm, 0.22);
    bear = smoothUnion(bear, face, 0.25);
    return bear;
}

P3 teddyGradient(P3 p)
{
    const double e = 1e-4;
    return {teddyDistance({p.x + e, p.y, p.z}) - teddyDistance({p.x - e, p.y, p.z}),
            teddyDistance({p.x, p.y + e, p.z}) - teddyDistance({p.x, p.y - e, p.z}),
            teddyDistance({p.x, p.y, p.z + e}) - teddyDistance({p.x, p.y, p.z - e})};
}

// Newton steps along the gradient onto the zero level.
P3 projectOntoSurface(P3 p)
{
    for (int step = 0; step < 8; ++step) {
        const double d = teddyDistance(p);
        const P3 g = teddyGradient(p) * (1.0 / 2e-4);
        const double g2 = dot(g, g);
        if (g2 < 1e-12)
            break;
        p = p - g * (d / g2);
        if (std::fabs(d) < 1e-7)
            break;
    }
    return p;
}

struct Mesh {
    std::vector<P3> positions;
    std::vector<int> triangles;  // 3 vertex indices each, counter-clockwise seen from outside
};

// Surface nets: one vertex per grid cell that the surface crosses, one quad per crossed grid edge.
Mesh surfaceNets(double cell)
{
    const P3 lower{-2.2, -3.4, -1.4};
    const P3 upper{2.2, 3.1, 1.7};
    const int nx = static_cast<int>(std::ceil((upper.x - lower.x) / cell)) + 1;
    const int ny = static_cast<int>(std::ceil((upper.y - lower.y) / cell)) + 1;
    const int nz = static_cast<int>(std::ceil((upper.z - lower.z) / cell)) + 1;
    auto pointIndex = [&](int i, int j, int k) { return (static_cast<std::size_t>(k) * ny + j) * nx + i; };
    auto gridPoint = [&](int i, int j, int k) { return P3{lower.x + i * cell, lower.y + j * cell, lower.z + k * cell}; };

    std::vector<double> field(static_cast<std::size_t>(nx) * ny * nz);
    for (int k = 0; k < nz; ++k)
        for (int j = 0; j < ny; ++j)
            for (int i = 0; i < nx; ++i)
                field[pointIndex(i, j, k)] = teddyDistance(gridPoint(i, j, k));

    Mesh mesh;
    std::vector<int> cellVertex(field.size(), -1);
    for (int k = 0; k + 1 < nz; ++k)
        for (int j = 0; j + 1 < ny; ++j)
            for (int i = 0; i + 1 < nx; ++i) {
                P3 sum{0, 0, 0};
                int crossings = 0;
                for (int edge = 0; edge < 12; ++edge) {
                    // The cube's 12 edges: 4 along each axis.
                    const int axis = edge / 4;
                    const int a = edge % 4 & 1, b = edge % 4 >> 1;
                    int i0 = i, j0 = j, k0 = k;
                    if (axis == 0) { j0 += a; k0 += b; }
                    if (axis == 1) { i0 += a; k0 += b; }
                    if (axis == 2) { i0 += a; j0 += b; }
                    const int i1 = i0 + (axis == 0), j1 = j0 + (axis == 1), k1 = k0 + (axis == 2);
                    const double f0 = field[pointIndex(i0, j0, k0)], f1 = field[pointIndex(i1, j1, k1)];
                    if ((f0 < 0) == (f1 < 0))
                        continue;
                    const double t = f0 / (f0 - f1);
                    sum = sum + gridPoint(i0, j0, k0) + (gridPoint(i1, j1, k1) - gridPoint(i0, j0, k0)) * t;
                    ++crossings;
                }
                if (crossings == 0)
                    continue;
                cellVertex[pointIndex(i, j, k)] = static_cast<int>(mesh.positions.size());
                mesh.positions.push_back(projectOntoSurface(sum * (1.0 / crossings)));
            }

    auto emitQuad = [&](int c0, int c1, int c2, int c3, bool flip) {
        if (flip)
            std::swap(c1, c3);
        const P3 p0 = mesh.positions[c0], p1 = mesh.positions[c1], p2 = mesh.positions[c2], p3 = mesh.positions[c3];
        // Split along the shorter diagonal.
        if (length(p2 - p0) <= length(p3 - p1)) {
            mesh.triangles.insert(mesh.triangles.end(), {c0, c1, c2, c0, c2, c3});
        } else {
            mesh.triangles.insert(mesh.triangles.end(), {c0, c1, c3, c1, c2, c3});
        }
    };
    auto cellAt = [&](int i, int j, int k) { return cellVertex[pointIndex(i, j, k)]; };
    for (int k = 1; k + 1 < nz; ++k)
        for (int j = 1; j + 1 < ny; ++j)
            for (int i = 1; i + 1 < nx; ++i) {
                const double f = field[pointIndex(i, j, k)];
                // Edge along +x: the four cells around it, counter-clockwise about +x.
                if ((f < 0) != (field[pointIndex(i + 1, j, k)] < 0))
                    emitQuad(cellAt(i, j - 1, k - 1), cellAt(i, j, k - 1), cellAt(i, j, k), cellAt(i, j - 1, k), f >= 0);
                if ((f < 0) != (field[pointIndex(i, j + 1, k)] < 0))
                    emitQuad(cellAt(i - 1, j, k - 1), cellAt(i - 1, j, k), cellAt(i, j, k), cellAt(i, j, k - 1), f >= 0);
                if ((f < 0) != (field[pointIndex(i, j, k + 1)] < 0))
                    emitQuad(cellAt(i - 1, j - 1, k), cellAt(i, j - 1, k), cellAt(i, j, k), cellAt(i - 1, j, k), f >= 0);
            }
    return mesh;
}

void writeObj(const Mesh& mesh, const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "w");
    if (!file)
        throw std::runtime_error("cannot write " + path);
    std::fprintf(file, "# teddy bear: %zu triangles, one normal per vertex\no teddy\n", mesh.triangles.size() / 3);
    for (const P3& p : mesh.positions)
        std::fprintf(file, "v %.5f %.5f %.5f\n", p.x, p.y, p.z);
    std::fprintf(file, "vt 0 0 0\n");  // the cel shading needs no texture coordinates
    for (const P3& p : mesh.positions) {
        const P3 n = normalized(teddyGradient(p));
        std::fprintf(file, "vn %.6f %.6f %.6f\n", n.x, n.y, n.z);
    }
    for (std::size_t t = 0; t < mesh.triangles.size(); t += 3) {
        const int a = mesh.triangles[t] + 1, b = mesh.triangles[t + 1] + 1, c = mesh.triangles[t + 2] + 1;
        std::fprintf(file, "f %d/1/%d %d/1/%d %d/1/%d\n", a, a, b, b, c, c);
    }
    if (std::fclose(file) != 0)
        throw std::runtime_error("cannot write " + path);
}

void writeTeddy(const std::string& folder)
{
    Mesh mesh = surfaceNets(0.215);
    writeObj(mesh, folder + "/teddy.obj");
}

}  // namespace

REGISTER_ASSETS(teddy, writeTeddy);

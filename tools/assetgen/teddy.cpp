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
P3 cross(P3 a, P3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
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

    const double leg = ellipsoid(mirrored, {0.64, -2.2, 0.02}, {0.47, 0.8, 0.5});
    const double foot = ellipsoid(mirrored, {0.68, -2.8, 0.25}, {0.44, 0.3, 0.62});
    const double legs = smoothUnion(leg, foot, 0.25);

    const double arm = capsule(mirrored, {0.85, 0.1, 0.05}, {1.7, -0.85, 0.55}, 0.35, 0.4);

    const double head = ellipsoid(p, {0.0, 1.45, 0.05}, {1.08, 0.98, 0.95});
    const double snout = ellipsoid(p, {0.0, 1.15, 0.88}, {0.5, 0.38, 0.45});
    const double nose = ellipsoid(p, {0.0, 1.3, 1.3}, {0.18, 0.13, 0.12});
    const double ear = ellipsoid(mirrored, {0.8, 2.3, -0.05}, {0.42, 0.42, 0.24});
    const double eye = ellipsoid(mirrored, {0.36, 1.62, 0.84}, {0.11, 0.11, 0.08});

    double face = smoothUnion(head, snout, 0.2);
    face = smoothUnion(face, nose, 0.06);
    face = smoothUnion(face, eye, 0.03);
    face = smoothUnion(face, ear, 0.1);

    double bear = smoothUnion(body, legs, 0.2);
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

// Plane quadric of quadric-error simplification: the sum of squared distances to a set of planes.
struct Quadric {
    double a[10] = {};  // symmetric 4x4: xx xy xz xw yy yz yw zz zw ww

    void addPlane(P3 n, double d, double weight)
    {
        const double v[4] = {n.x, n.y, n.z, d};
        int k = 0;
        for (int i = 0; i < 4; ++i)
            for (int j = i; j < 4; ++j)
                a[k++] += weight * v[i] * v[j];
    }
    void add(const Quadric& other)
    {
        for (int i = 0; i < 10; ++i)
            a[i] += other.a[i];
    }
    double error(P3 p) const
    {
        const double x = p.x, y = p.y, z = p.z;
        return a[0] * x * x + 2 * a[1] * x * y + 2 * a[2] * x * z + 2 * a[3] * x + a[4] * y * y +
               2 * a[5] * y * z + 2 * a[6] * y + a[7] * z * z + 2 * a[8] * z + a[9];
    }
};

P3 faceNormal(const Mesh& mesh, int a, int b, int c)
{
    return cross(mesh.positions[b] - mesh.positions[a], mesh.positions[c] - mesh.positions[a]);
}

// Collapses edges, cheapest first, until at most targetTriangles remain. Every merged vertex lands
// back on the exact surface. A collapse is skipped when it would pinch the surface (the two ends
// must share exactly the two neighbours across the edge) or fold a triangle over.
Mesh simplify(const Mesh& input, std::size_t targetTriangles)
{
    Mesh mesh = input;
    const std::size_t vertexCount = mesh.positions.size();
    std::size_t faceCount = mesh.triangles.size() / 3;
    std::vector<bool> faceAlive(faceCount, true);
    std::vector<std::vector<int>> vertexFaces(vertexCount);
    std::vector<Quadric> quadrics(vertexCount);
    std::vector<int> stamp(vertexCount, 0);
    std::vector<bool> vertexAlive(vertexCount, true);
    for (std::size_t f = 0; f < faceCount; ++f) {
        const int* t = &mesh.triangles[3 * f];
        const P3 n = faceNormal(mesh, t[0], t[1], t[2]);
        const double area2 = length(n);
        if (area2 < 1e-15)
            continue;
        const P3 unit = n * (1.0 / area2);
        for (int k = 0; k < 3; ++k) {
            vertexFaces[t[k]].push_back(static_cast<int>(f));
            quadrics[t[k]].addPlane(unit, -dot(unit, mesh.positions[t[0]]), area2);
        }
    }

    auto neighbours = [&](int v) {
        std::vector<int> out;
        for (int f : vertexFaces[v])
            if (faceAlive[f])
                for (int k = 0; k < 3; ++k) {
                    const int w = mesh.triangles[3 * f + k];
                    if (w != v && std::find(out.begin(), out.end(), w) == out.end())
                        out.push_back(w);
                }
        return out;
    };

    // Where a collapse of u and v would put the merged vertex, and what that costs. Long edges cost
    // a little extra, so flat regions keep fairly even triangles instead of slivers.
    auto target = [&](int u, int v, P3& place) {
        Quadric q = quadrics[u];
        q.add(quadrics[v]);
        place = projectOntoSurface((mesh.positions[u] + mesh.positions[v]) * 0.5);
        const P3 edge = mesh.positions[u] - mesh.positions[v];
        return q.error(place) + 0.002 * dot(edge, edge) * dot(edge, edge);
    };

    struct Candidate {
        double cost;
        int u, v, stampU, stampV;
        bool operator<(const Candidate& other) const { return cost > other.cost; }  // cheapest on top
    };
    std::vector<Candidate> heap;
    auto push = [&](int u, int v) {
        P3 place;
        heap.push_back({target(u, v, place), u, v, stamp[u], stamp[v]});
        std::push_heap(heap.begin(), heap.end());
    };
    for (std::size_t v = 0; v < vertexCount; ++v)
        for (int w : neighbours(static_cast<int>(v)))
            if (w > static_cast<int>(v))
                push(static_cast<int>(v), w);

    std::size_t liveFaces = 0;
    for (std::size_t f = 0; f < faceCount; ++f)
        liveFaces += vertexFaces[mesh.triangles[3 * f]].empty() ? 0 : 1;

    while (liveFaces > targetTriangles && !heap.empty()) {
        std::pop_heap(heap.begin(), heap.end());
        const Candidate c = heap.back();
        heap.pop_back();
        if (!vertexAlive[c.u] || !vertexAlive[c.v] || stamp[c.u] != c.stampU || stamp[c.v] != c.stampV)
            continue;
        const int u = c.u, v = c.v;

        // Link condition: u and v share exactly the two vertices opposite the edge.
        const std::vector<int> nu = neighbours(u), nv = neighbours(v);
        int shared = 0;
        for (int w : nu)
            shared += std::find(nv.begin(), nv.end(), w) != nv.end() ? 1 : 0;
        if (shared != 2)
            continue;

        P3 place;
        target(u, v, place);
        bool folds = false;
        for (int end : {u, v})
            for (int f : vertexFaces[end]) {
                if (!faceAlive[f])
                    continue;
                int t[3] = {mesh.triangles[3 * f], mesh.triangles[3 * f + 1], mesh.triangles[3 * f + 2]};
                if ((t[0] == u || t[1] == u || t[2] == u) && (t[0] == v || t[1] == v || t[2] == v))
                    continue;  // removed by the collapse
                const P3 before = faceNormal(mesh, t[0], t[1], t[2]);
                const P3 saved = mesh.positions[end];
                mesh.positions[end] = place;
                const P3 after = faceNormal(mesh, t[0], t[1], t[2]);
                mesh.positions[end] = saved;
                const double la = length(after), lb = length(before);
                if (la < 1e-12 || dot(before, after) < 0.3 * la * lb)
                    folds = true;
            }
        if (folds)
            continue;

        mesh.positions[u] = place;
        quadrics[u].add(quadrics[v]);
        vertexAlive[v] = false;
        for (int f : vertexFaces[v]) {
            if (!faceAlive[f])
                continue;
            int* t = &mesh.triangles[3 * f];
            if (t[0] == u || t[1] == u || t[2] == u) {
                faceAlive[f] = false;
                --liveFaces;
                continue;
            }
            for (int k = 0; k < 3; ++k)
                if (t[k] == v)
                    t[k] = u;
            vertexFaces[u].push_back(f);
        }
        vertexFaces[v].clear();
        ++stamp[u];
        for (int w : neighbours(u))
            push(u, w);
    }

    // Compact: live vertices renumbered in their old order, live faces in theirs.
    Mesh result;
    std::vector<int> newIndex(vertexCount, -1);
    for (std::size_t f = 0; f < faceCount; ++f) {
        if (!faceAlive[f] || vertexFaces[mesh.triangles[3 * f]].empty())
            continue;
        for (int k = 0; k < 3; ++k) {
            const int old = mesh.triangles[3 * f + k];
            if (newIndex[old] < 0) {
                newIndex[old] = static_cast<int>(result.positions.size());
                result.positions.push_back(mesh.positions[old]);
            }
            result.triangles.push_back(newIndex[old]);
        }
    }
    return result;
}

// The mesh must be closed and consistently wound: every edge used once in each direction.
void checkClosed(const Mesh& mesh)
{
    std::vector<std::pair<int, int>> edges;
    for (std::size_t t = 0; t < mesh.triangles.size(); t += 3)
        for (int k = 0; k < 3; ++k)
            edges.push_back({mesh.triangles[t + k], mesh.triangles[t + (k + 1) % 3]});
    std::sort(edges.begin(), edges.end());
    for (std::size_t i = 0; i < edges.size(); ++i) {
        const std::pair<int, int> reverse{edges[i].second, edges[i].first};
        const auto range = std::equal_range(edges.begin(), edges.end(), reverse);
        if (range.second - range.first != 1 || (i > 0 && edges[i] == edges[i - 1]))
            throw std::runtime_error("teddy mesh is not closed");
    }
}

// Writes the mesh with one unit normal per vertex (the surface's own, so shading stays smooth),
// uniformly scaled to the given height and moved so that its bounding box is centred on the origin.
void writeObj(const Mesh& mesh, double height, const std::string& path)
{
    P3 lower = mesh.positions.front(), upper = lower;
    for (const P3& p : mesh.positions) {
        lower = {std::min(lower.x, p.x), std::min(lower.y, p.y), std::min(lower.z, p.z)};
        upper = {std::max(upper.x, p.x), std::max(upper.y, p.y), std::max(upper.z, p.z)};
    }
    const P3 centre = (lower + upper) * 0.5;
    const double scale = height / (upper.y - lower.y);

    FILE* file = std::fopen(path.c_str(), "w");
    if (!file)
        throw std::runtime_error("cannot write " + path);
    std::fprintf(file, "# teddy bear: %zu triangles, one normal per vertex\no teddy\n", mesh.triangles.size() / 3);
    for (const P3& p : mesh.positions) {
        const P3 placed = (p - centre) * scale;
        std::fprintf(file, "v %.5f %.5f %.5f\n", placed.x, placed.y, placed.z);
    }
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

// 2000 triangles: the wormhole sends 40 bears a frame through the CPU, and at this count the
// silhouette is still smooth at the largest size the scenes show it.
void writeTeddy(const std::string& folder)
{
    const Mesh mesh = simplify(surfaceNets(0.06), 2000);
    checkClosed(mesh);
    writeObj(mesh, 6.0, folder + "/teddy.obj");
}

}  // namespace

REGISTER_ASSETS(teddy, writeTeddy);

// wavefrontloader.h -- reads the triangle meshes of a small Wavefront OBJ subset into Vec3 arrays.
#pragma once

#include <string>
#include <vector>

#include "matrix.h"

// One triangle corner: zero-based indices into a slot's positions, texture coordinates, normals.
struct FaceCorner {
    int v, vt, vn;
};

class WavefrontLoader {
public:
    explicit WavefrontLoader(int slotCount);

    // Reads the first object ("o" section) of fileName into slot. Throws "Unable to open" + fileName
    // when the file cannot be opened, and "Bad model: " + fileName for a face outside the subset.
    void load(const std::string& fileName, int slot);

    std::vector<Vec3> triangleVertices(int slot) const;  // 3 corners per triangle, file order
    std::vector<Vec3> triangleNormals(int slot) const;   // element for element with the above
    void appendVertices(std::vector<Vec3>& out, int slot) const;  // every "v", file order

private:
    // One loaded object; the table sizes are its "v", "vt" and "vn" counts and 3 x its triangles.
    struct Slot {
        std::vector<Vec3> positions;       // model space, file order
        std::vector<Vec3> texCoords;       // (u, v, w), file order; read but handed to no one
        std::vector<Vec3> normals;         // model space, file order, as written (not renormalised)
        std::vector<FaceCorner> corners;   // three per triangle, every index checked against the tables
    };

    const Slot& slotAt(int slot) const;  // throws for a slot outside 0..slotCount-1

    std::vector<Slot> slots;  // fixed count from construction; empty until loaded
};

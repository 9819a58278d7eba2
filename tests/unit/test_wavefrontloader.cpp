// test_wavefrontloader.cpp -- the OBJ subset as read, the face forms the loader turns away, and the
// generated teddy as a mesh.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "exception.h"
#include "wavefrontloader.h"

namespace {

// Four positions, three texture coordinates and three normals that faces can name.
const std::string TABLES = "o thing\nv 1 2 3\nv 4 5 6\nv 7 8 9\nv 10 11 12\n"
                           "vt 0.1 0.2 0.3\nvt 0.4 0.5 0.6\nvt 0.7 0.8 0.9\nvn 1 0 0\nvn 0 1 0\nvn 0 0 1\n";

class WavefrontLoaderTest : public ::testing::Test {
protected:
    ~WavefrontLoaderTest() override { std::remove(path.c_str()); }

    // Writes text as the model file and loads it into slot 0; the message thrown, or "" when it loads.
    std::string load(const std::string& text)
    {
        std::ofstream(path, std::ios::binary) << text;
        try {
            loader.load(path, 0);
        } catch (const Exception& e) {
            return e.getMessage();
        }
        return "";
    }

    std::size_t positionCount() const
    {
        std::vector<Vec3> out;
        loader.appendVertices(out, 0);
        return out.size();
    }

    const std::string path = "/tmp/bearings-objtest-" + std::to_string(getpid()) + ".obj";
    WavefrontLoader loader{1};
};

void expectVec3(const Vec3& actual, float x, float y, float z)
{
    EXPECT_FLOAT_EQ(actual.x, x);
    EXPECT_FLOAT_EQ(actual.y, y);
    EXPECT_FLOAT_EQ(actual.z, z);
}

}  // namespace

TEST_F(WavefrontLoaderTest, CornersNameTheirOneBasedEntriesAndAQuadSplitsAlongItsFirstDiagonal)
{
    ASSERT_EQ(load(TABLES + "f 3/1/2 1/2/3 2/3/1\nf 1/1/1 2/1/2 3/1/3 4/1/1\n"), "");
    const std::vector<Vec3> vertices = loader.triangleVertices(0);
    const std::vector<Vec3> normals = loader.triangleNormals(0);
    ASSERT_EQ(vertices.size(), 9u);  // one triangle, then the quad as two: c0 c1 c2, c2 c3 c0
    ASSERT_EQ(normals.size(), 9u);
    expectVec3(vertices[0], 7, 8, 9);
    expectVec3(normals[0], 0, 1, 0);
    const float expectedX[6] = {1, 4, 7, 7, 10, 1};
    for (int i = 0; i < 6; ++i)
        EXPECT_FLOAT_EQ(vertices[3 + i].x, expectedX[i]) << "corner " << 3 + i;
    expectVec3(normals[6], 0, 0, 1);  // c2 keeps its own normal in the second triangle
    expectVec3(normals[8], 1, 0, 0);
}

TEST_F(WavefrontLoaderTest, ReadsOnlyTheFirstObjectNothingWithoutOneAnySpacingAndNoOtherStatements)
{
    load("v 100 100 100\nvn 1 0 0\nf 1/1/1 1/1/1 1/1/1\n" + TABLES + "f 1/1/1 2/2/2 3/3/3\no second\nv 50 50 50\n");
    std::vector<Vec3> all{{-1, -1, -1}};
    loader.appendVertices(all, 0);
    ASSERT_EQ(all.size(), 5u);  // after what the list held, the unused fourth vertex too
    expectVec3(all[1], 1, 2, 3);  // not the vertex before the "o" line
    EXPECT_EQ(loader.triangleVertices(0).size(), 3u);

    load("v 1 2 3\nv 4 5 6\nv 7 8 9\nvt 0 0 0\nvn 0 0 1\nf 1/1/1 2/1/1 3/1/1\n");
    EXPECT_EQ(positionCount(), 0u);
    EXPECT_TRUE(loader.triangleVertices(0).empty());

    // Any spacing, CR LF and an unended last line; other statements ignored.
    load("o x\r\n# v 9 9 9\r\ng group\r\ns 1\r\nusemtl fur\r\nv \t-1.5   2e1\t 0.25\r\nvp 1 2 3\r\n\r\nx\r\nvt 0 0\r\n"
         "vn 0 -1 0\r\nf  1/1/1\t1/1/1   +1/1/1 ");
    EXPECT_EQ(positionCount(), 1u);
    ASSERT_EQ(loader.triangleVertices(0).size(), 3u);
    expectVec3(loader.triangleVertices(0)[2], -1.5f, 20.0f, 0.25f);
}

TEST_F(WavefrontLoaderTest, RejectsEveryFaceOutsideTheSubsetNamingTheFileAndKeepsTheSlotAsItWas)
{
    ASSERT_EQ(load(TABLES + "f 1/1/1 2/2/2 3/3/3\n"), "");
    const char* const badFaces[] = {
        "f 1 2 3",                                  // positions only
        "f 1//1 2//2 3//3",                         // no texture coordinate
        "f 1/1/1/1 2/2/2/2 3/3/3/3",                // a fourth part
        "f 1/1/1 2/2/2",                            // two corners
        "f 1/1/1 2/2/2 3/3/3 4/1/1 1/2/2",          // five corners
        "f 1/1/ 2/2/2 3/3/3",                       // an empty part
        "f 5/1/1 2/2/2 3/3/3",                      // position beyond the table
        "f 1/4/1 2/2/2 3/3/3",                      // texture coordinate beyond the table
        "f 1/1/4 2/2/2 3/3/3",                      // normal beyond the table
        "f 0/1/1 2/2/2 3/3/3",                      // zero names nothing
        "f -1/-1/-1 -2/-2/-2 -3/-3/-3",             // relative indices
        "f 99999999999999999999/1/1 2/2/2 3/3/3",   // beyond any int
        "f 1/1/1 2/2/2 3/3/3 # comment",            // trailing text
    };
    for (const char* face : badFaces)
        EXPECT_EQ(load(TABLES + face + "\n"), "Bad model: " + path) << face;
    // An index must name an entry already read, not one further down the file.
    EXPECT_EQ(load("o x\nvt 0 0 0\nvn 0 0 1\nv 0 0 0\nf 1/1/1 2/1/1 1/1/1\nv 1 1 1\n"), "Bad model: " + path);
    EXPECT_EQ(loader.triangleVertices(0).size(), 3u);
    EXPECT_EQ(positionCount(), 4u);
}

TEST(GeneratedTeddy, IsAnOutwardSmoothMeshAboutSixUnitsTall)
{
    WavefrontLoader loader(1);
    loader.load(std::string(SHOW_DIR) + "/teddy.obj", 0);
    const std::vector<Vec3> vertices = loader.triangleVertices(0);
    const std::vector<Vec3> normals = loader.triangleNormals(0);
    ASSERT_GE(vertices.size(), 3 * 1500u);

    double volume = 0;  // six times the signed volume: positive when the faces wind outwards
    std::size_t normalsAgainstFace = 0;
    float lowestY = vertices[0].y, highestY = lowestY;
    for (std::size_t t = 0; t < vertices.size(); t += 3) {
        const Vec3 &a = vertices[t], &b = vertices[t + 1], &c = vertices[t + 2];
        const Vec3 u{b.x - a.x, b.y - a.y, b.z - a.z}, v{c.x - a.x, c.y - a.y, c.z - a.z};
        const Vec3 face{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
        volume += a.x * face.x + a.y * face.y + a.z * face.z;
        for (int k = 0; k < 3; ++k) {
            lowestY = std::fmin(lowestY, vertices[t + k].y);
            highestY = std::fmax(highestY, vertices[t + k].y);
            normalsAgainstFace += normals[t + k].x * face.x + normals[t + k].y * face.y + normals[t + k].z * face.z <= 0;
        }
    }
    EXPECT_GT(volume, 0.0);
    EXPECT_LT(normalsAgainstFace, vertices.size() / 100);  // smooth normals follow the faces
    EXPECT_NEAR(highestY - lowestY, 6.0, 0.3);  // standing along +y, centred on the origin
    EXPECT_NEAR(lowestY + highestY, 0.0, 0.1);
}

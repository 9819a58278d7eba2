// test_wavefrontloader.cpp -- the OBJ subset as read, and every face form the loader turns away.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <fstream>
#include <map>
#include <tuple>
#include <string>
#include <vector>

#include "exception.h"
#include "wavefrontloader.h"

namespace {

// Three positions, texture coordinates and normals that faces can name as 1..3 (4 positions).
const char* const TABLES =
    "o thing\n"
    "v 1 2 3\n"
    "v 4 5 6\n"
    "v 7 8 9\n"
    "v 10 11 12\n"
    "vt 0.1 0.2 0.3\n"
    "vt 0.4 0.5 0.6\n"
    "vt 0.7 0.8 0.9\n"
    "vn 1 0 0\n"
    "vn 0 1 0\n"
    "vn 0 0 1\n";

class WavefrontLoaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/bearings-objtest-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        path = folder + "/model.obj";
    }

    void TearDown() override
    {
        std::remove(path.c_str());
        rmdir(folder.c_str());
    }

    // Writes text as the model file and loads it into slot 0 of loader.
    void load(const std::string& text)
    {
        std::ofstream(path, std::ios::binary) << text;
        loader.load(path, 0);
    }

    // The message that load throws for text, or "" when it loads.
    std::string loadError(const std::string& text)
    {
        try {
            load(text);
        } catch (const Exception& e) {
            return e.getMessage();
        }
        return "";
    }

    std::vector<Vec3> positions() const
    {
        std::vector<Vec3> out;
        loader.appendVertices(out, 0);
        return out;
    }

    std::string folder;
    std::string path;
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
    load(std::string(TABLES) + "f 3/1/2 1/2/3 2/3/1\nf 1/1/1 2/1/2 3/1/3 4/1/1\n");
    const std::vector<Vec3> vertices = loader.triangleVertices(0);
    const std::vector<Vec3> normals = loader.triangleNormals(0);
    ASSERT_EQ(vertices.size(), 9u);  // one triangle, then the quad as two: c0 c1 c2, c2 c3 c0
    ASSERT_EQ(normals.size(), 9u);
    expectVec3(vertices[0], 7, 8, 9);
    expectVec3(vertices[1], 1, 2, 3);
    expectVec3(normals[0], 0, 1, 0);
    expectVec3(normals[1], 0, 0, 1);
    const float expectedX[6] = {1, 4, 7, 7, 10, 1};
    for (int i = 0; i < 6; ++i)
        EXPECT_FLOAT_EQ(vertices[3 + i].x, expectedX[i]) << "corner " << 3 + i;
    expectVec3(normals[6], 0, 0, 1);  // c2 keeps its own normal in the second triangle
    expectVec3(normals[8], 1, 0, 0);
}

TEST_F(WavefrontLoaderTest, ReadsOnlyTheFirstObjectAndNothingWithoutOne)
{
    load("v 100 100 100\nvn 1 0 0\nf 1/1/1 1/1/1 1/1/1\n" + std::string(TABLES) +
         "f 1/1/1 2/2/2 3/3/3\no second\nv 50 50 50\nf 1/1/1 2/2/2 3/3/3\n");
    std::vector<Vec3> all{{-1, -1, -1}};
    loader.appendVertices(all, 0);
    ASSERT_EQ(all.size(), 5u);  // after what the list held, the unused fourth vertex too
    expectVec3(all[1], 1, 2, 3);  // not the vertex before the "o" line
    expectVec3(all[4], 10, 11, 12);
    EXPECT_EQ(loader.triangleVertices(0).size(), 3u);

    load("v 1 2 3\nv 4 5 6\nv 7 8 9\nvt 0 0 0\nvn 0 0 1\nf 1/1/1 2/1/1 3/1/1\n");
    EXPECT_TRUE(positions().empty());
    EXPECT_TRUE(loader.triangleVertices(0).empty());
    EXPECT_TRUE(loader.triangleNormals(0).empty());
}

TEST_F(WavefrontLoaderTest, ReadsAnySpacingLongLinesCrLfAndAnUnendedLastLineAndIgnoresOtherStatements)
{
    load("o x\r\nv \t-1.5   2e1\t 0.25\r\nvt 0 0 0\r\nvn 0 -1 0\r\nf  1/1/1\t1/1/1   +1/1/1 \r\n");
    ASSERT_EQ(loader.triangleVertices(0).size(), 3u);
    expectVec3(loader.triangleVertices(0)[2], -1.5f, 20.0f, 0.25f);
    expectVec3(loader.triangleNormals(0)[0], 0, -1, 0);

    load(std::string(TABLES) + "# v 9 9 9\ng group\ns 1\nusemtl fur\nv\t9 9 9\nvp 1 2 3\n\nx\nf 1/1/1 2/2/2 3/3/3");
    EXPECT_EQ(positions().size(), 4u);
    EXPECT_EQ(loader.triangleVertices(0).size(), 3u);

    // A line cut at 99 characters would read the tail of this comment as a face naming vertex 99.
    const std::string longComment = "#" + std::string(150, ' ') + "f 99/1/1 99/1/1 99/1/1\n";
    const std::string longVertex = "v" + std::string(200, ' ') + "1" + std::string(200, ' ') + "2 3\n";
    load("o x\n" + longComment + longVertex + "vt 0 0 0\nvn 0 0 1\nf 1/1/1" + std::string(300, ' ') + "1/1/1 1/1/1\n");
    ASSERT_EQ(loader.triangleVertices(0).size(), 3u);
    expectVec3(loader.triangleVertices(0)[0], 1, 2, 3);

    // Texture coordinates, even with two numbers, change nothing returned.
    load("o thing\nv 1 2 3\nv 4 5 6\nv 7 8 9\nvt 5 5\nvt 6 6 6\nvn 1 0 0\nvn 0 1 0\nf 3/1/2 1/2/1 2/2/2\n");
    expectVec3(loader.triangleVertices(0)[0], 7, 8, 9);
    expectVec3(loader.triangleNormals(0)[1], 1, 0, 0);
}

TEST_F(WavefrontLoaderTest, FillsSlotsIndependentlyAndRefusesOnesOutsideIt)
{
    WavefrontLoader twoSlots(2);
    std::ofstream(path) << TABLES << "f 1/1/1 2/2/2 3/3/3\n";
    twoSlots.load(path, 1);
    EXPECT_TRUE(twoSlots.triangleVertices(0).empty());
    EXPECT_EQ(twoSlots.triangleVertices(1).size(), 3u);
    EXPECT_THROW(loader.load(path, 1), Exception);
    EXPECT_THROW(loader.load(path, -1), Exception);
    EXPECT_THROW(loader.triangleVertices(1), Exception);
    EXPECT_THROW(WavefrontLoader(0).triangleNormals(0), Exception);
    try {
        loader.load(folder + "/absent.obj", 0);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.getMessage(), "Unable to open" + folder + "/absent.obj");
    }
}

TEST_F(WavefrontLoaderTest, RejectsEveryFaceOutsideTheSubsetNamingTheFile)
{
    const char* const badFaces[] = {
        "f 1 2 3",                                  // positions only
        "f 1//1 2//2 3//3",                         // no texture coordinate
        "f 1/1 2/2 3/3",                            // no normal
        "f 1/1/1/1 2/2/2/2 3/3/3/3",                // a fourth part
        "f 1/1/ 2/2/2 3/3/3",                       // an empty part
        "f 1/1/1 2/2/2",                            // two corners
        "f ",                                       // none
        "f 1/1/1 2/2/2 3/3/3 4/1/1 1/2/2",          // five corners
        "f 5/1/1 2/2/2 3/3/3",                      // position beyond the table
        "f 1/4/1 2/2/2 3/3/3",                      // texture coordinate beyond the table
        "f 1/1/4 2/2/2 3/3/3",                      // normal beyond the table
        "f 0/1/1 2/2/2 3/3/3",                      // zero names nothing
        "f -1/-1/-1 -2/-2/-2 -3/-3/-3",             // relative indices
        "f 99999999999999999999/1/1 2/2/2 3/3/3",   // beyond any int
        "f 1/1/1 2/2/2 x/3/3",                      // not a number
        "f 1/1/1 2/2/2 3/3/3 # comment",            // trailing text
    };
    for (const char* face : badFaces)
        EXPECT_EQ(loadError(std::string(TABLES) + face + "\n"), "Bad model: " + path) << face;
    // An index must name an entry already read, not one further down the file.
    EXPECT_EQ(loadError("o x\nvt 0 0 0\nvn 0 0 1\nv 0 0 0\nf 1/1/1 2/1/1 1/1/1\nv 1 1 1\n"), "Bad model: " + path);

    // A rejected file leaves the slot as it was.
    load(std::string(TABLES) + "f 1/1/1 2/2/2 3/3/3\n");
    EXPECT_NE(loadError(std::string(TABLES) + "f 1/1/1 2/2/2 3/3/3\nf 9/9/9 1/1/1 1/1/1\n"), "");
    EXPECT_EQ(loader.triangleVertices(0).size(), 3u);
    EXPECT_EQ(positions().size(), 4u);
}

namespace {

// The show folder of this build: the test binary lives in <build>/tests, the assets in <build>/show.
std::string generatedTeddyPath()
{
    char exe[4096];
    const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length <= 0)
        return "";
    std::string path(exe, static_cast<std::size_t>(length));
    path.erase(path.rfind('/'));
    return path + "/../show/teddy.obj";
}

std::tuple<float, float, float> key(const Vec3& v)
{
    return std::make_tuple(v.x, v.y, v.z);
}

}  // namespace

TEST(GeneratedTeddy, IsOneClosedOutwardSmoothMeshOfTheRightSize)
{
    const std::string path = generatedTeddyPath();
    ASSERT_TRUE(std::ifstream(path).good()) << path << " missing: build the assets target first";
    WavefrontLoader loader(1);
    loader.load(path, 0);
    const std::vector<Vec3> vertices = loader.triangleVertices(0);
    const std::vector<Vec3> normals = loader.triangleNormals(0);
    const std::size_t triangles = vertices.size() / 3;
    EXPECT_GE(triangles, 1500u);
    EXPECT_LE(triangles, 3000u);

    // Closed and consistently wound: each edge once in each direction.
    std::map<std::pair<std::tuple<float, float, float>, std::tuple<float, float, float>>, int> edges;
    double volume = 0;  // six times the signed volume: positive when the faces wind outwards
    std::size_t normalsAgainstFace = 0;
    for (std::size_t t = 0; t < vertices.size(); t += 3) {
        for (int k = 0; k < 3; ++k)
            ++edges[{key(vertices[t + k]), key(vertices[t + (k + 1) % 3])}];
        const Vec3 &a = vertices[t], &b = vertices[t + 1], &c = vertices[t + 2];
        const Vec3 u{b.x - a.x, b.y - a.y, b.z - a.z}, v{c.x - a.x, c.y - a.y, c.z - a.z};
        const Vec3 face{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
        volume += a.x * face.x + a.y * face.y + a.z * face.z;
        for (int k = 0; k < 3; ++k) {
            const Vec3& n = normals[t + k];
            EXPECT_NEAR(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1.0, 1e-4);
            if (n.x * face.x + n.y * face.y + n.z * face.z <= 0)
                ++normalsAgainstFace;
        }
    }
    for (const auto& edge : edges) {
        EXPECT_EQ(edge.second, 1);
        const auto reverse = edges.find({edge.first.second, edge.first.first});
        EXPECT_TRUE(reverse != edges.end() && reverse->second == 1);
    }
    EXPECT_GT(volume, 0.0);
    EXPECT_LT(normalsAgainstFace, vertices.size() / 100);  // smooth normals follow the faces

    // About 6 units tall, standing along +y, centred on the origin.
    std::vector<Vec3> positions;
    loader.appendVertices(positions, 0);
    Vec3 lower = positions.front(), upper = lower;
    for (const Vec3& p : positions) {
        lower = {std::fmin(lower.x, p.x), std::fmin(lower.y, p.y), std::fmin(lower.z, p.z)};
        upper = {std::fmax(upper.x, p.x), std::fmax(upper.y, p.y), std::fmax(upper.z, p.z)};
    }
    EXPECT_NEAR(upper.y - lower.y, 6.0, 0.3);
    EXPECT_GT(upper.y - lower.y, upper.x - lower.x);
    EXPECT_GT(upper.x - lower.x, upper.z - lower.z);
    EXPECT_NEAR(lower.x + upper.x, 0.0, 0.1);
    EXPECT_NEAR(lower.y + upper.y, 0.0, 0.1);
    EXPECT_NEAR(lower.z + upper.z, 0.0, 0.1);
}

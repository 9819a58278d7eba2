// test_cloudmanscene.cpp -- the cloud figure's start cloud and banks, its morph timing, its sprites.
#include <array>
#include <cmath>
#include <fstream>

#include "cloudmanscene.h"
#include "exception.h"
#include "random.h"
#include "scenefixture.h"

namespace {
constexpr int SCENE_START = 172000;  // show ms at which the timeline makes the scene current
constexpr int LAYER_PUFFS = 2250;

// The scene's files, and the sequence seeded so that the start cloud and the banks are known. Key
// frame k holds model points (0, -k, 10) and (5, -k, 20), seen in world space at (0, 10, k) and
// (5, 20, k): world z tells the frame.
struct CloudmanFiles {
    explicit CloudmanFiles(int shortFrame = 0)
    {
        for (int k = 1; k <= 9; ++k) {
            std::ofstream file("cloudman_frame" + std::to_string(k) + ".obj");
            file << "o figure\nv 0 " << -k << " 10\n";
            if (k != shortFrame)
                file << "v 5 " << -k << " 20\n";
        }
        writeImage("cloud.png");
        writeImage("cloud2.png");
        seedRandom15(1);
    }
};

struct CloudmanSceneTest : SceneFixture<CloudmanScene, CloudmanFiles> {
    // Latches the scene's start at SCENE_START, then draws at scene time sceneMs through a projection
    // that divides world coordinates by `shrink` (the recorder leaves the camera's own matrices out):
    // the view volume is a cube 2 * shrink wide.
    void drawAtSceneTime(int sceneMs, float shrink = 1)
    {
        const float s = 1 / shrink;
        projection = {s, 0, 0, 0, 0, s, 0, 0, 0, 0, s, 0, 0, 0, 0, 1};
        drawAt(SCENE_START);
        drawAt(SCENE_START + sceneMs);
    }
};

struct Sprite {
    Vec3 centre;
    Vec3 widthAxis, heightAxis;       // vertex 0 minus vertex 3, vertex 0 minus vertex 1
    std::array<glrec::Vertex, 4> corners;
    GLuint texture;                   // bound for the draw it came in
    std::size_t sharedWith;           // how many sprites that draw held, itself included
};

float length(const Vec3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

// Every quad of the frame just drawn, whichever draw it came in: the figure first, then the cloud layer.
std::vector<Sprite> sprites()
{
    std::vector<Sprite> found;
    for (const glrec::Primitive* draw : primitivesOf(GL_QUADS)) {
        for (std::size_t first = 0; first + 4 <= draw->vertices.size(); first += 4) {
            const glrec::Vertex* v = &draw->vertices[first];
            found.push_back(Sprite{Vec3{(v[0].x + v[2].x) / 2, (v[0].y + v[2].y) / 2, (v[0].z + v[2].z) / 2},
                                   Vec3{v[0].x - v[3].x, v[0].y - v[3].y, v[0].z - v[3].z},
                                   Vec3{v[0].x - v[1].x, v[0].y - v[1].y, v[0].z - v[1].z},
                                   {v[0], v[1], v[2], v[3]}, draw->texture, draw->vertices.size() / 4});
        }
    }
    return found;
}
}

TEST(CloudmanSceneFrames, RejectsAKeyFrameWithFewerPointsThanTheFirstOrAnEmptyFirst)
{
    ScratchFolder folder;
    CloudmanFiles files(5);
    auto refusal = []() -> std::string {
        try {
            CloudmanScene scene;
        } catch (const Exception& e) {
            return e.getMessage();
        }
        return "no exception";
    };
    EXPECT_EQ(refusal(), "Bad model: cloudman_frame5.obj");
    std::ofstream("cloudman_frame1.obj") << "v 0 0 0\n";  // no object: loads empty
    EXPECT_EQ(refusal(), "Bad model: cloudman_frame1.obj");
}

// The order of the draws fixes the picture: these centres, taken from the show's generator, change
// when any two draws of the start cloud, a bank or a puff trade places.
TEST_F(CloudmanSceneTest, StartsAsAFlatCloudOverTheBanksWithCameraAndTeddyAtTheirStart)
{
    drawAtSceneTime(0);
    const std::vector<Sprite> drawn = sprites();
    ASSERT_EQ(drawn.size(), 2u + LAYER_PUFFS);
    const std::pair<std::size_t, Vec3> expected[] = {
        {0, {-13.5604334f, 0.124546885f, 19.8583031f}},
        {2, {33.3807755f, -1.10632634f, 3.63325882f}},
        {2 + 15, {-11.5051508f, -0.51829493f, 17.4789581f}},
        {2 + LAYER_PUFFS - 1, {-24.6629353f, 0.987428248f, 36.1056252f}},
    };
    for (const auto& [sprite, centre] : expected) {
        EXPECT_FLOAT_EQ(drawn[sprite].centre.x, centre.x) << "sprite " << sprite;
        EXPECT_FLOAT_EQ(drawn[sprite].centre.y, centre.y) << "sprite " << sprite;
        EXPECT_FLOAT_EQ(drawn[sprite].centre.z, centre.z) << "sprite " << sprite;
    }
    EXPECT_EQ(glrec::callsNamed("glTranslatef").at(0).args, (std::vector<double>{15, 250, 10}));
}

TEST_F(CloudmanSceneTest, MorphsToTheNextKeyFrameEveryTwoSecondsThenRocksBetweenEightAndNine)
{
    // Scene ms, and the world z of figure point 0 then: which key frame, blended.
    const std::pair<int, float> expected[] = {{2000, 1}, {3000, 1.5f}, {17999, 8.9995f}, {19000, 8.5f}, {20000, 8}, {22000, 9}};
    for (auto [ms, frame] : expected) {
        drawAtSceneTime(ms);
        EXPECT_NEAR(sprites().at(0).centre.z, frame, 1e-4f) << "at " << ms << " ms";
        EXPECT_NEAR(sprites().at(1).centre.y, 20.0f, 1e-4f) << "at " << ms << " ms";
    }
}

TEST_F(CloudmanSceneTest, SpritesFaceTheCameraFigureSquareLayerTwiceAsWide)
{
    drawAtSceneTime(2000);
    const Vec3 eye{-20 + 2000 / 600.0f, 10, 60};  // the camera drifts a unit per 600 ms
    EXPECT_NEAR(glrec::callsNamed("gluLookAt").at(0).args[3], eye.x, 1e-5);
    const std::vector<Sprite> drawn = sprites();

    // Figure point 0 is level with the eye: upright, texture top up, s = 1 on the left.
    const Sprite& level = drawn.at(0);
    EXPECT_TRUE(level.heightAxis.y > 0 && level.widthAxis.x < 0 && level.corners[0].s == 1.0f && level.corners[0].t == 0.0f);

    for (std::size_t i = 0; i < drawn.size(); ++i) {
        const Sprite& sprite = drawn[i];
        const bool figure = i < 2;
        const Vec3 view{sprite.centre.x - eye.x, sprite.centre.y - eye.y, sprite.centre.z - eye.z};
        // Square to the view, and shrinking with the cosine of its slope when seen from above.
        const float slopeCosine = std::sqrt(1 - (view.y / length(view)) * (view.y / length(view)));
        const Vec3 &w = sprite.widthAxis, &h = sprite.heightAxis;
        ASSERT_NEAR((view.x * w.x + view.y * w.y + view.z * w.z) / length(view), 0, 1e-3f) << i;
        ASSERT_NEAR((view.x * h.x + view.y * h.y + view.z * h.z) / length(view), 0, 1e-3f) << i;
        ASSERT_NEAR(length(h), 2.4f * slopeCosine, 1e-3f) << i;
        ASSERT_NEAR(length(w), (figure ? 2.4f : 4.8f) * slopeCosine, 2e-3f) << i;
        ASSERT_EQ(sprite.texture == level.texture, figure) << i;
    }
}


// A sprite that a renderer might have to clip is drawn on its own; those well inside the view volume
// share a draw. Either way every sprite comes in the same order, with the same corners, texture
// and colour, which is what keeps the picture the same.
TEST_F(CloudmanSceneTest, GathersOnlySpritesWellInsideTheViewIntoOneDrawAndKeepsTheirOrder)
{
    drawAtSceneTime(3000, 1);  // a cube 2 units wide: every sprite reaches beyond it
    const std::vector<Sprite> alone = sprites();
    ASSERT_EQ(alone.size(), 2u + LAYER_PUFFS);
    EXPECT_EQ(primitivesOf(GL_QUADS).size(), alone.size());

    auto expectSameSprites = [&](const std::vector<Sprite>& drawn, float shrink) {
        ASSERT_EQ(drawn.size(), alone.size()) << shrink;
        for (std::size_t i = 0; i < drawn.size(); ++i) {
            for (int k = 0; k < 4; ++k) {
                const glrec::Vertex &a = alone[i].corners[k], &b = drawn[i].corners[k];
                ASSERT_TRUE(a.x == b.x && a.y == b.y && a.z == b.z && a.s == b.s && a.t == b.t && a.a == b.a)
                    << "sprite " << i << " corner " << k << " through a cube of " << shrink;
            }
            ASSERT_EQ(drawn[i].texture, alone[i].texture) << i;
        }
    };

    drawAtSceneTime(3000, 100);  // everything well inside: one draw for the figure, one for the layer
    expectSameSprites(sprites(), 100);
    EXPECT_EQ(primitivesOf(GL_QUADS).size(), 2u);

    drawAtSceneTime(3000, 30);  // the layer spreads over about +-40: some in, some out
    const std::vector<Sprite> mixed = sprites();
    expectSameSprites(mixed, 30);
    std::size_t shared = 0;
    for (const Sprite& sprite : mixed) {
        bool wellInside = true;
        for (int k = 0; k < 4; ++k)
            for (float c : {sprite.corners[k].x, sprite.corners[k].y, sprite.corners[k].z})
                wellInside = wellInside && std::fabs(c) <= 0.99f * 30;
        if (sprite.sharedWith > 1) {
            ++shared;
            ASSERT_TRUE(wellInside) << "a sprite at the cube's edge shares a draw";
        }
    }
    EXPECT_GT(shared, 100u);
    EXPECT_LT(shared, mixed.size());
    EXPECT_GT(primitivesOf(GL_QUADS).size(), 2u);
}

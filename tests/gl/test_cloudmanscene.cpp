// test_cloudmanscene.cpp -- the cloud figure's morph timing, its sprites, and the key-frame check.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <SDL/SDL.h>

#include "cloudmanscene.h"
#include "exception.h"
#include "glrecorder.h"
#include "scenefolder.h"
#include "tempo.h"

namespace {
constexpr int SCENE_START = 172000;  // show ms at which the timeline makes the scene current
constexpr int LAYER_PUFFS = 2250;

// The scene's files in the working folder. Key frame k holds two points, model (0, -k, 10) and
// (5, -k, 20): seen in world space at (0, 10, k) and (5, 20, k), so world z tells the frame.
struct CloudmanFiles {
    explicit CloudmanFiles(int shortFrame = 0)
    {
        for (int k = 1; k <= 9; ++k) {
            std::ofstream file(frameName(k));
            file << "# key frame " << k << "\no figure\nv 0 " << -k << " 10\n";
            if (k != shortFrame)
                file << "v 5 " << -k << " 20\n";
        }
        for (const char* image : {"cloud.png", "cloud2.png"}) {
            SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, 4, 4, 24, 0x0000FF, 0x00FF00, 0xFF0000, 0);
            SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 255, 255, 255));
            SDL_SaveBMP(surface, image);
            SDL_FreeSurface(surface);
        }
    }
    ~CloudmanFiles()
    {
        for (int k = 1; k <= 9; ++k)
            std::remove(frameName(k).c_str());
        std::remove("cloud.png");
        std::remove("cloud2.png");
    }
    static std::string frameName(int k) { return "cloudman_frame" + std::to_string(k) + ".obj"; }
};

struct Sprite {
    Vec3 centre;
    float width, height;  // world units
    Vec3 widthAxis, heightAxis;  // vertex 0 minus vertex 3, vertex 0 minus vertex 1
    const glrec::Primitive* quad;
};

Vec3 minus(const glrec::Vertex& a, const glrec::Vertex& b)
{
    return Vec3{a.x - b.x, a.y - b.y, a.z - b.z};
}

float length(const Vec3& v)
{
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

// Every quad of the frame just drawn, figure first, then the cloud layer.
std::vector<Sprite> sprites()
{
    std::vector<Sprite> found;
    for (const glrec::Primitive& primitive : glrec::primitives()) {
        if (primitive.mode != GL_QUADS)
            continue;
        const std::vector<glrec::Vertex>& v = primitive.vertices;
        Sprite sprite;
        sprite.centre = Vec3{(v[0].x + v[1].x + v[2].x + v[3].x) / 4, (v[0].y + v[1].y + v[2].y + v[3].y) / 4,
                             (v[0].z + v[1].z + v[2].z + v[3].z) / 4};
        sprite.widthAxis = minus(v[0], v[3]);
        sprite.heightAxis = minus(v[0], v[1]);
        sprite.width = length(sprite.widthAxis);
        sprite.height = length(sprite.heightAxis);
        sprite.quad = &primitive;
        found.push_back(sprite);
    }
    return found;
}

struct CloudmanSceneTest : ::testing::Test {
    CloudmanSceneTest() : tempo(120, 0)
    {
        glrec::reset();
        glrec::setClock(0);
        tempo.start();
        scene.setup();
    }

    void drawAtShow(int showMs)
    {
        glrec::reset();
        glrec::setClock(static_cast<std::uint32_t>(showMs));
        scene.draw(tempo);
    }

    // Latches the scene's start at SCENE_START, then draws at scene time sceneMs.
    void drawAt(int sceneMs)
    {
        drawAtShow(SCENE_START);
        drawAtShow(SCENE_START + sceneMs);
    }

    SceneFolder folder;
    CloudmanFiles files;
    CloudmanScene scene;
    Tempo tempo;
};
}

TEST(CloudmanSceneFrames, RejectsAKeyFrameWithFewerPointsThanTheFirst)
{
    SceneFolder folder;
    CloudmanFiles files(5);
    try {
        CloudmanScene scene;
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.getMessage(), "Bad model: cloudman_frame5.obj");
    }
}

TEST_F(CloudmanSceneTest, StartsAsAFlatCloudWithCameraAndTeddyAtTheirStart)
{
    drawAt(0);
    const std::vector<Sprite> drawn = sprites();
    ASSERT_EQ(drawn.size(), 2u + LAYER_PUFFS);
    for (int i = 0; i < 2; ++i) {
        EXPECT_LE(std::fabs(drawn[i].centre.y), 3.0001f) << "figure point " << i;  // model z of the disc
        EXPECT_LE(std::fabs(drawn[i].centre.z), 35.0f) << "figure point " << i;
    }
    EXPECT_EQ(glrec::callsNamed("gluLookAt").at(0).args, (std::vector<double>{-20, 10, 60, -20, 5, 0, 0, 1, 0}));
    EXPECT_EQ(glrec::callsNamed("glTranslatef").at(0).args, (std::vector<double>{15, 250, 10}));
}

TEST_F(CloudmanSceneTest, MorphsToTheNextKeyFrameEveryTwoSecondsThenRocksBetweenEightAndNine)
{
    const struct {
        int ms;
        float frame;  // the world z of figure point 0: which key frame, blended
    } expected[] = {{2000, 1}, {3000, 1.5f}, {17999, 8.9995f}, {18000, 9}, {19000, 8.5f},
                    {20000, 8}, {21000, 8.5f}, {22000, 9}, {31999, 8.0005f}};
    for (const auto& e : expected) {
        drawAt(e.ms);
        EXPECT_NEAR(sprites().at(0).centre.z, e.frame, 1e-4f) << "at " << e.ms << " ms";
        EXPECT_NEAR(sprites().at(1).centre.y, 20.0f, 1e-4f) << "at " << e.ms << " ms";
    }
}

TEST_F(CloudmanSceneTest, SpritesFaceTheCameraFigureSquareLayerTwiceAsWide)
{
    drawAt(2000);
    const double cameraX = 2000 * 0.0016666666666666668 - 20;
    EXPECT_NEAR(glrec::callsNamed("gluLookAt").at(0).args[3], cameraX, 1e-12);
    const Vec3 eye{static_cast<float>(cameraX), 10, 60};
    const std::vector<Sprite> drawn = sprites();

    // Figure point 0 is level with the eye: a full 2.4 square, texture top up, s = 1 on the left.
    const Sprite& level = drawn.at(0);
    EXPECT_NEAR(level.width, 2.4f, 1e-4f);
    EXPECT_NEAR(level.height, 2.4f, 1e-4f);
    EXPECT_GT(level.heightAxis.y, 2.39f);
    EXPECT_LT(level.widthAxis.x, 0.0f);
    EXPECT_EQ(level.quad->vertices[0].s, 1.0f);
    EXPECT_EQ(level.quad->vertices[0].t, 0.0f);
    EXPECT_NEAR(level.quad->vertices[0].a, 0.1f, 1e-6f);

    const GLuint figureTexture = level.quad->texture;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        const Sprite& sprite = drawn[i];
        const bool figure = i < 2;
        const Vec3 view{sprite.centre.x - eye.x, sprite.centre.y - eye.y, sprite.centre.z - eye.z};
        const float viewLength = length(view);
        EXPECT_NEAR((view.x * sprite.widthAxis.x + view.y * sprite.widthAxis.y + view.z * sprite.widthAxis.z) / viewLength, 0, 1e-3f);
        EXPECT_NEAR((view.x * sprite.heightAxis.x + view.y * sprite.heightAxis.y + view.z * sprite.heightAxis.z) / viewLength, 0, 1e-3f);
        // Seen from above, a sprite shrinks with the cosine of the view's slope.
        const float slopeCosine = std::sqrt(1 - (view.y / viewLength) * (view.y / viewLength));
        EXPECT_NEAR(sprite.height, 2.4f * slopeCosine, 1e-3f);
        EXPECT_NEAR(sprite.width, (figure ? 2.4f : 4.8f) * slopeCosine, 2e-3f);
        EXPECT_TRUE(sprite.quad->textured);
        EXPECT_EQ(sprite.quad->texture == figureTexture, figure);
        EXPECT_NEAR(sprite.quad->vertices[0].a, figure ? 0.1f : 0.05f, 1e-6f);
        if (::testing::Test::HasFailure())
            FAIL() << "sprite " << i;
    }
}

TEST_F(CloudmanSceneTest, SwayFollowsTheShowClockNotTheScenes)
{
    drawAt(4000);
    const Vec3 first = sprites().at(0).centre;
    scene.setup();
    drawAtShow(SCENE_START + 1234);
    drawAtShow(SCENE_START + 1234 + 4000);
    const Vec3 second = sprites().at(0).centre;
    EXPECT_FLOAT_EQ(second.z, first.z);  // same morph
    EXPECT_NE(second.x, first.x);        // different sway
    EXPECT_LE(std::fabs(first.x), 1.2f);
    EXPECT_LE(std::fabs(second.x), 1.2f);
}

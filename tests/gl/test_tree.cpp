// test_tree.cpp -- a tree drawn level by level: partial segments, line widths, nothing when negative.
#include <gtest/gtest.h>

#include <vector>

#include "glrecorder.h"
#include "tree.h"

namespace {
struct TreeDrawing : ::testing::Test {
    TreeDrawing()
        : tree(Matrix::translation(0, 1, 0) * Matrix(Scale, 0.7f) * Matrix(RotateX, 0.6f),
               Matrix::translation(0, 0.9f, 0) * Matrix(Scale, 0.65f) * Matrix(RotateZ, 0.6f),
               Matrix::translation(0, 0.8f, 0) * Matrix(Scale, 0.6f) * Matrix(RotateX, -0.6f), Vec3{4, 2, 6}, 1.5f,
               &leaves)
    {
        glrec::reset();
    }

    // Every line vertex of the frame, batch by batch, with the width the batch was drawn at.
    struct Line {
        float width;
        glrec::Vertex start, end;
    };
    static std::vector<Line> lines()
    {
        std::vector<Line> out;
        float width = 0;
        std::size_t primitive = 0;
        for (const glrec::Call& call : glrec::calls()) {
            if (call.name == "glLineWidth")
                width = static_cast<float>(call.args[0]);
            if (call.name != "glBegin")
                continue;
            const glrec::Primitive& batch = glrec::primitives()[primitive++];
            EXPECT_EQ(batch.mode, static_cast<GLenum>(GL_LINES));
            for (std::size_t v = 0; v + 1 < batch.vertices.size(); v += 2)
                out.push_back(Line{width, batch.vertices[v], batch.vertices[v + 1]});
        }
        return out;
    }

    std::vector<Vec3> leaves;
    Tree tree;
};
}

TEST_F(TreeDrawing, HalfGrownShowsTheLowerHalfOfTheTrunkFivePixelsWide)
{
    tree.draw(0.5f);
    const std::vector<Line> drawn = lines();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].width, 5.0f);
    EXPECT_FLOAT_EQ(drawn[0].start.y, 0.0f);
    EXPECT_FLOAT_EQ(drawn[0].end.y, 0.5f);
    EXPECT_FLOAT_EQ(drawn[0].end.x, 0.0f);

    // Placed and sized by the matrix, not by the vertices.
    ASSERT_EQ(glrec::count("glTranslatef"), 1u);
    EXPECT_EQ(glrec::callsNamed("glTranslatef")[0].args, (std::vector<double>{4, 2, 6}));
    EXPECT_EQ(glrec::callsNamed("glScalef")[0].args, (std::vector<double>{1.5, 1.5, 1.5}));
    EXPECT_EQ(glrec::stackDepth(GL_MODELVIEW), 1);
}

TEST_F(TreeDrawing, GrowthOfOneShowsTheTrunkAndZeroLengthFirstBranches)
{
    tree.draw(1.0f);
    const std::vector<Line> drawn = lines();
    ASSERT_EQ(drawn.size(), 4u);
    EXPECT_EQ(drawn[0].width, 5.0f);
    EXPECT_FLOAT_EQ(drawn[0].end.y, 1.0f);
    for (std::size_t k = 1; k < 4; ++k) {
        EXPECT_EQ(drawn[k].width, 4.0f);
        EXPECT_FLOAT_EQ(drawn[k].start.x, drawn[k].end.x);
        EXPECT_FLOAT_EQ(drawn[k].start.y, drawn[k].end.y);
        EXPECT_FLOAT_EQ(drawn[k].start.z, drawn[k].end.z);
    }
}

TEST_F(TreeDrawing, FromSevenOnEverySegmentIsWhole)
{
    for (float growth : {7.0f, 7.5f, 1e9f}) {
        glrec::reset();
        tree.draw(growth);
        const std::vector<Line> drawn = lines();
        ASSERT_EQ(drawn.size(), 1093u) << "growth " << growth;
        int thin = 0;
        for (const Line& line : drawn)
            thin += line.width == 2.0f;
        EXPECT_EQ(thin, 1093 - 1 - 3);
    }
    // Widths change only from trunk to first branches to the rest, but the depth-first order
    // returns to width 4 after each first branch's twigs: 1 + 3 * 2 batches with vertices.
    std::size_t batchesWithLines = 0;
    for (const glrec::Primitive& batch : glrec::primitives())
        batchesWithLines += !batch.vertices.empty();
    EXPECT_EQ(batchesWithLines, 7u);
    EXPECT_EQ(glrec::count("glLineWidth"), 7u);
}

TEST_F(TreeDrawing, NegativeGrowthMakesNoGlCalls)
{
    tree.draw(-0.01f);
    EXPECT_TRUE(glrec::calls().empty());
}

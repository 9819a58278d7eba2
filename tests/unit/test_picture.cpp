// test_picture.cpp -- the 4:3 picture in outputs of any shape, and the command-line sizes and options
// that choose the output and where the show starts. (The pixel scale is checked in the sizes drawn,
// in test_screen.cpp.)
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "picture.h"
#include "showoptions.h"

namespace {
void expectRect(const PictureRect& rect, int x, int y, int width, int height)
{
    EXPECT_TRUE(rect.x == x && rect.y == y && rect.width == width && rect.height == height)
        << rect.x << "," << rect.y << " " << rect.width << "x" << rect.height;
}
}  // namespace

// (16:9 is drawn through, at 1920x1080, in test_screen.cpp.)
TEST(Picture, FillsTheHeightOfWideOutputsAndTheWidthOfTallOnesCentredBetweenBars)
{
    expectRect(fitPicture(1024, 768), 0, 0, 1024, 768);
    expectRect(fitPicture(1280, 1024), 0, 32, 1280, 960);   // 5:4: bars above and below
    expectRect(fitPicture(1365, 768), 170, 0, 1024, 768);   // odd spare width: the extra pixel on the right
    expectRect(fitPicture(1000, 1000), 0, 125, 1000, 750);
    expectRect(fitPicture(1001, 1), 500, 0, 1, 1);          // 4/3 of a pixel rounds to one
}

TEST(Picture, ReadsWidthByHeightAndRefusesAnythingElse)
{
    int width = 7, height = 9;
    EXPECT_TRUE(parseSize("1920x1080", width, height));
    EXPECT_TRUE(width == 1920 && height == 1080);
    EXPECT_TRUE(parseSize("1x32768", width, height));
    EXPECT_TRUE(width == 1 && height == 32768);
    for (const char* bad : {"", "x", "1920", "1920x", "x1080", "1920X1080", "1920x1080x2", " 1920x1080", "1920x1080 ",
                            "+1920x1080", "-1920x1080", "0x768", "1024x0", "32769x768", "99999999999x1", "19.5x10",
                            "1920*1080", "0x10x20"}) {
        width = 7, height = 9;
        EXPECT_FALSE(parseSize(bad, width, height)) << "'" << bad << "'";
        EXPECT_TRUE(width == 7 && height == 9) << "'" << bad << "' changed the size";
    }
}

TEST(ShowOptions, PlayFullScreenAtTheDesignSizeUnlessToldOtherwiseGentleOnlyWhenAskedAndRefuseWhatTheyDoNotKnow)
{
    const ShowOptions plain = parseShowOptions({});
    EXPECT_TRUE(plain.action == ShowOptions::Play && plain.width == 1024 && plain.height == 768 && plain.fullScreen &&
                !plain.resizable && !plain.gentle && plain.startMs == 0);
    const ShowOptions native = parseShowOptions({"--native"});
    EXPECT_TRUE(native.action == ShowOptions::Play && native.width == 0 && native.height == 0 && native.fullScreen &&
                !native.gentle);
    const ShowOptions window = parseShowOptions({"--gentle", "--window", "800x600", "--start", "core"});
    EXPECT_TRUE(window.action == ShowOptions::Play && window.width == 800 && window.height == 600 && !window.fullScreen &&
                window.resizable && window.gentle && window.startMs == 420000);
    const ShowOptions after = parseShowOptions({"--native", "--gentle"});
    EXPECT_TRUE(after.action == ShowOptions::Play && after.gentle && after.width == 0);
    EXPECT_EQ(parseShowOptions({"--native", "--help"}).action, ShowOptions::Help);  // help wins, whatever else is given
    EXPECT_EQ(parseShowOptions({"--gentle", "--bogus"}).action, ShowOptions::Fail);

    // Unknown options, missing or malformed sizes and two outputs are refused in one line.
    const std::vector<std::vector<std::string>> bad = {
        {"--fullscreen"}, {"-n"}, {"native"}, {"--window"}, {"--window", "800"}, {"--window", "800x600x1"},
        {"--window", "--native"}, {"--native", "--window", "800x600"}, {"--native", "--native"}, {"--window=800x600"}};
    for (const auto& args : bad) {
        const ShowOptions options = parseShowOptions(args);
        EXPECT_EQ(options.action, ShowOptions::Fail) << args[0];
        EXPECT_FALSE(options.error.empty());
        EXPECT_EQ(options.error.find('\n'), std::string::npos) << "one line: " << options.error;
    }
    EXPECT_NE(parseShowOptions({"--window", "big"}).error.find("'big'"), std::string::npos);  // names what was wrong
}

TEST(ShowOptions, StartAtSecondsOrAtAnEntryByName)
{
    const std::pair<const char*, int> starts[] = {{"212", 212000}, {"212.5", 212500}, {"0", 0}, {"forest", 212000},
                                                     {"storm board", 332000}, {"title board", 0}};
    for (auto [start, ms] : starts)
        EXPECT_EQ(parseShowOptions({"--start", start}).startMs, ms) << start;
    for (const char* bad : {"490", "-1", "soon", "", "212s", "nan", "Forest"}) {
        const ShowOptions options = parseShowOptions({"--start", bad});
        EXPECT_EQ(options.action, ShowOptions::Fail) << "'" << bad << "'";
        EXPECT_NE(options.error.find(std::string("'") + bad + "'"), std::string::npos) << options.error;
    }
    EXPECT_EQ(parseShowOptions({"--start"}).action, ShowOptions::Fail);
}

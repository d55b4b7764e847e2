// The preview's Render arithmetic on a 1024 x 768 screen at 96 dpi, drawn
// into the 152 x 114 area of the monitor picture.

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <vector>

#include "ui/preview_geometry.h"

void PrintTo(const RenderCall& c, std::ostream* out)
{
    *out << "Render(" << c.x << "," << c.y << "," << c.cx << "," << c.cy << "," << c.xSrc << "," << c.ySrc
         << "," << c.cxSrc << "," << c.cySrc << ")";
}

namespace {

constexpr int32_t kTile = 0;
constexpr int32_t kCentre = 1;
constexpr int32_t kStretch = 2;

// A picture of w x h pixels whose HIMETRIC size is given.
PreviewInput input(int32_t mode, int32_t w, int32_t h, int32_t himetricW, int32_t himetricH)
{
    PreviewInput in = {};
    in.showMode = mode;
    in.areaLeft = 0;
    in.areaTop = 0;
    in.areaWidth = 152;
    in.areaHeight = 114;
    in.screenWidth = 1024;
    in.screenHeight = 768;
    in.pictureWidth = w;
    in.pictureHeight = h;
    in.himetricWidth = himetricW;
    in.himetricHeight = himetricH;
    in.dpiX = 96;
    in.dpiY = 96;
    return in;
}

struct SingleCallRow {
    const char* name;
    PreviewInput in;
    RenderCall expected;
};

TEST(PreviewGeometry, StretchAndCentreMakeOneCall)
{
    const SingleCallRow rows[] = {
        {"stretch 640x480", input(kStretch, 640, 480, 16933, 12700), {0, 0, 152, 114, 0, 12700, 16933, -12700}},
        {"stretch 2000x1000 ignores proportions", input(kStretch, 2000, 1000, 52917, 26458),
         {0, 0, 152, 114, 0, 26458, 52917, -26458}},
        {"centre 640x480", input(kCentre, 640, 480, 16933, 12700), {28, 21, 95, 71, 0, 12700, 16933, -12700}},
        {"centre 1600x1200 cut to the screen", input(kCentre, 1600, 1200, 42333, 31750),
         {0, 0, 152, 114, 7620, 20320, 27093, -20320}},
        // ox = -257 / 2 = -128 (toward zero): span 128..1153, HIMETRIC 3386..30506.
        {"centre 1281 wide truncates toward zero", input(kCentre, 1281, 480, 33893, 12700),
         {0, 21, 152, 71, 3386, 12700, 27120, -12700}},
        // oy = -116: span 116..884, HIMETRIC 3069..23389; the vertical origin
        // is the span's height, not its top edge.
        {"centre taller than the screen", input(kCentre, 640, 1000, 16933, 26458),
         {28, 0, 95, 114, 0, 20320, 16933, -20320}},
        {"centre picture as large as the screen", input(kCentre, 1024, 768, 27093, 20320),
         {0, 0, 152, 114, 0, 20320, 27093, -20320}},
        {"tile 2000x1000 is one cut call", input(kTile, 2000, 1000, 52917, 26458),
         {0, 0, 152, 114, 0, 20379, 27173, -20379}},
    };
    for (const SingleCallRow& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<RenderCall> calls = previewRenderCalls(row.in);
        ASSERT_EQ(1u, calls.size());
        EXPECT_EQ(row.expected, calls[0]);
    }
}

TEST(PreviewGeometry, StretchDrawsAtTheAreaOrigin)
{
    PreviewInput in = input(kStretch, 640, 480, 16933, 12700);
    in.areaLeft = 3;
    in.areaTop = 5;
    const std::vector<RenderCall> calls = previewRenderCalls(in);
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ((RenderCall{3, 5, 152, 114, 0, 12700, 16933, -12700}), calls[0]);
}

TEST(PreviewGeometry, Tile256CoversTheAreaRowByRow)
{
    const std::vector<RenderCall> calls = previewRenderCalls(input(kTile, 256, 256, 6773, 6773));
    ASSERT_EQ(12u, calls.size());
    for (size_t k = 0; k < calls.size(); ++k) {
        SCOPED_TRACE(k);
        const int32_t x = static_cast<int32_t>(k % 4) * 38;
        const int32_t y = static_cast<int32_t>(k / 4) * 38;
        EXPECT_EQ((RenderCall{x, y, 38, 38, 0, 6773, 6773, -6773}), calls[k]);
    }
    EXPECT_EQ((RenderCall{114, 76, 38, 38, 0, 6773, 6773, -6773}), calls.back());
}

TEST(PreviewGeometry, Tile300CutsTheLastColumnAndRow)
{
    const std::vector<RenderCall> calls = previewRenderCalls(input(kTile, 300, 300, 7938, 7938));
    ASSERT_EQ(12u, calls.size());
    EXPECT_EQ((RenderCall{0, 0, 44, 44, 0, 7938, 7938, -7938}), calls[0]);
    EXPECT_EQ((RenderCall{132, 0, 20, 44, 0, 7938, 3608, -7938}), calls[3]);   // cut on the right
    EXPECT_EQ((RenderCall{0, 88, 44, 26, 0, 4690, 7938, -4690}), calls[8]);    // cut at the bottom
    EXPECT_EQ((RenderCall{132, 88, 20, 26, 0, 4690, 3608, -4690}), calls[11]); // cut on both
    for (const RenderCall& c : calls) {
        EXPECT_LT(c.x, 152);
        EXPECT_LT(c.y, 114);
        EXPECT_LE(c.x + c.cx, 152);
        EXPECT_LE(c.y + c.cy, 114);
    }
}

TEST(PreviewGeometry, NothingToDrawNeverDividesByZero)
{
    struct Row {
        const char* name;
        PreviewInput in;
    };
    PreviewInput noDpi = input(kCentre, 640, 480, 16933, 12700);
    noDpi.dpiX = 0;
    noDpi.dpiY = 0;
    PreviewInput noScreen = input(kCentre, 640, 480, 16933, 12700);
    noScreen.screenWidth = 0;
    noScreen.screenHeight = 0;
    PreviewInput noArea = input(kTile, 256, 256, 6773, 6773);
    noArea.areaWidth = 0;
    noArea.areaHeight = 0;
    const Row rows[] = {
        {"tile, zero width", input(kTile, 0, 480, 0, 12700)},
        {"tile, zero height", input(kTile, 640, 0, 16933, 0)},
        {"centre, zero width", input(kCentre, 0, 480, 0, 12700)},
        {"centre, zero height", input(kCentre, 640, 0, 16933, 0)},
        {"stretch, zero size", input(kStretch, 0, 0, 0, 0)},
        // 6 pixels scale to a tile 0 pixels wide (6 * 152 / 1024).
        {"tile narrower than one area pixel", input(kTile, 6, 300, 159, 7938)},
        {"tile lower than one area pixel", input(kTile, 300, 6, 7938, 159)},
        {"centre, no pixel density", noDpi},
        {"no screen", noScreen},
        {"no area", noArea},
        {"style 3", input(3, 640, 480, 16933, 12700)},
        {"style -1", input(-1, 640, 480, 16933, 12700)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_TRUE(previewRenderCalls(row.in).empty());
    }
}

TEST(PreviewGeometry, SmallestTileThatShowsIsDrawn)
{
    // 7 pixels give a tile 1 pixel wide: 147 columns, all drawn.
    const std::vector<RenderCall> calls = previewRenderCalls(input(kTile, 7, 768, 185, 20320));
    ASSERT_EQ(147u, calls.size());
    EXPECT_EQ((RenderCall{146, 0, 1, 114, 0, 20320, 185, -20320}), calls.back());
}

}  // namespace

// The preview's Render arithmetic on a 1024 x 768 screen at 96 dpi, drawn
// into the 152 x 114 area of the monitor picture.

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <utility>
#include <vector>

#include "ui/preview_geometry.h"

void PrintTo(const RenderCall& c, std::ostream* out)
{
    *out << "Render(" << c.x << "," << c.y << "," << c.cx << "," << c.cy << "," << c.xSrc << "," << c.ySrc
         << "," << c.cxSrc << "," << c.cySrc << ")";
}

namespace {

constexpr int32_t kTile = 0, kCentre = 1, kStretch = 2;

// A picture of w x h pixels with the given HIMETRIC size; `edit` changes the rest.
template <typename Edit = void (*)(PreviewInput&)>
PreviewInput input(int32_t mode, int32_t w, int32_t h, int32_t hmW, int32_t hmH, Edit edit = [](PreviewInput&) {})
{
    PreviewInput in = {mode, 0, 0, 152, 114, 1024, 768, w, h, hmW, hmH, 96, 96};
    edit(in);
    return in;
}

TEST(PreviewGeometry, RenderCallsOfEveryStyle)
{
    using Calls = std::vector<std::pair<size_t, RenderCall>>;  // spot checks by index
    const auto noDpi = [](PreviewInput& in) { in.dpiX = in.dpiY = 0; };
    const auto noScreen = [](PreviewInput& in) { in.screenWidth = in.screenHeight = 0; };
    const auto noArea = [](PreviewInput& in) { in.areaWidth = in.areaHeight = 0; };
    const auto movedArea = [](PreviewInput& in) { in.areaLeft = 3, in.areaTop = 5; };
    const struct {
        const char* name;
        PreviewInput in;
        size_t count;
        Calls calls;
    } rows[] = {
        {"stretch 640x480", input(kStretch, 640, 480, 16933, 12700), 1,
         {{0, {0, 0, 152, 114, 0, 12700, 16933, -12700}}}},
        {"stretch at the area's origin", input(kStretch, 640, 480, 16933, 12700, movedArea), 1,
         {{0, {3, 5, 152, 114, 0, 12700, 16933, -12700}}}},
        {"stretch ignores proportions", input(kStretch, 2000, 1000, 52917, 26458), 1,
         {{0, {0, 0, 152, 114, 0, 26458, 52917, -26458}}}},
        {"centre 640x480", input(kCentre, 640, 480, 16933, 12700), 1,
         {{0, {28, 21, 95, 71, 0, 12700, 16933, -12700}}}},
        {"centre 1600x1200 cut to the screen", input(kCentre, 1600, 1200, 42333, 31750), 1,
         {{0, {0, 0, 152, 114, 7620, 20320, 27093, -20320}}}},
        {"centre as large as the screen", input(kCentre, 1024, 768, 27093, 20320), 1,
         {{0, {0, 0, 152, 114, 0, 20320, 27093, -20320}}}},
        // ox = -257 / 2 = -128, toward zero: span 128..1153.
        {"centre 1281 wide truncates toward zero", input(kCentre, 1281, 480, 33893, 12700), 1,
         {{0, {0, 21, 152, 71, 3386, 12700, 27120, -12700}}}},
        // The vertical origin is the span's height, not its top edge.
        {"centre taller than the screen", input(kCentre, 640, 1000, 16933, 26458), 1,
         {{0, {28, 0, 95, 114, 0, 20320, 16933, -20320}}}},
        {"tile 256x256 row by row", input(kTile, 256, 256, 6773, 6773), 12,
         {{0, {0, 0, 38, 38, 0, 6773, 6773, -6773}},
          {1, {38, 0, 38, 38, 0, 6773, 6773, -6773}},
          {4, {0, 38, 38, 38, 0, 6773, 6773, -6773}},
          {11, {114, 76, 38, 38, 0, 6773, 6773, -6773}}}},
        {"tile 300x300 cuts the last column and row", input(kTile, 300, 300, 7938, 7938), 12,
         {{0, {0, 0, 44, 44, 0, 7938, 7938, -7938}},
          {3, {132, 0, 20, 44, 0, 7938, 3608, -7938}},
          {8, {0, 88, 44, 26, 0, 4690, 7938, -4690}},
          {11, {132, 88, 20, 26, 0, 4690, 3608, -4690}}}},
        {"tile 2000x1000 is one cut call", input(kTile, 2000, 1000, 52917, 26458), 1,
         {{0, {0, 0, 152, 114, 0, 20379, 27173, -20379}}}},
        // 7 pixels give a tile 1 pixel wide, 6 pixels one 0 wide (6 * 152 / 1024).
        {"smallest tile that shows", input(kTile, 7, 768, 185, 20320), 147,
         {{146, {146, 0, 1, 114, 0, 20320, 185, -20320}}}},
        {"tile narrower than one area pixel", input(kTile, 6, 300, 159, 7938), 0, {}},
        {"tile lower than one area pixel", input(kTile, 300, 6, 7938, 159), 0, {}},
        {"tile, zero width", input(kTile, 0, 480, 0, 12700), 0, {}},
        {"tile, zero height", input(kTile, 640, 0, 16933, 0), 0, {}},
        {"centre, zero width", input(kCentre, 0, 480, 0, 12700), 0, {}},
        {"centre, zero height", input(kCentre, 640, 0, 16933, 0), 0, {}},
        {"stretch, zero size", input(kStretch, 0, 0, 0, 0), 0, {}},
        {"centre, no pixel density", input(kCentre, 640, 480, 16933, 12700, noDpi), 0, {}},
        {"no screen", input(kCentre, 640, 480, 16933, 12700, noScreen), 0, {}},
        {"no area", input(kTile, 256, 256, 6773, 6773, noArea), 0, {}},
        {"style 3", input(3, 640, 480, 16933, 12700), 0, {}},
        {"style -1", input(-1, 640, 480, 16933, 12700), 0, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<RenderCall> calls = previewRenderCalls(row.in);
        ASSERT_EQ(row.count, calls.size());
        for (const auto& [k, call] : row.calls)
            EXPECT_EQ(call, calls[k]) << "call " << k;
        for (const RenderCall& c : calls) {  // never outside the area
            EXPECT_GE(c.x, row.in.areaLeft);
            EXPECT_GE(c.y, row.in.areaTop);
            EXPECT_LE(c.x + c.cx, row.in.areaLeft + 152);
            EXPECT_LE(c.y + c.cy, row.in.areaTop + 114);
        }
    }
}

}  // namespace

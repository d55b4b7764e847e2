#include "ui/preview_geometry.h"

#include <algorithm>

namespace {

// Products are formed in 64 bits so that large pictures cannot overflow
// before the division; the quotient truncates toward zero like int division.
int32_t scale(int64_t value, int64_t numerator, int64_t denominator)
{
    return static_cast<int32_t>(value * numerator / denominator);
}

struct Span {
    int32_t screen0, screen1;   // on the real screen
    int32_t picture0, picture1; // of the picture, in the caller's unit
};

// The picture centred on a screen of `screen` pixels, cut to the screen.
Span centredSpan(int32_t screen, int32_t picture)
{
    const int32_t offset = (screen - picture) / 2;
    if (offset < 0)
        return {0, screen, -offset, picture + offset};
    return {offset, offset + picture, 0, picture};
}

int32_t tileCount(int32_t screen, int32_t tile)
{
    const int32_t whole = screen / tile;
    if (whole <= 0)
        return 1;
    return whole + (screen % tile != 0 ? 1 : 0);
}

void stretch(const PreviewInput& in, std::vector<RenderCall>& calls)
{
    calls.push_back({in.areaLeft, in.areaTop, in.areaWidth, in.areaHeight, 0, in.himetricHeight,
                     in.himetricWidth, -in.himetricHeight});
}

void centre(const PreviewInput& in, std::vector<RenderCall>& calls)
{
    const Span h = centredSpan(in.screenWidth, in.pictureWidth);
    const Span v = centredSpan(in.screenHeight, in.pictureHeight);

    const int32_t px0 = scale(in.areaWidth, h.screen0, in.screenWidth);
    const int32_t px1 = scale(in.areaWidth, h.screen1, in.screenWidth);
    const int32_t py0 = scale(in.areaHeight, v.screen0, in.screenHeight);
    const int32_t py1 = scale(in.areaHeight, v.screen1, in.screenHeight);

    const int32_t hx0 = scale(in.himetricWidth, h.picture0, in.pictureWidth);
    const int32_t hx1 = scale(in.himetricWidth, h.picture1, in.pictureWidth);
    const int32_t hy0 = scale(in.himetricHeight, v.picture0, in.pictureHeight);
    const int32_t hy1 = scale(in.himetricHeight, v.picture1, in.pictureHeight);

    // Render's vertical source axis runs upward from the bottom edge.
    calls.push_back({px0, py0, px1 - px0, py1 - py0, hx0, in.himetricHeight - hy0, hx1 - hx0, hy0 - hy1});
}

// One direction of the picture scaled to `scaled` pixels and centred on the
// screen, cut to it: the screen span, and the source span in HIMETRIC from
// the picture's left or top edge.
Span scaledSpan(int64_t screen, int64_t scaled, int32_t himetric)
{
    const int64_t offset = (screen - scaled) / 2;
    if (offset < 0)
        return {0, static_cast<int32_t>(screen), scale(himetric, -offset, scaled),
                scale(himetric, scaled + offset, scaled)};
    return {static_cast<int32_t>(offset), static_cast<int32_t>(offset + scaled), 0, himetric};
}

// Fill and fit, as the shell draws them from Windows 7 on: the picture scaled
// with its proportions kept, centred, covering the screen with the overflow
// cut off (fill) or whole inside it (fit).
void keepAspect(const PreviewInput& in, bool cover, std::vector<RenderCall>& calls)
{
    const int64_t pw = in.pictureWidth, ph = in.pictureHeight, sw = in.screenWidth, sh = in.screenHeight;
    // Scaled to the screen's width, unless that leaves it short of the
    // screen's height (fill) or beyond it (fit).
    const bool byWidth = (pw * sh < ph * sw) == cover;
    const Span h = scaledSpan(sw, byWidth ? sw : pw * sh / ph, in.himetricWidth);
    const Span v = scaledSpan(sh, byWidth ? ph * sw / pw : sh, in.himetricHeight);

    const int32_t px0 = scale(in.areaWidth, h.screen0, sw);
    const int32_t px1 = scale(in.areaWidth, h.screen1, sw);
    const int32_t py0 = scale(in.areaHeight, v.screen0, sh);
    const int32_t py1 = scale(in.areaHeight, v.screen1, sh);
    // Render's vertical source axis runs upward from the bottom edge.
    calls.push_back({in.areaLeft + px0, in.areaTop + py0, px1 - px0, py1 - py0, h.picture0,
                     in.himetricHeight - v.picture0, h.picture1 - h.picture0, v.picture0 - v.picture1});
}

// Span: the picture stretched over the desktop spanning every monitor, of
// which the screen shows its own part.
void span(const PreviewInput& in, std::vector<RenderCall>& calls)
{
    const bool desktop = in.desktopWidth > 0 && in.desktopHeight > 0;
    const int64_t left = desktop ? in.desktopLeft : 0, top = desktop ? in.desktopTop : 0;
    const int64_t width = desktop ? in.desktopWidth : in.screenWidth, height = desktop ? in.desktopHeight : in.screenHeight;
    const int32_t x0 = scale(in.himetricWidth, -left, width), x1 = scale(in.himetricWidth, in.screenWidth - left, width);
    const int32_t y0 = scale(in.himetricHeight, -top, height), y1 = scale(in.himetricHeight, in.screenHeight - top, height);
    // Render's vertical source axis runs upward from the bottom edge.
    calls.push_back({in.areaLeft, in.areaTop, in.areaWidth, in.areaHeight, x0, in.himetricHeight - y0, x1 - x0, y0 - y1});
}

void tile(const PreviewInput& in, std::vector<RenderCall>& calls)
{
    const int32_t columns = tileCount(in.screenWidth, in.pictureWidth);
    const int32_t rows = tileCount(in.screenHeight, in.pictureHeight);
    const int32_t tw = scale(in.pictureWidth, in.areaWidth, in.screenWidth);
    const int32_t th = scale(in.pictureHeight, in.areaHeight, in.screenHeight);
    if (tw <= 0 || th <= 0)
        return;  // a picture too small to show at this scale

    for (int32_t j = 0; j < rows; ++j) {
        const int32_t y = j * th;
        for (int32_t i = 0; i < columns; ++i) {
            const int32_t x = i * tw;
            const int32_t cx = std::min(x + tw, in.areaWidth) - x;
            const int32_t cy = std::min(y + th, in.areaHeight) - y;
            const int32_t sw = scale(in.himetricWidth, cx, tw);
            const int32_t sh = scale(in.himetricHeight, cy, th);
            calls.push_back({x, y, cx, cy, 0, in.himetricHeight, sw, -sh});  // a cut tile shows its top
        }
    }
}

int64_t divideRoundingUp(int64_t value, int64_t divisor) { return (value + divisor - 1) / divisor; }

// One direction of the kept size: the picture's extent on the screen at its
// largest (its own, or filling the screen, whichever is more), scaled into
// the area; a filling picture's extent is the screen's, or the other
// direction's screen extent carried over in the picture's proportions.
int32_t keptExtent(int64_t area, int64_t screen, int64_t picture, int64_t otherScreen, int64_t otherPicture)
{
    const int64_t filling = std::max(screen, divideRoundingUp(picture * otherScreen, otherPicture));
    return static_cast<int32_t>(std::min(picture, divideRoundingUp(area * std::max(picture, filling), screen)));
}

}  // namespace

PixelSize keptPictureSize(PixelSize area, PixelSize screen, PixelSize picture)
{
    if (area.width <= 0 || area.height <= 0 || screen.width <= 0 || screen.height <= 0 || picture.width <= 0 ||
        picture.height <= 0)
        return {0, 0};
    return {keptExtent(area.width, screen.width, picture.width, screen.height, picture.height),
            keptExtent(area.height, screen.height, picture.height, screen.width, picture.width)};
}

std::vector<RenderCall> previewRenderCalls(const PreviewInput& in)
{
    std::vector<RenderCall> calls;
    if (in.screenWidth <= 0 || in.screenHeight <= 0 || in.areaWidth <= 0 || in.areaHeight <= 0)
        return calls;
    if (in.pictureWidth <= 0 || in.pictureHeight <= 0)
        return calls;  // nothing sensible to place, and the arithmetic would divide by zero

    switch (in.showMode) {
    case 2:
        stretch(in, calls);
        break;
    case 1:
        centre(in, calls);
        break;
    case 0:
        tile(in, calls);
        break;
    case 3:
    case 4:
        keepAspect(in, in.showMode == 4, calls);
        break;
    case 5:
        span(in, calls);
        break;
    default:
        break;
    }
    return calls;
}

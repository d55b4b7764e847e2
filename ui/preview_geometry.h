#pragma once
// Where the preview draws a picture: the IPicture::Render calls that show it
// tiled, centred, stretched, filling or fitting the small screen, or spanning
// every monitor, scaled from the real one.
// Pure arithmetic, free of Win32, so that it is tested natively.

#include <cstdint>
#include <vector>

struct RenderCall {
    int32_t x, y, cx, cy;              // destination, area pixels
    int32_t xSrc, ySrc, cxSrc, cySrc;  // source, HIMETRIC (vertical axis upward)

    bool operator==(const RenderCall& o) const
    {
        return x == o.x && y == o.y && cx == o.cx && cy == o.cy && xSrc == o.xSrc &&
               ySrc == o.ySrc && cxSrc == o.cxSrc && cySrc == o.cySrc;
    }
};

struct PreviewInput {
    int32_t showMode;                        // 0 tile, 1 centre, 2 stretch, 3 fit, 4 fill, 5 span
    int32_t areaLeft, areaTop, areaWidth, areaHeight;
    int32_t screenWidth, screenHeight;       // real screen, pixels
    int32_t pictureWidth, pictureHeight;     // the picture file's pixels
    int32_t himetricWidth, himetricHeight;   // the picture object drawn (maybe a smaller copy), 0.01 mm
    // The desktop spanning every monitor, in the screen's pixels from its top
    // left corner; all zero: the screen alone.
    int32_t desktopLeft, desktopTop, desktopWidth, desktopHeight;
};

// The calls in drawing order; none for a style outside 0..5 or for sizes
// that would divide by zero.
std::vector<RenderCall> previewRenderCalls(const PreviewInput& in);

struct PixelSize {
    int32_t width, height;
    bool operator==(const PixelSize& o) const { return width == o.width && height == o.height; }
};

// The size a picture is kept at for the preview: as large as any style shows
// it in the area (at the screen's scale when centred or tiled, larger when
// it fills a screen it is smaller than), never larger than the picture
// itself; zero where nothing can be placed.
PixelSize keptPictureSize(PixelSize area, PixelSize screen, PixelSize picture);

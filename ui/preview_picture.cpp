#include "ui/preview_picture.h"

#include <wincodec.h>

#include <cstring>
#include <vector>

namespace {

HRESULT premultiply(IWICFormatConverter* converter, IWICBitmapSource* source)
{
    return converter->Initialize(source, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                 WICBitmapPaletteTypeCustom);
}

HRESULT shrink(IWICBitmapScaler* scaler, IWICBitmapSource* source, PixelSize size)
{
    return scaler->Initialize(source, static_cast<UINT>(size.width), static_cast<UINT>(size.height),
                              WICBitmapInterpolationModeFant);
}

// The premultiplied pixels, row by row as the codecs prefer, in a top-down
// 24-bit DIB section: transparent parts come out black, as on the preview's
// black screen, and a photo takes three bytes a pixel, not four.
HBITMAP bitmapOf(IWICBitmapSource* pixels, PixelSize size)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.width;
    info.bmiHeader.biHeight = -size.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return nullptr;
    const UINT width = static_cast<UINT>(size.width), stride = (width * 3 + 3) & ~3u;
    std::vector<BYTE> row(width * 4);
    for (INT y = 0; y < size.height; ++y) {
        const WICRect line = {0, y, size.width, 1};
        if (FAILED(pixels->CopyPixels(&line, width * 4, width * 4, row.data()))) {
            DeleteObject(bitmap);
            return nullptr;
        }
        BYTE* out = static_cast<BYTE*>(bits) + static_cast<size_t>(y) * stride;
        for (UINT x = 0; x < width; ++x)
            std::memcpy(out + x * 3, &row[x * 4], 3);  // blue, green, red
    }
    return bitmap;
}

}  // namespace

bool decodeForPreview(LPCWSTR path, PixelSize area, PixelSize screen, ScopedCom<IPicture>& picture,
                      PixelSize& pixels)
{
    ScopedCom<IWICImagingFactory> factory;
    ScopedCom<IWICBitmapDecoder> decoder;
    ScopedCom<IWICBitmapFrameDecode> frame;
    ScopedCom<IWICBitmapScaler> scaler;
    ScopedCom<IWICFormatConverter> converter;
    GUID format = {};
    UINT width = 0, height = 0;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                factory.receiveVoid())) ||
        FAILED(factory->CreateDecoderFromFilename(path, nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                  decoder.receive())) ||
        FAILED(decoder->GetContainerFormat(&format)) || FAILED(decoder->GetFrame(0, frame.receive())) ||
        FAILED(frame->GetSize(&width, &height)) || width > 0x7FFFFFFF || height > 0x7FFFFFFF ||
        FAILED(factory->CreateBitmapScaler(scaler.receive())) ||
        FAILED(factory->CreateFormatConverter(converter.receive())))
        return false;
    pixels = {static_cast<int32_t>(width), static_cast<int32_t>(height)};
    const PixelSize kept = keptPictureSize(area, screen, pixels);
    if (kept.width <= 0 || kept.height <= 0)
        return false;

    // A JPEG is scaled first: right after its decoder, the scaler has it
    // decode at an eighth, a quarter or half of its size. Other pictures are
    // premultiplied first, so that transparent edges blend into black.
    IWICBitmapSource* last = nullptr;
    if (IsEqualGUID(format, GUID_ContainerFormatJpeg)) {
        if (FAILED(shrink(scaler.get(), frame.get(), kept)) || FAILED(premultiply(converter.get(), scaler.get())))
            return false;
        last = converter.get();
    } else {
        if (FAILED(premultiply(converter.get(), frame.get())) || FAILED(shrink(scaler.get(), converter.get(), kept)))
            return false;
        last = scaler.get();
    }

    PICTDESC description = {};
    description.cbSizeofstruct = sizeof description;
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = bitmapOf(last, kept);
    if (!description.bmp.hbitmap)
        return false;
    if (OleCreatePictureIndirect(&description, IID_IPicture, TRUE, picture.receiveVoid()) != S_OK || !picture) {
        DeleteObject(description.bmp.hbitmap);  // not handed over
        return false;
    }
    return true;
}

#pragma once
// Files the tests write and read back byte for byte.

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

inline std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline bool writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// A 24-bit BMP whose left half is `left` and right half `right`.
inline std::string bmpBytes(int width, int height, COLORREF left, COLORREF right)
{
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + stride * height;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    std::string row(stride, '\0');
    for (int x = 0; x < width; ++x) {
        const COLORREF c = x < width / 2 ? left : right;
        row[x * 3] = static_cast<char>(GetBValue(c));
        row[x * 3 + 1] = static_cast<char>(GetGValue(c));
        row[x * 3 + 2] = static_cast<char>(GetRValue(c));
    }
    for (int y = 0; y < height; ++y)
        bytes += row;
    return bytes;
}

// What the file-open dialog leaves in its buffer, read back as paths.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ui/file_selection.h"

namespace {

using Paths = std::vector<std::string>;

// A heap block of exactly the buffer's size, so the sanitizers catch any read past it.
Paths parse(const std::string& bytes, size_t fileOffset)
{
    std::unique_ptr<char[]> buffer(new char[bytes.size()]);
    std::memcpy(buffer.get(), bytes.data(), bytes.size());
    return selectedPaths(buffer.get(), bytes.size(), fileOffset);
}

std::string z(size_t n) { return std::string(n, '\0'); }
template <size_t N> std::string raw(const char (&s)[N]) { return std::string(s, N - 1); }

TEST(FileSelection, ReadsOneOrSeveralFiles)
{
    const std::string folder248 = "C:\\" + std::string(245, 'd');
    const std::string path259 = "C:\\" + std::string(252, 'p') + ".jpg";
    const std::string path260 = "C:\\" + std::string(253, 'p') + ".jpg";
    const struct {
        const char* name;
        std::string buffer;
        size_t fileOffset;
        Paths expected;
    } rows[] = {
        {"single file", raw("C:\\pics\\a.jpg\0") + z(50), 8, {"C:\\pics\\a.jpg"}},
        {"single file in a drive root", raw("C:\\a.jpg\0") + z(10), 3, {"C:\\a.jpg"}},
        {"single file without an extension", raw("C:\\pics\\readme\0") + z(10), 8, {"C:\\pics\\readme"}},
        {"single file, folder with a dot", raw("C:\\my.pics\\readme\0") + z(10), 11, {"C:\\my.pics\\readme"}},
        {"three files", raw("C:\\pics\0a.bmp\0b.jpg\0c.gif\0\0") + z(10), 8,
         {"C:\\pics\\a.bmp", "C:\\pics\\b.jpg", "C:\\pics\\c.gif"}},
        {"several without extensions", raw("C:\\pics\0one\0two\0\0"), 8, {"C:\\pics\\one", "C:\\pics\\two"}},
        {"drive root keeps one backslash", raw("C:\\\0a.jpg\0b.jpg\0\0"), 4, {"C:\\a.jpg", "C:\\b.jpg"}},
        // 0x95 0x5C is one code page 936 character, not a folder ending in a backslash.
        {"folder ending in a trail byte 0x5C", raw("C:\\\x95\\\0a.jpg\0\0"), 6, {"C:\\\x95\\\\a.jpg"}},
        {"single path of 259 bytes", path259 + z(4), 3, {path259}},
        {"single path of 260 bytes", path260 + z(4), 3, {}},
        {"joined paths over 259 bytes left out",
         folder248 + z(1) + "short.jpg" + z(1) + "a-much-longer-name.jpg" + z(1) + "b.jpg" + z(2),
         folder248.size() + 1, {folder248 + "\\short.jpg", folder248 + "\\b.jpg"}},
        {"empty buffer", z(64), 0, {}},
        {"no name after the folder", raw("C:\\pics\0\0"), 8, {}},
        {"unterminated single path", raw("C:\\pics\\a.jpg"), 8, {}},
        {"offset past the buffer is one path", raw("C:\\pics\\a.jpg\0"), 400, {"C:\\pics\\a.jpg"}},
        // Buffers that end without the final empty string.
        {"last name cut by the end", raw("C:\\d\0a.jpg\0b.jp"), 5, {"C:\\d\\a.jpg"}},
        {"last name complete", raw("C:\\d\0a.jpg\0b.jpg\0"), 5, {"C:\\d\\a.jpg", "C:\\d\\b.jpg"}},
        {"offset at the very end", raw("C:\\d\0"), 5, {}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.expected, parse(row.buffer, row.fileOffset)) << row.name;
    EXPECT_TRUE(selectedPaths(nullptr, 100, 3).empty());
    char one = 'x';
    EXPECT_TRUE(selectedPaths(&one, 0, 0).empty());
}

}  // namespace

// What the file-open dialog leaves in its buffer, read back as paths.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ui/file_selection.h"

namespace {

using Paths = std::vector<std::string>;

// The buffer exactly as given (embedded NULs kept), in a heap block of its
// own size so that the sanitizers catch any read past it.
Paths parse(const std::string& bytes, size_t fileOffset)
{
    std::unique_ptr<char[]> buffer(new char[bytes.size()]);
    std::memcpy(buffer.get(), bytes.data(), bytes.size());
    return selectedPaths(buffer.get(), bytes.size(), fileOffset);
}

std::string zeros(size_t n) { return std::string(n, '\0'); }

struct Row {
    const char* name;
    std::string buffer;
    size_t fileOffset;
    Paths expected;
};

TEST(FileSelection, ReadsOneOrSeveralFiles)
{
    const std::string longFolder = "C:\\" + std::string(245, 'd');  // 248 bytes
    const std::string path259 = "C:\\" + std::string(252, 'p') + ".jpg";
    const std::string path260 = "C:\\" + std::string(253, 'p') + ".jpg";
    const Row rows[] = {
        {"single file", std::string("C:\\pics\\a.jpg\0", 14) + zeros(50), 8, {"C:\\pics\\a.jpg"}},
        {"single file in a drive root", std::string("C:\\a.jpg\0", 9) + zeros(10), 3, {"C:\\a.jpg"}},
        {"single file without an extension", std::string("C:\\pics\\readme\0", 15) + zeros(10), 8,
         {"C:\\pics\\readme"}},
        {"single file, folder name with a dot", std::string("C:\\my.pics\\readme\0", 18) + zeros(10), 11,
         {"C:\\my.pics\\readme"}},
        {"three files", std::string("C:\\pics\0a.bmp\0b.jpg\0c.gif\0\0", 27) + zeros(10), 8,
         {"C:\\pics\\a.bmp", "C:\\pics\\b.jpg", "C:\\pics\\c.gif"}},
        {"several without extensions", std::string("C:\\pics\0one\0two\0\0", 17), 8,
         {"C:\\pics\\one", "C:\\pics\\two"}},
        {"drive root doubles the backslash", std::string("C:\\\0a.jpg\0b.jpg\0\0", 17), 4,
         {"C:\\\\a.jpg", "C:\\\\b.jpg"}},
        {"single path of 259 bytes", path259 + zeros(4), 3, {path259}},
        {"single path of 260 bytes", path260 + zeros(4), 3, {}},
        {"joined paths longer than 259 bytes are left out",
         longFolder + zeros(1) + "short.jpg" + zeros(1) + "a-much-longer-name.jpg" + zeros(1) + "b.jpg" +
             zeros(2),
         longFolder.size() + 1,
         {longFolder + "\\short.jpg", longFolder + "\\b.jpg"}},
        {"empty buffer", zeros(64), 0, {}},
        {"no name after the folder", std::string("C:\\pics\0\0", 9), 8, {}},
        {"unterminated single path", std::string("C:\\pics\\a.jpg"), 8, {}},
        {"offset past the buffer is one path", std::string("C:\\pics\\a.jpg\0", 14), 400, {"C:\\pics\\a.jpg"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.expected, parse(row.buffer, row.fileOffset));
    }
}

TEST(FileSelection, StopsAtTheEndOfABufferWithoutItsFinalEmptyString)
{
    const Row rows[] = {
        {"last name cut by the buffer's end", std::string("C:\\d\0a.jpg\0b.jp", 15), 5, {"C:\\d\\a.jpg"}},
        {"last name complete, no empty string", std::string("C:\\d\0a.jpg\0b.jpg\0", 17), 5,
         {"C:\\d\\a.jpg", "C:\\d\\b.jpg"}},
        {"offset at the very end", std::string("C:\\d\0", 5), 5, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.expected, parse(row.buffer, row.fileOffset));
    }
}

TEST(FileSelection, NullOrEmptyBufferGivesNothing)
{
    EXPECT_TRUE(selectedPaths(nullptr, 100, 3).empty());
    char one = 'x';
    EXPECT_TRUE(selectedPaths(&one, 0, 0).empty());
}

}  // namespace

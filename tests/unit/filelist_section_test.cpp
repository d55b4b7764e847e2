// The FILELIST section resolver answers what the per-key reads would.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/filelist_section.h"

namespace {

// Builds the section text: every line NUL-terminated, one more NUL at the end.
std::string section(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + '\0';
    return text + '\0';
}

std::vector<std::string> fileListPaths(const char* text, size_t size)
{
    std::vector<std::string> paths;
    resolveFileList(
        text, size, [](const char* path, void* out) { static_cast<std::vector<std::string>*>(out)->emplace_back(path); },
        &paths);
    return paths;
}

std::vector<std::string> resolve(const std::string& text) { return fileListPaths(text.data(), text.size()); }

struct Row {
    const char* name;
    std::vector<std::string> lines;
    std::vector<std::string> expected;
};

TEST(FileListSection, ResolvesKeysAsPerKeyReads)
{
    const std::string longPath = "C:\\" + std::string(256, 'a');  // 259 bytes: fits
    const std::string tooLong = "C:\\" + std::string(257, 'a');   // 260 bytes: passed over
    const Row rows[] = {
        {"empty section", {}, {}},
        {"in order", {"0=A", "1=B", "2=C"}, {"A", "B", "C"}},
        {"lines in any order", {"1=B", "0=A"}, {"A", "B"}},
        {"gap ends the list", {"0=A", "1=B", "3=D"}, {"A", "B"}},
        {"no key 0", {"1=B", "2=C"}, {}},
        {"empty value ends the list", {"0=", "1=B"}, {}},
        {"empty value in the middle", {"0=A", "1=", "2=C"}, {"A"}},
        {"line without equals ends the list", {"0=A", "1", "2=C"}, {"A"}},
        {"leading zeros are other keys", {"00=X", "01=Y", "0=A"}, {"A"}},
        {"only leading zeros", {"00=X", "01=Y"}, {}},
        {"signs are other keys", {"+0=X", "-0=Y", "0=A", "+1=Z"}, {"A"}},
        {"first of a duplicated key wins", {"0=A", "0=B", "1=C"}, {"A", "C"}},
        {"duplicated key without value first", {"0=A", "1", "1=B"}, {"A"}},
        {"double quotes dropped", {"0=\"C:\\a b.bmp\"", "1=B"}, {"C:\\a b.bmp", "B"}},
        {"single quotes dropped", {"0='A'"}, {"A"}},
        {"unmatched quotes kept", {"0=\"A'", "1=\"B", "2=C\""}, {"\"A'", "\"B", "C\""}},
        {"a lone quote is a value", {"0=\""}, {"\""}},
        {"empty quotes end the list", {"0=A", "1=\"\"", "2=C"}, {"A"}},
        {"value with equals", {"0=a=b"}, {"a=b"}},
        {"longest path fits", {"0=" + longPath, "1=B"}, {longPath, "B"}},
        {"too long passed over", {"0=A", "1=" + tooLong, "2=C"}, {"A", "C"}},
        {"too long after quotes", {"0=\"" + tooLong + "\"", "1=B"}, {"B"}},
        {"fits after quotes", {"0=\"" + longPath + "\"", "1=B"}, {longPath, "B"}},
        {"code page 936 path", {"0=D:\\\xCD\xBC\xC6\xAC\\\xBA\xA3.bmp"}, {"D:\\\xCD\xBC\xC6\xAC\\\xBA\xA3.bmp"}},
        {"other keys ignored", {"NAME=x", "0=A", "10=K", "1=B"}, {"A", "B"}},
        {"key beyond the line count", {"0=A", "4294967296=X", "99999999999=Y"}, {"A"}},
        {"empty key", {"=X", "0=A"}, {"A"}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.expected, resolve(section(row.lines))) << row.name;
}

TEST(FileListSection, OddBuffersAreSafe)
{
    EXPECT_TRUE(fileListPaths(nullptr, 10).empty());
    EXPECT_TRUE(fileListPaths("", 0).empty());
    // No terminator at all: the last line ends with the buffer.
    const std::string cut = "0=A";
    EXPECT_EQ(std::vector<std::string>{"A"}, fileListPaths(cut.data(), cut.size()));
    const std::string cutKey = std::string("0=A\0", 4) + "1";
    EXPECT_EQ(std::vector<std::string>{"A"}, fileListPaths(cutKey.data(), cutKey.size()));
}

TEST(FileListSection, LargeListInLinearTime)
{
    // 100,000 keys written in reverse order: a quadratic lookup would crawl.
    std::string text;
    const int n = 100000;
    for (int i = n - 1; i >= 0; --i)
        text += std::to_string(i) + "=C:\\pictures\\" + std::to_string(i) + ".jpg" + '\0';
    text += '\0';
    const std::vector<std::string> paths = resolve(text);
    ASSERT_EQ(static_cast<size_t>(n), paths.size());
    EXPECT_EQ("C:\\pictures\\0.jpg", paths.front());
    EXPECT_EQ("C:\\pictures\\99999.jpg", paths.back());
}

}  // namespace

// The default folder scan on real folders of the prefix: order, what is
// taken, where the current directory is left, and the paths that do not fit.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/globals.h"
#include "rotation/wallpaper_list.h"
#include "settings/profile_file.h"
#include "driver.h"
#include "settings/folder_scan.h"

namespace {

using Paths = std::vector<std::string>;

Paths scanned(bool sorted = false)
{
    Paths paths;
    for (int32_t i = 0, n = wallpaperList.count(); i < n; ++i, wallpaperList.advance())
        paths.push_back(wallpaperList.current());
    if (sorted)
        std::sort(paths.begin(), paths.end());
    return paths;
}

std::string currentDirectory()
{
    char path[1024] = {};
    GetCurrentDirectoryA(sizeof path, path);
    std::string text = path;
    if (text.size() > 3 && text.back() == '\\')
        text.pop_back();
    return text;
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// What the scan should find, in the order the file system yields it, found
// with absolute patterns and no change of directory; notes the last folder.
void referenceWalk(const std::string& folder, Paths& files, std::string& lastEntered)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    lastEntered = folder;
    do {
        const std::string name(found.cFileName, strnlen(found.cFileName, sizeof found.cFileName));
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            referenceWalk(folder + "\\" + name, files, lastEntered);
        else
            files.push_back(folder + "\\" + name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// Wide \\?\ paths reach lengths the ANSI functions could not make.
std::wstring longWide(const std::string& path)
{
    std::wstring wide(path.size() + 1, L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n - 1 : 0);
    return L"\\\\?\\" + wide;
}

class FolderScan : public testing::Test {
protected:
    void SetUp() override
    {
        char saved[MAX_PATH] = {};
        GetCurrentDirectoryA(sizeof saved, saved);
        saved_ = saved;
        static int counter = 0;
        root_ = "C:\\tavrel-scan-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
        ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr));
        // An unrelated start, so that "left unchanged" means something.
        ASSERT_TRUE(SetCurrentDirectoryA("C:\\windows"));
        wallpaperList.clear();
    }
    void TearDown() override
    {
        wallpaperList.clear();
        SetCurrentDirectoryA(saved_.c_str());
        // Unix's rm does not follow the loop's link.
        const std::string unixRoot = driver::unixPathOf(root_);
        if (unixRoot.find("tavrel-scan-") != std::string::npos) {
            driver::runUnix("/bin/rm -rf '" + unixRoot + "'");
            driver::waitUntil([&] { return !exists(root_); }, 5000);
        }
    }

    std::string at(const std::string& relative) const { return root_ + "\\" + relative; }
    void folder(const std::string& relative) const
    {
        ASSERT_TRUE(CreateDirectoryW(longWide(at(relative)).c_str(), nullptr)) << relative;
    }
    void file(const std::string& relative, DWORD attributes = FILE_ATTRIBUTE_NORMAL) const
    {
        HANDLE handle = CreateFileW(longWide(at(relative)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    attributes, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, handle) << relative;
        CloseHandle(handle);
    }

    std::string root_;
    std::string saved_;
};

TEST_F(FolderScan, EveryFileDepthFirstInTheOrderOfTheSearch)
{
    struct Row {
        const char* name;
        DWORD attributes;
    };
    const Row rows[] = {
        {"hidden.jpg", FILE_ATTRIBUTE_HIDDEN},
        {"system.bmp", FILE_ATTRIBUTE_SYSTEM},
        {"readonly.gif", FILE_ATTRIBUTE_READONLY},
        {"notes.txt", FILE_ATTRIBUTE_NORMAL},
        {"Thumbs.db", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
        {"no_extension", FILE_ATTRIBUTE_NORMAL},
        {"\xCD\xED\xCF\xBC.bmp", FILE_ATTRIBUTE_NORMAL},  // "晚霞.bmp", code page 936
        {"s\\b.jpg", FILE_ATTRIBUTE_NORMAL},
        {"s\\t\\d.gif", FILE_ATTRIBUTE_NORMAL},
        {"s\\e.bmp", FILE_ATTRIBUTE_NORMAL},
        {"u\\f.jpg", FILE_ATTRIBUTE_NORMAL},
    };
    folder("s");
    folder("s\\t");
    folder("u");
    for (const Row& row : rows)
        file(row.name, row.attributes);
    Paths expected;
    std::string lastEntered;
    referenceWalk(root_, expected, lastEntered);
    ASSERT_EQ(std::size(rows), expected.size());  // so the scan must find every one

    scanWallpaperFolder(root_.c_str());
    EXPECT_EQ(expected, scanned());
    EXPECT_EQ(lastEntered, currentDirectory());
}

TEST_F(FolderScan, MissingFolderChangesNothing)
{
    file("plain.jpg");
    for (const std::string& missing : {at("missing"), at("plain.jpg"), std::string("Q:\\no-such-drive")}) {
        SCOPED_TRACE(missing);
        scanWallpaperFolder(missing.c_str());
        EXPECT_TRUE(wallpaperList.isEmpty());
        EXPECT_EQ("C:\\windows", currentDirectory());
    }
}

// Paths of more than 259 bytes are passed over; the scan goes on.
TEST_F(FolderScan, PathsThatDoNotFitAreSkipped)
{
    // root\<deep>\ leaves room for a name of exactly `room` bytes.
    const std::string deep(200, 'd');
    const size_t room = 259 - (root_.size() + 1 + deep.size() + 1);
    ASSERT_GT(room, 4u);
    const std::string fits = deep + "\\" + std::string(room, 'f');
    const std::string tooLong = deep + "\\" + std::string(room + 1, 'h');
    ASSERT_EQ(259u, at(fits).size());
    folder(deep);
    file(fits);
    file(deep + "\\" + std::string(room + 1, 'g'));
    folder(tooLong);
    file(tooLong + "\\inside.jpg");
    file("after.jpg");
    scanWallpaperFolder(root_.c_str());
    EXPECT_EQ((Paths{at("after.jpg"), at(fits)}), scanned(true));
}

// A Unix symlink back to its own folder, which Wine shows as a folder: the
// descent ends, by the length or by a folder that cannot be entered, which
// adds nothing while the scan goes on with the entries after it.
TEST_F(FolderScan, LinkLoopEnds)
{
    struct Row {
        const char* name;
        std::string link;
        int files;
        bool lengthEnds;
    };
    const Row rows[] = {
        {"long name: 259 bytes come before Linux's 40 links per lookup", "link-back-to-itself", 3, true},
        {"short name: Linux refuses the lookup first", "s", 8, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // base holds y<i>.jpg and base\loop, which holds x<i>.jpg and the link.
        const std::string base = "base-" + row.link;
        folder(base);
        folder(base + "\\loop");
        for (int i = 0; i < row.files; ++i) {
            file(base + "\\loop\\x" + std::to_string(i) + ".jpg");
            file(base + "\\y" + std::to_string(i) + ".jpg");
        }
        const std::string loop = at(base + "\\loop");
        driver::runUnix("/bin/ln -s . '" + driver::unixPathOf(loop) + "/" + row.link + "'");
        ASSERT_TRUE(driver::waitUntil([&] { return exists(loop + "\\" + row.link); }, 5000));
        ASSERT_TRUE(GetFileAttributesA((loop + "\\" + row.link).c_str()) & FILE_ATTRIBUTE_DIRECTORY);

        Paths expected;
        for (int i = 0; i < row.files; ++i)
            expected.push_back(at(base + "\\y" + std::to_string(i) + ".jpg"));
        std::string turn = loop;
        for (; turn.size() + 7 <= 259 && exists(turn + "\\x0.jpg"); turn += "\\" + row.link)
            for (int i = 0; i < row.files; ++i)
                expected.push_back(turn + "\\x" + std::to_string(i) + ".jpg");
        ASSERT_EQ(row.lengthEnds, turn.size() + 7 > 259) << "the other limit would end it";
        ASSERT_GE(expected.size(), 4u * row.files);
        std::sort(expected.begin(), expected.end());

        wallpaperList.clear();
        scanWallpaperFolder(at(base).c_str());
        EXPECT_EQ(expected, scanned(true));
    }
}

}  // namespace

// The default folder scan on real folders of the prefix: order, what is
// taken, where the current directory is left, and the paths that do not fit.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "app/app_globals.h"
#include "driver.h"
#include "settings/folder_scan.h"

namespace {

using Paths = std::vector<std::string>;

Paths listEntries()
{
    Paths paths;
    const int32_t n = wallpaperList.count();
    for (int32_t i = 0; i < n; ++i) {
        paths.push_back(wallpaperList.current());
        wallpaperList.advance();
    }
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

// A walk of its own, with absolute search patterns and no change of the
// current directory: what the scan should find, in the order the file system
// yields it. Also notes the last folder it entered.
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
        const std::string path = folder + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            referenceWalk(path, files, lastEntered);
        else
            files.push_back(path);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// Wide functions with the \\?\ prefix make paths longer than the ANSI ones
// could.
std::wstring longWide(const std::string& path)
{
    std::wstring wide(path.size() + 1, L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n - 1 : 0);
    return L"\\\\?\\" + wide;
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

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
        if (!unixRoot.empty() && unixRoot.find("tavrel-scan-") != std::string::npos) {
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
    Paths reference(std::string* lastEntered = nullptr) const
    {
        Paths files;
        std::string last;
        referenceWalk(root_, files, last);
        if (lastEntered)
            *lastEntered = last;
        return files;
    }

    std::string root_;
    std::string saved_;
};

TEST_F(FolderScan, DepthFirstInTheOrderOfTheSearch)
{
    file("a.jpg");
    folder("s");
    file("s\\b.jpg");
    folder("s\\t");
    file("s\\t\\d.gif");
    file("s\\e.bmp");
    file("c.jpg");
    folder("u");
    file("u\\f.jpg");
    std::string lastEntered;
    const Paths expected = reference(&lastEntered);
    ASSERT_EQ(6u, expected.size());

    scanWallpaperFolder(root_.c_str());
    EXPECT_EQ(expected, listEntries());
    EXPECT_EQ(lastEntered, currentDirectory());
    // Whatever the file system's order, a folder's content is contiguous.
    const Paths scanned = listEntries();
    std::vector<long> inS;
    for (const char* name : {"s\\b.jpg", "s\\e.bmp", "s\\t\\d.gif"}) {
        const auto found = std::find(scanned.begin(), scanned.end(), at(name));
        ASSERT_NE(scanned.end(), found) << name;
        inS.push_back(static_cast<long>(found - scanned.begin()));
    }
    EXPECT_EQ(2, *std::max_element(inS.begin(), inS.end()) - *std::min_element(inS.begin(), inS.end()));
}

TEST_F(FolderScan, EveryFileWhateverItsNameOrAttributes)
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
    };
    for (const Row& row : rows)
        file(row.name, row.attributes);
    scanWallpaperFolder(root_.c_str());
    const Paths scanned = listEntries();
    EXPECT_EQ(std::size(rows), scanned.size());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_NE(scanned.end(), std::find(scanned.begin(), scanned.end(), at(row.name)));
    }
    EXPECT_EQ(root_, currentDirectory());
}

TEST_F(FolderScan, FoldersWithoutFilesGiveNothing)
{
    struct Row {
        std::vector<const char*> folders;
        const char* name;
    };
    const Row rows[] = {
        {{}, "empty folder"},
        {{"x", "y", "y\\z"}, "only subfolders"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (const char* name : row.folders)
            folder(name);
        std::string lastEntered;
        reference(&lastEntered);
        scanWallpaperFolder(root_.c_str());
        EXPECT_TRUE(wallpaperList.isEmpty());
        EXPECT_EQ(lastEntered, currentDirectory());
    }
}

TEST_F(FolderScan, MissingFolderChangesNothing)
{
    struct Row {
        std::string folder;
        const char* name;
    };
    const Row rows[] = {
        {at("missing"), "missing folder"},
        {at("plain.jpg"), "a file, not a folder"},
        {"Q:\\no-such-drive", "missing drive"},
    };
    file("plain.jpg");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        scanWallpaperFolder(row.folder.c_str());
        EXPECT_TRUE(wallpaperList.isEmpty());
        EXPECT_EQ("C:\\windows", currentDirectory());
    }
}

TEST_F(FolderScan, DotEntriesAreNeitherTakenNorEntered)
{
    file("a.jpg");
    folder("s");
    scanWallpaperFolder(root_.c_str());
    EXPECT_EQ(Paths{at("a.jpg")}, listEntries());
    EXPECT_EQ(at("s"), currentDirectory());
}

// Paths of more than 259 bytes are passed over; the scan goes on.
TEST_F(FolderScan, PathsThatDoNotFitAreSkipped)
{
    // root\<deep> leaves room for a name of exactly `room` bytes.
    const std::string deep(200, 'd');
    const size_t room = 259 - (root_.size() + 1 + deep.size() + 1);
    ASSERT_GT(room, 4u);
    folder(deep);
    const std::string fits(room, 'f');
    const std::string tooLong(room + 1, 'g');
    file(deep + "\\" + fits);
    file(deep + "\\" + tooLong);
    folder(deep + "\\" + std::string(room + 1, 'h'));
    file(deep + "\\" + std::string(room + 1, 'h') + "\\inside.jpg");
    file("after.jpg");

    scanWallpaperFolder(root_.c_str());
    const Paths scanned = listEntries();
    ASSERT_EQ(259u, at(deep + "\\" + fits).size());
    EXPECT_EQ(2u, scanned.size());
    EXPECT_NE(scanned.end(), std::find(scanned.begin(), scanned.end(), at(deep + "\\" + fits)));
    EXPECT_NE(scanned.end(), std::find(scanned.begin(), scanned.end(), at("after.jpg")));
}

// A link back to its own folder; Wine shows a Unix symlink as a folder.
class LinkLoop : public FolderScan {
protected:
    // root\loop holds x0.jpg .. x<files-1>.jpg and a link named `link` to
    // itself; the root holds as many files beside it.
    void makeLoop(const std::string& link, int files)
    {
        folder("loop");
        for (int i = 0; i < files; ++i) {
            file("loop\\x" + std::to_string(i) + ".jpg");
            file("y" + std::to_string(i) + ".jpg");
        }
        const std::string unixLoop = driver::unixPathOf(at("loop"));
        ASSERT_FALSE(unixLoop.empty());
        // The link must be visible through Wine before the scan: wait for
        // the link itself.
        driver::runUnix("/bin/ln -s . '" + unixLoop + "/" + link + "'");
        ASSERT_TRUE(driver::waitUntil([&] { return exists(at("loop\\" + link)); }, 5000));
        WIN32_FIND_DATAA found;
        HANDLE probe = FindFirstFileA(at("loop\\" + link).c_str(), &found);
        ASSERT_NE(INVALID_HANDLE_VALUE, probe);
        FindClose(probe);
        ASSERT_TRUE(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) << "the link is not seen as a folder";
    }
    // Every file of the root, and of the loop at 0 to `turns` - 1 turns.
    Paths expected(const std::string& link, int files, int turns) const
    {
        Paths paths;
        for (int i = 0; i < files; ++i)
            paths.push_back(at("y" + std::to_string(i) + ".jpg"));
        std::string loop = at("loop");
        for (int turn = 0; turn < turns; ++turn, loop += "\\" + link)
            for (int i = 0; i < files; ++i)
                paths.push_back(loop + "\\x" + std::to_string(i) + ".jpg");
        std::sort(paths.begin(), paths.end());
        return paths;
    }
};

// With a long link name the path outgrows 259 bytes before Linux's limit of
// 40 links per lookup: the length alone ends the descent.
TEST_F(LinkLoop, EndsWhereThePathNoLongerFits)
{
    const std::string link = "link-back-to-itself";
    const int files = 3;
    makeLoop(link, files);
    // root\loop + n * "\<link>" + "\xN.jpg" must fit 259 bytes.
    const size_t base = at("loop").size() + std::string("\\x0.jpg").size();
    const int turns = static_cast<int>((259 - base) / (link.size() + 1)) + 1;
    ASSERT_LT(turns, 40);

    scanWallpaperFolder(root_.c_str());
    Paths scanned = listEntries();
    for (const std::string& path : scanned)
        EXPECT_LE(path.size(), 259u);
    std::sort(scanned.begin(), scanned.end());
    EXPECT_EQ(expected(link, files, turns), scanned);
}

// With a short link name Linux refuses the lookup after 40 links first: that
// folder cannot be entered, adds nothing, and the scan goes on with the
// entries after it.
TEST_F(LinkLoop, FolderThatCannotBeEnteredAddsNothing)
{
    const std::string link = "s";
    const int files = 8;
    makeLoop(link, files);
    // How deep a lookup still reaches the files, found by asking for them.
    int turns = 0;
    for (std::string loop = at("loop"); exists(loop + "\\x0.jpg"); loop += "\\" + link)
        ++turns;
    ASSERT_GE(turns, 20);
    ASSERT_LT(at("loop").size() + 2 * turns + 7, 259u) << "the length, not the lookup, would end it";

    scanWallpaperFolder(root_.c_str());
    Paths scanned = listEntries();
    std::sort(scanned.begin(), scanned.end());
    EXPECT_EQ(expected(link, files, turns), scanned);
}

}  // namespace

// The logon value in the current user's Run key, against the prefix's real
// registry. setAutoRun names GetModuleFileNameA(NULL), so copies of this test
// executable in other folders give it paths with spaces.

#include <gtest/gtest.h>
#include <windows.h>

#include <process.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "import_slot.h"
#include "settings/autorun.h"

namespace {

const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kBackupKey[] = "SOFTWARE\\TavrelAutorunTestBackup";
const char kValueName[] = "Tavrel";
const char kChildFlag[] = "--autorun-child";

std::string ownPath()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

// The registry counts a forgotten terminator itself, so the data size is
// only seen at the call: this executable's import slot is pointed at a recorder.
IMPORT_SLOT(RegSetValueExA, 24);
decltype(&RegSetValueExA) realRegSetValueExA = nullptr;
std::vector<DWORD> sizesPassed;

LONG WINAPI recordingRegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size)
{
    if (name && std::strcmp(name, kValueName) == 0)
        sizesPassed.push_back(size);
    return realRegSetValueExA(key, name, reserved, type, data, size);
}

// A copy started with the flag only calls setAutoRun(1), before GoogleTest
// runs, and ends with the data size it gave RegSetValueExA.
[[maybe_unused]] const bool childRun = [] {
    if (std::strstr(GetCommandLineA(), kChildFlag)) {
        ImportRedirect<decltype(&RegSetValueExA)> redirect(RegSetValueExA_slot, recordingRegSetValueExA);
        realRegSetValueExA = redirect.original();
        setAutoRun(1);
        ExitProcess(sizesPassed.empty() ? 0 : sizesPassed.back());
    }
    return false;
}();

bool runKeyExists()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The value's bytes, terminator included; nothing unless it is a REG_SZ.
std::optional<std::string> readString(const char* name)
{
    char data[1024];
    DWORD size = sizeof data;
    if (RegGetValueA(HKEY_CURRENT_USER, kRunKey, name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(data, size);
}

void writeValue(const char* name, const std::string& text)
{
    RegSetKeyValueA(HKEY_CURRENT_USER, kRunKey, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

void deleteValue(const char* name) { RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, name); }

std::string terminated(const std::string& text) { return text + '\0'; }

// The Run key is copied aside and put back as it was after every test.
class AutoRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        HKEY backup = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kBackupKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &backup, nullptr));
        hadKey_ = runKeyExists();
        const LONG copied = hadKey_ ? RegCopyTreeA(HKEY_CURRENT_USER, kRunKey, backup) : ERROR_SUCCESS;
        RegCloseKey(backup);
        ASSERT_EQ(ERROR_SUCCESS, copied);
        writeValue("TavrelNeighbour", "C:\\other\\app.exe");  // creates the key
        deleteValue(kValueName);
    }

    void TearDown() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, kRunKey);
        HKEY run = nullptr;
        if (hadKey_ && RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &run,
                                       nullptr) == ERROR_SUCCESS) {
            RegCopyTreeA(HKEY_CURRENT_USER, kBackupKey, run);
            RegCloseKey(run);
        }
        RegDeleteTreeA(HKEY_CURRENT_USER, kBackupKey);
        for (const std::string& exe : copies_) {
            DeleteFileA(exe.c_str());
            for (std::string path = exe.substr(0, exe.rfind('\\')); path.size() > 3; path.resize(path.rfind('\\')))
                RemoveDirectoryA(path.c_str());
        }
    }

    // A copy of this executable in `folder` (made with its parents) that ran
    // setAutoRun(1); its path, and the data size it gave RegSetValueExA.
    std::string runCopy(const std::string& folder, intptr_t& sizePassed)
    {
        for (size_t at = folder.find('\\', 3); at != std::string::npos; at = folder.find('\\', at + 1))
            CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
        CreateDirectoryA(folder.c_str(), nullptr);
        const std::string exe = folder + "\\autorun_test.exe";
        copies_.push_back(exe);
        EXPECT_TRUE(CopyFileA(ownPath().c_str(), exe.c_str(), FALSE)) << exe;
        sizePassed = _spawnl(_P_WAIT, exe.c_str(), ("\"" + exe + "\"").c_str(), kChildFlag, nullptr);
        return exe;
    }

private:
    bool hadKey_ = false;
    std::vector<std::string> copies_;
};

TEST_F(AutoRun, OnWritesOwnPathOnEveryCallAndOffDeletesOnlyIt)
{
    const std::string path = ownPath();
    ASSERT_EQ(std::string::npos, path.find(' ')) << "the build tree's path must have no space: " << path;
    ImportRedirect<decltype(&RegSetValueExA)> redirect(RegSetValueExA_slot, recordingRegSetValueExA);
    realRegSetValueExA = redirect.original();
    writeValue(kValueName, "C:\\old place\\Tavrel.exe --stale");
    sizesPassed.clear();
    // Any non-zero argument registers; a value already there is written again.
    const int32_t enabled[] = {1, 1, 2, -1};
    for (size_t call = 0; call < std::size(enabled); ++call) {
        setAutoRun(enabled[call]);
        ASSERT_EQ(call + 1, sizesPassed.size()) << "call " << call;
        EXPECT_EQ(path.size() + 1, sizesPassed.back()) << "call " << call << ": the terminator is counted";
        EXPECT_EQ(terminated(path), readString(kValueName)) << "call " << call;
    }
    // Off deletes it; off again, with nothing to delete, touches nothing else.
    for (int call = 0; call < 2; ++call) {
        setAutoRun(0);
        EXPECT_FALSE(readString(kValueName).has_value()) << "off " << call;
        EXPECT_EQ(terminated("C:\\other\\app.exe"), readString("TavrelNeighbour")) << "off " << call;
    }
}

TEST_F(AutoRun, MissingRunKeyIsNotCreated)
{
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeA(HKEY_CURRENT_USER, kRunKey));
    ASSERT_FALSE(runKeyExists());
    for (int enabled : {1, 0}) {
        setAutoRun(enabled);
        EXPECT_FALSE(runKeyExists()) << "after setAutoRun(" << enabled << ")";
    }
}

// A folder under `folder` that brings the copy's full path to exactly `length`
// bytes, in components short enough for any file system.
std::string folderForPathLength(std::string folder, size_t length)
{
    const size_t target = length - std::strlen("\\autorun_test.exe");
    while (folder.size() + 62 < target)
        folder += "\\" + std::string(59, 'x');
    return folder + "\\" + std::string(target - folder.size() - 1, 'x');
}

TEST_F(AutoRun, PathWithASpaceIsQuoted)
{
    const struct {
        const char* name;
        std::string folder;
    } rows[] = {
        {"space", "C:\\tavrel-autorun\\with space"},
        // 壁纸 in code page 936
        {"space and code page 936 name", "C:\\tavrel-autorun\\\xB1\xDA\xD6\xBD \xB1\xDA\xD6\xBD"},
        {"259 bytes", folderForPathLength("C:\\tavrel-autorun\\long name", 259)},
    };
    for (const auto& row : rows) {
        deleteValue(kValueName);
        intptr_t sizePassed = 0;
        const std::string quoted = "\"" + runCopy(row.folder, sizePassed) + "\"";
        EXPECT_EQ(terminated(quoted), readString(kValueName)) << row.name;
        EXPECT_EQ(static_cast<intptr_t>(quoted.size() + 1), sizePassed) << row.name << ": size given to RegSetValueExA";
    }
}

}  // namespace

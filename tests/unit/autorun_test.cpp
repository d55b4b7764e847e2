// The logon value in the current user's Run key, against the prefix's real
// registry. The program under test is this test executable: setAutoRun names
// whatever GetModuleFileNameA(NULL) reports, so copies of this executable in
// other folders run the call for paths with spaces or Chinese names.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "settings/autorun.h"

namespace {

const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kValueName[] = "Tavrel";
const char kChildFlag[] = "--autorun-child=";

// A copy started with --autorun-child=N only calls setAutoRun(N) and ends,
// before GoogleTest sees the command line.
std::string ownPath()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

// What setAutoRun hands to RegSetValueExA. The registry itself adds a
// forgotten terminator (NT does too), so the size is only seen at the call.
struct SetCall {
    DWORD type = 0;
    DWORD size = 0;
};
std::vector<SetCall> setCalls;
using RegSetValueExAFunction = LONG(WINAPI*)(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD);
RegSetValueExAFunction realRegSetValueExA = nullptr;

LONG WINAPI recordingRegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size)
{
    if (name && std::strcmp(name, "Tavrel") == 0)
        setCalls.push_back({type, size});
    return realRegSetValueExA(key, name, reserved, type, data, size);
}

// Points this executable's import of RegSetValueExA at the recorder.
bool hookRegSetValueExA()
{
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    for (; module->Name; ++module) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + module->Name), "advapi32.dll") != 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), "RegSetValueExA") != 0)
                continue;
            DWORD protection = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection);
            realRegSetValueExA = reinterpret_cast<RegSetValueExAFunction>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<decltype(slots->u1.Function)>(&recordingRegSetValueExA);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
            return true;
        }
    }
    return false;
}

// A copy started with --autorun-child=N only calls setAutoRun(N), before
// GoogleTest sees the command line, and ends with the data size it passed to
// RegSetValueExA (0 when it made no such call).
[[maybe_unused]] const bool childRun = [] {
    const char* flag = std::strstr(GetCommandLineA(), kChildFlag);
    if (flag) {
        hookRegSetValueExA();
        setAutoRun(flag[sizeof kChildFlag - 1] - '0');
        ExitProcess(setCalls.empty() ? 0 : setCalls.back().size);
    }
    return false;
}();

struct RegValue {
    DWORD type = 0;
    std::string data;  // exactly the bytes the registry reports, terminator included
};

bool runKeyExists()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::optional<RegValue> readValue(const char* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    RegValue value;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.data.resize(size);
        status = RegQueryValueExA(key, name, nullptr, &value.type, reinterpret_cast<BYTE*>(value.data.data()),
                                  &size);
        value.data.resize(size);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

void writeValue(const char* name, const std::string& text)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &key, nullptr));
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
}

void deleteValue(const char* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

// The Run key's values as they were, put back after every test; the key
// itself is made to exist unless a test removes it.
class AutoRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        hadKey_ = runKeyExists();
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &key, nullptr));
        char name[16384];
        for (DWORD i = 0;; ++i) {
            DWORD nameSize = sizeof name;
            DWORD type = 0;
            BYTE data[4096];
            DWORD dataSize = sizeof data;
            if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS)
                break;
            saved_.push_back({name, {type, std::string(reinterpret_cast<char*>(data), dataSize)}});
        }
        RegCloseKey(key);
        deleteValue(kValueName);
    }

    void TearDown() override
    {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return;
        RegDeleteValueA(key, kValueName);
        for (const auto& [name, value] : saved_)
            RegSetValueExA(key, name.c_str(), 0, value.type, reinterpret_cast<const BYTE*>(value.data.data()),
                           static_cast<DWORD>(value.data.size()));
        RegCloseKey(key);
        if (!hadKey_)
            RegDeleteKeyA(HKEY_CURRENT_USER, kRunKey);
        for (const std::string& folder : folders_)
            removeFolderWithCopy(folder);
    }

    // A copy of this executable in `folder` (made, with its parents), run
    // with setAutoRun(enabled); its full path. `sizePassed` receives the
    // data size the copy gave RegSetValueExA.
    std::string runCopy(const std::string& folder, int enabled, DWORD* sizePassed = nullptr)
    {
        makeFolders(folder);
        const std::string exe = folder + "\\autorun_test.exe";
        EXPECT_TRUE(CopyFileA(ownPath().c_str(), exe.c_str(), FALSE)) << exe;
        std::string commandLine = "\"" + exe + "\" " + kChildFlag + std::to_string(enabled);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        EXPECT_TRUE(CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &startup, &info))
            << exe;
        if (info.hProcess) {
            EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(info.hProcess, 30000));
            DWORD code = 0;
            GetExitCodeProcess(info.hProcess, &code);
            if (sizePassed)
                *sizePassed = code;
            CloseHandle(info.hThread);
            CloseHandle(info.hProcess);
        }
        return exe;
    }

private:
    void makeFolders(const std::string& folder)
    {
        for (size_t at = folder.find('\\', 3); at != std::string::npos; at = folder.find('\\', at + 1))
            CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
        CreateDirectoryA(folder.c_str(), nullptr);
        folders_.push_back(folder);
    }

    static void removeFolderWithCopy(const std::string& folder)
    {
        DeleteFileA((folder + "\\autorun_test.exe").c_str());
        // Up to the drive's own folder, each one removed only when empty.
        for (std::string path = folder; path.size() > 3; path.resize(path.rfind('\\')))
            RemoveDirectoryA(path.c_str());
    }

    bool hadKey_ = false;
    std::vector<std::pair<std::string, RegValue>> saved_;
    std::vector<std::string> folders_;
};

std::string terminated(const std::string& text) { return text + std::string(1, '\0'); }

TEST_F(AutoRun, OnWritesOwnPathWithTerminatorCountedEveryCall)
{
    const std::string path = ownPath();
    ASSERT_EQ(nullptr, std::strchr(path.c_str(), ' ')) << "the build tree's path must have no space: " << path;

    static const bool hooked = hookRegSetValueExA();
    ASSERT_TRUE(hooked);

    // A stale value from an executable that has since moved is overwritten.
    writeValue(kValueName, "C:\\old place\\Tavrel.exe --stale");
    setCalls.clear();
    for (int call = 1; call <= 3; ++call) {
        setAutoRun(1);
        ASSERT_EQ(static_cast<size_t>(call), setCalls.size()) << "call " << call;
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), setCalls.back().type) << "call " << call;
        EXPECT_EQ(path.size() + 1, setCalls.back().size) << "call " << call << ": the terminator is counted";
        const auto value = readValue(kValueName);
        ASSERT_TRUE(value.has_value()) << "call " << call;
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), value->type) << "call " << call;
        EXPECT_EQ(terminated(path), value->data) << "call " << call;
        EXPECT_EQ(path.size() + 1, value->data.size()) << "call " << call;
    }
    // Removed behind its back: the next call writes it again.
    deleteValue(kValueName);
    setAutoRun(1);
    EXPECT_EQ(4u, setCalls.size());
    EXPECT_TRUE(readValue(kValueName).has_value());
}

TEST_F(AutoRun, NonZeroArgumentsAllRegister)
{
    for (int32_t enabled : {1, 2, -1, 0x7FFFFFFF}) {
        deleteValue(kValueName);
        setAutoRun(enabled);
        EXPECT_TRUE(readValue(kValueName).has_value()) << "enabled=" << enabled;
    }
}

TEST_F(AutoRun, OffDeletesOnlyOurValueAndIsHarmlessWhenAbsent)
{
    writeValue("TavrelNeighbour", "C:\\other\\app.exe");
    setAutoRun(1);
    ASSERT_TRUE(readValue(kValueName).has_value());

    setAutoRun(0);
    EXPECT_FALSE(readValue(kValueName).has_value());
    // Absent already: nothing happens, and nothing else is touched.
    setAutoRun(0);
    setAutoRun(0);
    EXPECT_FALSE(readValue(kValueName).has_value());
    EXPECT_TRUE(runKeyExists());
    const auto neighbour = readValue("TavrelNeighbour");
    ASSERT_TRUE(neighbour.has_value());
    EXPECT_EQ(terminated("C:\\other\\app.exe"), neighbour->data);
    deleteValue("TavrelNeighbour");
}

TEST_F(AutoRun, MissingRunKeyIsNeitherCreatedNorReported)
{
    // A Run key with values or subkeys cannot simply be removed; SetUp's
    // copy puts them back afterwards.
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeA(HKEY_CURRENT_USER, kRunKey));
    ASSERT_FALSE(runKeyExists());

    setAutoRun(1);
    EXPECT_FALSE(runKeyExists()) << "after setAutoRun(1)";
    setAutoRun(0);
    EXPECT_FALSE(runKeyExists()) << "after setAutoRun(0)";
}

// "\xB1\xDA\xD6\xBD" is 壁纸 in code page 936.
struct PathCase {
    const char* name;
    std::string folder;
    bool quoted;
};

// A folder under `base` that brings the copy's full path to exactly `length`
// bytes, in components short enough for any file system.
std::string folderForPathLength(const std::string& base, size_t length)
{
    const size_t target = length - std::strlen("\\autorun_test.exe");
    std::string folder = base;
    while (folder.size() < target) {
        const size_t room = target - folder.size();
        if (room == 1)
            folder += 'x';
        else
            folder += "\\" + std::string(room > 60 ? 59 : room - 1, 'x');
    }
    return folder;
}

TEST_F(AutoRun, CopiesElsewhereNameTheirOwnPathQuotedOnlyWithASpace)
{
    const PathCase cases[] = {
        {"plain", "C:\\tavrel-autorun\\plain", false},
        {"code page 936 name", "C:\\tavrel-autorun\\\xB1\xDA\xD6\xBD", false},
        {"space", "C:\\tavrel-autorun\\with space", true},
        {"space and 936 name", "C:\\tavrel-autorun\\\xB1\xDA\xD6\xBD \xB1\xDA\xD6\xBD", true},
        {"259 bytes with a space", folderForPathLength("C:\\tavrel-autorun\\long name", 259), true},
    };
    for (const PathCase& row : cases) {
        deleteValue(kValueName);
        DWORD sizePassed = 0;
        const std::string exe = runCopy(row.folder, 1, &sizePassed);
        const std::string expected = row.quoted ? "\"" + exe + "\"" : exe;
        const auto value = readValue(kValueName);
        ASSERT_TRUE(value.has_value()) << row.name << ": " << exe << " (" << exe.size() << " bytes)";
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), value->type) << row.name;
        EXPECT_EQ(terminated(expected), value->data) << row.name;
        EXPECT_EQ(expected.size() + 1, value->data.size()) << row.name;
        EXPECT_EQ(expected.size() + 1, sizePassed) << row.name << ": the size given to RegSetValueExA";

        runCopy(row.folder, 0);
        EXPECT_FALSE(readValue(kValueName).has_value()) << row.name << ": the copy's setAutoRun(0)";
    }
}

}  // namespace

#include "rotation/disk_pictures.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <string>

#include "base/path_text.h"
#include "base/scoped_win.h"

namespace {

bool isDotEntry(const wchar_t* name) { return std::wcscmp(name, L".") == 0 || std::wcscmp(name, L"..") == 0; }

// Thumbs.db and desktop.ini are hidden system files, and a hidden picture
// is one the user put away.
bool isHiddenOrSystem(DWORD attributes) { return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0; }

// Without the short names, and in larger pieces, from Windows 7 on; Vista
// refuses both (ERROR_INVALID_PARAMETER) and lists the standard way.
HANDLE findFirst(const std::wstring& pattern, WIN32_FIND_DATAW& found)
{
    const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH);
    if (search != INVALID_HANDLE_VALUE || GetLastError() != ERROR_INVALID_PARAMETER)
        return search;
    return FindFirstFileExW(pattern.c_str(), FindExInfoStandard, &found, FindExSearchNameMatch, nullptr, 0);
}

// Adds the pictures of `relative` (below the folder, "" or ending in a
// backslash) and its subfolders, depth first. Only paths the shell can take
// are kept, which also ends a folder that links back to itself. False when
// the folder cannot be listed.
bool readBelow(FolderPictures& pictures, std::wstring& relative)
{
    WIN32_FIND_DATAW found;
    ScopedFindHandle search(findFirst(pictures.folder() + relative + L"*", found));
    if (!search.valid())
        return false;
    const size_t base = relative.size();
    do {
        // Wine may leave a long name without its terminator.
        const size_t length = wcsnlen(found.cFileName, MAX_PATH);
        if (length == 0 || length >= MAX_PATH || isDotEntry(found.cFileName) ||
            isHiddenOrSystem(found.dwFileAttributes) ||
            pictures.folder().size() + base + length + 1 >= static_cast<size_t>(kPathSize))
            continue;
        relative.append(found.cFileName, length);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            relative += L'\\';
            readBelow(pictures, relative);
        } else if (isPictureName(relative.c_str(), relative.size())) {
            pictures.add(relative.c_str(), relative.size());
        }
        relative.resize(base);
    } while (FindNextFileW(search.get(), &found));
    return true;
}

// The time a step waits for the disk: a local folder of 100,000 pictures is
// listed well within it, a share that went offline takes tens of seconds.
constexpr DWORD kPatienceMs = 1000;

bool listFolder(const std::wstring&, FolderPictures& found)
{
    std::wstring relative;
    return readBelow(found, relative);
}

bool fileThere(const std::wstring& path, FolderPictures&)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// "X:\" or "\\server\share\", from the text alone: asking the system could
// itself wait for the share that hangs.
std::wstring volumeOf(const std::wstring& path)
{
    if (path.compare(0, 2, L"\\\\") != 0)
        return path.substr(0, 3);
    const size_t server = path.find(L'\\', 2);
    const size_t share = server == std::wstring::npos ? server : path.find(L'\\', server + 1);
    return share == std::wstring::npos ? path : path.substr(0, share + 1);
}

}  // namespace

DiskPictures::~DiskPictures()
{
    for (DiskCall* call : late_)
        call->release();
    if (worker_)
        worker_->retire();
}

bool DiskPictures::readFolder(FolderPictures& pictures)
{
    // A copy of the folder's text, which the pictures found replace.
    return readPatiently(listFolder, std::wstring(pictures.folder()), &pictures);
}

bool DiskPictures::exists(const wchar_t* path)
{
    return readPatiently(fileThere, path, nullptr);
}

// A read that outlasted its wait and has ended, taken off the list: its
// answer serves the same read; for any other it is let go.
DiskCall* DiskPictures::takeEnded(std::vector<DiskCall*>::iterator late, DiskCall::Read read, const std::wstring& path)
{
    DiskCall* call = *late;
    late_.erase(late);
    if (call->is(read, path))
        return call;
    call->release();
    return nullptr;
}

// The read handed to the thread, which starts with the first read and again
// after one was left to a call that outlasted its wait; nullptr without one.
DiskCall* DiskPictures::startCall(DiskCall::Read read, const std::wstring& path)
{
    if (!worker_)
        worker_ = DiskWorker::start();
    std::unique_ptr<DiskCall> call(new DiskCall(read, path));
    if (!worker_ || !call->valid())
        return nullptr;
    worker_->run(call.get());
    return call.release();
}

// While a read on the volume is still running, the volume answers at once
// and starts no thread: a share down for hours holds no step and piles up
// no threads. Once that read has ended, the volume is read again.
bool DiskPictures::readPatiently(DiskCall::Read read, const std::wstring& path, FolderPictures* into)
{
    const std::wstring volume = volumeOf(path);
    const auto late = std::find_if(late_.begin(), late_.end(), [&](const DiskCall* call) {
        return lstrcmpiW(volumeOf(call->path()).c_str(), volume.c_str()) == 0;
    });
    if (late != late_.end() && !(*late)->endsWithin(0))
        return false;
    DiskCall* call = late != late_.end() ? takeEnded(late, read, path) : nullptr;
    if (!call && !(call = startCall(read, path))) {
        FolderPictures scratch(path.c_str());
        return read(path, into ? *into : scratch);  // no thread: read here, as ever
    }
    if (!call->endsWithin(kPatienceMs)) {
        late_.push_back(call);  // left to end on its own, and its thread with it
        worker_->retire();
        worker_ = nullptr;
        return false;
    }
    const bool answer = call->answer();
    if (into)
        *into = std::move(call->found());
    call->release();
    return answer;
}

#pragma once
// One read of the disk on a thread of its own, which its caller waits for
// only a while: a share gone offline or a disk unplugged may hold a listing
// for the network's time-out. The call owns all the read touches, so that
// the read can end long after its caller gave up on it.

#include <windows.h>

#include <string>

#include "base/scoped_win.h"
#include "rotation/folder_pictures.h"

class DiskCall {
public:
    // Reads what is at `path`, a folder's pictures into `found`; true when it could.
    using Read = bool (*)(const std::wstring& path, FolderPictures& found);

    // The read begun on a thread of its own; nullptr when no thread starts.
    static DiskCall* start(Read read, const std::wstring& path);

    // Waits for the read at most `milliseconds`; true once it has ended.
    bool endsWithin(DWORD milliseconds) const;
    bool is(Read read, const std::wstring& path) const { return read_ == read && path_ == path; }
    const std::wstring& path() const { return path_; }
    // What the read answered and found, once it has ended.
    bool answer() const { return answer_; }
    FolderPictures& found() { return found_; }
    // The caller's part given up; the last of the caller and the thread frees the call.
    void release();

private:
    DiskCall(Read read, const std::wstring& path);
    static unsigned __stdcall run(void* call);

    Read read_;
    std::wstring path_;
    FolderPictures found_;
    bool answer_ = false;
    ScopedHandle ended_;
    LONG owners_ = 2;
};

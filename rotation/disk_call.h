#pragma once
// One read of the disk, run by a DiskWorker, which its caller waits for only
// a while: a share gone offline or a disk unplugged may hold a listing for
// the network's time-out. The call owns all the read touches, so that the
// read can end long after its caller gave up on it.

#include <windows.h>

#include <atomic>
#include <string>

#include "base/scoped_win.h"
#include "rotation/folder_pictures.h"

class DiskCall {
public:
    // Reads what is at `path`, a folder's pictures into `found`; true when it could.
    using Read = bool (*)(const std::wstring& path, FolderPictures& found);

    // Owned by its caller and by whoever runs it; invalid without its event.
    DiskCall(Read read, const std::wstring& path);
    bool valid() const { return ended_.valid(); }

    // Reads, tells the end, and gives up the runner's part.
    void run();
    // Waits for the read at most `milliseconds`; true once it has ended.
    bool endsWithin(DWORD milliseconds) const;
    bool is(Read read, const std::wstring& path) const { return read_ == read && path_ == path; }
    const std::wstring& path() const { return path_; }
    // What the read answered and found, once it has ended.
    bool answer() const { return answer_; }
    FolderPictures& found() { return found_; }
    // One part given up; the last frees the call.
    void release();

private:
    Read read_;
    std::wstring path_;
    FolderPictures found_;
    bool answer_ = false;
    ScopedHandle ended_;
    std::atomic<int> owners_{2};
};

// A thread that runs one DiskCall at a time, kept from read to read (a
// thread costs more than a look for a file). Its owner retires it when a
// call outlasts the wait: it then ends on its own once that call has.
class DiskWorker {
public:
    // Nullptr when no thread starts.
    static DiskWorker* start();
    // Hands the thread a call; only while its last call has ended.
    void run(DiskCall* call);
    // The owner's part given up: the thread ends after its call, if any.
    void retire();

private:
    DiskWorker();
    static unsigned __stdcall loop(void* worker);
    void release();

    ScopedHandle work_;  // a call handed over, or the retirement
    std::atomic<DiskCall*> pending_{nullptr};
    std::atomic<bool> retired_{false};
    std::atomic<int> owners_{2};
};

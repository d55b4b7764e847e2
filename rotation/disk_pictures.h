#pragma once
// The disk as the rotation reads it: a folder's pictures and whether one is
// still there. Each read runs on a thread of the disk's and is waited for
// only a short while, so that a share gone offline or a disk unplugged holds
// neither the tray menu nor the dialogs; one owner, the main window, keeps
// it from the first step to the last.

#include <string>
#include <vector>

#include "rotation/disk_call.h"
#include "rotation/folder_pictures.h"

class DiskPictures : public PictureSource {
public:
    DiskPictures() = default;
    ~DiskPictures() override;
    DiskPictures(const DiskPictures&) = delete;
    DiskPictures& operator=(const DiskPictures&) = delete;

    bool readFolder(FolderPictures& pictures) override;
    bool exists(const wchar_t* path) override;

private:
    // `read` of `path` waited for a while; false, and nothing found, while
    // its volume does not answer. `into` takes a listing's pictures.
    bool readPatiently(DiskCall::Read read, const std::wstring& path, FolderPictures* into);
    DiskCall* takeEnded(std::vector<DiskCall*>::iterator late, DiskCall::Read read, const std::wstring& path);
    DiskCall* startCall(DiskCall::Read read, const std::wstring& path);

    // The reads that outlasted the wait, one per volume at most, kept until
    // they end and the next read on their volume comes.
    std::vector<DiskCall*> late_;
    DiskWorker* worker_ = nullptr;
};

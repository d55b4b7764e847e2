#pragma once
// The disk as the rotation reads it: a folder's pictures and whether one is
// still there.

#include "rotation/folder_pictures.h"

class DiskPictures : public PictureSource {
public:
    bool readFolder(FolderPictures& pictures) override;
    bool exists(const wchar_t* path) override;
};

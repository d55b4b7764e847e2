#pragma once
// The pictures of one folder of the list and what the rotation reads from
// the disk. Free of Win32, so that the rotation's logic builds natively.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A folder's pictures as names relative to it ("sub\name.jpg"), all in one
// buffer: a library of photos costs little more than its names.
class FolderPictures {
public:
    explicit FolderPictures(const wchar_t* folder) : folder_(folder) {}

    const std::wstring& folder() const { return folder_; }  // with its trailing backslash
    size_t count() const { return starts_.size(); }
    const wchar_t* name(size_t index) const { return names_.data() + starts_[index]; }

    void clear();
    void add(const wchar_t* name, size_t length);
    // After a read: the buffers give back what they hold in reserve.
    void compact();

    // Whether the names are the folder's as last read (the list asks again at each pass).
    bool fresh = false;

private:
    std::wstring folder_;
    std::vector<wchar_t> names_;    // each name ends in NUL
    std::vector<uint32_t> starts_;  // where each begins
};

// The disk as the rotation sees it.
class PictureSource {
public:
    virtual ~PictureSource() = default;
    // Fills `pictures` with the pictures in its folder and below; false, and
    // none, when the folder cannot be read now (missing, unplugged, offline).
    virtual bool readFolder(FolderPictures& pictures) = 0;
    // False once the picture is gone.
    virtual bool exists(const wchar_t* path) = 0;
};

// A file the shell shows as a wallpaper, by its extension (the types the
// file-open dialog offers), in any case.
bool isPictureName(const wchar_t* name, size_t length);

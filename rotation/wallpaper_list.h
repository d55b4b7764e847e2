#pragma once
// The process's playlist: image paths and folders in the order they were
// added, with a cursor on the current one, and the pictures the rotation
// takes from them. Free of Win32 so that it builds natively too.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/path_text.h"
#include "rotation/folder_pictures.h"
#include "rotation/shuffle_round.h"

// The classic LCG the random pick draws from (state * 214013 + 2531011).
class RandomGenerator {
public:
    void seed(uint32_t value) { state_ = value; }
    int next()
    {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFF);
    }

private:
    uint32_t state_ = 0;
};

// One path, its characters stored right after the header in one block as
// long as the path is: a photo library's list stays small.
struct WallpaperEntry {
    WallpaperEntry* next;
    wchar_t* path() { return reinterpret_cast<wchar_t*>(this + 1); }
    const wchar_t* path() const { return reinterpret_cast<const wchar_t*>(this + 1); }
};

// The orders of SHOWORDER.
enum ShowOrder : int32_t { kInSequence = 0, kAtRandom = 1, kShuffled = 2 };

class WallpaperList {
public:
    using Taken = std::function<bool(const wchar_t*)>;

    WallpaperList();
    ~WallpaperList() { clear(); }
    WallpaperList(const WallpaperList&) = delete;
    WallpaperList& operator=(const WallpaperList&) = delete;

    // Null, empty and paths longer than kPathSize - 1 characters are refused.
    void append(const wchar_t* path);
    void clear();
    int32_t count() const;
    bool isEmpty() const { return head_ == nullptr; }
    const wchar_t* current() const { return cursor_ ? cursor_->path() : nullptr; }
    void advance();

    // A row that ends in a backslash is a folder: it stands for the pictures
    // in it and below it, read again at each pass, so that new ones come and
    // deleted ones never reach the shell. A folder that cannot be read gives
    // none and costs no step.
    static bool isFolderRow(const wchar_t* row);

    // The picture the order gives now (a file of the list as it is, a
    // folder's picture only while it is there and not excluded): in sequence
    // the one at the cursor, at random one not `taken`, shuffled one the round
    // has not shown, never the one that ended the round before. Null when
    // there is none. Valid until the next call.
    const wchar_t* nextPicture(int32_t order, PictureSource& source, const Taken& taken);
    // In sequence, the cursor passes the picture nextPicture gave.
    void passPicture(int32_t order);

    // Never again: a file of the list leaves it; a folder's picture is
    // excluded. False when the picture is neither.
    bool neverAgain(const wchar_t* picture);
    const std::vector<std::wstring>& excluded() const { return excluded_; }
    void exclude(const wchar_t* picture);
    void restore(const wchar_t* picture);

    ShuffleRound& round() { return round_; }

    // In sequence, where the rotation stands inside a folder, so that a
    // restart goes on from there rather than from the folder's first
    // picture: the name below the folder of the picture that comes next
    // (null when the cursor is on no folder's later picture), and, at the
    // start, that name for the first folder of the list, which the cursor
    // then goes to (found at its first read; a name gone meanwhile: its first).
    const wchar_t* folderPlace() const;
    void resumeInFirstFolder(const wchar_t* name);

private:
    // The pictures kept for a folder row; null while none are kept for it.
    FolderPictures* readFolderOf(const wchar_t* row) const;
    FolderPictures& folderOf(const wchar_t* row);
    bool isExcluded(const wchar_t* picture) const;
    // The picture at the cursor (null for a folder without one there), as read last.
    const wchar_t* pictureHere();
    bool usableHere(const wchar_t* picture, PictureSource& source);
    void advancePicture();
    void toHead();
    const wchar_t* pictureInSequence(PictureSource& source);
    const wchar_t* pictureAtRandom(PictureSource& source, const Taken& taken);
    const wchar_t* pictureShuffled(PictureSource& source, const Taken& taken);
    void readStaleFolders(PictureSource& source);
    void read(PictureSource& source, FolderPictures& folder);
    size_t pictureCount();

    std::vector<std::unique_ptr<FolderPictures>> folders_;
    std::vector<std::wstring> excluded_;
    ShuffleRound round_;
    size_t folderIndex_ = 0;   // the picture of the cursor's folder
    bool folderEntered_ = false;  // read since the cursor came to it
    // The folder row whose pictures were found gone in a row this step, and how many.
    const WallpaperEntry* missesRow_ = nullptr;
    int missesInFolder_ = 0;
    size_t picksSinceRead_ = 0;
    // The place to look for at the first read of the folder row it was given for.
    WallpaperEntry* resumeRow_ = nullptr;
    std::wstring resumeAt_;
    wchar_t picture_[kPathSize] = {};


    WallpaperEntry* head_ = nullptr;
    WallpaperEntry* cursor_ = nullptr;
    // Only there so that a long list builds in linear time; order and
    // behaviour are those of a plain walk to the end.
    WallpaperEntry* tail_ = nullptr;
    RandomGenerator generator_;
    RandomGenerator shuffleGenerator_;  // seeded once: a round's picks follow one another
};

#pragma once
// The process's playlist: image paths in the order they were added, with a
// cursor on the current one. Free of Win32 so that it builds natively too.

#include <cstdint>
#include <functional>

#include "base/path_text.h"

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

class WallpaperList {
public:
    WallpaperList() = default;
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
    const wchar_t* pickRandom();
    // A random pick that is not `taken`, while the list has one that is not.
    const wchar_t* pickRandomOtherThan(const std::function<bool(const wchar_t*)>& taken);

private:
    WallpaperEntry* head_ = nullptr;
    WallpaperEntry* cursor_ = nullptr;
    // Only there so that a long list builds in linear time; order and
    // behaviour are those of a plain walk to the end.
    WallpaperEntry* tail_ = nullptr;
    RandomGenerator generator_;
};

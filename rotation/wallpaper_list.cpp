#include "rotation/wallpaper_list.h"

#include <cstring>
#include <ctime>
#include <new>

namespace {

uint32_t clockSeed()
{
    return static_cast<uint32_t>(static_cast<uint64_t>(std::time(nullptr)));
}

}  // namespace

void WallpaperList::append(const char* path)
{
    if (!path)
        return;
    const size_t length = strnlen(path, kPathSize);
    if (length >= static_cast<size_t>(kPathSize))
        return;  // would not fit the entry with its terminator

    auto* entry = new (std::nothrow) WallpaperEntry;
    if (!entry)
        return;
    std::memcpy(entry->path, path, length + 1);
    entry->next = nullptr;

    if (!head_) {
        head_ = cursor_ = entry;
    } else {
        tail_->next = entry;
    }
    tail_ = entry;
}

void WallpaperList::clear()
{
    WallpaperEntry* entry = head_;
    while (entry) {
        WallpaperEntry* next = entry->next;
        delete entry;
        entry = next;
    }
    head_ = cursor_ = tail_ = nullptr;
}

int32_t WallpaperList::count() const
{
    int32_t n = 0;
    for (const WallpaperEntry* entry = head_; entry; entry = entry->next)
        ++n;
    return n;
}

void WallpaperList::advance()
{
    if (!cursor_)
        return;
    cursor_ = cursor_->next ? cursor_->next : head_;
}

const char* WallpaperList::pickRandom()
{
    const int32_t n = count();
    if (n == 0)
        return nullptr;
    const WallpaperEntry* before = cursor_;
    if (!before)
        return nullptr;

    generator_.seed(clockSeed());
    const int steps = generator_.next() % n + 1;
    for (int i = 0; i < steps; ++i)
        advance();
    // A full turn lands on the entry shown before; never show it twice in a row.
    if (cursor_ == before)
        advance();
    return cursor_->path;
}

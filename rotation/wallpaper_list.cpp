#include "rotation/wallpaper_list.h"

#include <ctime>
#include <cwchar>
#include <new>

namespace {

uint32_t clockSeed()
{
    return static_cast<uint32_t>(static_cast<uint64_t>(std::time(nullptr)));
}

}  // namespace

void WallpaperList::append(const wchar_t* path)
{
    if (!path)
        return;
    const size_t length = wcsnlen(path, kPathSize);
    if (length == 0 || length >= static_cast<size_t>(kPathSize))
        return;  // no picture, or no path the system could open

    void* block = ::operator new(sizeof(WallpaperEntry) + (length + 1) * sizeof(wchar_t), std::nothrow);
    if (!block)
        return;
    auto* entry = new (block) WallpaperEntry{nullptr};
    std::wmemcpy(entry->path(), path, length + 1);

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
        entry->~WallpaperEntry();
        ::operator delete(entry);
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

const wchar_t* WallpaperList::pickRandom()
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
    return cursor_->path();
}

const wchar_t* WallpaperList::pickRandomOtherThan(const std::function<bool(const wchar_t*)>& taken)
{
    const wchar_t* path = pickRandom();
    for (int32_t left = count(); path && taken(path) && left > 0; --left) {
        advance();
        path = current();
    }
    return path;
}

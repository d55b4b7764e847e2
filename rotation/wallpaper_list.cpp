#include "rotation/wallpaper_list.h"

#include <ctime>
#include <cwchar>
#include <new>
#include <algorithm>

namespace {

uint32_t clockSeed()
{
    return static_cast<uint32_t>(static_cast<uint64_t>(std::time(nullptr)));
}

}  // namespace

WallpaperList::WallpaperList() { shuffleGenerator_.seed(clockSeed()); }

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
    // What a folder held is read again for the new list; the excluded
    // pictures and the round stay.
    folders_.clear();
    folderIndex_ = 0;
    folderEntered_ = false;
    resumeRow_ = nullptr;
    missesRow_ = nullptr;
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
    folderIndex_ = 0;
    folderEntered_ = false;
}

bool WallpaperList::isFolderRow(const wchar_t* row)
{
    const size_t length = std::wcslen(row);
    return length > 0 && row[length - 1] == L'\\';
}

FolderPictures* WallpaperList::readFolderOf(const wchar_t* row) const
{
    for (const auto& folder : folders_)
        if (folder->folder() == row)
            return folder.get();
    return nullptr;
}

FolderPictures& WallpaperList::folderOf(const wchar_t* row)
{
    if (FolderPictures* folder = readFolderOf(row))
        return *folder;
    folders_.push_back(std::make_unique<FolderPictures>(row));
    return *folders_.back();
}

bool WallpaperList::isExcluded(const wchar_t* picture) const
{
    return std::find(excluded_.begin(), excluded_.end(), picture) != excluded_.end();
}

void WallpaperList::exclude(const wchar_t* picture)
{
    if (!isExcluded(picture))
        excluded_.emplace_back(picture);
}

void WallpaperList::restore(const wchar_t* picture)
{
    excluded_.erase(std::remove(excluded_.begin(), excluded_.end(), picture), excluded_.end());
}

void WallpaperList::read(PictureSource& source, FolderPictures& folder)
{
    folder.clear();
    if (!source.readFolder(folder))
        folder.clear();
    folder.compact();
    folder.fresh = true;
}

const wchar_t* WallpaperList::folderPlace() const
{
    if (resumeRow_ && cursor_ == resumeRow_)
        return resumeAt_.c_str();  // not read yet (a paused start)
    if (!cursor_ || !isFolderRow(cursor_->path()) || folderIndex_ == 0)
        return nullptr;
    const FolderPictures* folder = readFolderOf(cursor_->path());
    return folder && folderIndex_ < folder->count() ? folder->name(folderIndex_) : nullptr;
}

void WallpaperList::resumeInFirstFolder(const wchar_t* name)
{
    for (WallpaperEntry* entry = head_; entry; entry = entry->next) {
        if (isFolderRow(entry->path())) {
            cursor_ = resumeRow_ = entry;
            folderIndex_ = 0;
            folderEntered_ = false;
            resumeAt_ = name;
            return;
        }
    }
}

const wchar_t* WallpaperList::pictureHere()
{
    if (!cursor_)
        return nullptr;
    const wchar_t* row = cursor_->path();
    if (!isFolderRow(row))
        return row;
    const FolderPictures& folder = folderOf(row);
    if (folderIndex_ >= folder.count() || !copyText(picture_, kPathSize, row) ||
        !appendText(picture_, kPathSize, folder.name(folderIndex_)))
        return nullptr;
    return picture_;
}

void WallpaperList::toHead()
{
    cursor_ = head_;
    folderIndex_ = 0;
    folderEntered_ = false;
}

void WallpaperList::advancePicture()
{
    if (!cursor_)
        return;
    if (isFolderRow(cursor_->path()) && folderIndex_ + 1 < folderOf(cursor_->path()).count())
        ++folderIndex_;
    else
        advance();
}

// A file of the list goes to the shell as ever; a folder's picture only
// while it is there and not excluded. Several of a folder's pictures gone in
// a row: the folder itself may be (a disk unplugged since the read), so it is
// read again rather than each of its pictures looked for.
bool WallpaperList::usableHere(const wchar_t* picture, PictureSource& source)
{
    constexpr int kMissesBeforeReading = 8;
    if (!picture)
        return false;
    if (!isFolderRow(cursor_->path()))
        return true;
    if (isExcluded(picture))
        return false;
    if (missesRow_ != cursor_) {
        missesRow_ = cursor_;
        missesInFolder_ = 0;
    }
    if (source.exists(picture)) {
        missesInFolder_ = 0;
        return true;
    }
    if (++missesInFolder_ >= kMissesBeforeReading) {
        missesInFolder_ = 0;
        read(source, folderOf(cursor_->path()));
    }
    return false;
}

// Every place a picture can be at: a folder without pictures is one too.
size_t WallpaperList::pictureCount()
{
    size_t places = 0;
    for (const WallpaperEntry* entry = head_; entry; entry = entry->next)
        places += isFolderRow(entry->path()) ? std::max<size_t>(1, folderOf(entry->path()).count()) : 1;
    return places;
}

// At random and shuffled, the folders are read again after as many picks as
// there are pictures.
void WallpaperList::readStaleFolders(PictureSource& source)
{
    const bool passed = picksSinceRead_ >= pictureCount();
    for (const WallpaperEntry* entry = head_; entry; entry = entry->next) {
        if (!isFolderRow(entry->path()))
            continue;
        FolderPictures& folder = folderOf(entry->path());
        if (passed || !folder.fresh)
            read(source, folder);
    }
    if (passed)
        picksSinceRead_ = 0;
    ++picksSinceRead_;
}

const wchar_t* WallpaperList::nextPicture(int32_t order, PictureSource& source, const Taken& taken)
{
    missesRow_ = nullptr;
    switch (order) {
    case kInSequence:
        return pictureInSequence(source);
    case kAtRandom:
        return pictureAtRandom(source, taken);
    case kShuffled:
        return pictureShuffled(source, taken);
    default:
        return nullptr;
    }
}

void WallpaperList::passPicture(int32_t order)
{
    if (order == kInSequence)
        advancePicture();
}

// A folder is read as the cursor comes to it: what was copied in since the
// last pass comes now.
const wchar_t* WallpaperList::pictureInSequence(PictureSource& source)
{
    for (int32_t rows = count(); cursor_ && rows > 0; --rows) {
        const wchar_t* row = cursor_->path();
        if (!isFolderRow(row))
            return row;  // a file of the list goes to the shell as ever, there or not
        FolderPictures& folder = folderOf(row);
        if (!folderEntered_ && (folderIndex_ == 0 || !folder.fresh))
            read(source, folder);
        folderEntered_ = true;
        for (size_t i = 0; cursor_ == resumeRow_ && i < folder.count(); ++i)
            if (resumeAt_ == folder.name(i))
                folderIndex_ = i;
        resumeRow_ = nullptr;
        for (; folderIndex_ < folder.count(); ++folderIndex_) {
            const wchar_t* picture = pictureHere();
            if (usableHere(picture, source))
                return picture;
        }
        advance();
    }
    return nullptr;
}

// The cursor moves a random number of pictures on, never a full turn.
const wchar_t* WallpaperList::pictureAtRandom(PictureSource& source, const Taken& taken)
{
    readStaleFolders(source);
    const size_t places = pictureCount();
    if (places == 0 || !cursor_)
        return nullptr;
    generator_.seed(clockSeed());
    size_t draw = static_cast<size_t>(generator_.next());
    if (places > 0x7FFF)
        draw = draw << 15 | static_cast<size_t>(generator_.next());
    const WallpaperEntry* before = cursor_;
    const size_t beforeIndex = folderIndex_;
    for (size_t steps = draw % places + 1; steps > 0; --steps)
        advancePicture();
    if (cursor_ == before && folderIndex_ == beforeIndex)
        advancePicture();
    for (size_t left = places; left > 0; --left, advancePicture()) {
        const wchar_t* picture = pictureHere();
        if (usableHere(picture, source) && !taken(picture))
            return picture;
    }
    // Every other monitor shows one already: one of theirs all the same.
    for (size_t left = places; left > 0; --left, advancePicture()) {
        const wchar_t* picture = pictureHere();
        if (usableHere(picture, source))
            return picture;
    }
    return nullptr;
}

// One of the pictures the round has not shown, each as likely; a picture
// gone or taken by another monitor counts as shown.
const wchar_t* WallpaperList::pictureShuffled(PictureSource& source, const Taken& taken)
{
    readStaleFolders(source);
    const size_t tryLimit = pictureCount() + 2;
    bool roundStarted = false;
    for (size_t tries = 0; tries < tryLimit && head_; ++tries) {
        const size_t places = pictureCount();  // fewer once a gone folder was read again
        const auto open = [&](const wchar_t* picture) {
            const uint64_t hash = pathHash(picture);
            return !round_.contains(hash) && !(places > 1 && round_.isLastShown(hash));
        };
        size_t candidates = 0;
        toHead();
        for (size_t i = 0; i < places; ++i, advancePicture())
            if (const wchar_t* picture = pictureHere())
                candidates += open(picture) ? 1 : 0;
        if (candidates == 0) {
            if (roundStarted)
                return nullptr;
            round_.startNew();
            roundStarted = true;
            continue;
        }
        size_t chosen = static_cast<size_t>(shuffleGenerator_.next()) << 15 | shuffleGenerator_.next();
        chosen %= candidates;
        toHead();
        const wchar_t* picture = nullptr;
        for (;; advancePicture()) {
            picture = pictureHere();
            if (picture && open(picture) && chosen-- == 0)
                break;
        }
        const bool usable = usableHere(picture, source) && !taken(picture);
        round_.mark(pathHash(picture), usable);
        if (usable)
            return picture;
    }
    return nullptr;
}

bool WallpaperList::neverAgain(const wchar_t* picture)
{
    WallpaperEntry* before = nullptr;
    for (WallpaperEntry* entry = head_; entry; before = entry, entry = entry->next) {
        if (isFolderRow(entry->path()) || std::wcscmp(entry->path(), picture) != 0)
            continue;
        if (cursor_ == entry)
            advance();
        (before ? before->next : head_) = entry->next;
        if (tail_ == entry)
            tail_ = before;
        if (cursor_ == entry)
            cursor_ = head_;  // it was the only one
        entry->~WallpaperEntry();
        ::operator delete(entry);
        return true;
    }
    for (const WallpaperEntry* entry = head_; entry; entry = entry->next) {
        const size_t length = std::wcslen(entry->path());
        if (isFolderRow(entry->path()) && std::wcsncmp(entry->path(), picture, length) == 0) {
            exclude(picture);
            return true;
        }
    }
    return false;
}

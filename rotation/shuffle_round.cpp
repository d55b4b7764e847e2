#include "rotation/shuffle_round.h"

// FNV-1a over the UTF-16 units: two paths of one library meet by chance
// about once in 2^64.
uint64_t pathHash(const wchar_t* path)
{
    uint64_t hash = 14695981039346656037ull;
    for (; *path; ++path) {
        hash ^= static_cast<uint16_t>(*path);
        hash *= 1099511628211ull;
    }
    return hash;
}

void ShuffleRound::mark(uint64_t picture, bool shown)
{
    if (shown_.insert(picture).second)
        order_.push_back(picture);
    if (!shown)
        return;
    last_ = picture;
    hasLast_ = true;
}

void ShuffleRound::startNew()
{
    order_.clear();
    shown_.clear();
}

void ShuffleRound::restore(const std::vector<uint64_t>& order)
{
    startNew();
    for (uint64_t picture : order)
        mark(picture);
}

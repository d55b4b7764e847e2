#pragma once
// The shuffle order's round: which pictures it has shown, by a hash of
// their paths, in the order shown. Free of Win32.

#include <cstdint>
#include <unordered_set>
#include <vector>

uint64_t pathHash(const wchar_t* path);

class ShuffleRound {
public:
    bool contains(uint64_t picture) const { return shown_.count(picture) != 0; }
    // A picture shown, or one passed over (gone, or on another monitor),
    // which does not become the last shown.
    void mark(uint64_t picture, bool shown = true);
    // Every picture was shown: the next round begins, remembering the last.
    void startNew();
    // The picture shown last, which must not open the next round.
    bool isLastShown(uint64_t picture) const { return hasLast_ && picture == last_; }
    bool isEmpty() const { return order_.empty(); }
    const std::vector<uint64_t>& order() const { return order_; }
    // A round read back in the order shown; its last one was shown last.
    void restore(const std::vector<uint64_t>& order);

private:
    std::vector<uint64_t> order_;
    std::unordered_set<uint64_t> shown_;
    uint64_t last_ = 0;
    bool hasLast_ = false;
};

#include "rotation/wallpaper_history.h"

#include <utility>

void WallpaperHistory::record(ShownStep step)
{
    if (anyShown_)
        earlier_.push_back(std::move(shown_));
    if (earlier_.size() > kEarlierSteps)
        earlier_.pop_front();
    shown_ = std::move(step);
    anyShown_ = true;
}

const ShownStep* WallpaperHistory::stepBack()
{
    if (earlier_.empty())
        return nullptr;
    shown_ = std::move(earlier_.back());
    earlier_.pop_back();
    return &shown_;
}

#pragma once
// Fills the playlist from the pictures shipped beside the executable.

// Picks "WallPaper\1024_768" for a screen exactly 1024 pixels wide, else
// "WallPaper\800_600", and scans it; the current directory is as before.
void scanDefaultWallpaperFolder();

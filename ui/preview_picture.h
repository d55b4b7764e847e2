#pragma once
// A picture file decoded for the preview by the Windows Imaging Component,
// no larger than the preview shows it.

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include "base/scoped_win.h"
#include "ui/preview_geometry.h"

// The file's first frame at keptPictureSize, as a bitmap picture; its own
// size in `pixels`. False (and no picture) where the component cannot read it.
bool decodeForPreview(LPCWSTR path, PixelSize area, PixelSize screen, ScopedCom<IPicture>& picture,
                      PixelSize& pixels);

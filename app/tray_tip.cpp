#include "app/tray_tip.h"

#include <cstring>
#include <string>

namespace {

// A lead byte takes the byte after it along (unless that is the end).
const char* nextCharacter(const char* at, IsLeadByte isLeadByte)
{
    return isLeadByte(static_cast<unsigned char>(*at)) && at[1] ? at + 2 : at + 1;
}

}  // namespace

void trayTipText(char* out, const char* title, const char* path, IsLeadByte isLeadByte, bool doubleAmpersands)
{
    // The name after the last backslash; in code page 936 the second byte of
    // a character may be 0x5C too.
    const char* name = path;
    for (const char* at = path; *at; at = nextCharacter(at, isLeadByte)) {
        if (*at == '\\')
            name = at + 1;
    }
    const std::string text = *name ? std::string(title) + " - " + name : std::string(title);
    // Whole characters (an escaped '&' is one), and where the last one that
    // leaves room for "..." ends.
    std::string tip;
    size_t cut = 0;
    for (const char* at = text.c_str(); *at;) {
        const char* next = nextCharacter(at, isLeadByte);
        if (*at == '&' && doubleAmpersands)
            tip += '&';
        tip.append(at, next);
        if (tip.size() <= kTrayTipSize - 1 - 3)
            cut = tip.size();
        at = next;
    }
    if (tip.size() >= kTrayTipSize) {
        tip.resize(cut);
        tip += "...";
    }
    std::memcpy(out, tip.c_str(), tip.size() + 1);
}

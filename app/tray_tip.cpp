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

void trayTipText(char* out, const char* title, const char* path, IsLeadByte isLeadByte)
{
    // The name after the last backslash; in code page 936 the second byte of
    // a character may be 0x5C too.
    const char* name = path;
    for (const char* at = path; *at; at = nextCharacter(at, isLeadByte)) {
        if (*at == '\\')
            name = at + 1;
    }
    std::string tip = title;
    if (*name)
        tip = tip + " - " + name;
    if (tip.size() >= kTrayTipSize) {
        const size_t room = kTrayTipSize - 1 - 3;  // for "..."
        size_t end = 0;
        for (const char* at = tip.c_str(); *at;) {
            const char* next = nextCharacter(at, isLeadByte);
            if (static_cast<size_t>(next - tip.c_str()) > room)
                break;
            end = static_cast<size_t>(next - tip.c_str());
            at = next;
        }
        tip.resize(end);
        tip += "...";
    }
    std::memcpy(out, tip.c_str(), tip.size() + 1);
}

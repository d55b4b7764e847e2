#include "ui/hotkeys.h"

#include "base/ui_language.h"
#include "res/resource.h"

namespace {

struct Combination {
    int command;
    UINT key;
    const wchar_t* name;
};

const Combination kCombinations[] = {
    {IDM_NEXT, VK_RIGHT, L"Ctrl+Alt+Right"},
    {IDM_PREVIOUS, VK_LEFT, L"Ctrl+Alt+Left"},
    {IDM_PAUSE, 'P', L"Ctrl+Alt+P"},
};

// A key held down gives one command, not one per repeat (Windows 7 and
// later); Vista does not know the flag and is asked without it.
bool registerCombination(HWND window, const Combination& combination)
{
    if (RegisterHotKey(window, combination.command, MOD_CONTROL | MOD_ALT | MOD_NOREPEAT, combination.key))
        return true;
    return GetLastError() != ERROR_HOTKEY_ALREADY_REGISTERED &&
           RegisterHotKey(window, combination.command, MOD_CONTROL | MOD_ALT, combination.key);
}

}  // namespace

void Hotkeys::registerAll(HWND window)
{
    taken_ = 0;
    for (unsigned i = 0; i < sizeof kCombinations / sizeof kCombinations[0]; ++i) {
        const unsigned bit = 1u << i;
        // Registered twice, Windows would keep both.
        if (held_ & bit)
            continue;
        if (registerCombination(window, kCombinations[i]))
            held_ |= bit;
        else if (GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED)
            taken_ |= bit;
    }
}

void Hotkeys::unregisterAll(HWND window)
{
    for (unsigned i = 0; i < sizeof kCombinations / sizeof kCombinations[0]; ++i) {
        if (held_ & (1u << i))
            UnregisterHotKey(window, kCombinations[i].command);
    }
    held_ = taken_ = 0;
}

std::wstring takenHotkeysNote(unsigned taken)
{
    std::wstring names;
    int count = 0;
    for (unsigned i = 0; i < sizeof kCombinations / sizeof kCombinations[0]; ++i) {
        if (taken & (1u << i)) {
            names += (count++ ? L", " : L"") + std::wstring(kCombinations[i].name);
        }
    }
    if (count == 0)
        return names;
    // 已被其他程序占用
    if (chineseTexts())
        return names + L" \u5df2\u88ab\u5176\u4ed6\u7a0b\u5e8f\u5360\u7528";
    return names + (count == 1 ? L" is taken by another program" : L" are taken by other programs");
}

#include "base/ui_language.h"

bool chineseTexts() { return GetACP() == 936; }

const void* localizedTemplate(HINSTANCE instance, LPCSTR type, int id)
{
    const WORD chinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
    const WORD language = chineseTexts() ? chinese : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    HRSRC found = FindResourceExA(instance, type, MAKEINTRESOURCEA(id), language);
    if (!found)
        found = FindResourceExA(instance, type, MAKEINTRESOURCEA(id), chinese);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    return loaded ? LockResource(loaded) : nullptr;
}

#include "base/ui_language.h"

bool chineseTexts()
{
    const LANGID language = GetUserDefaultUILanguage();
    return PRIMARYLANGID(language) == LANG_CHINESE &&
           (SUBLANGID(language) == SUBLANG_CHINESE_SIMPLIFIED || SUBLANGID(language) == SUBLANG_CHINESE_SINGAPORE);
}

namespace {

const void* localizedTemplate(HINSTANCE instance, LPCWSTR type, int id)
{
    const WORD chinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
    const WORD language = chineseTexts() ? chinese : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    HRSRC found = FindResourceExW(instance, type, MAKEINTRESOURCEW(id), language);
    if (!found)
        found = FindResourceExW(instance, type, MAKEINTRESOURCEW(id), chinese);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    return loaded ? LockResource(loaded) : nullptr;
}

}  // namespace

const DLGTEMPLATE* localizedDialog(HINSTANCE instance, int id)
{
    // Resource types are numbers, the same in either character set.
    return static_cast<const DLGTEMPLATE*>(localizedTemplate(instance, reinterpret_cast<LPCWSTR>(RT_DIALOG), id));
}

const void* localizedMenu(HINSTANCE instance, int id)
{
    return localizedTemplate(instance, reinterpret_cast<LPCWSTR>(RT_MENU), id);
}

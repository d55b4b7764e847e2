#include "rotation/folder_pictures.h"


void FolderPictures::clear()
{
    names_.clear();
    starts_.clear();
}

void FolderPictures::add(const wchar_t* name, size_t length)
{
    starts_.push_back(static_cast<uint32_t>(names_.size()));
    names_.insert(names_.end(), name, name + length);
    names_.push_back(L'\0');
}

void FolderPictures::compact()
{
    names_.shrink_to_fit();
    starts_.shrink_to_fit();
}

namespace {

wchar_t asciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

}  // namespace

bool isPictureName(const wchar_t* name, size_t length)
{
    static const wchar_t* const kExtensions[] = {L"bmp", L"jpg", L"jpeg", L"jpe", L"jfif", L"gif", L"png"};
    size_t dot = length;
    while (dot > 0 && name[dot - 1] != L'.' && name[dot - 1] != L'\\')
        --dot;
    if (dot == 0 || name[dot - 1] != L'.')
        return false;
    for (const wchar_t* extension : kExtensions) {
        size_t i = 0;
        while (dot + i < length && extension[i] && asciiLower(name[dot + i]) == extension[i])
            ++i;
        if (dot + i == length && !extension[i])
            return true;
    }
    return false;
}

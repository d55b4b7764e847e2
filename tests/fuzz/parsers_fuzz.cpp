// libFuzzer target for the two parsers, the first byte choosing: any section
// text, or any file-open buffer (the next two bytes its offset), parses
// without reading past its end; every list path handed out fits a path
// buffer, and no selected path is empty.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <vector>

#include "settings/filelist_section.h"
#include "ui/file_selection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto check = [](const wchar_t* path, void*) {
        if (!*path || std::wcslen(path) >= 260)
            std::abort();
    };
    // Two bytes a character; exact, so that a read past it is caught.
    std::vector<wchar_t> wide;
    for (size_t at = std::min<size_t>(size, 3); at + 1 < size; at += 2)
        wide.push_back(static_cast<wchar_t>(data[at] | data[at + 1] << 8));
    if (size >= 3 && data[0] & 1) {
        for (const std::wstring& path : selectedPaths(wide.data(), wide.size(), data[1] | (data[2] << 8))) {
            if (path.empty() || path.find(L'\0') != std::wstring::npos)
                std::abort();
        }
    } else {
        resolveFileList(wide.data(), wide.size(), check, nullptr);
    }
    return 0;
}

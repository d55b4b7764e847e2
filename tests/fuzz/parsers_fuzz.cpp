// libFuzzer target for the two parsers, the first byte choosing: any section
// text, or any file-open buffer (the next two bytes its offset), parses
// without reading past its end, and every path handed out fits a path buffer.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "settings/filelist_section.h"
#include "ui/file_selection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto check = [](const char* path, void*) {
        if (!*path || std::strlen(path) >= 260)
            std::abort();
    };
    std::vector<char> buffer(data + std::min<size_t>(size, 3), data + size);  // exact, so that a read past it is caught
    if (size >= 3 && data[0] & 1) {
        const std::vector<wchar_t> wide(buffer.begin(), buffer.end());
        for (const std::wstring& path : selectedPaths(wide.data(), wide.size(), data[1] | (data[2] << 8))) {
            if (path.empty() || path.size() >= 260 || path.find(L'\0') != std::wstring::npos)
                std::abort();
        }
    } else {
        resolveFileList(buffer.data(), buffer.size(), check, nullptr);
    }
    return 0;
}

// libFuzzer target for the two parsers, the first byte choosing: any section
// text, or any file-open buffer (the next two bytes its offset), parses
// without reading past its end, and every path handed out fits a path buffer.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "settings/filelist_section.h"
#include "ui/file_selection.h"

namespace {
void check(const char* path, void*)
{
    if (!*path || std::strlen(path) >= 260)
        std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    std::vector<char> buffer(data + 3, data + size);  // of exact size, so that a read past it is caught
    if (data[0] & 1) {
        for (const std::string& path : selectedPaths(buffer.data(), buffer.size(), data[1] | (data[2] << 8)))
            check(path.find('\0') == std::string::npos ? path.c_str() : "", nullptr);  // no NUL inside
    } else {
        resolveFileList(buffer.data(), buffer.size(), check, nullptr);
    }
    return 0;
}

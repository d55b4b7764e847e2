// libFuzzer target: any file-open buffer and offset parse without reading
// past the buffer, and every path fits a path buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ui/file_selection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t offset = static_cast<size_t>(data[0]) | (static_cast<size_t>(data[1]) << 8);
    // An exact-size copy, so that a read past the end is caught.
    std::vector<char> buffer(data + 2, data + size);
    for (const std::string& path : selectedPaths(buffer.data(), buffer.size(), offset)) {
        if (path.empty() || path.size() >= 260 || std::memchr(path.data(), '\0', path.size()))
            std::abort();
    }
    return 0;
}

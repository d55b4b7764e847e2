// libFuzzer target: any section text resolves without a fault, and every
// path handed out fits a path buffer and is not empty.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "settings/filelist_section.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    resolveFileList(
        reinterpret_cast<const char*>(data), size,
        [](const char* path, void*) {
            const size_t length = std::strlen(path);
            if (length == 0 || length >= 260)
                std::abort();
        },
        nullptr);
    return 0;
}

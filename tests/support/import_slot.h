#pragma once
// Points one of this executable's import slots (which the program's code,
// linked in, calls through) at a stand-in for a scope: a test sees the
// program's calls, or makes a system call answer as Windows would.

#include <windows.h>

// IMPORT_SLOT(SetTimer, 16) declares `SetTimer_slot` and `SetTimer_real`, the
// system's own function (read before any redirection); the bytes of arguments
// are in 32-bit names only (IMPORT_SLOT_PREFIX "_beginthreadex": a run-time function's slot).
#if defined(__i386__)
#define IMPORT_SLOT_PREFIX "__imp__"
#define IMPORT_SLOT_NAME(function, argumentBytes) "__imp__" #function "@" #argumentBytes
#else
#define IMPORT_SLOT_PREFIX "__imp_"
#define IMPORT_SLOT_NAME(function, argumentBytes) "__imp_" #function
#endif
#define IMPORT_SLOT(function, argumentBytes)                                                          \
    extern "C" decltype(&function) function##_slot asm(IMPORT_SLOT_NAME(function, argumentBytes)); \
    const decltype(&function) function##_real = function##_slot

template <typename Function>
class ImportRedirect {
public:
    ImportRedirect(Function& slot, Function standIn) : slot_(slot), original_(slot) { write(standIn); }
    ~ImportRedirect() { write(original_); }
    ImportRedirect(const ImportRedirect&) = delete;
    ImportRedirect& operator=(const ImportRedirect&) = delete;

private:
    void write(Function value)
    {
        DWORD protection = 0;
        VirtualProtect(&slot_, sizeof slot_, PAGE_READWRITE, &protection);
        slot_ = value, VirtualProtect(&slot_, sizeof slot_, protection, &protection);
    }
    Function& slot_;
    Function original_;
};

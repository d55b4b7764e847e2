#pragma once
// Points one of this executable's import slots (which the program's code,
// linked in, calls through) at a stand-in for a scope: a test sees the
// program's calls, or makes a system call answer as Windows would.

#include <windows.h>

// IMPORT_SLOT(SetTimer, 16) declares `SetTimer_slot`; the bytes of arguments are in 32-bit names only.
#if defined(__i386__)
#define IMPORT_SLOT(function, argumentBytes) \
    extern "C" decltype(&function) function##_slot asm("__imp__" #function "@" #argumentBytes)
#else
#define IMPORT_SLOT(function, argumentBytes) extern "C" decltype(&function) function##_slot asm("__imp_" #function)
#endif

template <typename Function>
class ImportRedirect {
public:
    ImportRedirect(Function& slot, Function standIn) : slot_(slot), original_(slot) { write(standIn); }
    ~ImportRedirect() { write(original_); }
    ImportRedirect(const ImportRedirect&) = delete;
    ImportRedirect& operator=(const ImportRedirect&) = delete;
    Function original() const { return original_; }

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

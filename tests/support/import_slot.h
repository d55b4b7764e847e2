#pragma once
// Points one of this executable's import slots at a stand-in for a scope, so
// that a test sees the program's calls or makes a system call fail as
// Windows would where Wine does not. The program's code is linked into the
// test, so its calls go through these slots.

#include <windows.h>

// Declares the slot of a __stdcall import: IMPORT_SLOT(SetTimer, 16) gives
// `SetTimer_slot`; the number is the bytes of arguments (which only 32-bit
// names carry).
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
        slot_ = value;
        VirtualProtect(&slot_, sizeof slot_, protection, &protection);
    }
    Function& slot_;
    Function original_;
};

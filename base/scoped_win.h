#pragma once
// Small owners for Win32 handles and COM pointers, so that every way out of
// a function gives back what it took.

#include <windows.h>

template <typename T>
class ScopedCom {
public:
    ScopedCom() = default;
    explicit ScopedCom(T* ptr) : ptr_(ptr) {}
    ~ScopedCom() { reset(); }
    ScopedCom(const ScopedCom&) = delete;
    ScopedCom& operator=(const ScopedCom&) = delete;

    void reset()
    {
        if (ptr_)
            ptr_->Release();
        ptr_ = nullptr;
    }
    T* get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }
    T** receive()
    {
        reset();
        return &ptr_;
    }
    void** receiveVoid() { return reinterpret_cast<void**>(receive()); }
    T* detach()
    {
        T* ptr = ptr_;
        ptr_ = nullptr;
        return ptr;
    }

private:
    T* ptr_ = nullptr;
};

class ScopedBstr {
public:
    explicit ScopedBstr(BSTR value) : value_(value) {}
    ~ScopedBstr() { SysFreeString(value_); }
    ScopedBstr(const ScopedBstr&) = delete;
    ScopedBstr& operator=(const ScopedBstr&) = delete;
    BSTR get() const { return value_; }
    explicit operator bool() const { return value_ != nullptr; }

private:
    BSTR value_;
};

// A window's device context from GetDC, released on scope exit.
class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~ScopedGetDC()
    {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// A memory DC with one bitmap selected; the previous bitmap goes back in
// before the DC is deleted.
class ScopedMemoryDC {
public:
    ScopedMemoryDC(HDC compatibleWith, HBITMAP bitmap) : dc_(CreateCompatibleDC(compatibleWith))
    {
        if (dc_ && bitmap)
            previous_ = SelectObject(dc_, bitmap);
    }
    ~ScopedMemoryDC()
    {
        if (!dc_)
            return;
        if (previous_)
            SelectObject(dc_, previous_);
        DeleteDC(dc_);
    }
    ScopedMemoryDC(const ScopedMemoryDC&) = delete;
    ScopedMemoryDC& operator=(const ScopedMemoryDC&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HDC dc_;
    HGDIOBJ previous_ = nullptr;
};

class ScopedMenu {
public:
    explicit ScopedMenu(HMENU menu) : menu_(menu) {}
    ~ScopedMenu()
    {
        if (menu_)
            DestroyMenu(menu_);
    }
    ScopedMenu(const ScopedMenu&) = delete;
    ScopedMenu& operator=(const ScopedMenu&) = delete;
    HMENU get() const { return menu_; }

private:
    HMENU menu_;
};

class ScopedFindHandle {
public:
    explicit ScopedFindHandle(HANDLE handle) : handle_(handle) {}
    ~ScopedFindHandle()
    {
        if (valid())
            FindClose(handle_);
    }
    ScopedFindHandle(const ScopedFindHandle&) = delete;
    ScopedFindHandle& operator=(const ScopedFindHandle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

class ScopedRegKey {
public:
    ScopedRegKey() = default;
    ~ScopedRegKey()
    {
        if (key_)
            RegCloseKey(key_);
    }
    ScopedRegKey(const ScopedRegKey&) = delete;
    ScopedRegKey& operator=(const ScopedRegKey&) = delete;
    HKEY get() const { return key_; }
    HKEY* receive() { return &key_; }

private:
    HKEY key_ = nullptr;
};

// A kernel handle from CreateFile and the like, closed on scope exit.
class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
    ~ScopedHandle()
    {
        if (valid())
            CloseHandle(handle_);
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

// Puts the process's current directory back on scope exit: Windows will not
// remove or eject a folder that is some process's current directory.
class ScopedCurrentDirectory {
public:
    ScopedCurrentDirectory()
    {
        const DWORD length = GetCurrentDirectoryW(MAX_PATH, saved_);
        if (length == 0 || length >= MAX_PATH)
            saved_[0] = '\0';
    }
    ~ScopedCurrentDirectory()
    {
        if (saved_[0])
            SetCurrentDirectoryW(saved_);
    }
    ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
    ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

private:
    wchar_t saved_[MAX_PATH];
};

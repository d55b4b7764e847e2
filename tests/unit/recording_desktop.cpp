#include "recording_desktop.h"

#include <ole2.h>
// shlobj.h declares IActiveDesktop only after wininet.h.
#include <wininet.h>
#include <shlobj.h>

#include <cstring>

namespace recording {

namespace {

std::vector<std::string> callLog;
Creation creationMode = Creation::Succeeds;

HRESULT record(const char* name, std::initializer_list<unsigned long> values = {}, HRESULT result = S_OK)
{
    std::string line = name;
    for (unsigned long value : values)
        line += " " + std::to_string(value);
    callLog.push_back(line);
    return result;
}

class Desktop final : public IActiveDesktop {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IActiveDesktop) ? this : nullptr;
        if (!*out)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG left = --refs_;
        record("Release", {left});
        if (left == 0)
            delete this;
        return left;
    }

    STDMETHODIMP ApplyChanges(DWORD flags) override { return record("ApplyChanges", {flags}); }
    STDMETHODIMP SetWallpaper(PCWSTR path, DWORD reserved) override
    {
        char utf8[1024] = "(null)";
        if (path && !WideCharToMultiByte(CP_UTF8, 0, path, -1, utf8, sizeof utf8, nullptr, nullptr))
            strcpy(utf8, "(not convertible)");
        callLog.push_back("SetWallpaper " + std::to_string(reserved) + " " + utf8);
        return S_OK;
    }
    STDMETHODIMP SetWallpaperOptions(LPCWALLPAPEROPT options, DWORD reserved) override
    {
        return record("SetWallpaperOptions", {options->dwSize, options->dwStyle, reserved});
    }
    STDMETHODIMP SetDesktopItemOptions(LPCCOMPONENTSOPT options, DWORD reserved) override
    {
        return record("SetDesktopItemOptions", {options->dwSize, static_cast<unsigned long>(options->fEnableComponents),
                                                static_cast<unsigned long>(options->fActiveDesktop), reserved});
    }

    // Nothing the program should ever call.
    STDMETHODIMP GetWallpaper(PWSTR, UINT, DWORD) override { return unexpected("GetWallpaper"); }
    STDMETHODIMP GetWallpaperOptions(LPWALLPAPEROPT, DWORD) override { return unexpected("GetWallpaperOptions"); }
    STDMETHODIMP GetPattern(PWSTR, UINT, DWORD) override { return unexpected("GetPattern"); }
    STDMETHODIMP SetPattern(PCWSTR, DWORD) override { return unexpected("SetPattern"); }
    STDMETHODIMP GetDesktopItemOptions(LPCOMPONENTSOPT, DWORD) override { return unexpected("GetDesktopItemOptions"); }
    STDMETHODIMP AddDesktopItem(LPCCOMPONENT, DWORD) override { return unexpected("AddDesktopItem"); }
    STDMETHODIMP AddDesktopItemWithUI(HWND, LPCOMPONENT, DWORD) override { return unexpected("AddDesktopItemWithUI"); }
    STDMETHODIMP ModifyDesktopItem(LPCCOMPONENT, DWORD) override { return unexpected("ModifyDesktopItem"); }
    STDMETHODIMP RemoveDesktopItem(LPCCOMPONENT, DWORD) override { return unexpected("RemoveDesktopItem"); }
    STDMETHODIMP GetDesktopItemCount(int*, DWORD) override { return unexpected("GetDesktopItemCount"); }
    STDMETHODIMP GetDesktopItem(int, LPCOMPONENT, DWORD) override { return unexpected("GetDesktopItem"); }
    STDMETHODIMP GetDesktopItemByID(ULONG_PTR, LPCOMPONENT, DWORD) override { return unexpected("GetDesktopItemByID"); }
    STDMETHODIMP GenerateDesktopItemHtml(PCWSTR, LPCOMPONENT, DWORD) override
    {
        return unexpected("GenerateDesktopItemHtml");
    }
    STDMETHODIMP AddUrl(HWND, PCWSTR, LPCOMPONENT, DWORD) override { return unexpected("AddUrl"); }
    STDMETHODIMP GetDesktopItemBySource(PCWSTR, LPCOMPONENT, DWORD) override
    {
        return unexpected("GetDesktopItemBySource");
    }

private:
    static HRESULT unexpected(const char* name) { return record(name, {}, E_NOTIMPL); }
    ULONG refs_ = 1;
};

// Lives as long as the process; COM's references do not own it.
class Factory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        record(IsEqualIID(iid, IID_IActiveDesktop) ? "Create" : "Create (other interface)");
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        if (creationMode == Creation::Fails)
            return CLASS_E_CLASSNOTAVAILABLE;
        if (creationMode == Creation::Succeeds)
            *out = static_cast<IActiveDesktop*>(new Desktop);
        return S_OK;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

}  // namespace

RegisteredDesktop::RegisteredDesktop(Creation creation)
{
    static Factory factory;
    clearCalls();
    creationMode = creation;
    if (FAILED(CoRegisterClassObject(CLSID_ActiveDesktop, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                     &cookie_)))
        cookie_ = 0;
}

RegisteredDesktop::~RegisteredDesktop()
{
    if (cookie_)
        CoRevokeClassObject(cookie_);
}

const std::vector<std::string>& calls() { return callLog; }
void clearCalls() { callLog.clear(); }

}  // namespace recording

#include "recording_desktop.h"

#include <ole2.h>
// shlobj.h declares IActiveDesktop only after wininet.h.
#include <wininet.h>
#include <shlobj.h>

#include <string>

namespace recording {

namespace {

std::vector<std::string> callLog;
std::vector<std::wstring> pathLog;
std::vector<DWORD> styleLog;

void record(const std::string& line) { callLog.push_back(line); }

std::string numbers(std::initializer_list<unsigned long> values)
{
    std::string text;
    for (unsigned long value : values)
        text += " " + std::to_string(value);
    return text;
}

class Desktop final : public IActiveDesktop {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IActiveDesktop)) {
            *out = static_cast<IActiveDesktop*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG left = --refs_;
        record("Release" + numbers({left}));
        if (left == 0)
            delete this;
        return left;
    }

    STDMETHODIMP ApplyChanges(DWORD flags) override
    {
        record("ApplyChanges" + numbers({flags}));
        return S_OK;
    }
    STDMETHODIMP SetWallpaper(PCWSTR path, DWORD reserved) override
    {
        record("SetWallpaper" + numbers({reserved}));
        pathLog.push_back(path ? path : L"(null)");
        return S_OK;
    }
    STDMETHODIMP SetWallpaperOptions(LPCWALLPAPEROPT options, DWORD reserved) override
    {
        record("SetWallpaperOptions" + numbers({options->dwSize, options->dwStyle, reserved}));
        styleLog.push_back(options->dwStyle);
        return S_OK;
    }
    STDMETHODIMP SetDesktopItemOptions(LPCCOMPONENTSOPT options, DWORD reserved) override
    {
        record("SetDesktopItemOptions" +
               numbers({options->dwSize, static_cast<unsigned long>(options->fEnableComponents),
                        static_cast<unsigned long>(options->fActiveDesktop), reserved}));
        return S_OK;
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
    HRESULT unexpected(const char* name)
    {
        record(name);
        return E_NOTIMPL;
    }

    ULONG refs_ = 1;
};

class Factory final : public IClassFactory {
public:
    explicit Factory(Creation creation) : creation_(creation) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // Lives as long as its registration; COM's references do not own it.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        record(IsEqualIID(iid, IID_IActiveDesktop) ? "Create" : "Create (other interface)");
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        switch (creation_) {
        case Creation::Fails:
            return CLASS_E_CLASSNOTAVAILABLE;
        case Creation::SucceedsEmpty:
            return S_OK;
        case Creation::Succeeds:
            break;
        }
        *out = static_cast<IActiveDesktop*>(new Desktop);
        return S_OK;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
    Creation creation_;
};

}  // namespace

RegisteredDesktop::RegisteredDesktop(Creation creation)
{
    clearCalls();
    static Factory succeeds(Creation::Succeeds);
    static Factory fails(Creation::Fails);
    static Factory empty(Creation::SucceedsEmpty);
    Factory* factory = creation == Creation::Fails ? &fails : creation == Creation::SucceedsEmpty ? &empty : &succeeds;
    if (FAILED(CoRegisterClassObject(CLSID_ActiveDesktop, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                     &cookie_)))
        cookie_ = 0;
}

RegisteredDesktop::~RegisteredDesktop()
{
    if (cookie_)
        CoRevokeClassObject(cookie_);
}

const std::vector<std::string>& calls() { return callLog; }
const std::vector<std::wstring>& wallpapers() { return pathLog; }
const std::vector<DWORD>& styles() { return styleLog; }

void clearCalls()
{
    callLog.clear();
    pathLog.clear();
    styleLog.clear();
}

}  // namespace recording

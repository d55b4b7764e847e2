// In-process COM server standing in for the shell's Active Desktop object
// inside the project's Wine prefix. Wine's own object answers E_NOTIMPL to
// everything, so this one records every call to a log file and shows the
// wallpaper on Wine's desktop, which lets tests check what the program did.
// It also stands in for the shell's IDesktopWallpaper object (Windows 8 and
// later), with the monitors a test sets; without them it refuses to be
// made, as Windows 7 has no such object.

#include <windows.h>
#include <ole2.h>
#include <olectl.h>
// shlobj.h declares IActiveDesktop only after wininet.h.
#include <wininet.h>
#include <shlobj.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <new>
#include <string>
#include <vector>

namespace {

// Own copies of the GUIDs: no dependence on which ones libuuid happens to hold.
const CLSID kClsidActiveDesktop = {
    0x75048700, 0xef1f, 0x11d0, {0x98, 0x88, 0x00, 0x60, 0x97, 0xde, 0xac, 0xf9}};
const IID kIidActiveDesktop = {
    0xf490eb00, 0x1240, 0x11d1, {0x98, 0x88, 0x00, 0x60, 0x97, 0xde, 0xac, 0xf9}};
const IID kIidUnknown = {
    0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const CLSID kClsidDesktopWallpaper = {
    0xc2cf3110, 0x460e, 0x4fc1, {0xb9, 0xd0, 0x8a, 0x1c, 0x0c, 0x9c, 0xc4, 0xbd}};
const IID kIidDesktopWallpaper = {
    0xb92b56a9, 0x8b55, 0x4e14, {0x9a, 0x89, 0x01, 0x99, 0xbb, 0xb6, 0xf9, 0x3b}};
const IID kIidPicture = {
    0x7bf80980, 0xbf32, 0x101a, {0x8b, 0xbb, 0x00, 0xaa, 0x00, 0x30, 0x0c, 0xab}};

LONG g_objects = 0;
LONG g_locks = 0;

std::wstring env_var(const wchar_t* name) {
    DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
    if (n == 0) return std::wstring();
    std::wstring value(n, L'\0');
    n = GetEnvironmentVariableW(name, &value[0], n);
    value.resize(n);
    return value;
}

std::string to_utf8(const wchar_t* s) {
    if (!s || !*s) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, s, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return std::string();
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, s, -1, &out[0], n, nullptr, nullptr);
    out.resize(n - 1);
    return out;
}

// One line per call, each opened, appended and closed on its own so that a
// process killed half way still leaves only whole lines behind.
void log_line(const std::string& text) {
    std::wstring path = env_var(L"TAVREL_STANDIN_LOG");
    if (path.empty()) return;
    char pid[16];
    std::snprintf(pid, sizeof pid, "%lu ", GetCurrentProcessId());
    std::string line = pid + text;
    // A path may not break the one-line-per-call rule.
    for (char& c : line)
        if (c == '\n' || c == '\r') c = '?';
    line += '\n';
    for (int attempt = 0; attempt < 50; ++attempt) {
        HANDLE f = CreateFileW(path.c_str(), FILE_APPEND_DATA,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f == INVALID_HANDLE_VALUE) {
            // Another process may hold it without write sharing for a moment.
            if (GetLastError() == ERROR_SHARING_VIOLATION) { Sleep(10); continue; }
            return;
        }
        DWORD written = 0;
        WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        CloseHandle(f);
        return;
    }
}

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* fmt, ...) {
    char buf[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    return buf;
}

// What a setter answers when it succeeds: S_OK, or S_FALSE (also a success)
// where a test asks for it, as Windows' shell may answer.
HRESULT success() {
    return env_var(L"TAVREL_STANDIN_ANSWER") == L"S_FALSE" ? S_FALSE : S_OK;
}

std::wstring output_bmp_path() {
    std::wstring path = env_var(L"TAVREL_STANDIN_BMP");
    if (!path.empty()) return path;
    wchar_t temp[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) return std::wstring();
    return std::wstring(temp) + L"tavrel-standin-wallpaper.bmp";
}

// Writes the bottom-up 24-bit pixels as a BMP under a temporary name first,
// so a reader never sees half a file.
bool write_bmp(const std::wstring& path, const void* bits, int width, int height) {
    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) & ~3u);
    const DWORD image_size = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER fh = {};
    BITMAPINFOHEADER ih = {};
    fh.bfType = 0x4d42;  // "BM"
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + image_size;
    ih.biSize = sizeof ih;
    ih.biWidth = width;
    ih.biHeight = height;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biCompression = BI_RGB;
    ih.biSizeImage = image_size;

    wchar_t suffix[32];
    std::swprintf(suffix, 32, L".%lu.tmp", GetCurrentProcessId());
    std::wstring temp = path + suffix;
    HANDLE f = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD w1 = 0, w2 = 0, w3 = 0;
    bool ok = WriteFile(f, &fh, sizeof fh, &w1, nullptr) && w1 == sizeof fh &&
              WriteFile(f, &ih, sizeof ih, &w2, nullptr) && w2 == sizeof ih &&
              WriteFile(f, bits, image_size, &w3, nullptr) && w3 == image_size;
    CloseHandle(f);
    if (ok)
        ok = MoveFileExW(temp.c_str(), path.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
    if (!ok) DeleteFileW(temp.c_str());
    return ok;
}

// Copies the block at the area's top left over the rest of the area,
// doubling each time so that even a 1x1 picture needs only a few dozen blits.
void repeat_tile(HDC dc, int x, int y, int tile_w, int tile_h, int area_w, int area_h) {
    const int row_h = tile_h < area_h ? tile_h : area_h;
    for (int done = tile_w; done < area_w; done *= 2) {
        int n = done < area_w - done ? done : area_w - done;
        BitBlt(dc, x + done, y, n, row_h, dc, x, y, SRCCOPY);
    }
    for (int done = tile_h; done < area_h; done *= 2) {
        int n = done < area_h - done ? done : area_h - done;
        BitBlt(dc, x, y + done, area_w, n, dc, x, y, SRCCOPY);
    }
}

// Renders the picture into `area` of the bitmap selected into `mem` as the
// shell shows it in that style (WPSTYLE_* and DWPOS_* have the same numbers;
// span is drawn as a stretch over the area it is given).
bool render_picture(HDC mem, const std::wstring& source, const RECT& area, DWORD style) {
    std::wstring name = source;  // OleLoadPicturePath wants a writable string
    IPicture* picture = nullptr;
    if (FAILED(OleLoadPicturePath(&name[0], nullptr, 0, 0, kIidPicture,
                                  reinterpret_cast<void**>(&picture))) ||
        !picture)
        return false;
    OLE_XSIZE_HIMETRIC hm_w = 0;
    OLE_YSIZE_HIMETRIC hm_h = 0;
    picture->get_Width(&hm_w);
    picture->get_Height(&hm_h);
    const int x = area.left, y = area.top, w = area.right - area.left, h = area.bottom - area.top;
    const int pic_w = MulDiv(hm_w, GetDeviceCaps(mem, LOGPIXELSX), 2540);
    const int pic_h = MulDiv(hm_h, GetDeviceCaps(mem, LOGPIXELSY), 2540);
    HRESULT hr = E_FAIL;
    if (hm_w > 0 && hm_h > 0 && pic_w > 0 && pic_h > 0 && w > 0 && h > 0) {
        IntersectClipRect(mem, area.left, area.top, area.right, area.bottom);
        if (style == WPSTYLE_STRETCH || style == WPSTYLE_SPAN) {
            hr = picture->Render(mem, x, y, w, h, 0, hm_h, hm_w, -hm_h, nullptr);
        } else if (style == WPSTYLE_TILE) {
            hr = picture->Render(mem, x, y, pic_w, pic_h, 0, hm_h, hm_w, -hm_h, nullptr);
            if (SUCCEEDED(hr)) repeat_tile(mem, x, y, pic_w, pic_h, w, h);
        } else if (style == WPSTYLE_KEEPASPECT || style == WPSTYLE_CROPTOFIT) {
            // Proportions kept, centred: whole inside the area (fit) or
            // covering it, the overflow cut off at its edges (fill).
            const long long pw = pic_w, ph = pic_h, sw = w, sh = h;
            const bool by_width = (pw * sh < ph * sw) == (style == WPSTYLE_CROPTOFIT);
            const int fw = static_cast<int>(by_width ? sw : pw * sh / ph);
            const int fh = static_cast<int>(by_width ? ph * sw / pw : sh);
            hr = picture->Render(mem, x + (w - fw) / 2, y + (h - fh) / 2, fw, fh, 0, hm_h, hm_w, -hm_h, nullptr);
        } else {
            // Centre, and anything this stand-in does not model.
            hr = picture->Render(mem, x + (w - pic_w) / 2, y + (h - pic_h) / 2, pic_w, pic_h, 0, hm_h, hm_w,
                                 -hm_h, nullptr);
        }
        SelectClipRgn(mem, nullptr);
    }
    picture->Release();
    return SUCCEEDED(hr);
}

// Paints a black screen-sized bitmap, saves it as a BMP and makes that the
// wallpaper. Wine's desktop only draws BMP files, centred, hence the
// pre-rendering.
bool show_on_desktop(const std::function<bool(HDC)>& paint) {
    const int screen_w = GetSystemMetrics(SM_CXSCREEN);
    const int screen_h = GetSystemMetrics(SM_CYSCREEN);
    const std::wstring target = output_bmp_path();
    bool ok = false;
    HDC screen = GetDC(nullptr);
    HDC mem = screen ? CreateCompatibleDC(screen) : nullptr;
    if (mem && screen_w > 0 && screen_h > 0 && !target.empty()) {
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = screen_w;
        bi.bmiHeader.biHeight = screen_h;  // bottom-up, as a BMP file stores it
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 24;
        bi.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (dib && bits) {
            const size_t stride = (static_cast<size_t>(screen_w) * 3 + 3) & ~static_cast<size_t>(3);
            std::memset(bits, 0, stride * screen_h);
            HGDIOBJ old = SelectObject(mem, dib);
            SetStretchBltMode(mem, HALFTONE);
            SetBrushOrgEx(mem, 0, 0, nullptr);
            const bool painted = paint(mem);
            GdiFlush();
            SelectObject(mem, old);
            if (painted && write_bmp(target, bits, screen_w, screen_h)) {
                // The wide call: the ANSI one cuts paths at 255 characters.
                std::wstring wide = target;
                ok = SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, &wide[0],
                                           SPIF_UPDATEINIFILE | SPIF_SENDCHANGE) != 0;
                // Wine's desktop paints the new wallpaper over its taskbar.
                RedrawWindow(FindWindowW(L"Shell_TrayWnd", nullptr), nullptr, nullptr,
                             RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
            }
        }
        if (dib) DeleteObject(dib);
    }
    if (mem) DeleteDC(mem);
    if (screen) ReleaseDC(nullptr, screen);
    return ok;
}

bool draw_wallpaper(const std::wstring& source, DWORD style) {
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return show_on_desktop([&](HDC mem) { return render_picture(mem, source, screen, style); });
}

// The IUnknown of both shell objects: counted for DllCanUnloadNow, each
// Release logged (the tests wait for "Release refs=0"), and an interface
// asked for but not offered logged too.
template <typename Interface, const IID& kIid>
class LoggedObject : public Interface {
public:
    LoggedObject() { InterlockedIncrement(&g_objects); }
    LoggedObject(const LoggedObject&) = delete;
    LoggedObject& operator=(const LoggedObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, kIidUnknown) || IsEqualIID(riid, kIid)) {
            *ppv = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        wchar_t guid[40] = L"";
        StringFromGUID2(riid, guid, 40);
        log_line(format("QueryInterface iid=%s hr=0x%08lx", to_utf8(guid).c_str(),
                        static_cast<unsigned long>(E_NOINTERFACE)));
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG left = InterlockedDecrement(&refs_);
        log_line(format("Release refs=%ld", left));
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

protected:
    virtual ~LoggedObject() { InterlockedDecrement(&g_objects); }

    static HRESULT notimpl(const char* method) {
        log_line(format("%s hr=0x%08lx", method, static_cast<unsigned long>(E_NOTIMPL)));
        return E_NOTIMPL;
    }

private:
    LONG refs_ = 0;
};

class StandIn final : public LoggedObject<IActiveDesktop, kIidActiveDesktop> {
public:

    // The four calls the program makes, plus the two getters.
    STDMETHODIMP ApplyChanges(DWORD flags) override {
        bool drawn = !wallpaper_.empty() && draw_wallpaper(wallpaper_, style_);
        log_line(format("ApplyChanges flags=%lu drawn=%d", flags, drawn ? 1 : 0));
        return success();
    }
    STDMETHODIMP GetWallpaper(PWSTR buf, UINT cch, DWORD) override {
        if (!buf || cch == 0) return E_INVALIDARG;
        lstrcpynW(buf, wallpaper_.c_str(), static_cast<int>(cch));
        return S_OK;
    }
    STDMETHODIMP SetWallpaper(PCWSTR path, DWORD reserved) override {
        log_line(format("SetWallpaper reserved=%lu path=", reserved) + to_utf8(path));
        if (!path) return E_INVALIDARG;
        wallpaper_ = path;
        return success();
    }
    STDMETHODIMP GetWallpaperOptions(LPWALLPAPEROPT opt, DWORD) override {
        if (!opt) return E_INVALIDARG;
        opt->dwStyle = style_;
        return S_OK;
    }
    STDMETHODIMP SetWallpaperOptions(LPCWALLPAPEROPT opt, DWORD reserved) override {
        if (!opt) {
            log_line(format("SetWallpaperOptions dwSize=0 dwStyle=0 reserved=%lu", reserved));
            return E_INVALIDARG;
        }
        log_line(format("SetWallpaperOptions dwSize=%lu dwStyle=%lu reserved=%lu",
                        opt->dwSize, opt->dwStyle, reserved));
        style_ = opt->dwStyle;
        return success();
    }
    STDMETHODIMP SetDesktopItemOptions(LPCCOMPONENTSOPT opt, DWORD reserved) override {
        if (!opt) {
            log_line(format("SetDesktopItemOptions dwSize=0 fEnableComponents=0 "
                            "fActiveDesktop=0 reserved=%lu", reserved));
            return E_INVALIDARG;
        }
        log_line(format("SetDesktopItemOptions dwSize=%lu fEnableComponents=%d "
                        "fActiveDesktop=%d reserved=%lu",
                        opt->dwSize, opt->fEnableComponents, opt->fActiveDesktop, reserved));
        return success();
    }

    // Everything else is as absent as in Wine's own object; logged so that
    // a stray call shows up.
    STDMETHODIMP GetPattern(PWSTR, UINT, DWORD) override { return notimpl("GetPattern"); }
    STDMETHODIMP SetPattern(PCWSTR, DWORD) override { return notimpl("SetPattern"); }
    STDMETHODIMP GetDesktopItemOptions(LPCOMPONENTSOPT, DWORD) override {
        return notimpl("GetDesktopItemOptions");
    }
    STDMETHODIMP AddDesktopItem(LPCCOMPONENT, DWORD) override { return notimpl("AddDesktopItem"); }
    STDMETHODIMP AddDesktopItemWithUI(HWND, LPCOMPONENT, DWORD) override {
        return notimpl("AddDesktopItemWithUI");
    }
    STDMETHODIMP ModifyDesktopItem(LPCCOMPONENT, DWORD) override {
        return notimpl("ModifyDesktopItem");
    }
    STDMETHODIMP RemoveDesktopItem(LPCCOMPONENT, DWORD) override {
        return notimpl("RemoveDesktopItem");
    }
    STDMETHODIMP GetDesktopItemCount(int*, DWORD) override { return notimpl("GetDesktopItemCount"); }
    STDMETHODIMP GetDesktopItem(int, LPCOMPONENT, DWORD) override { return notimpl("GetDesktopItem"); }
    STDMETHODIMP GetDesktopItemByID(ULONG_PTR, LPCOMPONENT, DWORD) override {
        return notimpl("GetDesktopItemByID");
    }
    STDMETHODIMP GenerateDesktopItemHtml(PCWSTR, LPCOMPONENT, DWORD) override {
        return notimpl("GenerateDesktopItemHtml");
    }
    STDMETHODIMP AddUrl(HWND, PCWSTR, LPCOMPONENT, DWORD) override { return notimpl("AddUrl"); }
    STDMETHODIMP GetDesktopItemBySource(PCWSTR, LPCOMPONENT, DWORD) override {
        return notimpl("GetDesktopItemBySource");
    }

    static void discard(StandIn* unreferenced) { delete unreferenced; }

private:
    ~StandIn() override = default;

    std::wstring wallpaper_;
    DWORD style_ = WPSTYLE_CENTER;
};

// A monitor a test set: its id, where it is unless it is not attached, and
// how it answers a picture: "refuses" it, or is "gone" when it comes.
struct Monitor {
    std::wstring id;
    bool attached;
    RECT area;
    std::string answer;
};

std::string read_monitors_file() {
    const std::wstring path = env_var(L"TAVREL_STANDIN_MONITORS");
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::string();
    char text[4096];
    DWORD read = 0;
    ReadFile(f, text, sizeof text, &read, nullptr);
    CloseHandle(f);
    return std::string(text, read);
}

// The file TAVREL_STANDIN_MONITORS names, one monitor a line:
// "<id> <left> <top> <right> <bottom> [refuses|gone]", or "<id>" alone for
// one that is not attached. Read at every call, so that a test can plug one
// in.
std::vector<Monitor> test_monitors() {
    std::vector<Monitor> monitors;
    std::string text = read_monitors_file();
    for (char* line = std::strtok(&text[0], "\r\n"); line; line = std::strtok(nullptr, "\r\n")) {
        char id[256], answer[16] = "";
        long left = 0, top = 0, right = 0, bottom = 0;
        const int fields = std::sscanf(line, "%255s %ld %ld %ld %ld %15s", id, &left, &top, &right, &bottom, answer);
        if (fields >= 1)
            monitors.push_back({std::wstring(id, id + std::strlen(id)), fields >= 5, {left, top, right, bottom}, answer});
    }
    return monitors;
}

// A monitor unplugged: its line leaves the file.
void unplug(const std::wstring& id) {
    std::string kept, text = read_monitors_file();
    const std::string prefix = to_utf8(id.c_str()) + " ";
    for (char* line = std::strtok(&text[0], "\r\n"); line; line = std::strtok(nullptr, "\r\n"))
        if (std::string(line).rfind(prefix, 0) != 0) kept += std::string(line) + "\n";
    HANDLE f = CreateFileW(env_var(L"TAVREL_STANDIN_MONITORS").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(f, kept.data(), static_cast<DWORD>(kept.size()), &written, nullptr);
    CloseHandle(f);
}

// What the desktop shows across objects: each monitor's picture ("" for
// all at once) and the position for all.
std::map<std::wstring, std::wstring> g_monitor_pictures;
DWORD g_position = DWPOS_FILL;

// Each attached monitor's picture in its rectangle; spanned, the one picture
// over the rectangle around them all.
bool draw_monitors() {
    const std::vector<Monitor> monitors = test_monitors();
    return show_on_desktop([&](HDC mem) {
        bool drawn = false;
        RECT all = {};
        for (const Monitor& monitor : monitors) {
            if (!monitor.attached) continue;
            UnionRect(&all, &all, &monitor.area);
            auto own = g_monitor_pictures.find(monitor.id);
            if (own == g_monitor_pictures.end()) own = g_monitor_pictures.find(L"");
            if (g_position != DWPOS_SPAN && own != g_monitor_pictures.end())
                drawn = render_picture(mem, own->second, monitor.area, g_position) || drawn;
        }
        const auto spanned = g_monitor_pictures.find(L"");
        if (g_position == DWPOS_SPAN && spanned != g_monitor_pictures.end())
            drawn = render_picture(mem, spanned->second, all, g_position);
        return drawn;
    });
}

class DesktopWallpaper final : public LoggedObject<IDesktopWallpaper, kIidDesktopWallpaper> {
public:

    STDMETHODIMP SetWallpaper(LPCWSTR monitor, LPCWSTR path) override {
        const std::wstring id = monitor ? monitor : L"";
        bool taken = !monitor;
        for (const Monitor& m : test_monitors()) {
            if (m.id != id || !m.attached) continue;
            taken = m.answer.empty();
            if (m.answer == "gone") unplug(id);
        }
        const HRESULT hr = !path ? E_INVALIDARG : taken ? S_OK : E_FAIL;
        if (hr == S_OK) {
            if (!monitor) g_monitor_pictures.clear();
            g_monitor_pictures[id] = path;
        }
        const bool drawn = hr == S_OK && draw_monitors();
        log_line(format("SetWallpaper monitor=%s hr=0x%08lx drawn=%d path=", monitor ? to_utf8(monitor).c_str() : "(all)",
                        static_cast<unsigned long>(hr), drawn ? 1 : 0) + to_utf8(path));
        return hr;
    }
    STDMETHODIMP GetMonitorDevicePathAt(UINT index, LPWSTR* id) override {
        const std::vector<Monitor> monitors = test_monitors();
        if (!id) return E_POINTER;
        *id = nullptr;
        log_line(format("GetMonitorDevicePathAt index=%u", index));
        if (index >= monitors.size()) return E_INVALIDARG;
        const std::wstring& text = monitors[index].id;
        *id = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
        if (!*id) return E_OUTOFMEMORY;
        std::memcpy(*id, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        return S_OK;
    }
    STDMETHODIMP GetMonitorDevicePathCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = static_cast<UINT>(test_monitors().size());
        log_line(format("GetMonitorDevicePathCount count=%u", *count));
        return S_OK;
    }
    // As Windows answers: S_FALSE (a success) for a monitor not attached.
    STDMETHODIMP GetMonitorRECT(LPCWSTR monitor, RECT* area) override {
        if (!area) return E_POINTER;
        *area = RECT{};
        HRESULT hr = E_INVALIDARG;
        for (const Monitor& m : test_monitors())
            if (monitor && m.id == monitor) hr = m.attached ? (*area = m.area, S_OK) : S_FALSE;
        log_line(format("GetMonitorRECT monitor=%s hr=0x%08lx", monitor ? to_utf8(monitor).c_str() : "(null)",
                        static_cast<unsigned long>(hr)));
        return hr;
    }
    STDMETHODIMP SetPosition(DESKTOP_WALLPAPER_POSITION position) override {
        log_line(format("SetPosition position=%d", static_cast<int>(position)));
        g_position = static_cast<DWORD>(position);
        return S_OK;
    }
    STDMETHODIMP GetPosition(DESKTOP_WALLPAPER_POSITION* position) override {
        if (!position) return E_POINTER;
        *position = static_cast<DESKTOP_WALLPAPER_POSITION>(g_position);
        return S_OK;
    }

    // Everything else is absent here; logged so that a stray call shows up.
    STDMETHODIMP GetWallpaper(LPCWSTR, LPWSTR*) override { return notimpl("GetWallpaper"); }
    STDMETHODIMP SetBackgroundColor(COLORREF) override { return notimpl("SetBackgroundColor"); }
    STDMETHODIMP GetBackgroundColor(COLORREF*) override { return notimpl("GetBackgroundColor"); }
    STDMETHODIMP SetSlideshow(IShellItemArray*) override { return notimpl("SetSlideshow"); }
    STDMETHODIMP GetSlideshow(IShellItemArray**) override { return notimpl("GetSlideshow"); }
    STDMETHODIMP SetSlideshowOptions(DESKTOP_SLIDESHOW_OPTIONS, UINT) override {
        return notimpl("SetSlideshowOptions");
    }
    STDMETHODIMP GetSlideshowOptions(DESKTOP_SLIDESHOW_OPTIONS*, UINT*) override {
        return notimpl("GetSlideshowOptions");
    }
    STDMETHODIMP AdvanceSlideshow(LPCWSTR, DESKTOP_SLIDESHOW_DIRECTION) override {
        return notimpl("AdvanceSlideshow");
    }
    STDMETHODIMP GetStatus(DESKTOP_SLIDESHOW_STATE*) override { return notimpl("GetStatus"); }
    STDMETHODIMP Enable(BOOL) override { return notimpl("Enable"); }

    static void discard(DesktopWallpaper* unreferenced) { delete unreferenced; }

private:
    ~DesktopWallpaper() override = default;
};

class Factory final : public IClassFactory {
public:
    explicit Factory(bool monitors) : monitors_(monitors) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, kIidUnknown) || IsEqualIID(riid, kIidClassFactory)) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    // One static instance; its references keep the DLL loaded like a lock.
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&g_locks) + 1; }
    STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&g_locks) + 1; }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (monitors_) {
            DesktopWallpaper* monitors = new (std::nothrow) DesktopWallpaper();
            if (!monitors) return E_OUTOFMEMORY;
            log_line("Create DesktopWallpaper");
            HRESULT hr = monitors->QueryInterface(riid, ppv);
            if (FAILED(hr)) DesktopWallpaper::discard(monitors);
            return hr;
        }
        StandIn* object = new (std::nothrow) StandIn();
        if (!object) return E_OUTOFMEMORY;
        log_line("Create");
        // Starts at no references, so a refused interface needs no logged Release.
        HRESULT hr = object->QueryInterface(riid, ppv);
        if (FAILED(hr)) StandIn::discard(object);
        return hr;
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) InterlockedIncrement(&g_locks);
        else InterlockedDecrement(&g_locks);
        return S_OK;
    }

private:
    bool monitors_;
};

Factory g_factory(false);
Factory g_monitors_factory(true);

}  // namespace

extern "C" {

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    // Without monitors set, no such object: Windows 7 and older.
    if (IsEqualCLSID(clsid, kClsidDesktopWallpaper) && !env_var(L"TAVREL_STANDIN_MONITORS").empty())
        return g_monitors_factory.QueryInterface(riid, ppv);
    if (!IsEqualCLSID(clsid, kClsidActiveDesktop)) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, ppv);
}

STDAPI DllCanUnloadNow() {
    return (g_objects == 0 && g_locks == 0) ? S_OK : S_FALSE;
}

// Registration belongs to scripts/register-standin.sh, which needs no loader.
STDAPI DllRegisterServer() { return S_OK; }
STDAPI DllUnregisterServer() { return E_NOTIMPL; }

}  // extern "C"

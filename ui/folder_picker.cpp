#include "ui/folder_picker.h"

#include <shobjidl.h>

#include "base/scoped_win.h"

std::wstring pickFolder(HWND owner)
{
    ScopedCom<IFileOpenDialog> dialog;
    FILEOPENDIALOGOPTIONS options = 0;
    // Only folders of the file system: a library or a phone has no path to read.
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                dialog.receiveVoid())) ||
        !dialog || FAILED(dialog->GetOptions(&options)) ||
        FAILED(dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST)))
        return std::wstring();
    {
        ScopedCurrentDirectory keep;
        if (dialog->Show(owner) != S_OK)  // cancelled, or failed
            return std::wstring();
    }
    ScopedCom<IShellItem> item;
    LPWSTR path = nullptr;
    if (FAILED(dialog->GetResult(item.receive())) || !item || FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) ||
        !path)
        return std::wstring();
    std::wstring picked = path;
    CoTaskMemFree(path);
    return picked;
}

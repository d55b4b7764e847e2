#include "app/show_in_folder.h"

#include <shlobj.h>

void showInFolder(const wchar_t* path)
{
    // The item's full list and no children: the shell opens the folder that
    // holds it and selects it. Needs COM, which the thread has.
    PIDLIST_ABSOLUTE item = ILCreateFromPathW(path);
    if (!item)
        return;
    SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
    ILFree(item);
}

/* noicon.exe: a 64-bit console program linked without resources. It looks for its own icon
   group 1 and loads it as an icon, so running it under Wine tells whether a resource section
   added to it afterwards is one the Windows loader and resource functions accept.
   Exit status: 0 found and loaded, 2 FindResource found no group, 3 LoadImage failed. */
#include <windows.h>

void start(void)
{
    HMODULE self = GetModuleHandleW(NULL);
    UINT status = 0;
    if (!FindResourceW(self, MAKEINTRESOURCEW(1), (LPCWSTR)RT_GROUP_ICON))
        status = 2;
    else if (!LoadImageW(self, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE))
        status = 3;
    ExitProcess(status);
}

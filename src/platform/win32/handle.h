#pragma once
// The owners of the Win32 handles the program holds, one alias per kind over
// the one owner template.
#include <windows.h>

#include "platform/unique_any.h"

using UniqueHandle = UniqueAny<HANDLE, ReleasedBy<HANDLE, &CloseHandle>>;
using UniqueHKey = UniqueAny<HKEY, ReleasedBy<HKEY, &RegCloseKey>>;
using UniqueModule = UniqueAny<HMODULE, ReleasedBy<HMODULE, &FreeLibrary>>;
using UniqueIcon = UniqueAny<HICON, ReleasedBy<HICON, &DestroyIcon>>;
using UniqueMenu = UniqueAny<HMENU, ReleasedBy<HMENU, &DestroyMenu>>;
using UniqueBitmap = UniqueAny<HBITMAP, ReleasedBy<HBITMAP, &DeleteObject>>;
using UniqueFont = UniqueAny<HFONT, ReleasedBy<HFONT, &DeleteObject>>;
using UniqueWindow = UniqueAny<HWND, ReleasedBy<HWND, &DestroyWindow>>;

// The one place the Windows headers are included: lean, without the min/max
// macros, targeting Windows 7 and later.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0601
#endif

#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

// After <windows.h>, which they build on: the shell's execute and special
// folders, and the workstation structures (netapi32 itself is loaded at run
// time from the system folder, never imported).
#include <lmcons.h>
#include <lmwksta.h>
#include <shellapi.h>
#include <shlobj.h>
// WinHTTP declarations only: winhttp.dll is loaded at run time from the
// system folder, never imported.
#include <winhttp.h>
// Common controls (list view, image lists, window subclassing) for the windows.
#include <commctrl.h>

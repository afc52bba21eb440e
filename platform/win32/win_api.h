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

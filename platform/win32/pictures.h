// The program's own pictures, drawn with GDI at the size they are shown: the
// product icon, the two image-list pictures, the Get Specification picture
// and the About banner. Drawn, not loaded, so they stay sharp and need no
// files of their own.
#pragma once

#include "platform/win32/win_api.h"

namespace dimmscope {

// The 32 x 32 image list of the main window: 0 = get more RAM, 1 = driver update.
inline constexpr int kGetMoreRamImage = 0;
inline constexpr int kDriverUpdateImage = 1;
void DrawImageListPicture(HDC Dc, int Index, int Left, int Top, bool Enabled);

// The Get Specification picture: a module under a magnifying glass, 32 x 32.
void DrawGetSpecPicture(HDC Dc, int Left, int Top, bool Enabled);

// A memory module seen from the front, filling the rectangle.
void DrawModule(HDC Dc, const RECT& Area, bool Enabled);

// The About dialog's banner, drawn into the rectangle.
void DrawAboutBanner(HDC Dc, const RECT& Area);

// The product icon at `Size` pixels (a memory module on a dark tile); the
// caller destroys it.
HICON CreateProductIcon(int Size);

}  // namespace dimmscope

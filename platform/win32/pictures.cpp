// GDI drawings of the program's pictures; see pictures.h.
#include "platform/win32/pictures.h"

#include <algorithm>

#include "platform/win32/controls.h"

namespace dimmscope {
namespace {

// Colours of the drawings; a disabled picture uses their grey equivalents.
const COLORREF kBoard = RGB(34, 139, 76);
const COLORREF kBoardEdge = RGB(20, 90, 48);
const COLORREF kChip = RGB(38, 42, 48);
const COLORREF kChipEdge = RGB(90, 96, 104);
const COLORREF kGold = RGB(222, 176, 58);
const COLORREF kBadgeGreen = RGB(46, 160, 67);
const COLORREF kBadgeBlue = RGB(30, 110, 200);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kGlassRim = RGB(70, 70, 80);
const COLORREF kGlass = RGB(200, 225, 250);

COLORREF Tone(COLORREF color, bool enabled) {
  if (enabled) return color;
  const int grey = (GetRValue(color) * 30 + GetGValue(color) * 59 + GetBValue(color) * 11) / 100;
  const int light = 128 + grey / 2;  // faded, as disabled pictures are
  return RGB(light, light, light);
}

void FillBox(HDC dc, int l, int t, int r, int b, COLORREF color) {
  const win::TScopedBrush brush(CreateSolidBrush(color));
  RECT area{l, t, r, b};
  FillRect(dc, &area, brush.Get());
}

// Fills and outlines a shape drawn by `draw` with the given colours.
template <typename F>
void Shape(HDC dc, COLORREF fill, COLORREF edge, int penWidth, F draw) {
  const win::TScopedBrush brush(CreateSolidBrush(fill));
  const HPEN pen = CreatePen(PS_SOLID, penWidth, edge);
  const HGDIOBJ oldBrush = SelectObject(dc, brush.Get());
  const HGDIOBJ oldPen = SelectObject(dc, pen);
  draw();
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(pen);
}

void Badge(HDC dc, int cx, int cy, int radius, COLORREF color, bool enabled) {
  Shape(dc, Tone(color, enabled), Tone(kWhite, enabled), 1,
        [&] { Ellipse(dc, cx - radius, cy - radius, cx + radius + 1, cy + radius + 1); });
}

void PlusBadge(HDC dc, int cx, int cy, bool enabled) {
  Badge(dc, cx, cy, 7, kBadgeGreen, enabled);
  const COLORREF white = Tone(kWhite, enabled);
  FillBox(dc, cx - 4, cy - 1, cx + 5, cy + 2, white);
  FillBox(dc, cx - 1, cy - 4, cx + 2, cy + 5, white);
}

void RefreshBadge(HDC dc, int cx, int cy, bool enabled) {
  Badge(dc, cx, cy, 7, kBadgeBlue, enabled);
  const COLORREF white = Tone(kWhite, enabled);
  const HPEN pen = CreatePen(PS_SOLID, 2, white);
  const HGDIOBJ oldPen = SelectObject(dc, pen);
  // Three quarters of a circle, open at the top right, with an arrow head.
  Arc(dc, cx - 4, cy - 4, cx + 5, cy + 5, cx + 5, cy - 1, cx + 1, cy - 5);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  const POINT head[] = {{cx + 1, cy - 7}, {cx + 5, cy - 4}, {cx + 1, cy - 1}};
  Shape(dc, white, white, 1, [&] { Polygon(dc, head, 3); });
}

}  // namespace

void DrawModule(HDC dc, const RECT& a, bool enabled) {
  const int w = a.right - a.left;
  const int h = a.bottom - a.top;
  const int contacts = std::max(2, h / 5);
  // The board, with the key notch in its contact edge.
  Shape(dc, Tone(kBoard, enabled), Tone(kBoardEdge, enabled), 1,
        [&] { Rectangle(dc, a.left, a.top, a.right, a.bottom); });
  // Gold contacts along the bottom edge, with a gap where the key notch is.
  const int pitch = std::max(2, w / 12);
  const int notch = a.left + w * 5 / 8;
  for (int x = a.left + 2; x + pitch / 2 < a.right - 1; x += pitch) {
    if (x + pitch > notch && x < notch + pitch) continue;
    FillBox(dc, x, a.bottom - contacts, x + std::max(1, pitch / 2), a.bottom - 1, Tone(kGold, enabled));
  }
  // Memory chips across the board.
  const int chips = w >= 60 ? 4 : 3;
  const int gap = std::max(1, w / 20);
  const int chipWidth = (w - gap * (chips + 1)) / chips;
  const int chipTop = a.top + std::max(2, h / 6);
  const int chipBottom = a.bottom - contacts - std::max(1, h / 8);
  for (int i = 0; i < chips; ++i) {
    const int left = a.left + gap + i * (chipWidth + gap);
    Shape(dc, Tone(kChip, enabled), Tone(kChipEdge, enabled), 1,
          [&] { Rectangle(dc, left, chipTop, left + chipWidth, chipBottom); });
  }
}

void DrawImageListPicture(HDC dc, int index, int left, int top, bool enabled) {
  if (index == kGetMoreRamImage) {
    const RECT module{left + 1, top + 8, left + 28, top + 22};
    DrawModule(dc, module, enabled);
    PlusBadge(dc, left + 23, top + 23, enabled);
  } else if (index == kDriverUpdateImage) {
    // A chip with its pins, and a refresh arrow.
    Shape(dc, Tone(kChip, enabled), Tone(kChipEdge, enabled), 1,
          [&] { Rectangle(dc, left + 5, top + 5, left + 24, top + 24); });
    for (int i = 0; i < 4; ++i) {
      const int p = 8 + i * 4;
      const COLORREF pin = Tone(RGB(190, 190, 200), enabled);
      FillBox(dc, left + p, top + 2, left + p + 2, top + 5, pin);
      FillBox(dc, left + p, top + 24, left + p + 2, top + 27, pin);
      FillBox(dc, left + 2, top + p, left + 5, top + p + 2, pin);
      FillBox(dc, left + 24, top + p, left + 27, top + p + 2, pin);
    }
    RefreshBadge(dc, left + 23, top + 23, enabled);
  }
}

void DrawGetSpecPicture(HDC dc, int left, int top, bool enabled) {
  const RECT module{left + 1, top + 4, left + 27, top + 18};
  DrawModule(dc, module, enabled);
  // A magnifying glass over the module's corner.
  const HPEN handle = CreatePen(PS_SOLID, 4, Tone(kGlassRim, enabled));
  const HGDIOBJ oldPen = SelectObject(dc, handle);
  MoveToEx(dc, left + 24, top + 24, nullptr);
  LineTo(dc, left + 30, top + 30);
  SelectObject(dc, oldPen);
  DeleteObject(handle);
  Shape(dc, Tone(kGlass, enabled), Tone(kGlassRim, enabled), 2,
        [&] { Ellipse(dc, left + 12, top + 12, left + 27, top + 27); });
}

void DrawAboutBanner(HDC dc, const RECT& a) {
  // A dark blue to slate gradient, band by band.
  const int h = a.bottom - a.top;
  for (int y = 0; y < h; ++y) {
    const int t = h > 1 ? y * 255 / (h - 1) : 0;
    FillBox(dc, a.left, a.top + y, a.right, a.top + y + 1,
            RGB(16 + (44 - 16) * t / 255, 24 + (62 - 24) * t / 255, 48 + (80 - 48) * t / 255));
  }
  FillBox(dc, a.left, a.bottom - 3, a.right, a.bottom, RGB(34, 139, 76));
  const RECT module{a.left + 20, a.top + 26, a.left + 116, a.top + 64};
  DrawModule(dc, module, true);

  SetBkMode(dc, TRANSPARENT);
  win::TScopedFont title(CreateFontA(-30, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                     CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial"));
  win::TScopedFont subtitle(CreateFontA(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                        DEFAULT_PITCH | FF_SWISS, "Arial"));
  const HGDIOBJ oldFont = SelectObject(dc, title.Get());
  SetTextColor(dc, RGB(255, 255, 255));
  TextOutA(dc, a.left + 136, a.top + 18, "Dimmscope", 9);
  SelectObject(dc, subtitle.Get());
  SetTextColor(dc, RGB(192, 200, 210));
  const char kSubtitle[] = "Memory details at your finger tips";
  TextOutA(dc, a.left + 138, a.top + 56, kSubtitle, static_cast<int>(sizeof(kSubtitle) - 1));
  SelectObject(dc, oldFont);
}

HICON CreateProductIcon(int size) {
  const HDC screen = GetDC(nullptr);
  const HDC dc = CreateCompatibleDC(screen);
  win::TScopedBitmap color(CreateCompatibleBitmap(screen, size, size));
  win::TScopedBitmap mask(CreateBitmap(size, size, 1, 1, nullptr));
  ReleaseDC(nullptr, screen);

  // The colour picture: a rounded dark tile with a module across it.
  HGDIOBJ old = SelectObject(dc, color.Get());
  FillBox(dc, 0, 0, size, size, RGB(0, 0, 0));
  const int radius = std::max(4, size / 4);
  Shape(dc, RGB(24, 34, 58), RGB(24, 34, 58), 1, [&] { RoundRect(dc, 0, 0, size, size, radius, radius); });
  const RECT module{size / 8, size * 5 / 16, size - size / 8, size * 11 / 16 + 1};
  DrawModule(dc, module, true);
  // The mask: opaque inside the rounded tile.
  SelectObject(dc, mask.Get());
  FillBox(dc, 0, 0, size, size, RGB(255, 255, 255));
  Shape(dc, RGB(0, 0, 0), RGB(0, 0, 0), 1, [&] { RoundRect(dc, 0, 0, size, size, radius, radius); });
  SelectObject(dc, old);
  DeleteDC(dc);

  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmColor = color.Get();
  info.hbmMask = mask.Get();
  return CreateIconIndirect(&info);
}

}  // namespace dimmscope

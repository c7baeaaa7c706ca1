#include "ui/win32/logo.h"

#include <algorithm>

namespace tovex::ui::win32 {

void DrawProductLogo(HDC dc, const RECT& bounds) {
  const int size = std::min(bounds.right - bounds.left, bounds.bottom - bounds.top);
  const int left = bounds.left + (bounds.right - bounds.left - size) / 2;
  const int top = bounds.top + (bounds.bottom - bounds.top - size) / 2;
  auto at = [size](int permille) { return size * permille / 1000; };

  const int saved = ::SaveDC(dc);
  HBRUSH tile = ::CreateSolidBrush(RGB(18, 94, 160));
  HPEN noPen = static_cast<HPEN>(::GetStockObject(NULL_PEN));
  ::SelectObject(dc, tile);
  ::SelectObject(dc, noPen);
  ::RoundRect(dc, left, top, left + size, top + size, at(250), at(250));

  // The envelope: a white outline with its flap.
  HPEN white = ::CreatePen(PS_SOLID, std::max(1, at(60)), RGB(255, 255, 255));
  ::SelectObject(dc, white);
  ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
  const int el = left + at(180), er = left + at(820), et = top + at(300), eb = top + at(740);
  ::Rectangle(dc, el, et, er, eb);
  POINT flap[3] = {{el, et}, {left + at(500), top + at(540)}, {er, et}};
  ::Polyline(dc, flap, 3);

  // The signal dot: messages arriving.
  HBRUSH orange = ::CreateSolidBrush(RGB(245, 140, 30));
  ::SelectObject(dc, orange);
  ::SelectObject(dc, noPen);
  ::Ellipse(dc, left + at(660), top + at(80), left + at(900), top + at(320));

  ::RestoreDC(dc, saved);
  ::DeleteObject(orange);
  ::DeleteObject(white);
  ::DeleteObject(tile);
}

}  // namespace tovex::ui::win32

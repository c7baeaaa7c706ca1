#pragma once
#include <windows.h>

namespace tovex::ui::win32 {

// The product logo of the title band, drawn to fill the rectangle at any
// size: a blue tile with a white envelope and an orange signal dot.
void DrawProductLogo(HDC dc, const RECT& bounds);

}  // namespace tovex::ui::win32

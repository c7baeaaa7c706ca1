#include "screenshot.h"

#include <cstdio>
#include <vector>

#include "ui_probe.h"

namespace drive {

namespace {

constexpr int kMargin = 8;

RECT AreaOf(DWORD processId) {
  RECT screen{::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
  screen.right = screen.left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
  screen.bottom = screen.top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
  RECT area{};
  if (processId != 0) {
    for (HWND window : TopLevelWindows(processId)) {
      RECT r;
      if (::GetWindowRect(window, &r)) ::UnionRect(&area, &area, &r);
    }
  }
  if (::IsRectEmpty(&area)) return screen;
  ::InflateRect(&area, kMargin, kMargin);
  RECT clipped;
  return ::IntersectRect(&clipped, &area, &screen) ? clipped : screen;
}

// A step that has just seen a new caption may find the window not yet
// repainted: the program paints when its queue runs empty. Two round trips
// with a short pause between them let it get there, without waiting long on
// a program that is busy installing.
void LetProgramPaint(DWORD processId) {
  if (processId == 0) return;
  for (int round = 0; round < 2; ++round) {
    for (HWND window : TopLevelWindows(processId)) {
      DWORD_PTR ignored = 0;
      ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &ignored);
    }
    if (round == 0) ::Sleep(25);
  }
}

}  // namespace

bool SaveScreenshot(DWORD processId, const std::string& path) {
  LetProgramPaint(processId);
  const RECT area = AreaOf(processId);
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return false;

  HDC screen = ::GetDC(nullptr);
  if (screen == nullptr) return false;
  HDC memory = ::CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool saved = false;
  if (memory != nullptr && bitmap != nullptr) {
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    if (::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT)) {
      ::GdiFlush();
      const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
      const DWORD imageSize = stride * static_cast<DWORD>(height);
      BITMAPFILEHEADER file{};
      file.bfType = 0x4D42;  // "BM"
      file.bfOffBits = sizeof file + sizeof info.bmiHeader;
      file.bfSize = file.bfOffBits + imageSize;
      BITMAPINFOHEADER header = info.bmiHeader;
      header.biSizeImage = imageSize;
      if (FILE* out = std::fopen(path.c_str(), "wb")) {
        saved = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&header, sizeof header, 1, out) == 1 &&
                std::fwrite(bits, imageSize, 1, out) == 1;
        saved = (std::fclose(out) == 0) && saved;
      }
    }
    ::SelectObject(memory, previous);
  }
  if (bitmap != nullptr) ::DeleteObject(bitmap);
  if (memory != nullptr) ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return saved;
}

}  // namespace drive

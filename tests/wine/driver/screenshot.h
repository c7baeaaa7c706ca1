#pragma once
// Screenshots as 24-bit BMP files, taken with GDI from the screen. Under Wine
// the screen is the X display (here the virtual desktop), so what is saved is
// what a user would see.

#include <windows.h>

#include <string>

namespace drive {

// Saves the part of the screen that holds the process's visible windows
// (the whole screen when it has none, for instance after it ended).
bool SaveScreenshot(DWORD processId, const std::string& path);

}  // namespace drive

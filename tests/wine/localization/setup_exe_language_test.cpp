// The real setup.exe and its language file: -exportlanguage writes setup.lng
// beside the program, shows no window and ends with exit code 0 (an existing
// file is read first, so its translations survive the export); a translated
// setup.lng changes what a real run shows.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/folders.h"
#include "platform/win32/files_win32.h"

namespace tovex {
namespace {

// setup.exe of the same build: this test runs from tests\wine\ of the build
// folder, setup.exe lies in src\setup\.
std::string BuiltSetupExe() {
  char buffer[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  std::string folder(buffer);
  folder.erase(folder.find_last_of('\\') + 1);
  return folder + "..\\..\\src\\setup\\setup.exe";
}

std::string ReadBytes(const std::string& path) {
  std::string content;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, got);
    std::fclose(file);
  }
  return content;
}

void WriteBytes(const std::string& path, const std::string& content) {
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(content.data(), 1, content.size(), file);
  std::fclose(file);
}

struct WindowSearch {
  DWORD processId;
  bool visibleWindowSeen;
};

BOOL CALLBACK NoteVisibleWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && ::IsWindowVisible(window)) search->visibleWindowSeen = true;
  return TRUE;
}

struct ProcessRun {
  DWORD exitCode = 0xFFFFFFFF;
  bool windowSeen = false;
  bool ended = false;
};

// Runs the program and watches, until it ends, for a visible window of it.
ProcessRun RunWatching(const std::string& exe, const std::string& parameters) {
  ProcessRun run;
  std::string commandLine = "\"" + exe + "\" " + parameters;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
    ADD_FAILURE() << "CreateProcess failed with " << ::GetLastError();
    return run;
  }
  WindowSearch search{process.dwProcessId, false};
  for (int waited = 0; waited < 60000; waited += 20) {
    ::EnumWindows(NoteVisibleWindow, reinterpret_cast<LPARAM>(&search));
    if (::WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0) {
      run.ended = true;
      break;
    }
  }
  if (!run.ended) ::TerminateProcess(process.hProcess, 1);
  ::GetExitCodeProcess(process.hProcess, &run.exitCode);
  run.windowSeen = search.visibleWindowSeen;
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return run;
}

TEST(ExportLanguage, WritesSetupLngBesideTheProgramWithoutAWindow) {
  win32::Win32Files files;
  const std::string built = BuiltSetupExe();
  ASSERT_TRUE(files.FileExists(built)) << built;
  const std::string folder = files.TempFolder() + "tovex-export-" + std::to_string(::GetCurrentProcessId()) + "\\";
  DeleteTree(files, folder, "*.*", true);
  ASSERT_TRUE(ForceDirectories(files, folder));
  const std::string exe = folder + "setup.exe";
  ASSERT_TRUE(files.Copy(built, exe, false));

  ProcessRun run = RunWatching(exe, "-exportlanguage");
  EXPECT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_FALSE(run.windowSeen);
  const std::string written = ReadBytes(folder + "setup.lng");
  ASSERT_FALSE(written.empty());
  EXPECT_EQ(written.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<APPLICATION><FORMS><FORM ID=\"TMainForm\"", 0),
            0u);
  const size_t mainForm = written.find("<FORM ID=\"TMainForm\"");
  const size_t browse = written.find("<FORM ID=\"TBrowseFolder\"");
  const size_t wizard = written.find("<FORM ID=\"TWizardForm\"");
  const size_t strings = written.find("<STRINGS><STRING ID=\"TStrings\"><ITEM ID=\"cname\" VALUE=\"Tovex Mail Server\"/>");
  EXPECT_LT(mainForm, browse);
  EXPECT_LT(browse, wizard);
  EXPECT_LT(wizard, strings);
  EXPECT_NE(strings, std::string::npos);
  EXPECT_NE(written.find("<ITEM ID=\"wwizardcomplete\" VALUE=\"Wizard Complete\"/>\r\n</STRING>\r\n</STRINGS>\r\n"
                         "</APPLICATION>\r\n"),
            std::string::npos);
  EXPECT_NE(written.find(" CLASS=\"tbutton\" CAPTION=\""), std::string::npos);

  // A translation in place is read first and written back with every key.
  WriteBytes(folder + "setup.lng",
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<APPLICATION><STRINGS><STRING ID=\"TStrings\">"
             "<ITEM ID=\"cnext\" VALUE=\"&amp;Weiter &gt;\"/><ITEM ID=\"cerror\" VALUE=\"Erreur \xC3\xA9\"/>"
             "</STRING></STRINGS></APPLICATION>");
  run = RunWatching(exe, "foo /EXPORTLANGUAGE");
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_FALSE(run.windowSeen);
  const std::string again = ReadBytes(folder + "setup.lng");
  EXPECT_NE(again.find("<ITEM ID=\"cnext\" VALUE=\"&amp;Weiter &gt;\"/>"), std::string::npos);
  EXPECT_NE(again.find("<ITEM ID=\"cerror\" VALUE=\"Erreur \xC3\xA9\"/>"), std::string::npos);
  EXPECT_NE(again.find("<ITEM ID=\"wwizardcomplete\""), std::string::npos);
  EXPECT_NE(again.find("<FORM ID=\"TWizardForm\""), std::string::npos);

  DeleteTree(files, folder, "*.*", true);
}

// A French translation: form texts of the wizard window and of the folder
// chooser, and the strings that the pages and buttons take their captions
// from.
const char kFrench[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<APPLICATION><FORMS>\r\n"
    "<!-- Le dialogue principal -->\r\n"
    "<FORM ID=\"TMainForm\" CAPTION=\"Installation\">\r\n"
    "  <ITEM ID=\"AboutLabel\" CLASS=\"tlabel\" CAPTION=\"Bienvenue dans l&apos;assistant d&apos;installation\"/>\r\n"
    "  <ITEM ID=\"TextLabel\" CLASS=\"tlabel\" CAPTION=\"Tovex Mail Server est une solution compl\xC3\xA8te de "
    "messagerie, d&apos;agenda partag\xC3\xA9, d&apos;antispam et d&apos;antivirus.\"/>\r\n"
    "  <ITEM ID=\"TipALabel\" CLASS=\"tlabel\" CAPTION=\"Il est vivement conseill\xC3\xA9 de fermer tous les "
    "programmes Windows avant de lancer l&apos;installation.\"/>\r\n"
    "  <ITEM ID=\"TipBLabel\" CLASS=\"tlabel\" CAPTION=\"Cliquez sur Annuler pour quitter, ou sur Suivant pour "
    "continuer.\"/>\r\n"
    "  <ITEM ID=\"CheckLatest\" CLASS=\"tcheckbox\" CAPTION=\"Rechercher une nouvelle version sur Internet\" "
    "HINT=\"Interroge le site du produit\"/>\r\n"
    "  <ITEM ID=\"LicenseLabel\" CLASS=\"tlabel\" CAPTION=\"Veuillez lire le contrat de licence suivant.\"/>\r\n"
    "</FORM>\r\n"
    "<FORM ID=\"TBrowseFolder\" CAPTION=\"Choisir un dossier\"><ITEM ID=\"OKButton\" CLASS=\"tbutton\" "
    "CAPTION=\"&amp;OK\"/></FORM>\r\n"
    "</FORMS>\r\n"
    "<STRINGS><STRING ID=\"TStrings\">\r\n"
    "<ITEM ID=\"cpsetup\" VALUE=\"Installation de %s %s\"/>\r\n"
    "<ITEM ID=\"cnext\" VALUE=\"&amp;Suivant &gt;\"/>\r\n"
    "<ITEM ID=\"cback\" VALUE=\"&lt; &amp;Pr\xC3\xA9" "c\xC3\xA9" "dent\"/>\r\n"
    "<ITEM ID=\"ccancel\" VALUE=\"&amp;Annuler\"/>\r\n"
    "<ITEM ID=\"cyes\" VALUE=\"&amp;Oui\"/>\r\n"
    "<ITEM ID=\"cno\" VALUE=\"&amp;Non\"/>\r\n"
    "<ITEM ID=\"csla\" VALUE=\"Contrat de licence\"/>\r\n"
    "</STRING></STRINGS></APPLICATION>\r\n";

struct TopWindowSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindVisibleTopWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<TopWindowSearch*>(data);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !::IsWindowVisible(window) || ::GetWindow(window, GW_OWNER) != nullptr) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

std::string TextOf(HWND window) {
  char buffer[1024] = {};
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000,
                        &ignored);
  return buffer;
}

BOOL CALLBACK CollectVisibleChild(HWND window, LPARAM data) {
  if (::IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
  return TRUE;
}

// The visible controls of the window with their texts.
std::vector<std::pair<HWND, std::string>> VisibleControls(HWND top) {
  std::vector<HWND> children;
  ::EnumChildWindows(top, CollectVisibleChild, reinterpret_cast<LPARAM>(&children));
  std::vector<std::pair<HWND, std::string>> controls;
  for (HWND child : children) controls.emplace_back(child, TextOf(child));
  return controls;
}

HWND ControlWithText(HWND top, const std::string& text) {
  for (const auto& [window, caption] : VisibleControls(top)) {
    if (caption == text) return window;
  }
  return nullptr;
}

// Waits up to ten seconds for a visible control with the text.
HWND WaitForControl(HWND top, const std::string& text) {
  for (int waited = 0; waited < 10000; waited += 50) {
    if (HWND control = ControlWithText(top, text)) return control;
    ::Sleep(50);
  }
  return nullptr;
}

// Saves what the screen shows of the window as a 24-bit BMP, for a person to
// look at (tests/wine/screenshots/ in the build folder).
void SaveScreenshot(HWND window, const std::string& path) {
  RECT frame;
  ::GetWindowRect(window, &frame);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
  ::GdiFlush();
  const DWORD stride = ((width * 3 + 3) / 4) * 4;
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;
  header.bfOffBits = sizeof header + sizeof info.bmiHeader;
  header.bfSize = header.bfOffBits + stride * height;
  if (FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(&header, sizeof header, 1, file);
    std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, file);
    std::fwrite(bits, stride * height, 1, file);
    std::fclose(file);
  }
  ::SelectObject(memory, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
}

std::string ScreenshotFolder() {
  char buffer[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  std::string folder(buffer);
  folder.erase(folder.find_last_of('\\') + 1);
  folder += "screenshots\\";
  ::CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

TEST(TranslatedRun, CaptionsComeFromTheLanguageFile) {
  win32::Win32Files files;
  const std::string built = BuiltSetupExe();
  ASSERT_TRUE(files.FileExists(built)) << built;
  const std::string folder = files.TempFolder() + "tovex-french-" + std::to_string(::GetCurrentProcessId()) + "\\";
  DeleteTree(files, folder, "*.*", true);
  ASSERT_TRUE(ForceDirectories(files, folder));
  const std::string exe = folder + "setup.exe";
  ASSERT_TRUE(files.Copy(built, exe, false));
  WriteBytes(folder + "setup.lng", kFrench);
  WriteBytes(folder + "setup.Dat", "");  // only its presence is checked before the wizard shows
  // Nothing leaves the machine, even if the check were ticked.
  WriteBytes(folder + "info.xml", "<INFO><PRODUCTSXML>http://127.0.0.1:9/products.xml</PRODUCTSXML></INFO>");

  std::string commandLine = "\"" + exe + "\" /SILENT";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
  TopWindowSearch search{process.dwProcessId, nullptr};
  for (int waited = 0; waited < 30000 && search.found == nullptr; waited += 50) {
    ::Sleep(50);
    ::EnumWindows(FindVisibleTopWindow, reinterpret_cast<LPARAM>(&search));
  }
  HWND top = search.found;
  if (top != nullptr) {
    // The form caption, the page caption and the buttons of the welcome page.
    EXPECT_EQ(TextOf(top), "Installation de Tovex Mail Server 8.5.0-7");
    EXPECT_NE(WaitForControl(top, "Bienvenue dans l'assistant d'installation"), nullptr);
    EXPECT_NE(ControlWithText(top, "Rechercher une nouvelle version sur Internet"), nullptr);
    EXPECT_NE(ControlWithText(top, "Il est vivement conseill\xE9 de fermer tous les programmes Windows avant de "
                                   "lancer l'installation."),
              nullptr);
    EXPECT_NE(ControlWithText(top, "&Annuler"), nullptr);
    HWND next = ControlWithText(top, "&Suivant >");
    EXPECT_NE(next, nullptr);
    SaveScreenshot(top, ScreenshotFolder() + "translated-welcome.bmp");

    // The licence page: its caption and the Yes/No buttons it shows.
    if (next != nullptr) ::PostMessageA(next, BM_CLICK, 0, 0);
    EXPECT_NE(WaitForControl(top, "Contrat de licence"), nullptr);
    EXPECT_NE(ControlWithText(top, "&Oui"), nullptr);
    EXPECT_NE(ControlWithText(top, "&Non"), nullptr);
    EXPECT_NE(ControlWithText(top, "< &Pr\xE9" "c\xE9" "dent"), nullptr);
    EXPECT_NE(ControlWithText(top, "Veuillez lire le contrat de licence suivant."), nullptr);
    SaveScreenshot(top, ScreenshotFolder() + "translated-licence.bmp");
  } else {
    ADD_FAILURE() << "the wizard window did not appear";
  }
  ::TerminateProcess(process.hProcess, 0);
  ::WaitForSingleObject(process.hProcess, 5000);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  DeleteTree(files, folder, "*.*", true);
}

}  // namespace
}  // namespace tovex

// The wizard's real windows: the window contract an outside driver relies on,
// user input reaching the model, and a layout in which no control is cut off
// or overlaps another at the prefix's DPI. The machine behind the wizard is
// the fake one; only the windows are real.
//
// With TOVEX_SCREENSHOTS set to a folder, each page is saved there as
// page<N>-<dpi>.bmp.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "fakes/fake_machine.h"
#include "setup/setup_program.h"
#include "ui/win32/renderer.h"

namespace tovex {
namespace {

std::string ClassOf(HWND window) {
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  char text[1024] = {};
  ::SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

std::string NameOf(HWND window) {
  const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(::GetPropA(window, "TovexName")));
  if (atom == 0) return {};
  char name[256] = {};
  ::GlobalGetAtomNameA(atom, name, sizeof name);
  return name;
}

std::vector<HWND> Descendants(HWND root) {
  std::vector<HWND> found;
  ::EnumChildWindows(
      root,
      [](HWND child, LPARAM list) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

void SaveBitmap(HWND window, const std::string& path) {
  RECT r;
  ::GetWindowRect(window, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  ::SelectObject(memory, old);
  BITMAPINFOHEADER info{sizeof info, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  const int stride = ((width * 3 + 3) / 4) * 4;
  std::vector<char> pixels(static_cast<size_t>(stride) * height);
  ::GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof info + pixels.size()), 0, 0,
                        sizeof(BITMAPFILEHEADER) + sizeof info};
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
}

struct WizardWindow : ::testing::Test {
  fakes::FakeMachine machine;
  SetupProgram program{machine.context};
  std::unique_ptr<ui::win32::Win32Renderer> renderer;
  HWND main = nullptr;

  void SetUp() override {
    machine.files.AddFile("C:\\Setup\\setup.Dat", "data");
    machine.files.AddFolder("C:\\Program Files\\Tovex");
    machine.system.parameters = {"/SILENT"};
    machine.context.commandLine = ParseCommandLine(machine.system.parameters);
    renderer = std::make_unique<ui::win32::Win32Renderer>(program.application, ::GetModuleHandleA(nullptr));
    program.CreateForms();
    program.ShowMainForm();
    main = renderer->WindowOf(*program.mainForm);
    Pump();
  }
  void TearDown() override { renderer.reset(); }

  void Pump() {
    MSG message;
    for (int round = 0; round < 3; ++round) {
      while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (!renderer->PreTranslate(message)) {
          ::TranslateMessage(&message);
          ::DispatchMessageA(&message);
        }
      }
      ::Sleep(5);
    }
  }
  HWND Control(const std::string& name, HWND root = nullptr) {
    for (HWND child : Descendants(root != nullptr ? root : main)) {
      if (NameOf(child) == name) return child;
    }
    return nullptr;
  }
  void Click(const std::string& name) {
    ::SendMessageA(Control(name), BM_CLICK, 0, 0);
    Pump();
  }
  void GoToPage(uint8_t index) {
    program.state.PageIndex = index;
    program.mainForm->ShowPage();
    Pump();
  }
};

TEST_F(WizardWindow, ControlsCarryTheirNamesAndStandardClasses) {
  EXPECT_EQ(ClassOf(main), "TMainForm");
  EXPECT_EQ(ClassOf(renderer->WindowOf(*program.browseFolder)), "TBrowseFolder");
  EXPECT_EQ(ClassOf(renderer->WindowOf(*program.wizardForm)), "TWizardForm");
  const struct {
    const char* name;
    const char* windowClass;
  } expected[] = {
      {"NextButton", "Button"},   {"BackButton", "Button"},     {"CloseButton", "Button"},
      {"CheckLatest", "Button"},  {"BasicMode", "Button"},      {"PageCaption", "Static"},
      {"PathEdit", "Static"},     {"NameEdit", "Edit"},         {"LicenseMemo", "Edit"},
      {"ComponentList", "ListBox"}, {"ProgressBar", "msctls_progress32"}, {"FolderBox", "Button"},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE(e.name);
    HWND control = Control(e.name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(_stricmp(ClassOf(control).c_str(), e.windowClass), 0) << ClassOf(control);
  }
  HWND chooser = renderer->WindowOf(*program.browseFolder);
  for (const char* name : {"PathEdit", "DirectoryList", "DriveList", "OKButton", "CancelButton", "Netbutton"}) {
    EXPECT_NE(Control(name, chooser), nullptr) << name;
  }
  EXPECT_EQ(TextOf(main), "Tovex Mail Server 8.5.0-7 Setup");
  EXPECT_EQ(::GetFocus(), Control("NextButton"));
}

TEST_F(WizardWindow, ClicksAndTypingFromOutsideDriveThePages) {
  Click("NextButton");
  EXPECT_EQ(program.state.PageIndex, 1);
  EXPECT_EQ(TextOf(Control("PageCaption")), "Software License Agreement");
  EXPECT_TRUE(::IsWindowVisible(Control("LicenseMemo")));
  EXPECT_FALSE(::IsWindowVisible(Control("TextLabel")));
  EXPECT_EQ(TextOf(Control("NextButton")), "&Yes");
  Click("NextButton");
  EXPECT_FALSE(::IsWindowEnabled(Control("NextButton")));
  ::SendMessageA(Control("NameEdit"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Jane Admin"));
  ::SendMessageA(Control("EmailEdit"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("jane@example.test"));
  Pump();
  EXPECT_EQ(program.mainForm->Get("EmailEdit").Text(), "jane@example.test");
  EXPECT_TRUE(::IsWindowEnabled(Control("NextButton")));
  Click("NextButton");
  Click("BasicMode");
  EXPECT_EQ(::SendMessageA(Control("BasicMode"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(::SendMessageA(Control("AdvancedMode"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(TextOf(Control("ConsoleMemo")), "Some options will be invisible. Beginner's mode.");
  Click("NextButton");

  // The component list: selected entries are the ticked ones.
  HWND list = Control("ComponentList");
  ASSERT_EQ(::SendMessageA(list, LB_GETCOUNT, 0, 0), 7);
  for (int i = 0; i < 7; ++i) EXPECT_GT(::SendMessageA(list, LB_GETSEL, i, 0), 0) << i;
  ::SendMessageA(list, ui::win32::kSetItemCheckedMessage, 0, 0);
  ::SendMessageA(list, LB_SETCARETINDEX, 4, FALSE);
  ::SetFocus(list);
  ::SendMessageA(list, WM_KEYDOWN, VK_SPACE, 0);
  ::SendMessageA(list, WM_KEYUP, VK_SPACE, 0);
  Pump();
  EXPECT_EQ(::SendMessageA(list, LB_GETSEL, 0, 0), 0);
  EXPECT_EQ(::SendMessageA(list, LB_GETSEL, 4, 0), 0);
  Click("NextButton");
  EXPECT_EQ(program.state.PageIndex, 5);
  EXPECT_TRUE(machine.context.flags.NoInstallMail);
  EXPECT_TRUE(machine.context.flags.NoInstallAV);
  EXPECT_FALSE(machine.context.flags.NoInstallControl);
  EXPECT_EQ(TextOf(Control("NextButton")), "&Install >");
  EXPECT_EQ(TextOf(Control("PathEdit")), "C:\\Program Files\\Tovex\\");
  Click("BackButton");
  EXPECT_EQ(program.state.PageIndex, 4);
}

TEST_F(WizardWindow, EscapeAndTheCloseBoxAskBeforeCancelling) {
  machine.user.answers = {MessageAnswer::No, MessageAnswer::No};
  ::PostMessageA(Control("NextButton"), WM_KEYDOWN, VK_ESCAPE, 0);
  Pump();
  ASSERT_EQ(machine.user.shown.size(), 1u);
  EXPECT_EQ(machine.user.shown[0].text, "Do you wish to cancel this installation?");
  ::SendMessageA(main, WM_CLOSE, 0, 0);
  Pump();
  ASSERT_EQ(machine.user.shown.size(), 2u);
  EXPECT_TRUE(::IsWindowVisible(main));
}

TEST_F(WizardWindow, TabMovesTheFocusAndAcceleratorsPressButtons) {
  ASSERT_EQ(::GetFocus(), Control("NextButton"));
  ::PostMessageA(Control("NextButton"), WM_KEYDOWN, VK_TAB, 0);
  Pump();
  EXPECT_EQ(::GetFocus(), Control("CloseButton"));
  // Alt+N is "&Next >".
  ::PostMessageA(::GetFocus(), WM_SYSCHAR, 'n', 0x20000000);
  Pump();
  EXPECT_EQ(program.state.PageIndex, 1);
  // Enter presses the default button (Next, now "&Yes").
  ::SetFocus(Control("LicenseMemo"));
  ::PostMessageA(Control("LicenseMemo"), WM_KEYDOWN, VK_RETURN, 0);
  Pump();
  EXPECT_EQ(program.state.PageIndex, 2);
}

// Every visible control lies inside its parent, overlaps no visible sibling,
// and shows its whole text in the dialog font at this DPI.
void CheckLayout(HWND root, const std::string& where) {
  for (HWND control : Descendants(root)) {
    if (!::IsWindowVisible(control)) continue;
    const std::string name = NameOf(control);
    SCOPED_TRACE(where + " " + name);
    HWND parent = ::GetParent(control);
    RECT box, area;
    ::GetWindowRect(control, &box);
    ::GetClientRect(parent, &area);
    ::MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&area), 2);
    EXPECT_TRUE(box.left >= area.left && box.top >= area.top && box.right <= area.right && box.bottom <= area.bottom)
        << "outside its parent: " << box.left << "," << box.top << "-" << box.right << "," << box.bottom << " in "
        << area.left << "," << area.top << "-" << area.right << "," << area.bottom;
    for (HWND sibling = ::GetWindow(control, GW_HWNDNEXT); sibling != nullptr; sibling = ::GetWindow(sibling, GW_HWNDNEXT)) {
      if (!::IsWindowVisible(sibling)) continue;
      RECT other, overlap;
      ::GetWindowRect(sibling, &other);
      EXPECT_FALSE(::IntersectRect(&overlap, &box, &other)) << "overlaps " << NameOf(sibling);
    }
    const std::string windowClass = ClassOf(control);
    const LONG style = ::GetWindowLongA(control, GWL_STYLE);
    const std::string text = TextOf(control);
    if (text.empty() || (windowClass != "Static" && windowClass != "Button")) continue;
    if ((style & 0x0F) == BS_GROUPBOX && windowClass == "Button") continue;
    RECT client;
    ::GetClientRect(control, &client);
    HDC dc = ::GetDC(control);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)));
    const bool wraps = windowClass == "Static" && (style & SS_TYPEMASK) == SS_LEFT;
    RECT need{0, 0, client.right, 0};
    ::DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    int room = client.right;
    if (windowClass == "Button") {
      const int type = style & 0x0F;
      // A check mark and its gap, or a push button's frame.
      room -= (type == BS_CHECKBOX || type == BS_RADIOBUTTON) ? ::GetSystemMetrics(SM_CXMENUCHECK) + 4 : 8;
    }
    EXPECT_LE(need.right, room) << "too wide: " << text;
    EXPECT_LE(need.bottom, client.bottom) << "too high: " << text;
  }
}

TEST_F(WizardWindow, NoControlIsCutOffOrOverlapsOnAnyPage) {
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  const char* shots = std::getenv("TOVEX_SCREENSHOTS");
  program.mainForm->Get("LicenseMemo").SetText("A licence text.\r\nSecond line.");
  for (uint8_t page = 0; page <= 8; ++page) {
    GoToPage(page);
    ::RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    CheckLayout(main, "page " + std::to_string(page) + " at " + std::to_string(dpi) + " dpi");
    if (shots != nullptr) SaveBitmap(main, std::string(shots) + "\\page" + std::to_string(page) + "-" + std::to_string(dpi) + ".bmp");
  }
  HWND chooser = renderer->WindowOf(*program.browseFolder);
  program.browseFolder->PathEdit().SetText("C:\\Program Files\\Tovex\\");
  renderer->Show(*program.browseFolder);
  Pump();
  CheckLayout(chooser, "folder chooser at " + std::to_string(dpi) + " dpi");
  if (shots != nullptr) SaveBitmap(chooser, std::string(shots) + "\\chooser-" + std::to_string(dpi) + ".bmp");
  renderer->Hide(*program.browseFolder);
}

// The configuration wizard's real window, shown modally over the wizard and
// driven from a timer while its own message loop runs, as a user would.
struct ConfigWizardWindow : WizardWindow {
  static inline std::function<void()> tick;
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    if (tick) tick();
  }
  HWND Wizard() { return renderer->WindowOf(*program.wizardForm); }
  HWND W(const std::string& name) { return Control(name, Wizard()); }
  void Type(const std::string& name, const char* text) {
    ::SendMessageA(W(name), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  }
  void Press(const std::string& name) { ::SendMessageA(W(name), BM_CLICK, 0, 0); }
  // Shows the wizard modally; the script runs once its loop is going.
  ui::ModalResult ShowWizard(std::function<void()> script) {
    tick = std::move(script);
    ::SetTimer(nullptr, 0, 50, OnTimer);
    const ui::ModalResult result = program.application.ShowModal(*program.wizardForm);
    tick = nullptr;
    return result;
  }
};

TEST_F(ConfigWizardWindow, PagesThroughTheWindowsUpToFinish) {
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  const char* shots = std::getenv("TOVEX_SCREENSHOTS");
  bool ran = false;
  const ui::ModalResult result = ShowWizard([&] {
    ran = true;
    HWND wizard = Wizard();
    EXPECT_EQ(ClassOf(wizard), "TWizardForm");
    EXPECT_EQ(TextOf(wizard), "Wizard");
    RECT client;
    ::GetClientRect(wizard, &client);
    EXPECT_EQ(client.right, ::MulDiv(544, dpi, 96));
    EXPECT_EQ(client.bottom, ::MulDiv(367, dpi, 96));
    EXPECT_FALSE(::IsWindowEnabled(main));  // modal over the wizard
    EXPECT_EQ(::GetFocus(), W("NameEdit"));
    EXPECT_EQ(TextOf(W("TopMenuLabel")), "Host Name");
    EXPECT_FALSE(::IsWindowEnabled(W("NextButton")));
    EXPECT_FALSE(::IsWindowEnabled(W("PreviousButton")));
    const auto page = [&](const std::string& label) {
      ::RedrawWindow(wizard, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
      CheckLayout(wizard, "configuration wizard " + label + " at " + std::to_string(dpi) + " dpi");
      if (shots != nullptr) SaveBitmap(wizard, std::string(shots) + "\\wizard-" + label + "-" + std::to_string(dpi) + ".bmp");
    };
    page("host");
    Type("NameEdit", "mail.example.com");
    EXPECT_TRUE(::IsWindowEnabled(W("NextButton")));
    Press("NextButton");

    EXPECT_EQ(TextOf(W("TopMenuLabel")), "Primary Domain");
    EXPECT_TRUE(::IsWindowVisible(W("OtherEdit")));
    EXPECT_FALSE(::IsWindowVisible(W("NameEdit")));
    EXPECT_EQ(::GetFocus(), W("OtherEdit"));
    Type("OtherEdit", "..\\up");
    EXPECT_FALSE(::IsWindowEnabled(W("NextButton")));
    EXPECT_TRUE(::IsWindowVisible(W("OtherWarningLabel")));
    page("domain-refused");
    Type("OtherEdit", "Example.com");
    EXPECT_FALSE(::IsWindowVisible(W("OtherWarningLabel")));
    page("domain");
    Press("NextButton");

    EXPECT_EQ(TextOf(W("TopMenuLabel")), "Administrator");
    EXPECT_NE(::GetWindowLongA(W("PassEdit"), GWL_STYLE) & ES_PASSWORD, 0);
    EXPECT_EQ(::SendMessageA(W("PassEdit"), EM_GETPASSWORDCHAR, 0, 0), '*');
    Type("EmailEdit", "a/b");
    page("administrator-refused");
    Type("EmailEdit", "admin");
    Type("PassEdit", "secret");
    page("administrator");
    // Enter presses Next from the edit.
    MSG message{W("PassEdit"), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    renderer->PreTranslate(message);

    EXPECT_EQ(TextOf(W("TopMenuLabel")), "Wizard Complete");
    EXPECT_FALSE(::IsWindowVisible(W("PreviousButton")));
    EXPECT_EQ(TextOf(W("NextButton")), "&Finish");
    EXPECT_EQ(::GetFocus(), W("NextButton"));
    page("complete");
    ::PostMessageA(W("NextButton"), BM_CLICK, 0, 0);
  });
  EXPECT_TRUE(ran);
  EXPECT_EQ(result, ui::ModalResult::Ok);
  EXPECT_FALSE(::IsWindowVisible(Wizard()));
  EXPECT_TRUE(::IsWindowEnabled(main));
  const WizardAnswers answers = program.wizardForm->Answers();
  EXPECT_EQ(answers.hostName, "mail.example.com");
  EXPECT_EQ(answers.domain, "Example.com");
  EXPECT_EQ(answers.userName, "admin");
  EXPECT_EQ(answers.password, "secret");
}

TEST_F(ConfigWizardWindow, EscapeAndTheCloseBoxCancel) {
  EXPECT_EQ(ShowWizard([&] { ::PostMessageA(W("NameEdit"), WM_KEYDOWN, VK_ESCAPE, 0); }), ui::ModalResult::Cancel);
  EXPECT_EQ(ShowWizard([&] { ::PostMessageA(Wizard(), WM_CLOSE, 0, 0); }), ui::ModalResult::Cancel);
  EXPECT_TRUE(machine.user.shown.empty());  // no question: nothing was written yet
  EXPECT_TRUE(::IsWindowEnabled(main));
}

}  // namespace
}  // namespace tovex

#include "scenario.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "check_list.h"
#include "screenshot.h"
#include "text_match.h"
#include "ui_probe.h"

namespace drive {

namespace {

constexpr DWORD kPollMs = 50;

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

std::string Expand(const std::string& text) {
  if (text.find('%') == std::string::npos) return text;
  char buffer[4096];
  const DWORD length = ::ExpandEnvironmentStringsA(text.c_str(), buffer, sizeof buffer);
  return (length == 0 || length > sizeof buffer) ? text : std::string(buffer);
}

// "CAPTION | TEXT" or "CAPTION" alone.
void SplitBar(const std::string& expectation, std::string& first, std::optional<std::string>& second) {
  const size_t bar = expectation.find('|');
  first = NormalizeBlanks(expectation.substr(0, bar));
  if (bar != std::string::npos) second = NormalizeBlanks(expectation.substr(bar + 1));
}

bool IsEdit(HWND window) { return _stricmp(ClassName(window).c_str(), "Edit") == 0; }

bool ParseCode(const std::string& text, DWORD& code) {
  char* end = nullptr;
  const unsigned long value = std::strtoul(text.c_str(), &end, 0);
  if (text.empty() || *end != '\0') return false;
  code = static_cast<DWORD>(value);
  return true;
}

struct KeyName {
  const char* name;
  UINT key;
};
constexpr KeyName kKeys[] = {
    {"ESCAPE", VK_ESCAPE}, {"ESC", VK_ESCAPE},      {"ENTER", VK_RETURN}, {"RETURN", VK_RETURN},
    {"TAB", VK_TAB},       {"SPACE", VK_SPACE},     {"BACKSPACE", VK_BACK}, {"DELETE", VK_DELETE},
    {"UP", VK_UP},         {"DOWN", VK_DOWN},       {"LEFT", VK_LEFT},    {"RIGHT", VK_RIGHT},
    {"HOME", VK_HOME},     {"END", VK_END},         {"PAGEUP", VK_PRIOR}, {"PAGEDOWN", VK_NEXT},
    {"F1", VK_F1},         {"F5", VK_F5},           {"F10", VK_F10},
};

std::optional<UINT> VirtualKey(const std::string& name) {
  for (const auto& key : kKeys) {
    if (_stricmp(key.name, name.c_str()) == 0) return key.key;
  }
  if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
    return static_cast<UINT>(std::toupper(static_cast<unsigned char>(name[0])));
  }
  return std::nullopt;
}

struct ButtonId {
  const char* name;
  int id;
};
constexpr ButtonId kBoxButtons[] = {
    {"OK", IDOK},       {"Cancel", IDCANCEL}, {"Abort", IDABORT},        {"Retry", IDRETRY},
    {"Ignore", IDIGNORE}, {"Yes", IDYES},     {"No", IDNO},              {"Try Again", IDTRYAGAIN},
    {"Continue", IDCONTINUE},
};

}  // namespace

Scenario::Scenario(Options options) : options_(std::move(options)), timeout_(options_.timeoutSeconds) {}

Scenario::~Scenario() {
  if (ProgramRunning()) ::TerminateProcess(process_.get(), 1);
  if (windowWatch_.joinable()) windowWatch_.join();
}

bool Scenario::Play(const Script& script) {
  for (size_t i = 0; i < script.steps.size(); ++i) {
    const Step& step = script.steps[i];
    std::printf("[%02zu] %s", i + 1, step.source.c_str());
    std::fflush(stdout);
    std::vector<std::string> args;
    for (const auto& arg : step.args) args.push_back(Expand(arg));
    failure_.clear();
    notes_.clear();
    const DWORD started = ::GetTickCount();
    const bool held = Execute(step, args);
    const double seconds = (::GetTickCount() - started) / 1000.0;
    if (held) {
      std::printf("  ... ok (%.2f s)\n%s", seconds, notes_.c_str());
      std::fflush(stdout);
      Screenshot(i + 1, step.verb == "screenshot" ? args[0] : step.verb);
      continue;
    }
    std::printf("  ... FAILED after %.2f s\n%s", seconds, notes_.c_str());
    std::printf("     line %d: %s\n", step.line, failure_.c_str());
    if (processId_ != 0) std::printf("     windows of the program:%s\n", DescribeWindows(processId_).c_str());
    Screenshot(i + 1, step.verb + "-FAILED");
    std::fflush(stdout);
    return false;
  }
  if (ProgramRunning()) {
    std::printf("FAILED: the program is still running at the end of the scenario; every scenario ends with "
                "expect-exit.\n     windows of the program:%s\n",
                DescribeWindows(processId_).c_str());
    std::fflush(stdout);
    return false;
  }
  std::printf("tovexdrive: all %zu steps held\n", script.steps.size());
  std::fflush(stdout);
  return true;
}

bool Scenario::Execute(const Step& step, const std::vector<std::string>& args) {
  const std::string& verb = step.verb;
  const std::string* second = args.size() > 1 ? &args[1] : nullptr;
  const std::string* third = args.size() > 2 ? &args[2] : nullptr;
  if (verb == "timeout") {
    const double seconds = std::atof(args[0].c_str());
    if (seconds <= 0) return Fail("the time-out must be a positive number of seconds");
    timeout_ = seconds;
    return true;
  }
  if (verb == "setup-folder") return PrepareFolder(args[0]);
  if (verb == "put") return Put(args[0], second ? *second : std::string());
  if (verb == "setenv") {
    // Programs started later inherit it (an answers file's password variable).
    if (!::SetEnvironmentVariableA(args[0].c_str(), second ? second->c_str() : nullptr)) {
      return Fail("cannot set the environment variable " + Quoted(args[0]));
    }
    return true;
  }
  if (verb == "remove") return Remove(args[0]);
  if (verb == "link") return Link(args[0], args[1]);
  if (verb == "cut") return Cut(args[0], args[1]);
  if (verb == "start") return Start(args.empty() ? std::string() : args[0]);
  if (verb == "start-program") return StartProgram(args[0], second ? *second : std::string());
  if (verb == "expect-window") return ExpectWindow(args[0]);
  if (verb == "expect-page") return ExpectPage(args[0]);
  if (verb == "expect-text") return ExpectText(args[0], second ? *second : std::string());
  if (verb == "expect-enabled" || verb == "expect-disabled" || verb == "expect-visible" ||
      verb == "expect-hidden" || verb == "expect-focus") {
    return ExpectState(verb, args[0]);
  }
  if (verb == "expect-checked") return ExpectChecked(args[0], second, true);
  if (verb == "expect-unchecked") return ExpectChecked(args[0], second, false);
  if (verb == "click") return Click(args[0]);
  if (verb == "set") return SetText(args[0], second ? *second : std::string());
  if (verb == "tick") return Tick(args[0], second, true);
  if (verb == "untick") return Tick(args[0], second, false);
  if (verb == "select") return Select(args[0], args[1], false);
  if (verb == "open") return Select(args[0], args[1], true);
  if (verb == "key") return Key(args[0], second);
  if (verb == "close") return CloseWindow();
  if (verb == "expect-box") return ExpectBox(args[0]);
  if (verb == "answer") return Answer(args[0]);
  if (verb == "expect-no-box") return ExpectNoBox();
  if (verb == "expect-exit") return ExpectExit(args[0]);
  if (verb == "expect-exit-unseen") return ExpectExitUnseen(args[0]);
  if (verb == "expect-file") return ExpectFile(args[0], true);
  if (verb == "expect-no-file") return ExpectFile(args[0], false);
  if (verb == "expect-reg") return ExpectRegistry(args[0], second, third, true);
  if (verb == "expect-no-reg") return ExpectRegistry(args[0], second, nullptr, false);
  if (verb == "run") return Run(args[0], second ? *second : std::string());
  if (verb == "expect-output") return ExpectOutput(args[0]);
  if (verb == "expect-no-output") return ExpectNoOutput(args[0]);
  if (verb == "expect-run-exit") return ExpectRunExit(args[0]);
  if (verb == "screenshot") return true;  // Play saves it under the step's label
  return Fail("the driver does not know the step '" + verb + "'");
}

bool Scenario::Fail(const std::string& message) {
  failure_ = message;
  return false;
}

bool Scenario::ProgramRunning() {
  if (!process_ || exitCode_) return false;
  if (::WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) return true;
  DWORD code = 0;
  ::GetExitCodeProcess(process_.get(), &code);
  exitCode_ = code;
  return false;
}

bool Scenario::RequireProgram() {
  if (ProgramRunning()) return true;
  if (!process_) return Fail("the program has not been started (no start step before this one)");
  return Fail("the program has already ended, with exit code " + std::to_string(*exitCode_));
}

bool Scenario::WaitFor(const std::string& expectation, const Probe& probe, bool needsProgram) {
  if (needsProgram && !RequireProgram()) return false;
  const DWORD started = ::GetTickCount();
  const auto limit = static_cast<DWORD>(timeout_ * 1000);
  std::string seen;
  for (;;) {
    if (probe(seen)) return true;
    if (needsProgram && !ProgramRunning()) {
      // One more look: the window may have changed just before the end.
      if (probe(seen)) return true;
      return Fail("expected " + expectation + "; seen: " + seen + "; then the program ended with exit code " +
                  std::to_string(*exitCode_));
    }
    if (::GetTickCount() - started >= limit) {
      return Fail("expected " + expectation + " within " + std::to_string(static_cast<int>(timeout_)) +
                  " s; seen: " + seen);
    }
    ::Sleep(kPollMs);
  }
}

// ---- windows and controls

std::vector<HWND> Scenario::Forms() {
  std::vector<HWND> forms;
  for (HWND window : TopLevelWindows(processId_)) {
    if (!IsMessageBox(window)) forms.push_back(window);
  }
  // A modal window disables its owner: the enabled forms are the ones a
  // user can reach, and come first.
  std::stable_partition(forms.begin(), forms.end(), [](HWND form) { return ::IsWindowEnabled(form) != FALSE; });
  return forms;
}

HWND Scenario::FrontForm() {
  const auto forms = Forms();
  return (!forms.empty() && ::IsWindowEnabled(forms.front())) ? forms.front() : nullptr;
}

HWND Scenario::FrontMessageBox() {
  for (HWND window : TopLevelWindows(processId_)) {
    if (IsMessageBox(window) && Answers(window)) return window;
  }
  return nullptr;
}

bool Scenario::FindControl(const std::string& name, Use use, Control& found, std::string& seen) {
  found = {};
  Control hidden;
  Control byCaption;
  bool onDisabledForm = false;
  for (HWND form : Forms()) {
    for (HWND child : Descendants(form)) {
      const bool named = TovexName(child) == name;
      const bool captioned = !named && _stricmp(ClassName(child).c_str(), "Button") == 0 &&
                             CaptionMatches(name, ReadText(child).value_or(""));
      if (!named && !captioned) continue;
      if (!::IsWindowVisible(child)) {
        if (named && !hidden.window) hidden = {child, form};
        continue;
      }
      if (use == Use::Act && !::IsWindowEnabled(form)) {
        onDisabledForm = true;
        continue;
      }
      if (named) {
        found = {child, form};
        break;
      }
      if (!byCaption.window) byCaption = {child, form};
    }
    if (found.window) break;
  }
  if (!found.window) found = byCaption;
  if (!found.window && use == Use::Read) found = hidden;
  if (found.window) {
    if (use == Use::Act && !::IsWindowEnabled(found.window)) {
      seen = Quoted(name) + " is disabled";
      return false;
    }
    // An action waits until the window answers (under Wine it can be found
    // while still inside WM_CREATE); reading needs no answer, so a page can
    // be watched while the program works.
    if (use == Use::Act && !Answers(found.form)) {
      seen = "its window is not ready (still being created, or busy)";
      return false;
    }
    return true;
  }
  if (onDisabledForm) {
    seen = Quoted(name) + " is on a window that is disabled (a modal window is open)";
  } else if (hidden.window) {
    seen = Quoted(name) + " is hidden";
  } else {
    seen = "no control named or captioned " + Quoted(name);
  }
  return false;
}

bool Scenario::WaitForControl(const std::string& name, Use use, Control& found) {
  return WaitFor(use == Use::Act ? "a visible, enabled control " + Quoted(name) : "a control " + Quoted(name),
                 [&](std::string& seen) { return FindControl(name, use, found, seen); });
}

bool Scenario::ExpectPage(const std::string& caption) {
  return WaitFor("the page " + Quoted(caption), [&](std::string& seen) {
    Control control;
    if (!FindControl("PageCaption", Use::Read, control, seen)) return false;
    const std::string shown = ReadText(control.window).value_or("");
    seen = "the page " + Quoted(shown);
    return CaptionMatches(caption, shown);
  });
}

bool Scenario::ExpectWindow(const std::string& expectation) {
  std::string className;
  std::optional<std::string> title;
  SplitBar(expectation, className, title);
  return WaitFor("the window " + className + (title ? " " + Quoted(*title) : ""), [&](std::string& seen) {
    HWND front = FrontForm();
    if (!front) {
      HWND box = FrontMessageBox();
      seen = box ? "a message box " + Quoted(ReadText(box).value_or("")) + " in front" : "no enabled window";
      return false;
    }
    const std::string shownClass = ClassName(front);
    const std::string shownTitle = ReadText(front).value_or("");
    seen = shownClass + " " + Quoted(shownTitle);
    return _stricmp(shownClass.c_str(), className.c_str()) == 0 && (!title || CaptionMatches(*title, shownTitle));
  });
}

bool Scenario::ExpectText(const std::string& name, const std::string& text) {
  return WaitFor(Quoted(name) + " showing " + Quoted(text), [&](std::string& seen) {
    Control control;
    if (!FindControl(name, Use::Read, control, seen)) return false;
    const auto shown = ReadText(control.window);
    if (!shown) {
      seen = Quoted(name) + " does not answer";
      return false;
    }
    seen = Quoted(name) + " showing " + Quoted(*shown);
    return IsEdit(control.window) ? TextMatches(text, *shown) : CaptionMatches(text, *shown);
  });
}

bool Scenario::ExpectState(const std::string& verb, const std::string& name) {
  const std::string state = verb.substr(std::string("expect-").size());
  return WaitFor(Quoted(name) + " " + (state == "focus" ? "focused" : state), [&](std::string& seen) {
    Control control;
    if (!FindControl(name, Use::Read, control, seen)) return false;
    const bool enabled = ::IsWindowEnabled(control.window);
    const bool visible = ::IsWindowVisible(control.window);
    const HWND focus = FocusedWindow(control.form);
    const bool focused = focus == control.window || ::IsChild(control.window, focus);
    seen = Quoted(name) + (enabled ? " enabled" : " disabled") + (visible ? ", visible" : ", hidden");
    if (state == "focus") {
      seen += focus ? ", focus on " + ClassName(focus) + " " + Quoted(TovexName(focus)) : ", no focus";
      return focused;
    }
    if (state == "enabled") return enabled;
    if (state == "disabled") return !enabled;
    if (state == "visible") return visible;
    return !visible;
  });
}

bool Scenario::ExpectChecked(const std::string& name, const std::string* item, bool checked) {
  const std::string what = Quoted(name) + (item ? " entry " + Quoted(*item) : "") + (checked ? " ticked" : " unticked");
  return WaitFor(what, [&](std::string& seen) {
    Control control;
    if (!FindControl(name, Use::Read, control, seen)) return false;
    std::optional<bool> state;
    if (item) {
      if (!CheckList::IsCheckList(control.window)) {
        seen = Quoted(name) + " is a " + ClassName(control.window) + ", not a check list";
        return false;
      }
      CheckList list(process_.get(), control.window);
      const auto index = list.Find(*item, seen);
      if (!index) return false;
      state = list.IsChecked(*index);
    } else {
      const auto check = Query(control.window, BM_GETCHECK);
      if (check) state = *check == BST_CHECKED;
    }
    if (!state) {
      seen = Quoted(name) + " does not answer";
      return false;
    }
    seen = what.substr(0, what.rfind(' ')) + (*state ? " ticked" : " unticked");
    return *state == checked;
  });
}

bool Scenario::Click(const std::string& name) {
  Control control;
  if (!WaitForControl(name, Use::Act, control)) return false;
  if (_stricmp(ClassName(control.window).c_str(), "Button") != 0) {
    return Fail(Quoted(name) + " is a " + ClassName(control.window) + ", not a button");
  }
  // Posted, never sent: a click whose handler opens a message box would not
  // return until the box is answered.
  ::PostMessageA(control.window, BM_CLICK, 0, 0);
  return true;
}

bool Scenario::SetText(const std::string& name, const std::string& text) {
  Control control;
  if (!WaitForControl(name, Use::Act, control)) return false;
  if (!IsEdit(control.window)) return Fail(Quoted(name) + " is a " + ClassName(control.window) + ", not an edit");
  if (::GetWindowLongA(control.window, GWL_STYLE) & ES_READONLY) return Fail(Quoted(name) + " is read-only");
  // WM_SETTEXT raises EN_CHANGE in the program, as typing does.
  if (!Query(control.window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()))) {
    return Fail(Quoted(name) + " did not take its text (the program does not answer)");
  }
  const std::string shown = ReadText(control.window).value_or("");
  if (shown != text) return Fail(Quoted(name) + " shows " + Quoted(shown) + " after being set");
  return true;
}

bool Scenario::Tick(const std::string& name, const std::string* item, bool checked) {
  Control control;
  if (!WaitForControl(name, Use::Act, control)) return false;
  const std::string what = Quoted(name) + (item ? " entry " + Quoted(*item) : "") + (checked ? " ticked" : " unticked");
  if (item) {
    if (!CheckList::IsCheckList(control.window)) {
      return Fail(Quoted(name) + " is a " + ClassName(control.window) + ", not a check list");
    }
    CheckList list(process_.get(), control.window);
    std::string seen;
    const auto index = list.Find(*item, seen);
    if (!index) return Fail("no entry " + Quoted(*item) + " in " + Quoted(name) + "; " + seen);
    const auto state = list.IsChecked(*index);
    if (state && *state != checked && !list.SetChecked(*index, checked)) {
      return Fail(Quoted(name) + " did not take the change (the program does not answer)");
    }
    return WaitFor(what, [&](std::string& seen) {
      const auto now = list.IsChecked(*index);
      seen = now ? (*now ? "ticked" : "unticked") : "no answer";
      return now && *now == checked;
    });
  }
  if (!IsButtonOfKind(control.window, true)) {
    return Fail(Quoted(name) + " is not a check box or radio button");
  }
  if (!checked && IsRadioButton(control.window)) {
    return Fail(Quoted(name) + " is a radio button: tick another one of its group instead");
  }
  // A click per change of state; a three-state box may need two.
  for (int clicks = 0; clicks < 3; ++clicks) {
    const auto before = Query(control.window, BM_GETCHECK);
    if (!before) return Fail(Quoted(name) + " does not answer");
    if ((*before == BST_CHECKED) == checked) return true;
    ::PostMessageA(control.window, BM_CLICK, 0, 0);
    if (!WaitFor("a change of " + Quoted(name), [&](std::string& seen) {
          const auto now = Query(control.window, BM_GETCHECK);
          seen = now ? "state " + std::to_string(*now) : "no answer";
          return now && *now != *before;
        })) {
      return false;
    }
  }
  return Fail(what + " was not reached by clicking");
}

bool Scenario::Select(const std::string& name, const std::string& item, bool open) {
  Control control;
  if (!WaitForControl(name, Use::Act, control)) return false;
  const std::string className = ClassName(control.window);
  const bool combo = _stricmp(className.c_str(), "ComboBox") == 0;
  if (!combo && _stricmp(className.c_str(), "ListBox") != 0) {
    return Fail(Quoted(name) + " is a " + className + ", not a list or drop-down list");
  }
  if (open && combo) return Fail(Quoted(name) + " is a drop-down list: select its entry instead");
  const auto items = ListEntries(control.window);
  if (!items) return Fail(Quoted(name) + " does not answer");
  std::string seen;
  const auto index = FindEntry(*items, item, seen);
  if (!index) return Fail("no entry " + Quoted(item) + " in " + Quoted(name) + "; " + seen);
  const auto selected = Query(control.window, combo ? CB_SETCURSEL : LB_SETCURSEL, *index);
  if (!selected || *selected < 0) return Fail(Quoted(name) + " did not take the selection");
  // Selecting from outside raises no notification: tell the window, as the
  // control does when a user picks an entry (and double-clicks it to open).
  HWND form = ::GetAncestor(control.window, GA_ROOT);
  const WPARAM id = static_cast<WORD>(::GetDlgCtrlID(control.window));
  const LPARAM from = reinterpret_cast<LPARAM>(control.window);
  ::PostMessageA(form, WM_COMMAND, MAKEWPARAM(id, combo ? CBN_SELCHANGE : LBN_SELCHANGE), from);
  if (open) ::PostMessageA(form, WM_COMMAND, MAKEWPARAM(id, LBN_DBLCLK), from);
  return true;
}

bool Scenario::Key(const std::string& key, const std::string* name) {
  const auto virtualKey = VirtualKey(key);
  if (!virtualKey) return Fail("unknown key " + Quoted(key));
  HWND target = nullptr;
  if (name) {
    Control control;
    if (!WaitForControl(*name, Use::Act, control)) return false;
    target = control.window;
  } else {
    // The focused control of the front window, where a user's key goes.
    if (!WaitFor("a window to take the key", [&](std::string& seen) {
          HWND front = FrontMessageBox();
          if (!front) front = FrontForm();
          if (!front || !Answers(front)) {
            seen = "no enabled window";
            return false;
          }
          target = FocusedWindow(front);
          if (!target) target = front;
          return true;
        })) {
      return false;
    }
  }
  const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyA(*virtualKey, MAPVK_VK_TO_VSC)) << 16;
  ::PostMessageA(target, WM_KEYDOWN, *virtualKey, 1 | scan);
  ::PostMessageA(target, WM_KEYUP, *virtualKey, 1 | scan | 0xC0000000);
  return true;
}

bool Scenario::CloseWindow() {
  HWND front = nullptr;
  if (!WaitFor("an enabled window to close", [&](std::string& seen) {
        front = FrontForm();
        seen = "no enabled window";
        return front != nullptr && Answers(front);
      })) {
    return false;
  }
  // What the close box and the system menu's Close send.
  ::PostMessageA(front, WM_SYSCOMMAND, SC_CLOSE, 0);
  return true;
}

bool Scenario::ExpectBox(const std::string& expectation) {
  std::string caption;
  std::optional<std::string> text;
  SplitBar(expectation, caption, text);
  return WaitFor("a message box " + Quoted(caption) + (text ? " | " + Quoted(*text) : ""), [&](std::string& seen) {
    HWND box = FrontMessageBox();
    if (!box) {
      seen = "no message box";
      return false;
    }
    const std::string shownCaption = ReadText(box).value_or("");
    const std::string shownText = MessageBoxText(box);
    seen = "a message box " + Quoted(shownCaption) + " | " + Quoted(shownText);
    if (!TextMatches(caption, shownCaption) || (text && !TextMatches(*text, shownText))) return false;
    box_ = box;
    return true;
  });
}

bool Scenario::Answer(const std::string& button) {
  const auto named = std::find_if(std::begin(kBoxButtons), std::end(kBoxButtons),
                                  [&](const ButtonId& b) { return _stricmp(b.name, button.c_str()) == 0; });
  if (named == std::end(kBoxButtons)) return Fail("unknown answer " + Quoted(button));
  HWND box = (box_ && ::IsWindow(box_) && ::IsWindowVisible(box_)) ? box_ : nullptr;
  if (!box && !WaitFor("a message box to answer", [&](std::string& seen) {
        box = FrontMessageBox();
        seen = "no message box";
        return box != nullptr;
      })) {
    return false;
  }
  HWND target = nullptr;
  std::string offered;
  for (HWND child : Descendants(box)) {
    if (_stricmp(ClassName(child).c_str(), "Button") != 0 || !::IsWindowVisible(child)) continue;
    if (::GetDlgCtrlID(child) == named->id) target = child;
    offered += " " + Quoted(StripAccelerators(ReadText(child).value_or("")));
  }
  if (!target) return Fail("the message box has no " + Quoted(button) + " button; it offers" + offered);
  ::PostMessageA(target, BM_CLICK, 0, 0);
  box_ = nullptr;
  return WaitFor("the message box to close", [&](std::string& seen) {
    seen = "the message box still open";
    return !::IsWindow(box) || !::IsWindowVisible(box);
  });
}

bool Scenario::ExpectNoBox() {
  return WaitFor("no message box", [&](std::string& seen) {
    HWND box = FrontMessageBox();
    if (!box) return true;
    seen = "a message box " + Quoted(ReadText(box).value_or("")) + " | " + Quoted(MessageBoxText(box));
    return false;
  });
}

bool Scenario::ExpectExit(const std::string& code) {
  DWORD expected = 0;
  if (!ParseCode(code, expected)) return Fail("the exit code must be a number, not " + Quoted(code));
  if (!process_) return Fail("the program has not been started (no start step before this one)");
  if (!exitCode_) {
    const auto limit = static_cast<DWORD>(timeout_ * 1000);
    if (::WaitForSingleObject(process_.get(), limit) != WAIT_OBJECT_0) {
      return Fail("expected the program to end with exit code " + code + " within " +
                  std::to_string(static_cast<int>(timeout_)) + " s; it is still running");
    }
    ProgramRunning();  // records the exit code
  }
  if (*exitCode_ != expected) {
    return Fail("expected exit code " + std::to_string(expected) + "; the program ended with " +
                std::to_string(*exitCode_));
  }
  return true;
}

bool Scenario::ExpectExitUnseen(const std::string& code) {
  DWORD expected = 0;
  if (!ParseCode(code, expected)) return Fail("the exit code must be a number, not " + Quoted(code));
  if (!process_) return Fail("the program has not been started (no start step before this one)");
  auto windowSeen = [this](std::string& seen) {
    std::lock_guard<std::mutex> lock(windowSeenMutex_);
    seen = windowSeen_;
    return !seen.empty();
  };
  std::string seen;
  const DWORD limit = static_cast<DWORD>(timeout_ * 1000);
  const DWORD started = ::GetTickCount();
  while (ProgramRunning()) {
    if (windowSeen(seen)) return Fail("expected no window of the program at any moment; it showed " + seen);
    if (::GetTickCount() - started > limit) {
      return Fail("expected the program to end with exit code " + code + " within " +
                  std::to_string(static_cast<int>(timeout_)) + " s; it is still running");
    }
    ::WaitForSingleObject(process_.get(), 10);
  }
  if (windowWatch_.joinable()) windowWatch_.join();
  if (windowSeen(seen)) return Fail("expected no window of the program at any moment; it showed " + seen);
  if (*exitCode_ != expected) {
    return Fail("expected exit code " + std::to_string(expected) + "; the program ended with " +
                std::to_string(*exitCode_));
  }
  return true;
}

void Scenario::Screenshot(size_t number, const std::string& label) {
  if (options_.shotsFolder.empty()) return;
  std::string clean;
  for (char c : label) clean += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_') ? c : '-';
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "%02zu-", number);
  const std::string path = options_.shotsFolder + "\\" + prefix + clean + ".bmp";
  if (!SaveScreenshot(ProgramRunning() ? processId_ : 0, path)) {
    std::printf("     (the screenshot %s could not be saved)\n", path.c_str());
  }
}

}  // namespace drive

#pragma once
// One scenario being played: the program under test, the setup folder it
// runs from, the last message box and the last program run by a `run` step.

#include <windows.h>

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/win32/scoped_handles.h"
#include "script.h"

namespace drive {

struct Options {
  std::string setupProgram;                  // copied into the setup folder as setup.exe
  std::string distFolder;                    // copied by `setup-folder dist`
  std::string workFolder = "C:\\tovex-e2e";  // holds the setup folder and run output
  std::string shotsFolder;                   // empty: no screenshots
  double timeoutSeconds = 20;
};

class Scenario {
 public:
  explicit Scenario(Options options);
  ~Scenario();
  Scenario(const Scenario&) = delete;
  Scenario& operator=(const Scenario&) = delete;

  // Plays every step; stops at the first that fails. True when all held.
  bool Play(const Script& script);

 private:
  // Each step fills failure_ and returns false when it does not hold.
  bool Execute(const Step& step, const std::vector<std::string>& args);

  // A probe returns true when the expectation holds, and otherwise says
  // what it sees instead.
  using Probe = std::function<bool(std::string& seen)>;
  bool WaitFor(const std::string& expectation, const Probe& probe, bool needsProgram = true);
  bool Fail(const std::string& message);
  bool ProgramRunning();
  bool RequireProgram();

  // Controls of the program's windows.
  struct Control {
    HWND window = nullptr;
    HWND form = nullptr;
  };
  enum class Use { Read, Act };
  bool FindControl(const std::string& name, Use use, Control& found, std::string& seen);
  bool WaitForControl(const std::string& name, Use use, Control& found);
  std::vector<HWND> Forms();
  HWND FrontForm();
  HWND FrontMessageBox();

  bool ExpectPage(const std::string& caption);
  bool ExpectWindow(const std::string& expectation);
  bool ExpectText(const std::string& name, const std::string& text);
  bool ExpectState(const std::string& verb, const std::string& name);
  bool ExpectChecked(const std::string& name, const std::string* item, bool checked);
  bool Click(const std::string& name);
  bool SetText(const std::string& name, const std::string& text);
  bool Tick(const std::string& name, const std::string* item, bool checked);
  bool Select(const std::string& name, const std::string& item, bool open);
  bool Key(const std::string& key, const std::string* name);
  bool CloseWindow();
  bool ExpectBox(const std::string& expectation);
  bool Answer(const std::string& button);
  bool ExpectNoBox();
  bool ExpectExit(const std::string& code);
  bool ExpectExitUnseen(const std::string& code);

  // The machine: setup folder, files, registry, other programs
  // (scenario_machine.cpp).
  bool PrepareFolder(const std::string& kind);
  bool EnsureFolder();
  std::string Resolve(const std::string& path) const;
  bool Put(const std::string& file, const std::string& text);
  bool Remove(const std::string& file);
  bool Link(const std::string& path, const std::string& target);
  bool Cut(const std::string& file, const std::string& bytes);
  bool Start(const std::string& arguments);
  bool StartProgram(const std::string& program, const std::string& arguments);
  bool Launch(const std::string& program, const std::string& arguments, const std::string& folder);
  bool ExpectFile(const std::string& path, bool present);
  bool ExpectRegistry(const std::string& key, const std::string* value, const std::string* data, bool present);
  bool Run(const std::string& program, const std::string& arguments);
  bool ExpectOutput(const std::string& text);
  bool ExpectNoOutput(const std::string& text);
  bool ExpectRunExit(const std::string& code);

  void Screenshot(size_t number, const std::string& label);

  Options options_;
  double timeout_;
  std::string failure_;
  std::string notes_;  // printed under the step's result, e.g. a run's output
  std::string setupFolder_;  // without a trailing backslash; empty until prepared
  tovex::win32::unique_handle process_;
  DWORD processId_ = 0;
  std::optional<DWORD> exitCode_;  // of the program, once it ended
  HWND box_ = nullptr;             // the message box of the last expect-box
  std::optional<DWORD> runExit_;
  std::string runOutput_;
  // Watches the program's top-level windows from its first instruction to
  // its end (for expect-exit-unseen): the first visible one it saw.
  std::thread windowWatch_;
  std::mutex windowSeenMutex_;
  std::string windowSeen_;
};

}  // namespace drive

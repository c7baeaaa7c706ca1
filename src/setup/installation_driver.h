#pragma once
// The installation driver: everything between "&Install >" and the Finished
// page, in one fixed order of steps (the payload checked and setup.Dat
// unpacked, component flags, services stopped, files, first configuration,
// web server patch, registry records and program group, services,
// verification, upgrade tasks), and the finish actions behind the Finish
// button.
//
// Nothing on the machine changes before the payload is known good: a damaged
// archive or a full volume ends Setup with 1603 leaving the machine as it
// was. Later, each step reports its own failures (boxes, setup log); the
// driver goes on with the next step. The fatal ones (a folder or a core
// program file that cannot be written, the installation record) end Setup
// with 1603.

#include <functional>
#include <string>

namespace tovex {

class SetupProgram;
struct SetupContext;

// The Installing page as the installation sees it: a phase caption (shown
// after pending window messages were handled, so a confirmed cancel ends the
// run between two steps) and one step of the progress bar (0 to 12).
struct InstallingPage {
  std::function<void(const std::string& caption)> SetPhaseCaption;
  std::function<void()> StepProgress;
};

// Where "setup.Dat" is unpacked: the system's temporary folder +
// "tovexinstall\", or the setup folder + "temp\" when the system names none.
std::string ExtractionFolderFor(SetupContext& context);

// The whole installation or upgrade, on the main form's Installing page.
void RunInstallation(SetupProgram& program);
// The same with the page given (tests watch the captions and the bar).
void RunInstallation(SetupProgram& program, const InstallingPage& page);

// Finish: the configuration wizard while "Run Installation Wizard" is
// ticked, the control module told to reload, the ticked documents opened;
// then Setup ends with success. Never returns.
[[noreturn]] void RunFinishActions(SetupProgram& program);

}  // namespace tovex

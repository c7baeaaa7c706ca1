#pragma once
// TBrowseFolder: the folder chooser of the installation-folder page. A path
// edit, the folders of the current path with their subfolders, the drives,
// the system's network-drive dialog, and a question before accepting a
// folder that does not exist yet.

#include <functional>
#include <string>
#include <vector>

#include "ui/form.h"

namespace tovex {

struct SetupContext;

class TBrowseFolder final : public ui::Form {
 public:
  TBrowseFolder(ui::Application& application, SetupContext& context);

  ui::Component& PathEdit() const { return *pathEdit_; }
  ui::Component& DirectoryList() const { return *directoryList_; }
  ui::Component& DriveList() const { return *driveList_; }

  // The folder the directory list shows, with a trailing backslash.
  const std::string& Directory() const { return directory_; }
  // Shows a folder in the directory list (and selects its drive). With
  // writePath the path edit follows, as when the user changes the folder.
  void SetDirectory(const std::string& folder, bool writePath);

  // OK: accepts an existing folder at once, asks about a missing one.
  void OKButtonClick();

  // The drives of the machine ("C:"...). The Win32 program lists the real
  // ones; the default is the system drive alone.
  std::function<std::vector<std::string>()> ListDrives = [] { return std::vector<std::string>{"C:"}; };
  // The system's dialog for connecting a network drive, owned by the
  // chooser. Default: nothing.
  std::function<void()> ConnectNetworkDrive = [] {};

 private:
  void FillDrives();
  void OpenSelectedDirectory();
  void DriveChanged();

  SetupContext* context_;
  ui::Component* pathEdit_ = nullptr;
  ui::Component* directoryList_ = nullptr;
  ui::Component* driveList_ = nullptr;
  std::string directory_;
  std::vector<std::string> entryNames_;  // the folder of each list entry
  size_t pathDepth_ = 0;                 // entries of the list that are the path itself
};

}  // namespace tovex

#include "setup/browse_folder.h"

#include "common/context.h"
#include "common/paths.h"
#include "common/text.h"
#include "platform/files.h"
#include "platform/user.h"
#include "ui/application.h"

namespace tovex {

using ui::Component;
using ui::Kind;

namespace {
constexpr int kWidth = 250;
constexpr int kHeight = 266;
constexpr int kMargin = 8;
constexpr int kInner = kWidth - 2 * kMargin;

// "C:\" for "c:\Program Files\x"; empty when the text names no drive.
std::string DriveOf(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return UpperCase(path.substr(0, 2));
  return {};
}
}  // namespace

TBrowseFolder::TBrowseFolder(ui::Application& application, SetupContext& context)
    : Form(application, "TBrowseFolder", "BrowseFolder", kWidth, kHeight), context_(&context) {
  SetCaption("Choose Folder");
  Add(Kind::Label, "InfoLabel", nullptr, {kMargin, 8, kInner, 15}, "Please choose the installation folder.");
  Add(Kind::Label, "PathLabel", nullptr, {kMargin, 28, kInner, 15}, "&Path: ");
  pathEdit_ = &Add(Kind::Edit, "PathEdit", nullptr, {kMargin, 44, kInner, 21});
  Add(Kind::Label, "DirectoryLabel", nullptr, {kMargin, 70, kInner, 15}, "&Directories");
  directoryList_ = &Add(Kind::DirectoryList, "DirectoryList", nullptr, {kMargin, 86, kInner, 98});
  Add(Kind::Label, "DriveLabel", nullptr, {kMargin, 188, kInner, 15}, "Dr&ives:");
  driveList_ = &Add(Kind::DriveList, "DriveList", nullptr, {kMargin, 204, kInner, 21});

  Component& ok = Add(Kind::Button, "OKButton", nullptr, {kMargin, 236, 72, 23}, "&OK");
  Component& cancel = Add(Kind::Button, "CancelButton", nullptr, {kMargin + 80, 236, 72, 23}, "&Cancel");
  Component& network = Add(Kind::Button, "Netbutton", nullptr, {kMargin + 160, 236, 74, 23}, "&Network...");
  ok.GetStyle().defaultButton = true;
  cancel.GetStyle().cancelButton = true;
  ok.OnClick = [this](Component&) { OKButtonClick(); };
  cancel.OnClick = [this](Component&) { SetModalResult(ui::ModalResult::Cancel); };
  network.OnClick = [this](Component&) {
    ConnectNetworkDrive();
    FillDrives();
  };
  // A double click (or Enter) on a folder opens it; choosing a drive shows
  // that drive's current folder.
  directoryList_->OnClick = [this](Component&) { OpenSelectedDirectory(); };
  driveList_->OnChange = [this](Component&) { DriveChanged(); };

  OnShow = [this] {
    FillDrives();
    // Start where the path points, or at the nearest folder above it that
    // exists; the path itself stays as the wizard gave it.
    std::string folder = IncludeTrailingBackslash(Trim(pathEdit_->Text()));
    while (!folder.empty() && !context_->platform.files->FolderExists(folder)) {
      const std::string parent = ExtractFilePath(ExcludeTrailingBackslash(folder));
      folder = parent == folder ? std::string() : parent;
    }
    if (folder.empty()) folder = context_->platform.files->CurrentFolder();
    SetDirectory(folder, false);
    pathEdit_->SelectAll();
    pathEdit_->SetFocus();
  };
}

void TBrowseFolder::FillDrives() {
  const std::string current = DriveOf(directory_);
  const std::vector<std::string> drives = ListDrives();
  driveList_->SetItems(drives);
  for (size_t i = 0; i < drives.size(); ++i) {
    if (SameText(drives[i], current)) driveList_->SetItemIndex(static_cast<int>(i));
  }
}

void TBrowseFolder::SetDirectory(const std::string& folder, bool writePath) {
  directory_ = IncludeTrailingBackslash(folder);
  // The list holds the path from the drive down, one entry per level, then
  // the subfolders of the folder shown; the folder itself is selected.
  // Each level is indented by two blanks, like a tree; entryNames_ keeps the
  // folder names themselves.
  entryNames_.clear();
  std::vector<std::string> items;
  const std::vector<std::string> parts = Split(ExcludeTrailingBackslash(directory_), "\\");
  for (size_t i = 0; i < parts.size(); ++i) {
    if (parts[i].empty()) continue;
    entryNames_.push_back(i == 0 ? parts[i] + "\\" : parts[i]);
    items.push_back(std::string(2 * (entryNames_.size() - 1), ' ') + entryNames_.back());
  }
  pathDepth_ = entryNames_.size();
  for (const FileEntry& entry : context_->platform.files->List(directory_, "*.*")) {
    if (!entry.IsFolder()) continue;
    entryNames_.push_back(entry.name);
    items.push_back(std::string(2 * pathDepth_, ' ') + entry.name);
  }
  directoryList_->SetItems(items);
  if (pathDepth_ > 0) directoryList_->SetItemIndex(static_cast<int>(pathDepth_) - 1);
  const std::string drive = DriveOf(directory_);
  for (size_t i = 0; i < driveList_->Items().size(); ++i) {
    if (SameText(driveList_->Items()[i], drive)) driveList_->SetItemIndex(static_cast<int>(i));
  }
  if (writePath) pathEdit_->SetText(directory_);
}

void TBrowseFolder::OpenSelectedDirectory() {
  const int index = directoryList_->ItemIndex();
  if (index < 0) return;
  if (static_cast<size_t>(index) >= entryNames_.size()) return;
  std::string folder;
  if (static_cast<size_t>(index) < pathDepth_) {
    for (int i = 0; i <= index; ++i) folder = IncludeTrailingBackslash(folder + entryNames_[i]);
  } else {
    folder = JoinPath(directory_, entryNames_[index]);
  }
  SetDirectory(folder, true);
}

void TBrowseFolder::DriveChanged() {
  const int index = driveList_->ItemIndex();
  if (index < 0) return;
  const std::string drive = driveList_->Items()[index];
  if (SameText(drive, DriveOf(directory_))) return;
  SetDirectory(drive + "\\", true);
}

void TBrowseFolder::OKButtonClick() {
  const std::string path = pathEdit_->Text();
  if (!path.empty() && context_->platform.files->FolderExists(path)) {
    SetModalResult(ui::ModalResult::Ok);
    return;
  }
  // The folder is created later, by the installation; here the user only
  // confirms the name.
  const std::string question = "The Folder:\r\n\r\n'" + path + "'\r\n\r\ndoes not exist. Do you want the folder to be created?";
  if (context_->platform.user->ShowMessage(question, "Setup", MessageButtons::YesNo, MessageIcon::Question, false) ==
      MessageAnswer::Yes) {
    SetModalResult(ui::ModalResult::Ok);
  }
}

}  // namespace tovex

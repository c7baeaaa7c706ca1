#pragma once
// The texts that Setup composes in code, each a program-wide variable with its
// English default. A language file replaces them by key (see string_table.h);
// code reads them at the moment it shows them, so a loaded language takes
// effect everywhere.

#include <string>

namespace tovex {

// The caption of the warnings about services and an old web mail product:
// fixed, never taken from a language file.
inline constexpr const char* kWarningCaption = "Warning";

struct SetupStrings {
  std::string cName = "Tovex Mail Server";
  std::string cDoYouExit = "Do you wish to cancel this installation?";
  std::string cDoYouExitTitle = "Exit Setup";
  std::string UninstallDesc = "Uninstall Tovex Mail Server";
  std::string cTovexWebmail = "Tovex Mail Server Web Mail";
  std::string cTovexWebAdmin = "Tovex Mail Server Web Administration";
  std::string cWebMailManualFile = "html\\mail\\help\\index.htm";
  std::string cWebMailManual = "Polvane WebMail Documentation";
  std::string LinkDesc = "Tovex Mail Server Administration\r\nTovex Mail Server Readme\r\nTovex Mail Server Help\r\nDNS Query Tool\r\nTovex Mail Server Tutorial";
  std::string TovexSMTPLinkDesc = "Start Tovex SMTP Service";
  std::string TovexPOP3LinkDesc = "Start Tovex POP3-IMAP4 Service";
  std::string TovexControlLinkDesc = "Start Tovex Control Service";
  std::string TovexIMLinkDesc = "Start Tovex Instant Messaging Service";
  std::string TovexGWLinkDesc = "Start Tovex GroupWare Service";
  std::string cSetup = "%s Setup";
  std::string cInstallQ = "This will install %s. Do you wish to continue?";
  std::string cInstallLicenseQ = "By installing this software you agree with the software license agreement. Do you wish to continue?";
  std::string cUnInstallQ = "Are you sure to completely remove all files and components of this program?";
  std::string cComplete = "The setup of %s is complete.";
  std::string cCompleteRemove = "Uninstall completed. Some elements could not be removed. You should manually remove items related to the application.";
  std::string cInternet = "Is this computer connected to the Internet now?";
  std::string cNotRunning = "The following service(s) could not be started:\r\n%s\r\nThere must be already running some other service(s) on the same TCP/IP port(s). Please, make sure no other SMTP or POP3 servers are running (including MS SMTP and Norton POP3).";
  std::string cSetupError = "Setup could not find the required files.";
  std::string cSetupRequireWebMail = "Setup has detected an old version of Polvane Web Mail on your computer. It is required for you to upgrade Polvane Web Mail or it will not function properly.";
  std::string cTutorialCaption = "Installation Wizard";
  std::string cInformation = "Information";
  std::string cError = "Error";
  std::string cErrorDir = "Directory could not be created: ";
  std::string cErrorFile = "File copy error: %s\r\n%s\r\nIt is suggested to reboot this computer and run the setup again.";
  std::string cErrorDataFile = "Extracting files error: data file error";
  std::string cErrorDiskSpace = "There is not enough disk space on %s. Setup needs %s bytes free there.";
  std::string cServiceError = "Service error: ";
  std::string cRegistryError = "Registry error: ";
  std::string cErrorText = "\r\nThere might be already some service running on the same TCP/IP port. Make sure MS SMTP, Norton Antivirus POP3 or some other mail server is not running on this machine.";
  std::string cQuestion = "Question";
  std::string cNewerVersion = "There is new %s %s version on the Internet. It is suggested to download and use the latest version instead. Do you want to download it now?";
  std::string cInstallProgram = "Programs";
  std::string cCommonPrograms = "Common Programs";
  std::string cExtractingFiles = "Extracting Files...";
  std::string cInstalling = "Installing Services...";
  std::string cStarting = "Starting Services...";
  std::string cFinishing = "Finishing Installation...";
  std::string cUnInstalling = "Removing Services...";
  std::string cStopping = "Stopping Services...";
  std::string cChecking = "Checking For Running Services...";
  std::string cFinished = "Installation Complete";
  std::string cInstallFiles = "Installing Files...";
  std::string cInstallingAV = "Installing Antivirus Engine...";
  std::string cCreatingIcons = "Creating Icons...";
  std::string cInstallingWeb = "Installing Web Mail...";
  std::string cHintAdvanced = "All options will be visible. Expert's mode.";
  std::string cHintBasic = "Some options will be invisible. Beginner's mode.";
  std::string cYes = "&Yes";
  std::string cNo = "&No";
  std::string cBack = "< &Back";
  std::string cNext = "&Next >";
  std::string cCancel = "&Cancel";
  std::string cInstallC = "&Install >";
  std::string cPSetup = "%s %s Setup";
  std::string cFinish = "&Finish";
  std::string cSLA = "Software License Agreement";
  std::string cCredentials = "User/Company Details";
  std::string cStartCopyingFiles = "Start The Installation Process";
  std::string cInstallingFiles = "Installing";
  std::string cUpdateSetup = "Upgrade Setup";
  std::string cSetupType = "Server Type && Console Mode";
  std::string cComponentSetup = "Components To Install";
  std::string cSetupFinished = "Setup Complete";
  std::string WPrimaryDomain = "Primary Domain";
  std::string WHostName = "Host Name";
  std::string WAdministrator = "Administrator";
  std::string WWizardComplete = "Wizard Complete";
  // /UNINSTALL where nothing of the server is installed (the product name,
  // the folder).
  std::string cNotInstalled = "%s is not installed in %s. Nothing was removed.";
  // The box of "setup.exe /?": every parameter, one a line, short enough
  // that a message box never wraps it.
  std::string cCommandLineHelp =
      "Setup [parameters]\r\n\r\n"
      "/SILENT: no start-up question\r\n"
      "/VERYSILENT /LOADINF=FILE: no window\r\n"
      "/SAVEINF=FILE: save the answers\r\n"
      "/UNINSTALL: remove the server\r\n"
      "/UNINSTALL /VERYSILENT: quiet removal\r\n"
      "/WEBMAILLOGON: open the web mail\r\n"
      "/WEBADMINLOGON: open web administration\r\n"
      "/InstallDir=FOLDER: the server's folder\r\n"
      "/LOG=FILE: also log to FILE\r\n"
      "/exportlanguage: write setup.lng\r\n"
      "/?: this list";
};

class TLocalizationStrings;

// Registers every text of SetupStrings in the table, in the order of the
// written language file.
void RegisterSetupStrings(SetupStrings& strings, TLocalizationStrings& table);

}  // namespace tovex

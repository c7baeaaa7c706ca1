#include "localization/setup_strings.h"

#include "localization/string_table.h"

namespace tovex {

void RegisterSetupStrings(SetupStrings& s, TLocalizationStrings& table) {
  table.RegisterString("cName", s.cName);
  table.RegisterString("cDoYouExit", s.cDoYouExit);
  table.RegisterString("cDoYouExitTitle", s.cDoYouExitTitle);
  table.RegisterString("UninstallDesc", s.UninstallDesc);
  table.RegisterString("cTovexWebmail", s.cTovexWebmail);
  table.RegisterString("cTovexWebAdmin", s.cTovexWebAdmin);
  table.RegisterString("cWebMailManualFile", s.cWebMailManualFile);
  table.RegisterString("cWebMailManual", s.cWebMailManual);
  table.RegisterString("LinkDesc", s.LinkDesc);
  table.RegisterString("TovexSMTPLinkDesc", s.TovexSMTPLinkDesc);
  table.RegisterString("TovexPOP3LinkDesc", s.TovexPOP3LinkDesc);
  table.RegisterString("TovexControlLinkDesc", s.TovexControlLinkDesc);
  table.RegisterString("TovexIMLinkDesc", s.TovexIMLinkDesc);
  table.RegisterString("TovexGWLinkDesc", s.TovexGWLinkDesc);
  table.RegisterString("cSetup", s.cSetup);
  table.RegisterString("cInstallQ", s.cInstallQ);
  table.RegisterString("cInstallLicenseQ", s.cInstallLicenseQ);
  table.RegisterString("cUnInstallQ", s.cUnInstallQ);
  table.RegisterString("cComplete", s.cComplete);
  table.RegisterString("cCompleteRemove", s.cCompleteRemove);
  table.RegisterString("cInternet", s.cInternet);
  table.RegisterString("cNotRunning", s.cNotRunning);
  table.RegisterString("cSetupError", s.cSetupError);
  table.RegisterString("cSetupRequireWebMail", s.cSetupRequireWebMail);
  table.RegisterString("cTutorialCaption", s.cTutorialCaption);
  table.RegisterString("cInformation", s.cInformation);
  table.RegisterString("cError", s.cError);
  table.RegisterString("cErrorDir", s.cErrorDir);
  table.RegisterString("cErrorFile", s.cErrorFile);
  table.RegisterString("cErrorDataFile", s.cErrorDataFile);
  table.RegisterString("cErrorDiskSpace", s.cErrorDiskSpace);
  table.RegisterString("cServiceError", s.cServiceError);
  table.RegisterString("cRegistryError", s.cRegistryError);
  table.RegisterString("cErrorText", s.cErrorText);
  table.RegisterString("cQuestion", s.cQuestion);
  table.RegisterString("cNewerVersion", s.cNewerVersion);
  table.RegisterString("cInstallProgram", s.cInstallProgram);
  table.RegisterString("cCommonPrograms", s.cCommonPrograms);
  table.RegisterString("cExtractingFiles", s.cExtractingFiles);
  table.RegisterString("cInstalling", s.cInstalling);
  table.RegisterString("cStarting", s.cStarting);
  table.RegisterString("cFinishing", s.cFinishing);
  table.RegisterString("cUnInstalling", s.cUnInstalling);
  table.RegisterString("cStopping", s.cStopping);
  table.RegisterString("cChecking", s.cChecking);
  table.RegisterString("cFinished", s.cFinished);
  table.RegisterString("cInstallFiles", s.cInstallFiles);
  table.RegisterString("cInstallingAV", s.cInstallingAV);
  table.RegisterString("cCreatingIcons", s.cCreatingIcons);
  table.RegisterString("cInstallingWeb", s.cInstallingWeb);
  table.RegisterString("cHintAdvanced", s.cHintAdvanced);
  table.RegisterString("cHintBasic", s.cHintBasic);
  table.RegisterString("cYes", s.cYes);
  table.RegisterString("cNo", s.cNo);
  table.RegisterString("cBack", s.cBack);
  table.RegisterString("cNext", s.cNext);
  table.RegisterString("cCancel", s.cCancel);
  table.RegisterString("cInstallC", s.cInstallC);
  table.RegisterString("cPSetup", s.cPSetup);
  table.RegisterString("cFinish", s.cFinish);
  table.RegisterString("cSLA", s.cSLA);
  table.RegisterString("cCredentials", s.cCredentials);
  table.RegisterString("cStartCopyingFiles", s.cStartCopyingFiles);
  table.RegisterString("cInstallingFiles", s.cInstallingFiles);
  table.RegisterString("cUpdateSetup", s.cUpdateSetup);
  table.RegisterString("cSetupType", s.cSetupType);
  table.RegisterString("cComponentSetup", s.cComponentSetup);
  table.RegisterString("cSetupFinished", s.cSetupFinished);
  table.RegisterString("cCommandLineHelp", s.cCommandLineHelp);
  table.RegisterString("cNotInstalled", s.cNotInstalled);
  table.RegisterString("WPrimaryDomain", s.WPrimaryDomain);
  table.RegisterString("WHostName", s.WHostName);
  table.RegisterString("WAdministrator", s.WAdministrator);
  table.RegisterString("WWizardComplete", s.WWizardComplete);
}

}  // namespace tovex

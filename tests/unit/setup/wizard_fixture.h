#pragma once
// A Setup run on a fake machine: setup.Dat beside the program, the forms
// created, services that record what the wizard asked of them.

#include <map>
#include <string>
#include <vector>

#include "fakes/fake_machine.h"
#include "setup/setup_program.h"

namespace tovex::testing {

struct WizardFixture {
  fakes::FakeMachine machine;
  SetupProgram program{machine.context};
  std::map<std::string, std::string> record;  // installation record values
  std::map<std::string, bool> recordFlags;
  std::vector<std::string> calls;             // services called, in order

  WizardFixture() {
    machine.files.AddFile("C:\\Setup\\setup.Dat", "data");
    SetupServices& s = program.services;
    s.ReadString = [this](const std::string& key, const std::string& name) {
      auto it = record.find(key + "|" + name);
      return it == record.end() ? std::string() : it->second;
    };
    s.ReadBool = [this](const std::string&, const std::string& name) { return recordFlags[name]; };
    s.MigrateRegistryRecords = [this](bool deleteOld) { calls.push_back(deleteOld ? "Migrate(delete)" : "Migrate"); };
    s.InitConfigurationStore = [this] { calls.push_back("InitConfigurationStore"); };
    s.LoadConfiguration = [this] { calls.push_back("LoadConfiguration"); };
    s.CheckForNewVersion = [this] { calls.push_back("CheckForNewVersion"); };
    s.RunInstallation = [this] { calls.push_back("RunInstallation"); };
    s.RunFinishActions = [this] {
      calls.push_back("RunFinishActions");
      EndSetup(machine.context, kExitSuccess);
    };
    s.HoldsInstallation = [](const std::string&) { return true; };
    s.Uninstall = [this] { calls.push_back("Uninstall"); };
    s.SaveLanguageFile = [this](const std::string& path) {
      calls.push_back("SaveLanguageFile " + path);
      return true;
    };
    s.LoadLanguageFile = [this](const std::string& path) {
      calls.push_back("LoadLanguageFile " + path);
      return true;
    };
  }

  void SetRecord(const std::string& name, const std::string& value,
                 const std::string& key = kInstallationRecordKey) {
    record[key + "|" + name] = value;
  }

  // Creates the forms and shows the wizard: the start-up runs. Returns the
  // exit code when the process ended, -1 when the wizard is up.
  long Start(std::vector<std::string> parameters = {}) {
    machine.context.commandLine = ParseCommandLine(parameters);
    program.CreateForms();
    try {
      program.ShowMainForm();
    } catch (const ProcessEnded& end) {
      return end.exitCode;
    }
    return -1;
  }

  TMainForm& form() { return *program.mainForm; }
  ui::Component& Get(const std::string& name) { return form().Get(name); }

  // Clicks and returns the exit code when the click ended the process, -1
  // otherwise.
  long Click(const std::string& name) {
    try {
      Get(name).Click();
    } catch (const ProcessEnded& end) {
      return end.exitCode;
    }
    return -1;
  }
  long Next() { return Click("NextButton"); }
  long Back() { return Click("BackButton"); }
};

}  // namespace tovex::testing

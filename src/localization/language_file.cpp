#include "localization/language_file.h"

#include <exception>
#include <optional>

#include "common/context.h"
#include "common/folders.h"
#include "common/paths.h"
#include "common/setup_log.h"
#include "localization/form_translation.h"
#include "localization/string_table.h"
#include "localization/xml.h"
#include "platform/files.h"
#include "platform/system.h"

namespace tovex {

namespace {

void LogFailure(SetupContext& context, const std::string& what, uint32_t code) {
  if (context.log == nullptr) return;
  const std::string text = context.platform.system != nullptr ? context.platform.system->ErrorText(code) : "";
  context.log->Failure(what, code, text);
}

void LogLine(SetupContext& context, const std::string& line) {
  if (context.log != nullptr) context.log->Write(line);
}

// The whole file; nullopt when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(Files& files, const std::string& path) {
  std::unique_ptr<InputFile> file = files.OpenForReading(path);
  if (!file) return std::nullopt;
  std::string content;
  char buffer[16384];
  for (;;) {
    size_t got = 0;
    if (!file->Read(buffer, sizeof buffer, got)) return std::nullopt;
    if (got == 0) break;
    content.append(buffer, got);
  }
  return content;
}

}  // namespace

void WriteStringItems(XmlElement& element, const TLocalizationStrings& table, System& codePage) {
  for (const TLocalizationStrings::Entry& entry : table.Entries()) {
    XmlElement& item = element.AddChild("ITEM");
    item.AddAttribute("ID", entry.key);
    // Text content has no length limit, and the reader prefers it to VALUE:
    // a long translation survives whole instead of being cut at 255 bytes.
    if (EncodeXmlValue(*entry.value, codePage).size() > kMaxLanguageAttributeBytes) {
      item.SetText(*entry.value);
    } else {
      item.AddAttribute("VALUE", *entry.value);
    }
  }
}

void ReadStringItems(const XmlElement* element, TLocalizationStrings& table) {
  if (element == nullptr) return;
  for (const auto& item : element->Children()) {
    const std::string value = !item->Text().empty() ? item->Text() : item->Attribute("VALUE");
    table.SetLocalizedString(item->Attribute("ID"), value);
  }
}

bool SaveLanguageFile(SetupContext& context, const ui::Application* application, const std::string& path,
                      bool withStrings) {
  if (path.empty()) return false;
  System& system = *context.platform.system;
  Files& files = *context.platform.files;

  XmlElement root("APPLICATION");
  XmlElement& forms = root.AddChild("FORMS");
  if (application != nullptr) {
    try {
      WriteFormItems(forms, *application);
    } catch (const std::exception& error) {
      // What was built so far is kept, and the strings still follow.
      LogLine(context, std::string("Language file: the forms part stopped: ") + error.what());
    }
  }
  if (withStrings && context.stringTable != nullptr) {
    XmlElement& strings = root.AddChild("STRINGS").AddChild("STRING");
    strings.AddAttribute("ID", "TStrings");
    WriteStringItems(strings, *context.stringTable, system);
  }
  XmlWriteOptions options;
  options.maxAttributeBytes = kMaxLanguageAttributeBytes;
  const std::string content = WriteXml(root, system, options);

  const std::string folder = ExtractFilePath(path);
  if (!folder.empty() && !ForceDirectories(files, ExcludeTrailingBackslash(folder))) {
    LogFailure(context, "Could not create the folder of the language file " + path, files.LastError());
    return false;
  }
  // The new file is written beside the old one and takes its place only when
  // complete: a full disk must not leave a translator's file cut short.
  const std::string temporary = path + ".tmp";
  std::unique_ptr<OutputFile> file = files.CreateForWriting(temporary);
  if (!file) {
    LogFailure(context, "Could not create the language file " + temporary, files.LastError());
    return false;
  }
  const bool written = file->Write(content.data(), content.size());
  const bool closed = file->Close();
  file.reset();
  if (!written || !closed) {
    LogFailure(context, "Could not write the language file " + temporary, files.LastError());
    files.Delete(temporary);
    return false;
  }
  if (files.FileExists(path) && !files.Delete(path)) {
    LogFailure(context, "Could not replace the language file " + path, files.LastError());
    files.Delete(temporary);
    return false;
  }
  if (!files.Move(temporary, path)) {
    LogFailure(context, "Could not rename " + temporary + " to " + path, files.LastError());
    return false;
  }
  LogLine(context, "Language file written: " + path);
  return true;
}

bool LoadLanguageFile(SetupContext& context, ui::Application* application, const std::string& path,
                      bool withStrings) {
  if (path.empty()) return false;
  Files& files = *context.platform.files;
  const std::optional<std::string> content = ReadWholeFile(files, path);
  if (!content) {
    if (files.FileExists(path)) LogFailure(context, "Could not read the language file " + path, files.LastError());
    return false;
  }
  if (content->empty()) return false;

  XmlReadOptions options;
  options.maxAttributeBytes = kMaxLanguageAttributeBytes;
  const XmlDocument document = ParseXml(*content, *context.platform.system, options);
  if (!document.complete) {
    LogLine(context, "Language file " + path + ": " + document.error + " (byte " +
                         std::to_string(document.errorOffset) + "); what came before is used");
  }
  const XmlElement* top = document.Child("APPLICATION");
  if (top == nullptr) return true;
  if (application != nullptr) {
    try {
      ReadFormItems(top->Child("FORMS"), *application);
    } catch (const std::exception& error) {
      LogLine(context, std::string("Language file: applying the forms part stopped: ") + error.what());
    }
  }
  if (withStrings && context.stringTable != nullptr) {
    const XmlElement* strings = top->Child("STRINGS");
    ReadStringItems(strings != nullptr ? strings->Child("STRING") : nullptr, *context.stringTable);
  }
  return true;
}

}  // namespace tovex

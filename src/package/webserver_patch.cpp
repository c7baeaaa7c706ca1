#include "package/webserver_patch.h"

#include <string>

#include "common/context.h"
#include "common/folders.h"
#include "common/setup_log.h"
#include "common/text.h"
#include "platform/files.h"
#include "platform/system.h"

namespace tovex {

namespace {

constexpr std::string_view kMarker = "wcs.dll";
constexpr std::string_view kFilterHeader = "[Filter]";
constexpr std::string_view kFilterLine = "=modules\\wcs.dll|[wcs]\r\n";
constexpr std::string_view kVirtualHostHeader = "[Virtual-Host]";
constexpr std::string_view kVirtualHostLine = "/wcs/=[wcs]\r\n";
constexpr std::string_view kOldLibrary = "webmail\\web.dll";
constexpr std::string_view kNewLibrary = "php\\php.dll";

size_t FindIgnoringCase(const std::string& text, std::string_view needle) {
  return LowerCase(text).find(LowerCase(needle));
}

// A missing section goes after the trimmed text, so that exactly one empty
// line separates it from the one before.
void AppendSection(std::string& text, std::string_view header, std::string_view line) {
  text = Trim(text);
  text += "\r\n\r\n";
  text += header;
  text += "\r\n";
  text += line;
}

void AddFilterLine(std::string& text) {
  const size_t header = FindIgnoringCase(text, kFilterHeader);
  if (header == std::string::npos) return AppendSection(text, kFilterHeader, kFilterLine);
  // The section ends where its last line break is followed by the empty
  // line; a section that ends the file ends with the text.
  const size_t end = text.find("\r\n\r\n", header);
  if (end != std::string::npos) {
    text.insert(end + 2, kFilterLine);
    return;
  }
  if (!text.ends_with("\r\n")) text += "\r\n";
  text += kFilterLine;
}

void AddVirtualHostLine(std::string& text) {
  const size_t header = FindIgnoringCase(text, kVirtualHostHeader);
  if (header == std::string::npos) return AppendSection(text, kVirtualHostHeader, kVirtualHostLine);
  const size_t end = text.find("\r\n", header);
  if (end != std::string::npos) {
    text.insert(end + 2, kVirtualHostLine);
    return;
  }
  // The header is the file's last line and has no line break of its own.
  text += "\r\n";
  text += kVirtualHostLine;
}

void Log(SetupContext& context, const std::string& line) {
  if (context.log != nullptr) context.log->Write(line);
}

void LogFailure(SetupContext& context, const std::string& what, uint32_t code) {
  if (context.log != nullptr) context.log->Failure(what, code, context.platform.system->ErrorText(code));
}

}  // namespace

std::string PatchWebServerText(std::string text) {
  if (text.find(kMarker) == std::string::npos) {
    AddFilterLine(text);
    AddVirtualHostLine(text);
  }
  for (size_t at = text.find(kOldLibrary); at != std::string::npos; at = text.find(kOldLibrary, at)) {
    text.replace(at, kOldLibrary.size(), kNewLibrary);
    at += kNewLibrary.size();
  }
  return text;
}

void PatchWebServerConfig(SetupContext& context) {
  Files& files = *context.platform.files;
  const std::string path = context.InstallPath + "config\\webserver.cfg";
  if (!files.FileExists(path)) return;

  // Only a file read to its end is rewritten: writing back what little could
  // be read would lose the administrator's configuration.
  auto input = files.OpenForReading(path);
  if (!input) return LogFailure(context, "Reading " + path + "; left unchanged", files.LastError());
  std::string text;
  char buffer[8192];
  size_t got = 0;
  bool ok = true;
  while ((ok = input->Read(buffer, sizeof buffer, got)) && got > 0) text.append(buffer, got);
  if (!ok || text.size() != input->Size()) {
    return LogFailure(context, "Reading " + path + "; left unchanged", files.LastError());
  }
  input.reset();

  // Written beside it first and swapped in only when complete, so that a
  // full disk or a refused write leaves the old configuration intact.
  const std::string patched = PatchWebServerText(text);
  const std::string fresh = path + ".new";
  auto output = files.CreateForWriting(fresh);
  if (!output) return LogFailure(context, "Writing " + fresh, files.LastError());
  const bool written = output->Write(patched.data(), patched.size()) && output->Close();
  output.reset();
  if (!written) {
    LogFailure(context, "Writing " + fresh + "; " + path + " left unchanged", files.LastError());
    files.Delete(fresh);
    return;
  }
  if (!DeleteFileOrLink(files, path)) {
    LogFailure(context, "Replacing " + path + "; left unchanged", files.LastError());
    files.Delete(fresh);
    return;
  }
  if (!files.Move(fresh, path)) return LogFailure(context, "Renaming " + fresh + " to " + path, files.LastError());
  Log(context, "Patched the web server configuration " + path);
}

}  // namespace tovex

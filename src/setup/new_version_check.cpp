#include "setup/new_version_check.h"

#include <algorithm>
#include <cstdio>

#include "common/context.h"
#include "common/setup_log.h"
#include "common/text.h"
#include "common/version.h"
#include "localization/setup_strings.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "platform/user.h"
#include "setup/bounded_http_get.h"

namespace tovex {

namespace {

bool HasHighBytes(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) > 127) return true;
  }
  return false;
}

// The five entities and decimal references, each replaced once, left to right.
std::string DecodeEntities(std::string_view text) {
  static constexpr std::pair<std::string_view, char> kEntities[] = {
      {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}, {"&lt;", '<'}, {"&gt;", '>'}};
  std::string out;
  for (size_t i = 0; i < text.size();) {
    if (text[i] == '&') {
      bool replaced = false;
      for (const auto& [entity, character] : kEntities) {
        if (text.substr(i, entity.size()) == entity) {
          out += character;
          i += entity.size();
          replaced = true;
          break;
        }
      }
      if (replaced) continue;
      if (text.substr(i, 2) == "&#") {
        size_t j = i + 2;
        uint32_t code = 0;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9' && j - i < 12) code = code * 10 + (text[j++] - '0');
        if (j > i + 2 && j < text.size() && text[j] == ';') {
          out += static_cast<char>(code & 0xFF);
          i = j + 1;
          continue;
        }
      }
    }
    out += text[i++];
  }
  return out;
}

std::string Decode(std::string_view value, const std::function<std::string(const std::string&)>& toAnsi) {
  std::string text(value);
  if (toAnsi && HasHighBytes(text)) text = toAnsi(text);
  return DecodeEntities(text);
}

std::string AttributeValue(std::string_view startTag, std::string_view name) {
  std::string pattern(" ");
  pattern.append(name).append("=");
  const size_t at = startTag.find(pattern);
  if (at == std::string_view::npos) return {};
  size_t begin = at + pattern.size();
  if (begin < startTag.size() && (startTag[begin] == '"' || startTag[begin] == '\'')) {
    const char quote = startTag[begin++];
    const size_t end = startTag.find(quote, begin);
    return std::string(startTag.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin));
  }
  const size_t end = startTag.find(' ', begin);
  return std::string(startTag.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin));
}

std::string TempFileName(SetupContext& context) {
  const std::string stamp = FormatTimestamp(context.platform.clock->Now());  // "YYYY-MM-DD hh:mm:ss"
  std::string digits;
  for (char c : stamp) {
    if (c >= '0' && c <= '9') digits += c;
  }
  Files& files = *context.platform.files;
  const std::string folder = files.TempFolder();
  for (int running = 0; running < 10000; ++running) {
    char number[8];
    std::snprintf(number, sizeof number, "%04d", running);
    const std::string path = folder + digits + number + ".tmp";
    if (!files.FileExists(path)) return path;
  }
  return folder + digits + "9999.tmp";
}

}  // namespace

std::optional<ProductInfo> ParseProductInfo(std::string_view document, std::string_view productCode,
                                            const std::function<std::string(const std::string&)>& toAnsi) {
  if (productCode.empty()) return std::nullopt;
  std::string opening("<");
  opening.append(productCode);
  size_t at = 0;
  while ((at = document.find(opening, at)) != std::string_view::npos) {
    const size_t next = at + opening.size();
    if (next < document.size() && std::string_view("\t\n\r />").find(document[next]) != std::string_view::npos) break;
    at = next;
  }
  if (at == std::string_view::npos) return std::nullopt;

  const size_t tagEnd = document.find('>', at);
  const std::string_view startTag =
      document.substr(at, tagEnd == std::string_view::npos ? std::string_view::npos : tagEnd - at);
  ProductInfo info;
  info.url = Decode(AttributeValue(startTag, "url"), toAnsi);
  info.date = Decode(AttributeValue(startTag, "date"), toAnsi);
  const bool emptyElement = !startTag.empty() && startTag.back() == '/';
  if (tagEnd != std::string_view::npos && !emptyElement) {
    std::string closing("</");
    closing.append(productCode).append(">");
    const size_t end = document.find(closing, tagEnd + 1);
    if (end != std::string_view::npos) info.version = Decode(document.substr(tagEnd + 1, end - tagEnd - 1), toAnsi);
  }
  return info;
}

std::optional<ProductInfo> FetchProductInfo(SetupContext& context, const std::string& documentUrl,
                                            std::string_view productCode) {
  Files& files = *context.platform.files;
  SetupLog& log = *context.log;

  log.Write("New-version check: fetching " + documentUrl);
  const HttpDownload download =
      BoundedHttpGet(*context.platform.network, *context.platform.clock, documentUrl, kProductsDocumentBounds);
  if (!download.body) {
    if (download.error != 0) {
      log.Failure("downloading the products document: " + download.failure, download.error,
                  context.platform.system->ErrorText(download.error));
    } else {
      log.Write("New-version check: gave up downloading the products document: " + download.failure);
    }
    return std::nullopt;
  }
  const std::string& body = *download.body;

  // The document passes through a temporary file that is read back and
  // deleted at once, so nothing of it stays on the machine. What is read back
  // is bounded like the download: the temporary folder is writable by any
  // program of the user.
  const std::string tempPath = TempFileName(context);
  std::string document;
  if (auto out = files.CreateForWriting(tempPath)) {
    const bool written = out->Write(body.data(), body.size()) && out->Close();
    out.reset();
    if (written) {
      if (auto in = files.OpenForReading(tempPath)) {
        document.resize(static_cast<size_t>(std::min<uint64_t>(in->Size(), kProductsDocumentBounds.maxBytes)));
        size_t got = 0;
        if (!in->Read(document.data(), document.size(), got)) got = 0;
        document.resize(got);
      }
    }
    files.Delete(tempPath);
  } else {
    document = body;  // no temporary folder to write to: use what came back
  }

  System& system = *context.platform.system;
  std::optional<ProductInfo> info =
      ParseProductInfo(document, productCode, [&system](const std::string& utf8) { return system.Utf8ToAnsi(utf8); });
  if (!info) log.Write("New-version check: the products document names no release of this server");
  return info;
}

void CheckForNewVersion(SetupContext& context, const std::string& productsUrl) {
  const std::string url = productsUrl.empty() ? std::string(kDefaultProductsUrl) : productsUrl;
  const std::optional<ProductInfo> info = FetchProductInfo(context, url, kProductCode);
  if (!info || info->version.empty()) return;
  context.log->Write("New-version check: newest release " + info->version + ", this one " + std::string(SetupVersion));
  if (VersionAtLeast(SetupVersion, info->version)) return;

  const std::string question =
      FormatText(context.strings->cNewerVersion, {std::string(kFixedProductName), info->version});
  const MessageAnswer answer = context.platform.user->ShowMessage(
      question, context.strings->cQuestion, MessageButtons::YesNoCancel, MessageIcon::Question);
  if (answer != MessageAnswer::Yes) return;

  context.log->Write("New-version check: opening " + info->url);
  // Setup ends even when no browser could be started: the administrator
  // asked for the download instead of this installation.
  Shell& shell = *context.platform.shell;
  if (!shell.Open(info->url)) {
    const uint32_t code = shell.LastError();
    context.log->Failure("opening the download page " + info->url, code, context.platform.system->ErrorText(code));
  }
  EndSetup(context, kExitSuccess);
}

}  // namespace tovex

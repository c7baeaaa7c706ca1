#include "setup/bounded_http_get.h"

#include <memory>

#include "common/text.h"
#include "platform/clock.h"
#include "platform/network.h"

namespace tovex {

namespace {

constexpr size_t kReadPart = 16384;

bool StartsWithText(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

bool IsHttpAddress(std::string_view url) { return StartsWithText(url, "http://") || StartsWithText(url, "https://"); }

// A scheme such as "ftp:" or "file:" before any "/", "?" or "#".
bool HasScheme(std::string_view location) {
  const size_t colon = location.find(':');
  if (colon == std::string_view::npos || colon == 0) return false;
  const size_t delimiter = location.find_first_of("/?#");
  return delimiter == std::string_view::npos || colon < delimiter;
}

// A Content-Length above the cap (digits only; any other text is left to
// the cap on what is actually read).
bool DeclaresMoreThan(std::string_view declared, size_t maxBytes) {
  const std::string digits = Trim(declared);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return false;
  uint64_t value = 0;
  for (char c : digits) {
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > maxBytes) return true;
  }
  return false;
}

HttpDownload Failed(std::string failure, uint32_t error = 0) {
  HttpDownload download;
  download.failure = std::move(failure);
  download.error = error;
  return download;
}

}  // namespace

std::optional<std::string> ResolveLocation(std::string_view base, std::string_view location) {
  const std::string target = Trim(location);
  if (target.empty()) return std::nullopt;
  if (IsHttpAddress(target)) return target;
  if (HasScheme(target)) return std::nullopt;
  const size_t schemeEnd = base.find("://");
  if (schemeEnd == std::string_view::npos) return std::nullopt;
  if (target.substr(0, 2) == "//") return std::string(base.substr(0, schemeEnd + 1)) + target;
  const size_t pathStart = base.find_first_of("/?#", schemeEnd + 3);
  const std::string origin(base.substr(0, pathStart));
  if (target[0] == '/') return origin + target;
  // Relative to the folder of the answering document, its query left out.
  std::string_view path = pathStart == std::string_view::npos ? std::string_view() : base.substr(pathStart);
  path = path.substr(0, path.find_first_of("?#"));
  const size_t lastSlash = path.rfind('/');
  const std::string folder = lastSlash == std::string_view::npos ? "/" : std::string(path.substr(0, lastSlash + 1));
  return origin + folder + target;
}

HttpDownload BoundedHttpGet(Network& network, Clock& clock, const std::string& url, const HttpBounds& bounds) {
  const uint64_t deadline = clock.MonotonicMs() + bounds.deadlineMs;
  const std::string tooSlow = "no whole answer within " + std::to_string(bounds.deadlineMs / 1000) + " seconds";
  // The time left before the deadline; 0 once it has passed.
  auto remaining = [&clock, deadline]() -> uint32_t {
    const uint64_t now = clock.MonotonicMs();
    return now >= deadline ? 0 : static_cast<uint32_t>(deadline - now);
  };

  std::string address = url;
  for (int redirects = 0;; ++redirects) {
    if (remaining() == 0) return Failed(tooSlow);
    std::unique_ptr<HttpResponse> response = network.HttpOpen(address, remaining());
    if (!response) {
      if (remaining() == 0) return Failed(tooSlow);
      return Failed("requesting " + address, network.LastError());
    }
    const uint32_t status = response->Status();
    if (status == 301 || status == 302) {
      if (redirects == bounds.maxRedirects) {
        return Failed("more than " + std::to_string(bounds.maxRedirects) + " redirections, the last to " + address);
      }
      const std::optional<std::string> next = ResolveLocation(address, response->Location());
      if (!next) return Failed("a redirection from " + address + " to '" + response->Location() + "'");
      address = *next;
      continue;
    }
    if (status != 200) return Failed(address + " answered " + std::to_string(status));

    const std::string tooLarge = "the document at " + address + " is larger than " +
                                 std::to_string(bounds.maxBytes) + " bytes";
    if (DeclaresMoreThan(response->ContentLength(), bounds.maxBytes)) return Failed(tooLarge);
    std::string body;
    char part[kReadPart];
    for (;;) {
      if (remaining() == 0) return Failed(tooSlow);
      // One byte beyond the cap is enough to know the document is too large.
      const size_t wanted = std::min(sizeof part, bounds.maxBytes + 1 - body.size());
      size_t got = 0;
      if (!response->Read(part, wanted, got, remaining())) {
        if (remaining() == 0) return Failed(tooSlow);
        return Failed("reading " + address, response->LastError());
      }
      if (got == 0) break;
      body.append(part, got);
      if (body.size() > bounds.maxBytes) return Failed(tooLarge);
    }
    HttpDownload download;
    download.body = std::move(body);
    return download;
  }
}

}  // namespace tovex

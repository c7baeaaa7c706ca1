#pragma once
// The new-version check: when the administrator leaves the welcome page with
// "Check for new version on the Internet" ticked, the products document is
// fetched and, if it names a newer release of this server, Setup offers to
// open the download page instead of installing. Advisory only: every failure
// is silent and the wizard goes on.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "setup/bounded_http_get.h"

namespace tovex {

struct SetupContext;

// This server's element in the products document.
inline constexpr std::string_view kProductCode = "TX";
// Used when info.xml names no products document. The reserved .invalid name
// never resolves: a sample distribution always names its own document.
inline constexpr std::string_view kDefaultProductsUrl = "http://updates.tovex.invalid/products.xml";
// The check never holds Setup for long: at most 20 seconds for the whole
// download, at most 1 MiB of document and 5 redirections. A products
// document is a few hundred bytes.
inline constexpr HttpBounds kProductsDocumentBounds{20000, 1024 * 1024, 5};
// The question names the product with this fixed text, not the translated one.
inline constexpr std::string_view kFixedProductName = "Tovex Mail Server";

struct ProductInfo {
  std::string url;      // the download page
  std::string version;  // the newest release
  std::string date;     // read, not used
};

// Finds the product's element in a products document and decodes its
// attributes and content; nullopt when the element is missing. toAnsi converts
// UTF-8 text to the ANSI code page.
std::optional<ProductInfo> ParseProductInfo(std::string_view document, std::string_view productCode,
                                            const std::function<std::string(const std::string&)>& toAnsi = {});

// Downloads the document within kProductsDocumentBounds into a temporary
// file named from the current time ("yyyymmddhhnnss", a four-digit running
// number, ".tmp"), reads it and deletes it at once, then parses it. nullopt
// when nothing came back or the element is missing.
std::optional<ProductInfo> FetchProductInfo(SetupContext& context, const std::string& documentUrl,
                                            std::string_view productCode);

// Returns, or ends the process with exit code 0 after opening the download
// page when the administrator answers Yes.
void CheckForNewVersion(SetupContext& context, const std::string& productsUrl);

}  // namespace tovex

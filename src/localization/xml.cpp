#include "localization/xml.h"

#include <cstdint>

#include "common/code_page_1252.h"
#include "common/text.h"
#include "platform/system.h"

namespace tovex {

// ---------------------------------------------------------------------------
// The model

void XmlElement::AddAttribute(std::string name, std::string value) {
  attributes_.push_back(XmlAttribute{std::move(name), std::move(value)});
}

const std::string* XmlElement::FindAttribute(std::string_view name) const {
  for (const XmlAttribute& attribute : attributes_) {
    if (attribute.name == name) return &attribute.value;
  }
  return nullptr;
}

std::string XmlElement::Attribute(std::string_view name) const {
  const std::string* value = FindAttribute(name);
  return value != nullptr ? *value : std::string();
}

XmlElement& XmlElement::AddChild(std::string name) {
  children_.push_back(std::make_unique<XmlElement>(std::move(name)));
  return *children_.back();
}

const XmlElement* XmlElement::Child(std::string_view name) const {
  for (const auto& child : children_) {
    if (child->Name() == name) return child.get();
  }
  return nullptr;
}

XmlElement* XmlElement::Child(std::string_view name) {
  for (const auto& child : children_) {
    if (child->Name() == name) return child.get();
  }
  return nullptr;
}

const XmlElement* XmlDocument::Root() const {
  return top.Children().empty() ? nullptr : top.Children().front().get();
}

// ---------------------------------------------------------------------------
// Values

namespace {

// The longest entity or character reference the reader knows ("&#x10FFFF;",
// "&#1114111;") is ten bytes.
constexpr size_t kLongestEntity = 10;

bool HasHighByte(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) > 127) return true;
  }
  return false;
}

bool IsEntityChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '#';
}

// The code of a character reference body ("#39", "#x27"), or 0 when it is
// not a valid one.
uint32_t CharacterReference(std::string_view body) {
  if (body.size() < 2 || body[0] != '#') return 0;
  const bool hex = body[1] == 'x' || body[1] == 'X';
  const size_t start = hex ? 2 : 1;
  if (start >= body.size()) return 0;
  uint32_t code = 0;
  for (size_t i = start; i < body.size(); ++i) {
    const char c = body[i];
    uint32_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<uint32_t>(c - '0');
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = static_cast<uint32_t>(c - 'a' + 10);
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = static_cast<uint32_t>(c - 'A' + 10);
    } else {
      return 0;
    }
    code = code * (hex ? 16 : 10) + digit;
    if (code > 0x10FFFF) return 0;
  }
  if (code >= 0xD800 && code <= 0xDFFF) return 0;
  return code;
}

// Replaces the five entities and the character references, each once (so
// "&amp;lt;" gives "&lt;"). Anything that is not a known reference stays as
// it stands.
std::string DecodeEntities(std::string_view text, System& codePage) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] != '&') {
      out += text[i++];
      continue;
    }
    const size_t semicolon = text.find(';', i + 1);
    if (semicolon == std::string_view::npos || semicolon - i > kLongestEntity) {
      out += text[i++];
      continue;
    }
    const std::string_view body = text.substr(i + 1, semicolon - i - 1);
    char replacement = 0;
    if (body == "amp") replacement = '&';
    else if (body == "quot") replacement = '"';
    else if (body == "apos") replacement = '\'';
    else if (body == "lt") replacement = '<';
    else if (body == "gt") replacement = '>';
    if (replacement != 0) {
      out += replacement;
      i = semicolon + 1;
      continue;
    }
    const uint32_t code = CharacterReference(body);
    if (code == 0) {
      out += text[i++];
      continue;
    }
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else {
      // A character beyond ASCII takes the ANSI form the code page gives it,
      // the same conversion the rest of the file goes through.
      std::string utf8;
      AppendUtf8(utf8, code);
      out += codePage.Utf8ToAnsi(utf8);
    }
    i = semicolon + 1;
  }
  return out;
}

}  // namespace

std::string EncodeXmlValue(std::string_view value, System& codePage) {
  std::string out;
  out.reserve(value.size());
  for (char c : value) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  if (HasHighByte(out)) out = codePage.AnsiToUtf8(out);
  return out;
}

std::string_view CutEncodedValue(std::string_view encoded, size_t limit, bool utf8) {
  if (encoded.size() <= limit) return encoded;
  size_t end = limit;
  // Back over continuation bytes to the start of the character that does not
  // fit whole.
  if (utf8) {
    while (end > 0 && (static_cast<unsigned char>(encoded[end]) & 0xC0) == 0x80) --end;
  }
  // An entity that would be cut loses its "&" as well.
  const size_t lookback = end > kLongestEntity ? end - kLongestEntity : 0;
  for (size_t i = end; i > lookback;) {
    --i;
    if (encoded[i] == '&') {
      end = i;
      break;
    }
    if (!IsEntityChar(encoded[i])) break;
  }
  return encoded.substr(0, end);
}

// ---------------------------------------------------------------------------
// The reader

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool EndsName(char c) {
  return IsSpace(c) || c == '/' || c == '>' || c == '<' || c == '=' || c == '"' || c == '\'' || c == '?' ||
         c == '!';
}

// UTF-16 text (a file saved as "Unicode" by an editor) as UTF-8; an unpaired
// surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size());
  auto unit = [&](size_t i) -> uint32_t {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (a << 8 | b) : (b << 8 | a);
  };
  size_t i = 0;
  while (i + 1 < bytes.size()) {
    uint32_t cp = unit(i);
    i += 2;
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < bytes.size()) {
      const uint32_t low = unit(i);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      } else {
        cp = 0xFFFD;
      }
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

class Reader {
 public:
  Reader(std::string_view text, System& codePage, const XmlReadOptions& options, bool forcedUtf8)
      : text_(text), codePage_(codePage), options_(options), utf8_(true), forcedUtf8_(forcedUtf8) {}

  void Run(XmlDocument& document) {
    document_ = &document;
    while (pos_ < text_.size() && !failed_) {
      if (text_[pos_] == '<') {
        Markup();
      } else {
        const size_t next = text_.find('<', pos_);
        const size_t end = next == std::string_view::npos ? text_.size() : next;
        if (!open_.empty()) open_.back().text += DecodeText(text_.substr(pos_, end - pos_), true);
        pos_ = end;
      }
    }
    if (!failed_ && !open_.empty()) Fail("the end tag of " + open_.back().element->Name() + " is missing");
  }

 private:
  struct Open {
    XmlElement* element;
    std::string text;
  };

  void Fail(std::string what) {
    if (failed_) return;
    failed_ = true;
    document_->complete = false;
    document_->error = std::move(what);
    document_->errorOffset = pos_;
  }

  bool StartsWith(std::string_view prefix) const { return text_.substr(pos_, prefix.size()) == prefix; }

  // Skips to just past the terminator; false when it never comes.
  bool SkipPast(std::string_view terminator, const char* what) {
    const size_t end = text_.find(terminator, pos_);
    if (end == std::string_view::npos) {
      Fail(std::string(what) + " is not closed");
      return false;
    }
    pos_ = end + terminator.size();
    return true;
  }

  void SkipSpace() {
    while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
  }

  std::string_view Name() {
    const size_t start = pos_;
    while (pos_ < text_.size() && !EndsName(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
  }

  std::string DecodeText(std::string_view raw, bool entities) {
    std::string converted = utf8_ && HasHighByte(raw) ? codePage_.Utf8ToAnsi(std::string(raw)) : std::string(raw);
    return entities ? DecodeEntities(converted, codePage_) : converted;
  }

  void Markup() {
    if (StartsWith("<?")) {
      Declaration();
    } else if (StartsWith("<!--")) {
      pos_ += 4;
      SkipPast("-->", "a comment");
    } else if (StartsWith("<![CDATA[")) {
      pos_ += 9;
      const size_t start = pos_;
      if (!SkipPast("]]>", "a CDATA section")) return;
      if (!open_.empty()) open_.back().text += DecodeText(text_.substr(start, pos_ - 3 - start), false);
    } else if (StartsWith("<!")) {
      DocumentType();
    } else if (StartsWith("</")) {
      EndTag();
    } else {
      StartTag();
    }
  }

  // A processing instruction; the declaration's encoding says whether values
  // are UTF-8 or already in the ANSI code page.
  void Declaration() {
    const size_t start = pos_;
    pos_ += 2;
    const std::string_view target = Name();
    if (!SkipPast("?>", "a processing instruction")) return;
    if (target != "xml" || forcedUtf8_) return;
    const std::string_view body = text_.substr(start, pos_ - start);
    const size_t at = body.find("encoding");
    if (at == std::string_view::npos) return;
    size_t i = at + 8;
    while (i < body.size() && (IsSpace(body[i]) || body[i] == '=')) ++i;
    if (i >= body.size() || (body[i] != '"' && body[i] != '\'')) return;
    const size_t close = body.find(body[i], i + 1);
    if (close == std::string_view::npos) return;
    const std::string encoding = LowerCase(body.substr(i + 1, close - i - 1));
    utf8_ = encoding == "utf-8" || encoding == "utf8";
  }

  // <!DOCTYPE ...> with an internal subset in brackets; nothing of it is used.
  void DocumentType() {
    int depth = 0;
    char quote = 0;
    for (size_t i = pos_ + 2; i < text_.size(); ++i) {
      const char c = text_[i];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '[') {
        ++depth;
      } else if (c == ']') {
        if (depth > 0) --depth;
      } else if (c == '>' && depth == 0) {
        pos_ = i + 1;
        return;
      }
    }
    Fail("a document type declaration is not closed");
  }

  void EndTag() {
    pos_ += 2;
    const std::string_view name = Name();
    SkipSpace();
    if (pos_ >= text_.size() || text_[pos_] != '>') return Fail("an end tag is not closed");
    if (open_.empty() || open_.back().element->Name() != name) {
      return Fail("the end tag " + std::string(name) + " does not match");
    }
    ++pos_;
    Open& closing = open_.back();
    // Text beside child elements is the layout between them, not content.
    if (closing.element->Children().empty()) closing.element->SetText(std::move(closing.text));
    open_.pop_back();
  }

  void StartTag() {
    ++pos_;
    const std::string_view name = Name();
    if (name.empty()) return Fail("an element name is expected after \"<\"");
    // Attributes are collected first: an element whose start tag is cut off
    // is not added at all.
    std::vector<XmlAttribute> attributes;
    bool empty = false;
    for (;;) {
      SkipSpace();
      if (pos_ >= text_.size()) return Fail("a start tag is not closed");
      if (text_[pos_] == '>') {
        ++pos_;
        break;
      }
      if (text_[pos_] == '/') {
        if (pos_ + 1 >= text_.size() || text_[pos_ + 1] != '>') return Fail("\"/\" in a start tag");
        pos_ += 2;
        empty = true;
        break;
      }
      const std::string_view attributeName = Name();
      if (attributeName.empty()) return Fail("an attribute name is expected");
      SkipSpace();
      if (pos_ >= text_.size() || text_[pos_] != '=') return Fail("\"=\" is expected after an attribute name");
      ++pos_;
      SkipSpace();
      if (pos_ >= text_.size() || (text_[pos_] != '"' && text_[pos_] != '\'')) {
        return Fail("an attribute value must be quoted");
      }
      const char quote = text_[pos_++];
      const size_t start = pos_;
      while (pos_ < text_.size() && text_[pos_] != quote && text_[pos_] != '<') ++pos_;
      if (pos_ >= text_.size() || text_[pos_] != quote) return Fail("an attribute value is not closed");
      std::string_view raw = text_.substr(start, pos_ - start);
      ++pos_;
      if (options_.maxAttributeBytes != 0) raw = CutEncodedValue(raw, options_.maxAttributeBytes, utf8_);
      attributes.push_back(XmlAttribute{std::string(attributeName), DecodeText(raw, true)});
    }
    if (open_.size() >= kMaxXmlDepth) return Fail("elements are nested too deeply");
    XmlElement& parent = open_.empty() ? document_->top : *open_.back().element;
    XmlElement& element = parent.AddChild(std::string(name));
    for (XmlAttribute& attribute : attributes) element.AddAttribute(std::move(attribute.name), std::move(attribute.value));
    if (!empty) open_.push_back(Open{&element, {}});
  }

  std::string_view text_;
  System& codePage_;
  const XmlReadOptions& options_;
  bool utf8_;
  bool forcedUtf8_;
  size_t pos_ = 0;
  bool failed_ = false;
  XmlDocument* document_ = nullptr;
  std::vector<Open> open_;
};

}  // namespace

XmlDocument ParseXml(std::string_view content, System& codePage, const XmlReadOptions& options) {
  XmlDocument document;
  std::string converted;
  bool forcedUtf8 = false;
  if (content.substr(0, 3) == "\xEF\xBB\xBF") {
    content.remove_prefix(3);
    forcedUtf8 = true;
  } else if (content.substr(0, 2) == "\xFF\xFE" || content.substr(0, 2) == "\xFE\xFF") {
    converted = Utf16ToUtf8(content.substr(2), content[0] == '\xFE');
    content = converted;
    forcedUtf8 = true;
  }
  Reader(content, codePage, options, forcedUtf8).Run(document);
  return document;
}

// ---------------------------------------------------------------------------
// The writer

namespace {

void WriteElement(std::string& out, const XmlElement& element, System& codePage, const XmlWriteOptions& options) {
  out += '<';
  out += element.Name();
  for (const XmlAttribute& attribute : element.Attributes()) {
    if (attribute.value.empty()) continue;
    const std::string encoded = EncodeXmlValue(attribute.value, codePage);
    const std::string_view written =
        options.maxAttributeBytes != 0 ? CutEncodedValue(encoded, options.maxAttributeBytes) : encoded;
    out += ' ';
    out += attribute.name;
    out += "=\"";
    out += written;
    out += '"';
  }
  if (element.Children().empty() && element.Text().empty()) {
    out += "/>";
  } else {
    out += '>';
    out += EncodeXmlValue(element.Text(), codePage);
    for (const auto& child : element.Children()) WriteElement(out, *child, codePage, options);
    out += "</";
    out += element.Name();
    out += '>';
  }
  out += "\r\n";
}

}  // namespace

std::string WriteXml(const XmlElement& root, System& codePage, const XmlWriteOptions& options) {
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
  WriteElement(out, root, codePage, options);
  return out;
}

}  // namespace tovex

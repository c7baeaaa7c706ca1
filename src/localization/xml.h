#pragma once
// A small XML document model, its reader and its writer, for the files Setup
// reads and writes: the language file "setup.lng" and "info.xml".
//
// Texts in the model are in the program's Windows ANSI code page; the files
// are UTF-8. Every conversion goes through the system port (AnsiToUtf8 and
// Utf8ToAnsi), so the Windows build uses the machine's ANSI code page and the
// native build Windows-1252.
//
// The reader is lenient: it takes what WriteXml writes and ordinary XML
// besides (a declaration, comments, processing instructions, a document type,
// CDATA sections, white space between elements, a UTF-8 byte-order mark).
// White space inside values is kept exactly as it stands: a CR LF inside an
// attribute value comes back as CR LF. On malformed input it stops at the
// first fault and keeps everything that was complete before it: finished
// elements stay, an element whose end tag never came keeps its finished
// children but not its unfinished text. It never crashes or hangs, whatever
// the bytes.
//
// Example:
//   XmlDocument document = ParseXml(content, *context.platform.system);
//   if (const XmlElement* root = document.Root())
//     if (const XmlElement* products = root->Child("PRODUCTSXML"))
//       url = products->Text();

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tovex {

class System;

struct XmlAttribute {
  std::string name;
  std::string value;
};

class XmlElement {
 public:
  explicit XmlElement(std::string name = {}) : name_(std::move(name)) {}
  XmlElement(const XmlElement&) = delete;
  XmlElement& operator=(const XmlElement&) = delete;
  XmlElement(XmlElement&&) = default;
  XmlElement& operator=(XmlElement&&) = default;

  const std::string& Name() const { return name_; }

  // Attributes keep the order in which they were added; a name may occur
  // twice (the reader keeps what the file holds) and look-ups take the first.
  void AddAttribute(std::string name, std::string value);
  const std::string* FindAttribute(std::string_view name) const;
  // The value of the first attribute with the name; empty when missing.
  std::string Attribute(std::string_view name) const;
  const std::vector<XmlAttribute>& Attributes() const { return attributes_; }

  // Character content. The reader leaves it empty for an element that has
  // child elements (the white space between them is layout, not content).
  const std::string& Text() const { return text_; }
  void SetText(std::string text) { text_ = std::move(text); }

  // Appends a child element and returns it; the reference stays valid while
  // this element lives.
  XmlElement& AddChild(std::string name);
  // The first child element with the name (names compared exactly), or null.
  const XmlElement* Child(std::string_view name) const;
  XmlElement* Child(std::string_view name);
  const std::vector<std::unique_ptr<XmlElement>>& Children() const { return children_; }

 private:
  std::string name_;
  std::vector<XmlAttribute> attributes_;
  std::string text_;
  std::vector<std::unique_ptr<XmlElement>> children_;
};

struct XmlDocument {
  // Holds the top-level element(s) as its children; it has no name.
  XmlElement top;
  // False when reading stopped early at a fault; what was read before stays.
  bool complete = true;
  std::string error;        // what was wrong, for the setup log
  size_t errorOffset = 0;   // byte offset of the fault in the file

  // The first top-level element (the root), or null.
  const XmlElement* Root() const;
  // The first top-level element with the name, or null.
  const XmlElement* Child(std::string_view name) const { return top.Child(name); }
};

// Nesting deeper than this stops the reader (a fault), so that hostile input
// can neither exhaust the stack nor take the writer or the destructors down.
inline constexpr size_t kMaxXmlDepth = 200;

struct XmlReadOptions {
  // When not 0, attribute values are read up to this many bytes of the file,
  // cut at a whole character and never inside an entity.
  size_t maxAttributeBytes = 0;
};

// Reads a document. Values are decoded in this order: a value holding any byte
// above 127 is converted from UTF-8 to the ANSI code page (unless the
// declaration names an encoding other than UTF-8: then the bytes are taken
// as they stand); then the entities &amp; &quot; &apos; &lt; &gt; and the
// character references &#NN; and &#xHH; are replaced, each once.
XmlDocument ParseXml(std::string_view content, System& codePage, const XmlReadOptions& options = {});

struct XmlWriteOptions {
  // When not 0, a written attribute value (after escaping and conversion) is
  // cut to at most this many bytes, at a whole character and never inside an
  // entity.
  size_t maxAttributeBytes = 0;
};

// Writes the declaration line and the element, in this layout:
//   <?xml version="1.0" encoding="UTF-8"?> CR LF
//   "<" name, then " name=\"value\"" per non-empty attribute in order; "/>"
//   for an element with neither children nor text, otherwise ">" text
//   children "</" name ">"; CR LF after every element at every level, no
//   indentation.
std::string WriteXml(const XmlElement& root, System& codePage, const XmlWriteOptions& options = {});

// A value as the writer puts it into the file: "&" " ' < > escaped ("&"
// first), then converted from ANSI to UTF-8 when it holds any byte above 127.
std::string EncodeXmlValue(std::string_view value, System& codePage);

// The longest prefix of an encoded value of at most limit bytes that ends
// neither inside an entity nor, for UTF-8 text, inside a character.
std::string_view CutEncodedValue(std::string_view encoded, size_t limit, bool utf8 = true);

}  // namespace tovex

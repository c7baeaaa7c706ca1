#pragma once
// The language file "setup.lng": every localized string of the table and the
// translatable texts of the forms, as UTF-8 XML.
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <APPLICATION><FORMS><FORM ID="TMainForm"><ITEM ID="NextButton" CLASS="tbutton" CAPTION="&amp;Next &gt;"/>
//   </FORM>
//   </FORMS>
//   <STRINGS><STRING ID="TStrings"><ITEM ID="cname" VALUE="Tovex Mail Server"/>
//   </STRING>
//   </STRINGS>
//   </APPLICATION>
//
// Each element is followed by CR LF, with no indentation; empty attributes are
// left out. A string whose written value would pass 255 bytes is written as
// the ITEM's text instead of its VALUE, so that nothing is cut; form texts
// (form_translation.h) are cut at 255 bytes, at a whole character.

#include <string>

namespace tovex {

class TLocalizationStrings;
class XmlElement;
class System;
struct SetupContext;
namespace ui {
class Application;
}

// Written attribute values are at most this many bytes, and the reader reads
// no more of one.
inline constexpr size_t kMaxLanguageAttributeBytes = 255;

// Adds one ITEM per table entry, in registration order: ID = the key (lower
// case), the value as VALUE or, when its written form would pass 255 bytes,
// as the ITEM's text.
void WriteStringItems(XmlElement& element, const TLocalizationStrings& table, System& codePage);

// Sets the table's texts from the child elements: the key is ID, the value
// the element's text when it has any, otherwise VALUE (empty when missing).
// Keys are compared lower-cased; unknown keys are ignored. Without an element
// nothing happens.
void ReadStringItems(const XmlElement* element, TLocalizationStrings& table);

// Writes the forms of the application (none when null) and, with strings, the
// context's string table. Creates the missing folder and replaces an existing
// file. Returns whether the file was written; failures go to the setup log.
bool SaveLanguageFile(SetupContext& context, const ui::Application* application, const std::string& path,
                      bool withStrings);

// Applies the forms part to the application's forms (when not null) and, with
// strings, the string part to the context's table. Returns false, changing
// nothing, when the path is empty or the file is missing, unreadable or
// empty; otherwise true, with whatever could be matched applied (a malformed
// file applies what came before the fault, which goes to the setup log).
bool LoadLanguageFile(SetupContext& context, ui::Application* application, const std::string& path,
                      bool withStrings);

}  // namespace tovex

#pragma once
// The forms part of the language file: the captions, hints and item lists of
// every form's components, found by form class name and component name and
// handled generically by class name.
//
//   <FORM ID="TMainForm" CAPTION="..."><ITEM ID="NextButton" CLASS="tbutton" CAPTION="&amp;Next &gt;" HINT="..."/>
//
// Translated classes (the lower-cased class name must equal one exactly; a
// class that merely descends from one, a check list box or a drive combo box
// say, is not translated):
//   tlabel tradiobutton tbutton tcheckbox ttabsheet tgroupbox tmenuitem
//   tdynpanel                      CAPTION: the caption
//   tcombobox                      ITEMSTEXT: the items, one a line; on
//                                  loading the first item is selected
//   tadvancedheaderlist            ITEMSTEXT: the header section captions
//   tcustomlistview (also written for textlistviewmanagement, tdfsenhlistview
//   and tdfsextlistview)           ITEMSTEXT: the first 16 column captions
// HINT carries the hint when it is not empty; loading a known ITEM without
// HINT clears the hint.

namespace tovex {

class XmlElement;
namespace ui {
class Application;
}

// Adds one FORM per named form of the application, in creation order, with
// one ITEM per translatable component that has a text.
void WriteFormItems(XmlElement& forms, const ui::Application& application);

// Applies the FORM elements (the FORMS element may be null). Forms are
// matched by class name and components by name, both exactly; unknown forms
// and components are skipped, and so is an ITEM whose CLASS names another
// kind of control than the component of that name. Lines of ITEMSTEXT beyond
// a list's columns are ignored.
void ReadFormItems(const XmlElement* forms, ui::Application& application);

}  // namespace tovex

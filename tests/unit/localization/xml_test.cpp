#include "localization/xml.h"

#include <gtest/gtest.h>

#include "fakes/fake_system.h"

namespace tovex {
namespace {

using fakes::FakeSystem;

const char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

TEST(WriteXml, LayoutRunsElementsTogetherWithCrLfAfterEach) {
  FakeSystem system;
  XmlElement root("A");
  XmlElement& b = root.AddChild("B");
  b.AddAttribute("ID", "x");
  b.AddAttribute("EMPTY", "");  // left out
  b.AddAttribute("V", "1");
  b.AddChild("C").AddAttribute("K", "v");
  b.AddChild("D");
  root.AddChild("E").SetText("text");
  EXPECT_EQ(WriteXml(root, system), std::string(kDeclaration) +
                                        "<A><B ID=\"x\" V=\"1\"><C K=\"v\"/>\r\n"
                                        "<D/>\r\n"
                                        "</B>\r\n"
                                        "<E>text</E>\r\n"
                                        "</A>\r\n");
}

TEST(WriteXml, EscapesAmpersandFirstThenConvertsToUtf8) {
  FakeSystem system;
  EXPECT_EQ(EncodeXmlValue("a&lt;b", system), "a&amp;lt;b");
  EXPECT_EQ(EncodeXmlValue("<\"'&>", system), "&lt;&quot;&apos;&amp;&gt;");
  EXPECT_EQ(EncodeXmlValue("caf\xE9 \x80", system), "caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(EncodeXmlValue("\r\nline", system), "\r\nline");
}

TEST(CutEncodedValue, NeverInsideACharacterOrAnEntity) {
  struct Case {
    std::string encoded;
    size_t limit;
    std::string expected;
  };
  const Case cases[] = {
      {"abcdef", 6, "abcdef"},
      {"abcdef", 4, "abcd"},
      {"ab\xC3\xA9" "c", 3, "ab"},          // é would be cut after its lead byte
      {"ab\xC3\xA9" "c", 4, "ab\xC3\xA9"},
      {"a\xE2\x82\xAC", 3, "a"},            // € is three bytes
      {"ab&amp;c", 5, "ab"},                // inside &amp;
      {"ab&amp;c", 7, "ab&amp;"},
      {"ab&#233;", 7, "ab"},
      {"a&b", 2, "a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.encoded + " / " + std::to_string(c.limit));
    EXPECT_EQ(CutEncodedValue(c.encoded, c.limit), c.expected);
  }
}

TEST(WriteXml, CutsLongAttributesAtAWholeCharacter) {
  FakeSystem system;
  XmlElement root("A");
  root.AddAttribute("V", std::string(254, 'x') + "\xE9\xE9");  // é is two bytes in the file
  XmlWriteOptions options;
  options.maxAttributeBytes = 255;
  const std::string written = WriteXml(root, system, options);
  EXPECT_NE(written.find("V=\"" + std::string(254, 'x') + "\"/>"), std::string::npos) << written;
}

TEST(ParseXml, ReadsWhatTheWriterWrites) {
  FakeSystem system;
  XmlElement root("APPLICATION");
  XmlElement& item = root.AddChild("STRINGS").AddChild("ITEM");
  const std::string values[] = {"\r\nstarts with CR LF", "a&lt;b", "caf\xE9 \x80 100%", "<tag attr='x'>&amp;"};
  for (const std::string& value : values) item.AddAttribute("V", value);
  root.AddChild("LONG").SetText(std::string(300, 'y') + " \xE8\r\n<&>");

  const XmlDocument document = ParseXml(WriteXml(root, system), system);
  ASSERT_TRUE(document.complete) << document.error;
  const XmlElement* top = document.Child("APPLICATION");
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->Text(), "");  // only the layout between the children
  const XmlElement* read = top->Child("STRINGS")->Child("ITEM");
  ASSERT_EQ(read->Attributes().size(), 4u);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(read->Attributes()[i].value, values[i]);
  EXPECT_EQ(top->Child("LONG")->Text(), std::string(300, 'y') + " \xE8\r\n<&>");
}

TEST(ParseXml, OrdinaryXmlBesides) {
  FakeSystem system;
  struct Case {
    const char* what;
    std::string content;
    std::string expected;  // attribute V of B
    std::string text;      // text of B
  };
  const Case cases[] = {
      {"comments and white space", "<!-- c --> <A>\n  <!-- <B V='no'/> -->\n  <B V=\"1\"/>\n</A>\n<!-- end -->", "1", ""},
      {"another declaration, ANSI bytes", "<?xml version='1.0' encoding='windows-1252'?><A><B V='caf\xE9'>\xE8</B></A>",
       "caf\xE9", "\xE8"},
      {"byte-order mark", "\xEF\xBB\xBF<?xml version=\"1.0\"?><A><B V='caf\xC3\xA9'/></A>", "caf\xE9", ""},
      {"document type and instruction",
       "<!DOCTYPE A [ <!ELEMENT A ANY> <!ATTLIST B V CDATA \"x>\"> ]><?pi data?><A><B V='2'/></A>", "2", ""},
      {"CDATA keeps entities", "<A><B><![CDATA[a &amp; <b>]]> &amp; c</B></A>", "", "a &amp; <b> & c"},
      {"character references", "<A><B V='&#39;&#x27;&#233;&#8364;&#65;'/></A>", "''\xE9\x80" "A", ""},
      {"references decoded once", "<A><B V='&amp;lt; &amp;#39;'/></A>", "&lt; &#39;", ""},
      {"unknown and broken references stay", "<A><B V='&nbsp; &#; &#xZZ; &#0; AT&amp;T & co'/></A>",
       "&nbsp; &#; &#xZZ; &#0; AT&T & co", ""},
      {"spaces around = and in end tags", "<A><B V = \"3\" >t</B ></A >", "3", "t"},
      {"first of a repeated attribute", "<A><B V='first' V='second'/></A>", "first", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const XmlDocument document = ParseXml(c.content, system);
    EXPECT_TRUE(document.complete) << document.error;
    const XmlElement* a = document.Root();
    ASSERT_NE(a, nullptr);
    const XmlElement* b = a->Child("B");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Attribute("V"), c.expected);
    EXPECT_EQ(b->Text(), c.text);
  }
}

TEST(ParseXml, Utf16FileFromAnEditor) {
  FakeSystem system;
  std::string little = "\xFF\xFE";
  for (char c : std::string("<A><B V='caf")) little += std::string{c, '\0'};
  little += std::string("\xE9\0", 2);
  for (char c : std::string("'/></A>")) little += std::string{c, '\0'};
  const XmlDocument document = ParseXml(little, system);
  ASSERT_TRUE(document.complete) << document.error;
  EXPECT_EQ(document.Root()->Child("B")->Attribute("V"), "caf\xE9");
}

TEST(ParseXml, StopsAtAFaultKeepingWhatWasComplete) {
  FakeSystem system;
  struct Case {
    const char* what;
    std::string content;
    size_t itemsKept;  // complete ITEM children of S
  };
  const std::string head = "<A><S><ITEM ID='one' V='1'/><ITEM ID='two'>2</ITEM>";
  const Case cases[] = {
      {"cut inside a start tag", head + "<ITEM ID='thr", 2},
      {"cut inside text", head + "<ITEM ID='three'>partial", 3},
      {"mismatched end tag", head + "</A></S>", 2},
      {"unclosed comment", head + "<!-- forever", 2},
      {"value without quotes", head + "<ITEM ID=three/>", 2},
      {"\"<\" inside a value", head + "<ITEM ID='a<b'/>", 2},
      {"end tag without element", "</S>", 0},
      {"empty name", head + "< ITEM/>", 2},
      {"\"/\" not closing", head + "<ITEM / >", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const XmlDocument document = ParseXml(c.content, system);
    EXPECT_FALSE(document.complete);
    EXPECT_FALSE(document.error.empty());
    const XmlElement* a = document.Child("A");
    const XmlElement* s = a != nullptr ? a->Child("S") : nullptr;
    const size_t kept = s != nullptr ? s->Children().size() : 0;
    EXPECT_EQ(kept, c.itemsKept);
    if (kept >= 2) {
      EXPECT_EQ(s->Children()[1]->Text(), "2");
    }
    // Text of an element whose end tag never came is not taken.
    if (kept == 3) {
      EXPECT_EQ(s->Children()[2]->Text(), "");
    }
  }
}

TEST(ParseXml, DeepNestingIsAFaultNotACrash) {
  FakeSystem system;
  std::string content;
  for (int i = 0; i < 100000; ++i) content += "<a>";
  const XmlDocument document = ParseXml(content, system);
  EXPECT_FALSE(document.complete);
  size_t depth = 0;
  for (const XmlElement* e = document.Root(); e != nullptr; e = e->Children().empty() ? nullptr : e->Children()[0].get()) {
    ++depth;
  }
  EXPECT_EQ(depth, kMaxXmlDepth);
}

TEST(ParseXml, AttributeLimitCutsAtAWholeCharacter) {
  FakeSystem system;
  XmlReadOptions options;
  options.maxAttributeBytes = 255;
  const std::string content = "<A V='" + std::string(252, 'x') + "&amp;\xC3\xA9'/>";
  const XmlDocument document = ParseXml(content, system, options);
  ASSERT_TRUE(document.complete);
  EXPECT_EQ(document.Root()->Attribute("V"), std::string(252, 'x'));
  const XmlDocument whole = ParseXml(content, system);
  EXPECT_EQ(whole.Root()->Attribute("V"), std::string(252, 'x') + "&\xE9");
}

}  // namespace
}  // namespace tovex

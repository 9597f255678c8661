#include "feed/xml_tree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/feed/sample_feeds.h"
#include "tests/support/scratch_dir.h"

namespace {

class XmlTreeTest : public ::testing::Test {
 protected:
  void SetUp() override { FreeAllXmlDocuments(); }
  void TearDown() override { FreeAllXmlDocuments(); }

  // Writes the text to a file and loads it into `number`.
  bool Load(const std::string& text, int number = 0) {
    WriteFileBytes("doc.xml", text);
    return LoadXmlFile(number, "doc.xml");
  }

  ScratchDir scratch;
};

std::vector<XmlNode> Children(XmlNode node) {
  std::vector<XmlNode> out;
  for (XmlNode child = FirstChild(node); child; child = NextSibling(child)) out.push_back(child);
  return out;
}

std::vector<std::string> ChildNames(XmlNode node) {
  std::vector<std::string> names;
  for (XmlNode child : Children(node)) names.push_back(NodeName(child));
  return names;
}

// "name=value" for every attribute, in scan order.
std::vector<std::string> Attributes(XmlNode node) {
  std::vector<std::string> out;
  if (!BeginAttributeScan(node)) return out;
  while (NextAttribute(node))
    out.push_back(CurrentAttributeName(node) + "=" + CurrentAttributeValue(node));
  return out;
}

std::string OnlyAttributeValue(XmlNode node) {
  std::vector<std::string> all = Attributes(node);
  if (all.size() != 1) return "<" + std::to_string(all.size()) + " attributes>";
  return all[0].substr(all[0].find('=') + 1);
}

using Strings = std::vector<std::string>;

// --- The tree of a feed ---

TEST_F(XmlTreeTest, FeedLoadsIntoElementsInDocumentOrder) {
  ASSERT_TRUE(Load(kFourPeriodFeed));
  XmlNode root = RootElement(0);
  ASSERT_TRUE(root);
  EXPECT_EQ(NodeKind(root), ElementNode);
  EXPECT_EQ(NodeName(root), "WEATHERFEED");
  EXPECT_EQ(ChildNames(root), Strings{"REPORT"});

  XmlNode town = FirstChild(FirstChild(root));
  EXPECT_EQ(NodeName(town), "TOWN");
  EXPECT_EQ(ChildNames(town), Strings(4, "FORECAST"));
  XmlNode third = Children(town)[2];
  EXPECT_EQ(ChildNames(third), (Strings{"SKY", "PRESSURE", "TEMPERATURE", "WIND", "RELWET"}));
  EXPECT_EQ(Attributes(third),
            (Strings{"day=7", "month=12", "year=2026", "hour=03", "weekday=2", "daypart=0"}));
  // Leaves have no children; the last sibling has no next.
  XmlNode relwet = Children(third)[4];
  EXPECT_FALSE(FirstChild(relwet));
  EXPECT_FALSE(NextSibling(relwet));
  EXPECT_FALSE(NextSibling(root));
}

TEST_F(XmlTreeTest, TextCommentsAndInstructionsMakeNoElements) {
  ASSERT_TRUE(
      Load("<!-- before --><?style x?><a>text<!-- c --><b/>more<![CDATA[<c/>]]><?pi?><d/></a>"));
  XmlNode root = RootElement(0);
  EXPECT_EQ(NodeName(root), "a");
  EXPECT_EQ(ChildNames(root), (Strings{"b", "d"}));
}

TEST_F(XmlTreeTest, DocumentWithoutAnElementHasNoRoot) {
  EXPECT_TRUE(Load("<!-- only a comment -->"));
  EXPECT_FALSE(RootElement(0));
  EXPECT_EQ(NodeKind(RootElement(0)), NoNodeKind);
}

// --- Attribute scans ---

TEST_F(XmlTreeTest, AttributeScanWalksStartTagOrderAndEndsCleanly) {
  ASSERT_TRUE(Load(R"(<a z="1" b="2" m="3"/>)"));
  XmlNode a = RootElement(0);
  EXPECT_EQ(Attributes(a), (Strings{"z=1", "b=2", "m=3"}));

  ASSERT_TRUE(BeginAttributeScan(a));
  EXPECT_EQ(CurrentAttributeName(a), "");  // before the first
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(NextAttribute(a));
  EXPECT_FALSE(NextAttribute(a));
  EXPECT_FALSE(NextAttribute(a));  // stays at the end
  EXPECT_EQ(CurrentAttributeName(a), "");
  EXPECT_EQ(CurrentAttributeValue(a), "");
  // A new scan starts over.
  ASSERT_TRUE(BeginAttributeScan(a));
  ASSERT_TRUE(NextAttribute(a));
  EXPECT_EQ(CurrentAttributeName(a), "z");
}

TEST_F(XmlTreeTest, EachNodeKeepsItsOwnCursor) {
  ASSERT_TRUE(Load(R"(<a x="1" y="2"><b p="3" q="4"/></a>)"));
  XmlNode a = RootElement(0);
  XmlNode b = FirstChild(a);
  ASSERT_TRUE(BeginAttributeScan(a));
  ASSERT_TRUE(NextAttribute(a));
  ASSERT_TRUE(BeginAttributeScan(b));
  ASSERT_TRUE(NextAttribute(b));
  ASSERT_TRUE(NextAttribute(b));
  EXPECT_EQ(CurrentAttributeName(a), "x");
  EXPECT_EQ(CurrentAttributeName(b), "q");
  ASSERT_TRUE(NextAttribute(a));
  EXPECT_EQ(CurrentAttributeValue(a), "2");
}

TEST_F(XmlTreeTest, ElementWithoutAttributesScansNothing) {
  ASSERT_TRUE(Load("<a/>"));
  XmlNode a = RootElement(0);
  ASSERT_TRUE(BeginAttributeScan(a));
  EXPECT_FALSE(NextAttribute(a));
}

// --- Text conversion ---

TEST_F(XmlTreeTest, CharactersAboveLatin1BecomeOneQuestionMarkEach) {
  // é is U+00E9, Ж U+0416, € U+20AC, 😀 U+1F600 (four UTF-8 bytes).
  ASSERT_TRUE(Load(u8"<a v=\"caf\u00e9 \u0416\u20ac\U0001F600!\"/>"));
  EXPECT_EQ(OnlyAttributeValue(RootElement(0)),
            "caf\xE9 ???"
            "!");
}

TEST_F(XmlTreeTest, CyrillicTownNameReadsAsQuestionMarks) {
  ASSERT_TRUE(Load(u8"<TOWN sname=\"\u041C\u043E\u0441\u043A\u0432\u0430\"/>"));
  EXPECT_EQ(OnlyAttributeValue(RootElement(0)), "??????");
}

TEST_F(XmlTreeTest, NamesAreConvertedToo) {
  ASSERT_TRUE(Load(u8"<\u00c5\u0416 \u00fc=\"1\"/>"));
  XmlNode root = RootElement(0);
  EXPECT_EQ(NodeName(root), "\xC5?");
  EXPECT_EQ(Attributes(root), Strings{"\xFC=1"});
}

TEST_F(XmlTreeTest, ReferencesAreResolvedAndValuesNormalised) {
  ASSERT_TRUE(Load("<a v=\"R&amp;D &lt;&#233;&#x416;&gt;\" w=\"one\ttwo\nthree\"/>"));
  EXPECT_EQ(Attributes(RootElement(0)), (Strings{"v=R&D <\xE9?>", "w=one two three"}));
}

TEST_F(XmlTreeTest, Latin1AndUtf16DocumentsAreRead) {
  ASSERT_TRUE(Load("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a v=\"\xE9\xFF\"/>"));
  EXPECT_EQ(OnlyAttributeValue(RootElement(0)), "\xE9\xFF");

  // UTF-16LE with a byte-order mark: <a v="Жé"/>
  std::string utf16 = "\xFF\xFE";
  for (char16_t c : std::u16string(u"<a v=\"\u0416\u00e9\"/>")) {
    utf16.push_back(static_cast<char>(c & 0xFF));
    utf16.push_back(static_cast<char>(c >> 8));
  }
  ASSERT_TRUE(Load(utf16));
  EXPECT_EQ(OnlyAttributeValue(RootElement(0)), "?\xE9");
}

TEST_F(XmlTreeTest, UnknownEncodingStopsAtTheDeclaration) {
  EXPECT_TRUE(Load("<?xml version=\"1.0\" encoding=\"KOI8-R\"?><a v=\"1\"/>"));
  EXPECT_FALSE(RootElement(0));
}

// --- Broken files keep what was built ---

TEST_F(XmlTreeTest, FileCutAfterAStartTagKeepsThatElement) {
  const std::string whole =
      R"(<list><item n="1"/><item n="2"></item><item n="3" m="x"><sub/></item><item n="4"/></list>)";
  ASSERT_TRUE(Load(whole.substr(0, whole.find("<sub/>"))));
  XmlNode list = RootElement(0);
  std::vector<XmlNode> items = Children(list);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(Attributes(items[0]), Strings{"n=1"});
  EXPECT_EQ(Attributes(items[1]), Strings{"n=2"});
  EXPECT_EQ(Attributes(items[2]), (Strings{"n=3", "m=x"}));
  EXPECT_FALSE(FirstChild(items[2]));
}

TEST_F(XmlTreeTest, FileCutInsideAStartTagKeepsOnlyTheElementsBefore) {
  const std::string whole = R"(<list><item n="1"/><item n="2"/><item n="3" m="x"/></list>)";
  ASSERT_TRUE(Load(whole.substr(0, whole.find("m=\"x"))));
  EXPECT_EQ(ChildNames(RootElement(0)), (Strings{"item", "item"}));
}

TEST_F(XmlTreeTest, MalformedFileStopsAtTheFirstError) {
  ASSERT_TRUE(Load("<a><b/><c></b><d/></a>"));
  EXPECT_EQ(ChildNames(RootElement(0)), (Strings{"b", "c"}));
  // Markup after the document element is an error too, but what came before stays.
  ASSERT_TRUE(Load("<a><b/></a><extra/>"));
  EXPECT_EQ(ChildNames(RootElement(0)), Strings{"b"});
  // Garbage from the first byte: a document without elements.
  ASSERT_TRUE(Load("\x01\x02 not xml"));
  EXPECT_FALSE(RootElement(0));
}

// --- Files that give no document ---

TEST_F(XmlTreeTest, NothingToReadLeavesThePreviousDocument) {
  ASSERT_TRUE(Load("<old/>"));
  XmlNode old = RootElement(0);
  WriteFileBytes("empty.xml", "");
  std::filesystem::create_directory("folder.xml");

  EXPECT_FALSE(LoadXmlFile(0, nullptr));
  EXPECT_FALSE(LoadXmlFile(0, ""));
  EXPECT_FALSE(LoadXmlFile(0, "missing.xml"));
  EXPECT_FALSE(LoadXmlFile(0, "empty.xml"));
  EXPECT_FALSE(LoadXmlFile(0, "folder.xml"));
  EXPECT_FALSE(LoadXmlFile(-1, "doc.xml"));

  EXPECT_EQ(RootElement(0), old);
  EXPECT_EQ(NodeName(old), "old");
}

// --- Numbers and stale handles ---

TEST_F(XmlTreeTest, ReloadingANumberRetiresTheOldNodes) {
  ASSERT_TRUE(Load(R"(<first a="1"><child/></first>)"));
  XmlNode oldRoot = RootElement(0);
  XmlNode oldChild = FirstChild(oldRoot);
  ASSERT_TRUE(Load(R"(<second b="2"><other/></second>)"));

  EXPECT_EQ(NodeName(RootElement(0)), "second");
  for (XmlNode stale : {oldRoot, oldChild}) {
    EXPECT_EQ(NodeKind(stale), NoNodeKind);
    EXPECT_EQ(NodeName(stale), "");
    EXPECT_FALSE(BeginAttributeScan(stale));
    EXPECT_FALSE(NextAttribute(stale));
    EXPECT_EQ(CurrentAttributeName(stale), "");
    EXPECT_FALSE(FirstChild(stale));
    EXPECT_FALSE(NextSibling(stale));
  }
}

TEST_F(XmlTreeTest, NumbersHoldSeparateDocuments) {
  ASSERT_TRUE(Load("<zero/>", 0));
  ASSERT_TRUE(Load("<three/>", 3));
  EXPECT_EQ(NodeName(RootElement(0)), "zero");
  EXPECT_EQ(NodeName(RootElement(3)), "three");
  EXPECT_FALSE(RootElement(1));
  EXPECT_FALSE(RootElement(-1));
  XmlNode three = RootElement(3);
  FreeXmlDocument(3);
  EXPECT_FALSE(RootElement(3));
  EXPECT_EQ(NodeKind(three), NoNodeKind);
  EXPECT_EQ(NodeName(RootElement(0)), "zero");
}

TEST_F(XmlTreeTest, MadeUpHandlesReadAsNone) {
  ASSERT_TRUE(Load("<a><b/></a>"));
  XmlNode root = RootElement(0);
  XmlNode beyond = root;
  beyond.index = 1000;
  XmlNode negative = root;
  negative.index = -5;
  XmlNode otherNumber = root;
  otherNumber.document = 7;
  for (XmlNode bad : {XmlNode{}, beyond, negative, otherNumber}) {
    EXPECT_EQ(NodeKind(bad), NoNodeKind);
    EXPECT_FALSE(BeginAttributeScan(bad));
    EXPECT_FALSE(FirstChild(bad));
  }
}

// --- Size: block boundaries and hostile files ---

TEST_F(XmlTreeTest, ElementsAcrossBlockBoundariesAreAllRead) {
  // Sizes around the 16 KiB block: one short of it, exactly one, one over,
  // and several blocks.
  for (size_t size : {16383u, 16384u, 16385u, 70001u}) {
    std::string text = "<list>";
    int items = 0;
    while (text.size() + 40 < size) {
      text += "<item n=\"" + std::to_string(items++) + "\"/>";
    }
    const std::string tail = "</list>";
    text += std::string(size - text.size() - tail.size(), ' ') + tail;
    ASSERT_EQ(text.size(), size);
    ASSERT_TRUE(Load(text));
    std::vector<XmlNode> children = Children(RootElement(0));
    ASSERT_EQ(children.size(), static_cast<size_t>(items)) << size;
    EXPECT_EQ(Attributes(children.back()), Strings{"n=" + std::to_string(items - 1)}) << size;
  }
}

TEST_F(XmlTreeTest, OnlyTheFirstMegabyteOfAFileIsRead) {
  std::string text = "<list>";
  size_t wholeBeforeCut = 0;
  for (int n = 0; text.size() < kXmlFileByteLimit + 50000; ++n) {
    text += "<item n=\"" + std::to_string(n) + "\"/>";
    if (text.size() <= kXmlFileByteLimit) ++wholeBeforeCut;
  }
  text += "</list>";
  ASSERT_TRUE(Load(text));
  std::vector<XmlNode> items = Children(RootElement(0));
  ASSERT_EQ(items.size(), wholeBeforeCut);
  EXPECT_EQ(Attributes(items.back()), Strings{"n=" + std::to_string(wholeBeforeCut - 1)});
}

TEST_F(XmlTreeTest, EntityExpansionCannotGrowADocumentWithoutBound) {
  // A few kilobytes that expand into a million elements.
  std::string thousand;
  for (int i = 0; i < 1000; ++i) thousand += "<i/>";
  std::string text = "<!DOCTYPE list [<!ENTITY k \"" + thousand + "\">]><list>";
  for (int i = 0; i < 1000; ++i) text += "&k;";
  text += "</list>";
  ASSERT_LT(text.size(), 10000u);
  ASSERT_TRUE(Load(text));
  const size_t kept = Children(RootElement(0)).size();
  EXPECT_GT(kept, 10000u);
  EXPECT_LT(kept, 1000000u);
}

TEST_F(XmlTreeTest, HugeAttributeValueStopsTheDocumentBeforeItIsCopied) {
  // A 20 MiB value built from entities, beyond the document limit; the
  // padding keeps the expansion within what expat itself tolerates.
  std::string text = "<!DOCTYPE r [<!ENTITY k \"" + std::string(1024, 'x') + "\"><!ENTITY m \"";
  for (int i = 0; i < 1024; ++i) text += "&k;";
  text += "\">]><!--" + std::string(300000, 'x') + "--><r><first/><second v=\"";
  for (int i = 0; i < 20; ++i) text += "&m;";
  text += "\"/><third/></r>";
  ASSERT_TRUE(Load(text));
  EXPECT_EQ(ChildNames(RootElement(0)), Strings{"first"});
}

TEST_F(XmlTreeTest, MillionLevelsDeepLoadsWithoutTrouble) {
  const int depth = 1000000;
  std::string text;
  text.reserve(depth * 3);
  for (int i = 0; i < depth; ++i) text += "<a>";
  ASSERT_TRUE(Load(text));
  // Walk down without recursion: each level has one child until the tree stops.
  int levels = 0;
  for (XmlNode node = RootElement(0); node; node = FirstChild(node)) ++levels;
  EXPECT_GT(levels, 1000);
  EXPECT_LE(levels, depth);
}

}  // namespace

#pragma once
// The downloaded feed as a tree of elements: a file is parsed with expat into
// a numbered document slot and read back node by node. Names and attribute
// values are single-byte text: characters up to U+00FF become that byte,
// every other character one '?'.

#include <cstddef>
#include <cstdint>
#include <string>

// Node kinds.
constexpr int16_t NoNodeKind = -1;  // what a none or stale handle reports
constexpr int16_t DocumentNode = 0;
constexpr int16_t ElementNode = 1;

// A node handle names one node of one particular load of a document slot, so
// a handle kept past a reload or a free reads as none (kind NoNodeKind, empty
// name, no children) instead of reaching freed memory. The default is none.
struct XmlNode {
  int32_t document = -1;
  uint32_t load = 0;
  int32_t index = 0;  // 0: none

  explicit operator bool() const { return index != 0; }
  bool operator==(const XmlNode& other) const {
    return document == other.document && load == other.load && index == other.index;
  }
  bool operator!=(const XmlNode& other) const { return !(*this == other); }
};

// Parses the file into document `number`, replacing what the number held.
// False when the path is empty, the file cannot be opened or read, is empty,
// or the parser cannot be set up; the number then keeps its old document.
// A document whose parsing stopped on an error is still loaded (true), with
// every node built before the error.
//
// A hostile file cannot make the widget allocate without bound: only its
// first kXmlFileByteLimit bytes are read (the rest is treated as cut off),
// and a document stops growing, as on a syntax error, once its nodes, names
// and values would pass kXmlDocumentByteLimit (entity expansion included).
// A feed is a few kilobytes.
bool LoadXmlFile(int number, const char* path);
constexpr size_t kXmlFileByteLimit = 1u << 20;
constexpr size_t kXmlDocumentByteLimit = 16u << 20;

void FreeXmlDocument(int number);
void FreeAllXmlDocuments();

// The first element of the document; none for an empty number or a
// document in which parsing never reached an element.
XmlNode RootElement(int number);

int16_t NodeKind(XmlNode node);
std::string NodeName(XmlNode node);

// Attribute scan in start-tag order. The cursor belongs to the node:
// BeginAttributeScan rewinds it and is true for an element only; each
// NextAttribute steps to the next attribute and is true while there is one.
bool BeginAttributeScan(XmlNode node);
bool NextAttribute(XmlNode node);
std::string CurrentAttributeName(XmlNode node);   // empty when not on one
std::string CurrentAttributeValue(XmlNode node);  // empty when not on one

XmlNode FirstChild(XmlNode node);
XmlNode NextSibling(XmlNode node);

#include "feed/xml_tree.h"

#include <expat.h>

#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "services/slot_table.h"

namespace {

constexpr int kBlockSize = 16384;

struct Attribute {
  std::string name;
  std::string value;
};

// Links are indices into the document's node list; 0 is none (the holder
// sits at 0 and is nobody's child or sibling).
struct Node {
  int16_t kind = DocumentNode;
  std::string name;
  std::vector<Attribute> attributes;
  // Wider than the attribute count can ever be, so a scan always ends.
  int32_t attributeCursor = -1;
  int32_t parent = 0;
  int32_t firstChild = 0;
  int32_t lastChild = 0;
  int32_t previousSibling = 0;
  int32_t nextSibling = 0;
};

struct XmlDocument {
  int number = -1;
  uint32_t load = 0;
  std::vector<Node> nodes;  // nodes[0] is the holder
  int32_t rootElement = 0;
};

void ReleaseDocument(XmlDocument& document) {
  std::vector<Node>().swap(document.nodes);
}

SlotTable<XmlDocument, ReleaseDocument> documents;
uint32_t loadCount = 0;

// expat hands out well-formed UTF-8; the widget works in single bytes. A
// broken sequence is still taken apart safely and gives '?'.
std::string ToSingleBytes(const XML_Char* text) {
  std::string out;
  if (!text) return out;
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p) {
    const unsigned lead = *p++;
    if (lead < 0x80) {
      out.push_back(static_cast<char>(lead));
      continue;
    }
    int trail = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    const bool wellFormed = trail > 0;
    unsigned code = lead & (0x3Fu >> trail);
    for (; trail > 0 && (*p & 0xC0) == 0x80; --trail, ++p) code = (code << 6) | (*p & 0x3Fu);
    out.push_back(wellFormed && trail == 0 && code <= 0xFF ? static_cast<char>(code) : '?');
  }
  return out;
}

struct BuildState {
  XML_Parser parser = nullptr;
  XmlDocument* document = nullptr;
  int32_t current = 0;
  size_t bytes = 0;
  bool stopped = false;
};

void Stop(BuildState& state) {
  if (state.stopped) return;
  state.stopped = true;
  XML_StopParser(state.parser, XML_FALSE);
}

void XMLCALL OnStartElement(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto& state = *static_cast<BuildState*>(data);
  if (state.stopped) return;
  std::vector<Node>& nodes = state.document->nodes;

  // Counted on expat's UTF-8, which is never shorter than the converted
  // text, before anything is copied.
  size_t bytes = sizeof(Node) + std::strlen(name);
  size_t count = 0;
  for (const XML_Char** a = attributes; a && a[0]; a += 2, ++count)
    bytes += sizeof(Attribute) + std::strlen(a[0]) + std::strlen(a[1]);
  if (bytes > kXmlDocumentByteLimit - state.bytes) {
    Stop(state);
    return;
  }
  state.bytes += bytes;

  Node node;
  node.kind = ElementNode;
  node.name = ToSingleBytes(name);
  node.attributes.reserve(count);
  for (const XML_Char** a = attributes; a && a[0]; a += 2)
    node.attributes.push_back({ToSingleBytes(a[0]), ToSingleBytes(a[1])});

  const auto index = static_cast<int32_t>(nodes.size());
  Node& parent = nodes[state.current];
  node.parent = state.current;
  node.previousSibling = parent.lastChild;
  if (parent.lastChild)
    nodes[parent.lastChild].nextSibling = index;
  else
    parent.firstChild = index;
  parent.lastChild = index;
  nodes.push_back(std::move(node));  // invalidates `parent`
  if (!state.document->rootElement) state.document->rootElement = index;
  state.current = index;
}

void XMLCALL OnEndElement(void* data, const XML_Char*) {
  auto& state = *static_cast<BuildState*>(data);
  if (state.stopped) return;
  state.current = state.document->nodes[state.current].parent;
}

long FileSize(FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return -1;
  long size = std::ftell(file);
  if (std::fseek(file, 0, SEEK_SET) != 0) return -1;
  return size;
}

// Feeds the file through the parser's own buffer. False only when the
// file gave no bytes at all (a directory, a read error), which leaves the
// caller's slot alone.
bool FeedFile(FILE* file, long size, BuildState& state) {
  long remaining =
      size < static_cast<long>(kXmlFileByteLimit) ? size : static_cast<long>(kXmlFileByteLimit);
  bool first = true;
  while (remaining > 0) {
    const int want = remaining < kBlockSize ? static_cast<int>(remaining) : kBlockSize;
    void* buffer = XML_GetBuffer(state.parser, want);
    if (!buffer) break;
    const size_t got = std::fread(buffer, 1, static_cast<size_t>(want), file);
    if (got == 0 && first) return false;
    first = false;
    remaining -= static_cast<long>(got);
    // A file that shrank under us ends where its data ends.
    const bool last = remaining <= 0 || got < static_cast<size_t>(want);
    if (XML_ParseBuffer(state.parser, static_cast<int>(got), last) != XML_STATUS_OK) break;
    if (last) break;
  }
  return true;
}

XmlDocument* DocumentOf(XmlNode node) {
  XmlDocument* document = documents.Find(node.document);
  if (!document || document->load != node.load) return nullptr;
  return document;
}

Node* Resolve(XmlNode node) {
  if (node.index <= 0) return nullptr;
  XmlDocument* document = DocumentOf(node);
  if (!document || node.index >= static_cast<int32_t>(document->nodes.size())) return nullptr;
  return &document->nodes[node.index];
}

XmlNode HandleFor(XmlNode from, int32_t index) {
  if (!index) return XmlNode{};
  return XmlNode{from.document, from.load, index};
}

const Attribute* CurrentAttribute(XmlNode node) {
  const Node* n = Resolve(node);
  if (!n || n->attributeCursor < 0 ||
      n->attributeCursor >= static_cast<int32_t>(n->attributes.size()))
    return nullptr;
  return &n->attributes[n->attributeCursor];
}

}  // namespace

bool LoadXmlFile(int number, const char* path) {
  if (number < 0 || !path || !*path) return false;
  FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  const long size = FileSize(file);
  if (size <= 0) {
    std::fclose(file);
    return false;
  }
  XML_Parser parser = XML_ParserCreate(nullptr);
  if (!parser) {
    std::fclose(file);
    return false;
  }

  // Built aside and moved into the slot once something was read, so an
  // unreadable file leaves the previous document in place.
  XmlDocument fresh;
  fresh.number = number;
  fresh.nodes.emplace_back();  // the holder
  BuildState state;
  state.parser = parser;
  state.document = &fresh;
  XML_SetUserData(parser, &state);
  XML_SetElementHandler(parser, OnStartElement, OnEndElement);
  const bool read = FeedFile(file, size, state);
  XML_ParserFree(parser);
  std::fclose(file);
  if (!read) return false;

  XmlDocument* document = documents.Claim(number);
  *document = std::move(fresh);
  // 0 is never a load number, so default handles stay none.
  if (++loadCount == 0) ++loadCount;
  document->load = loadCount;
  return true;
}

void FreeXmlDocument(int number) {
  documents.Free(number);
}

void FreeAllXmlDocuments() {
  documents.FreeAll();
}

XmlNode RootElement(int number) {
  const XmlDocument* document = documents.Find(number);
  if (!document || !document->rootElement) return XmlNode{};
  return XmlNode{number, document->load, document->rootElement};
}

int16_t NodeKind(XmlNode node) {
  const Node* n = Resolve(node);
  return n ? n->kind : NoNodeKind;
}

std::string NodeName(XmlNode node) {
  const Node* n = Resolve(node);
  return n ? n->name : std::string();
}

bool BeginAttributeScan(XmlNode node) {
  Node* n = Resolve(node);
  if (!n) return false;
  n->attributeCursor = -1;
  return n->kind == ElementNode;
}

bool NextAttribute(XmlNode node) {
  Node* n = Resolve(node);
  if (!n) return false;
  const auto count = static_cast<int32_t>(n->attributes.size());
  if (n->attributeCursor < count) ++n->attributeCursor;
  return n->attributeCursor < count;
}

std::string CurrentAttributeName(XmlNode node) {
  const Attribute* a = CurrentAttribute(node);
  return a ? a->name : std::string();
}

std::string CurrentAttributeValue(XmlNode node) {
  const Attribute* a = CurrentAttribute(node);
  return a ? a->value : std::string();
}

XmlNode FirstChild(XmlNode node) {
  const Node* n = Resolve(node);
  return n ? HandleFor(node, n->firstChild) : XmlNode{};
}

XmlNode NextSibling(XmlNode node) {
  const Node* n = Resolve(node);
  return n ? HandleFor(node, n->nextSibling) : XmlNode{};
}

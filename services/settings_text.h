#pragma once
// The settings file's text, apart from the file: parsing into lines, key
// lookup and change, and the normalised form a rewrite produces.

#include <string>
#include <vector>

// A line holding a zero byte is nobody's key: it is kept exactly as written
// (RawLine) and never looked up.
enum class SettingsLineKind { GroupLine, CommentLine, KeyLine, RawLine };

struct SettingsLine {
  SettingsLineKind kind = SettingsLineKind::KeyLine;
  std::string text;   // group name, comment text, key, or the raw line
  std::string value;  // a key's value; for a group, what follows its ']'
};

struct SettingsText {
  bool utf8Mode = false;  // the file began with the byte-order mark EF BB BF
  std::vector<SettingsLine> lines;
};

// The whole file as read, byte-order mark included.
SettingsText ParseSettingsText(const std::string& fileBytes);

// The bytes a rewrite puts into the file: in UTF-8 mode the byte-order mark
// and an empty line first, then every line in its normalised form, CR LF
// after each. A single-byte file whose first line would begin with the
// mark's bytes gets an empty line first, so it is not read back as UTF-8.
std::string RenderSettingsText(const SettingsText& settings);

// The index of the key line for key (ASCII letter case ignored) before the
// first group header, or -1. The key is compared as given.
int FindSettingKey(const SettingsText& settings, const std::string& key);

// The value for key with blanks trimmed, converted from UTF-8 in UTF-8 mode;
// defaultValue when there is none.
std::string LookupSettingValue(const SettingsText& settings, const std::string& key,
                               const std::string& defaultValue);

// Sets key to value (both single-byte text), inserting a new key line before
// the first group header when the key is not there.
void SetSettingValue(SettingsText* settings, const std::string& key, const std::string& value);

// Whether a key and value survive a rewrite and a new reading unchanged.
bool SettingRoundTrips(const std::string& key, const std::string& value);

// UTF-8 to single bytes: code points below 256 as themselves, others '?',
// bytes that start no complete sequence dropped. And back: bytes 0x80-0xFF
// become the two-byte sequence of the same code point.
std::string Utf8ToSingleBytes(const std::string& text);
std::string SingleBytesToUtf8(const std::string& text);

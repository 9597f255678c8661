#include "services/settings_text.h"

#include <cctype>

namespace {

const char kByteOrderMark[] = "\xEF\xBB\xBF";

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool IsLineEnd(char c) {
  return c == '\r' || c == '\n';
}

// Values must not hold zero bytes either: they would make their line raw.
bool IsLineBreakOrZero(char c) {
  return IsLineEnd(c) || c == '\0';
}

bool IsContinuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string TrimBlanks(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool HasLineBreak(const std::string& text) {
  for (char c : text)
    if (IsLineBreakOrZero(c)) return true;
  return false;
}

// One line from pos (at its first non-blank byte); returns where it ends.
size_t ParseLine(const std::string& c, size_t pos, std::vector<SettingsLine>* lines) {
  const size_t n = c.size();
  SettingsLine line;
  if (c[pos] == ';') {
    line.kind = SettingsLineKind::CommentLine;
    ++pos;
    if (pos < n && c[pos] == ' ') ++pos;
    const size_t start = pos;
    while (pos < n && !IsLineEnd(c[pos])) ++pos;
    line.text = c.substr(start, pos - start);
  } else if (c[pos] == '[') {
    line.kind = SettingsLineKind::GroupLine;
    const size_t start = ++pos;
    while (pos < n && !IsLineEnd(c[pos]) && c[pos] != ']') ++pos;
    line.text = c.substr(start, pos - start);
    if (pos < n && c[pos] == ']') ++pos;
    const size_t rest = pos;
    while (pos < n && !IsLineEnd(c[pos])) ++pos;
    line.value = c.substr(rest, pos - rest);  // whatever follows ']' is somebody's
  } else {
    line.kind = SettingsLineKind::KeyLine;
    const size_t start = pos;
    while (pos < n && !IsLineEnd(c[pos]) && c[pos] != '=') ++pos;
    size_t keyEnd = pos;
    while (keyEnd > start && IsBlank(c[keyEnd - 1])) --keyEnd;
    line.text = c.substr(start, keyEnd - start);
    if (pos < n && c[pos] == '=') {
      ++pos;
      while (pos < n && IsBlank(c[pos])) ++pos;
      const size_t valueStart = pos;
      while (pos < n && !IsLineEnd(c[pos])) ++pos;
      line.value = c.substr(valueStart, pos - valueStart);  // trailing blanks stay
    }
  }
  lines->push_back(std::move(line));
  return pos;
}

}  // namespace

SettingsText ParseSettingsText(const std::string& fileBytes) {
  SettingsText settings;
  size_t pos = 0;
  if (fileBytes.compare(0, 3, kByteOrderMark) == 0) {
    settings.utf8Mode = true;
    pos = 3;
  }
  const size_t n = fileBytes.size();
  while (pos < n) {
    if (IsLineEnd(fileBytes[pos])) {
      ++pos;
      continue;
    }
    size_t end = pos;
    while (end < n && !IsLineEnd(fileBytes[end])) ++end;
    if (fileBytes.find('\0', pos) < end) {
      SettingsLine raw;
      raw.kind = SettingsLineKind::RawLine;
      raw.text = fileBytes.substr(pos, end - pos);
      settings.lines.push_back(std::move(raw));
      pos = end;
      continue;
    }
    while (pos < end && IsBlank(fileBytes[pos])) ++pos;
    if (pos == end) continue;  // blank lines leave no trace
    pos = ParseLine(fileBytes, pos, &settings.lines);
  }
  return settings;
}

std::string RenderSettingsText(const SettingsText& settings) {
  std::string out;
  if (settings.utf8Mode) out = std::string(kByteOrderMark) + "\r\n";
  for (const SettingsLine& line : settings.lines) {
    switch (line.kind) {
      case SettingsLineKind::GroupLine:
        out += "[" + line.text + "]" + line.value;
        break;
      case SettingsLineKind::RawLine:
        out += line.text;
        break;
      case SettingsLineKind::CommentLine:
        out += "; " + line.text;
        break;
      case SettingsLineKind::KeyLine:
        out += line.text + " = " + line.value;
        break;
    }
    out += "\r\n";
  }
  if (!settings.utf8Mode && out.compare(0, 3, kByteOrderMark) == 0) out.insert(0, "\r\n");
  return out;
}

int FindSettingKey(const SettingsText& settings, const std::string& key) {
  for (size_t i = 0; i < settings.lines.size(); ++i) {
    const SettingsLine& line = settings.lines[i];
    if (line.kind == SettingsLineKind::GroupLine) break;
    if (line.kind == SettingsLineKind::KeyLine && EqualIgnoringCase(line.text, key))
      return static_cast<int>(i);
  }
  return -1;
}

std::string LookupSettingValue(const SettingsText& settings, const std::string& key,
                               const std::string& defaultValue) {
  const int index = FindSettingKey(settings, settings.utf8Mode ? SingleBytesToUtf8(key) : key);
  if (index < 0) return defaultValue;
  const std::string value = TrimBlanks(settings.lines[index].value);
  return settings.utf8Mode ? Utf8ToSingleBytes(value) : value;
}

void SetSettingValue(SettingsText* settings, const std::string& key, const std::string& value) {
  const std::string storedKey = settings->utf8Mode ? SingleBytesToUtf8(key) : key;
  const std::string storedValue = settings->utf8Mode ? SingleBytesToUtf8(value) : value;
  const int index = FindSettingKey(*settings, storedKey);
  if (index >= 0) {
    settings->lines[index].text = storedKey;  // the caller's spelling wins
    settings->lines[index].value = storedValue;
    return;
  }
  size_t at = 0;
  while (at < settings->lines.size() && settings->lines[at].kind != SettingsLineKind::GroupLine)
    ++at;
  SettingsLine line;
  line.kind = SettingsLineKind::KeyLine;
  line.text = storedKey;
  line.value = storedValue;
  settings->lines.insert(settings->lines.begin() + at, std::move(line));
}

bool SettingRoundTrips(const std::string& key, const std::string& value) {
  if (HasLineBreak(key) || HasLineBreak(value) || key.find('=') != std::string::npos) return false;
  if (!key.empty() &&
      (IsBlank(key.front()) || IsBlank(key.back()) || key.front() == ';' || key.front() == '['))
    return false;
  return true;
}

std::string Utf8ToSingleBytes(const std::string& text) {
  std::string out;
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    if (lead < 0x80) {
      out.push_back(static_cast<char>(lead));
      ++i;
      continue;
    }
    if (lead >= 0xC2 && lead <= 0xDF)
      length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
      length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
      length = 4;
    size_t got = 1;
    while (length && got < length && i + got < n &&
           IsContinuation(static_cast<unsigned char>(text[i + got])))
      ++got;
    if (length == 0 || got < length) {
      ++i;  // begins no complete sequence (overlong leads C0 and C1 included)
      continue;
    }
    if (length == 2) {
      const unsigned code =
          ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
      out.push_back(code < 256 ? static_cast<char>(code) : '?');
    } else {
      out.push_back('?');
    }
    i += length;
  }
  return out;
}

std::string SingleBytesToUtf8(const std::string& text) {
  std::string out;
  for (char c : text) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out.push_back(c);
    } else {
      out.push_back(static_cast<char>(0xC0 | (b >> 6)));
      out.push_back(static_cast<char>(0x80 | (b & 0x3F)));
    }
  }
  return out;
}

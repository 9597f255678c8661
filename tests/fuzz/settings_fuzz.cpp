// The settings parser on arbitrary files: a rewrite must read back as the
// same lines (so a second rewrite changes nothing), and a value written
// under a key must be read back from the rewritten text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "services/settings_text.h"

namespace {

bool SameLines(const SettingsText& a, const SettingsText& b) {
  if (a.utf8Mode != b.utf8Mode || a.lines.size() != b.lines.size()) return false;
  for (size_t i = 0; i < a.lines.size(); ++i) {
    const SettingsLine& x = a.lines[i];
    const SettingsLine& y = b.lines[i];
    if (x.kind != y.kind || x.text != y.text) return false;
    if (x.kind == SettingsLineKind::KeyLine && x.value != y.value) return false;
  }
  return true;
}

std::string Trim(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // The file, then after the last 0x01 byte: key '=' value to write.
  const size_t split = bytes.rfind('\x01');
  const std::string file = split == std::string::npos ? bytes : bytes.substr(0, split);
  const std::string write =
      split == std::string::npos ? std::string("ID=27612") : bytes.substr(split + 1);
  const size_t eq = write.find('=');
  const std::string key = write.substr(0, eq);
  const std::string value = eq == std::string::npos ? std::string() : write.substr(eq + 1);

  const SettingsText first = ParseSettingsText(file);
  const std::string rendered = RenderSettingsText(first);
  const SettingsText again = ParseSettingsText(rendered);
  // A single-byte file whose first key begins with the mark's three bytes
  // turns into a UTF-8 file when rewritten; everything else must hold.
  const bool markInText = !first.utf8Mode && rendered.compare(0, 3, "\xEF\xBB\xBF") == 0;
  if (!markInText) {
    if (!SameLines(first, again)) std::abort();
    if (RenderSettingsText(again) != rendered) std::abort();
    if (LookupSettingValue(first, "ID", "-") != LookupSettingValue(again, "ID", "-")) std::abort();
  }

  if (!SettingRoundTrips(key, value)) return 0;
  SettingsText changed = first;
  SetSettingValue(&changed, key, value);
  const SettingsText reread = ParseSettingsText(RenderSettingsText(changed));
  if (!markInText && reread.utf8Mode == first.utf8Mode &&
      LookupSettingValue(reread, key, "\x02missing") != Trim(value))
    std::abort();
  return 0;
}

#include <windows.h>

#include "services/autostart.h"

namespace {

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kApprovedKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
const DWORD kMaxValueBytes = 4096;

// The value's bytes and type; false when it does not exist or is too long.
bool ReadValue(const char* key, const std::string& name, std::string* bytes, DWORD* type) {
  HKEY opened;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
    return false;
  bytes->assign(kMaxValueBytes, '\0');
  DWORD size = kMaxValueBytes;
  const LONG result = RegQueryValueExA(opened, name.c_str(), nullptr, type,
                                       reinterpret_cast<BYTE*>(&(*bytes)[0]), &size);
  RegCloseKey(opened);
  if (result != ERROR_SUCCESS) return false;
  bytes->resize(size);
  return true;
}

// A text value as written, without the terminating zeros.
std::string WithoutTrailingZeros(std::string text) {
  while (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

bool DeleteValue(const char* key, const std::string& name) {
  HKEY opened;
  const LONG open = RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_SET_VALUE, &opened);
  if (open == ERROR_FILE_NOT_FOUND) return true;
  if (open != ERROR_SUCCESS) return false;
  const LONG result = RegDeleteValueA(opened, name.c_str());
  RegCloseKey(opened);
  return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

}  // namespace

AutostartEntry ReadAutostart(const std::string& name) {
  AutostartEntry entry;
  std::string bytes;
  DWORD type = 0;
  if (ReadValue(kRunKey, name, &bytes, &type) && (type == REG_SZ || type == REG_EXPAND_SZ)) {
    entry.present = true;
    entry.command = WithoutTrailingZeros(bytes);
  }
  if (ReadValue(kApprovedKey, name, &bytes, &type)) {
    entry.marked = true;
    entry.mark = bytes;
  }
  return entry;
}

bool EnableAutostart(const std::string& name, const std::string& command) {
  HKEY run;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &run,
                      nullptr) != ERROR_SUCCESS)
    return false;
  const LONG result =
      RegSetValueExA(run, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                     static_cast<DWORD>(command.size() + 1));
  RegCloseKey(run);
  if (result != ERROR_SUCCESS) return false;
  const AutostartEntry entry = ReadAutostart(name);
  if (entry.marked && MarkDisables(entry.mark)) DeleteValue(kApprovedKey, name);
  return true;
}

bool DisableAutostart(const std::string& name) {
  return DeleteValue(kRunKey, name);
}

#include <windows.h>

#include "tests/support/autostart_values.h"

namespace {

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kApprovedKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
const char kName[] = "Nimbrel";

HKEY OpenKey(const char* path, REGSAM access) {
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, access, nullptr, &key, nullptr);
  return key;
}

void SetValue(const char* path, DWORD type, const std::string& bytes) {
  HKEY key = OpenKey(path, KEY_SET_VALUE);
  RegSetValueExA(key, kName, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                 static_cast<DWORD>(bytes.size()));
  RegCloseKey(key);
}

void DeleteValue(const char* path) {
  HKEY key = OpenKey(path, KEY_SET_VALUE);
  RegDeleteValueA(key, kName);
  RegCloseKey(key);
}

}  // namespace

std::string RunValue() {
  HKEY key = OpenKey(kRunKey, KEY_QUERY_VALUE);
  char value[1024] = "";
  DWORD size = sizeof value - 1;
  DWORD type = 0;
  const LONG read =
      RegQueryValueExA(key, kName, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  return read == ERROR_SUCCESS && type == REG_SZ ? value : "<none>";
}

void SetRunValue(const std::string& command) {
  SetValue(kRunKey, REG_SZ, std::string(command.c_str(), command.size() + 1));
}

void SetStartupMark(const std::string& bytes) {
  SetValue(kApprovedKey, REG_BINARY, bytes);
}

bool StartupMarkExists() {
  HKEY key = OpenKey(kApprovedKey, KEY_QUERY_VALUE);
  const bool exists =
      RegQueryValueExA(key, kName, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  RegCloseKey(key);
  return exists;
}

AutostartValuesCleaner::AutostartValuesCleaner() {
  DeleteValue(kRunKey);
  DeleteValue(kApprovedKey);
}

AutostartValuesCleaner::~AutostartValuesCleaner() {
  DeleteValue(kRunKey);
  DeleteValue(kApprovedKey);
}

// The settings file on disk. A rewrite goes to a new file beside the old one
// that replaces it only once every byte is written, so a full disk or a
// failing write can lose the change but never the settings already there.
// When the old file cannot be replaced (another program holds it open
// without letting it be renamed over) it is rewritten in place instead.
#include <windows.h>

#include "services/settings.h"

#include "services/settings_text.h"

namespace {

// An inform.ini is a few lines; anything past this is not ours to rewrite.
constexpr LONGLONG kMaxSettingsBytes = 16 << 20;

struct SettingsFile {
  bool open = false;
  HANDLE handle = INVALID_HANDLE_VALUE;
  std::string path;
  bool pending = false;  // the file did not exist: closing may create it
  bool modified = false;
  bool readOnly = false;
  SettingsText text;
};

SettingsFile settings;

bool WriteWithWriteFile(void* file, const char* bytes, size_t count) {
  while (count > 0) {
    DWORD done = 0;
    const DWORD piece = count > 0x10000000 ? 0x10000000 : static_cast<DWORD>(count);
    if (!WriteFile(static_cast<HANDLE>(file), bytes, piece, &done, nullptr) || done == 0)
      return false;
    bytes += done;
    count -= done;
  }
  return true;
}

SettingsWriter writer = WriteWithWriteFile;

HANDLE OpenExisting(const std::string& path, DWORD access, DWORD share) {
  return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

bool ReadWholeFile(HANDLE handle, std::string* bytes) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(handle, &size) || size.QuadPart > kMaxSettingsBytes) return false;
  bytes->resize(static_cast<size_t>(size.QuadPart));
  size_t got = 0;
  while (got < bytes->size()) {
    DWORD done = 0;
    if (!ReadFile(handle, &(*bytes)[got], static_cast<DWORD>(bytes->size() - got), &done, nullptr))
      return false;
    if (done == 0) break;  // shorter than announced: keep what is there
    got += done;
  }
  bytes->resize(got);
  return true;
}

std::string DirectoryOf(const std::string& path) {
  const size_t cut = path.find_last_of("\\/:");
  if (cut == std::string::npos) return ".";
  if (path[cut] == ':' || cut == 0) return path.substr(0, cut + 1);
  return path.substr(0, cut);
}

enum class Replacement { Written, NotCreated, WriteFailed };

// Writes bytes to a fresh file in the directory of path, named in *name.
Replacement WriteReplacement(const std::string& path, const std::string& bytes, std::string* name) {
  char temp[MAX_PATH + 16];
  if (!GetTempFileNameA(DirectoryOf(path).c_str(), "ini", 0, temp)) return Replacement::NotCreated;
  HANDLE file =
      CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DeleteFileA(temp);
    return Replacement::NotCreated;
  }
  bool written = writer(file, bytes.data(), bytes.size()) && FlushFileBuffers(file);
  written = CloseHandle(file) && written;
  if (!written) {
    DeleteFileA(temp);
    return Replacement::WriteFailed;
  }
  *name = temp;
  return Replacement::Written;
}

// Writes bytes over the file from its start and cuts it there.
bool RewriteInPlace(const std::string& path, const std::string& bytes) {
  HANDLE file = OpenExisting(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool written = writer(file, bytes.data(), bytes.size()) && SetEndOfFile(file);
  return CloseHandle(file) && written;
}

// Puts the rewritten text in place of the file (or creates it when it did
// not exist and still does not). The open handle is given up just before.
void WriteBack() {
  const std::string bytes = RenderSettingsText(settings.text);
  std::string temp;
  const Replacement made = WriteReplacement(settings.path, bytes, &temp);
  const bool replacing = settings.handle != INVALID_HANDLE_VALUE;
  const DWORD attributes =
      replacing ? GetFileAttributesA(settings.path.c_str()) : INVALID_FILE_ATTRIBUTES;
  if (replacing) {
    CloseHandle(settings.handle);
    settings.handle = INVALID_HANDLE_VALUE;
  }
  // A failed write would fail the same way in place, and there it would
  // ruin the file; a directory that takes no new file is no such sign.
  if (made == Replacement::NotCreated && replacing) RewriteInPlace(settings.path, bytes);
  if (made != Replacement::Written) return;
  if (attributes != INVALID_FILE_ATTRIBUTES)
    SetFileAttributesA(temp.c_str(),
                       attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                     FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
  // A file that appeared since opening is somebody's: it is not replaced.
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replacing ? MOVEFILE_REPLACE_EXISTING : 0);
  if (MoveFileExA(temp.c_str(), settings.path.c_str(), flags)) return;
  DeleteFileA(temp.c_str());
  // The file is still ours to write, only not to replace.
  if (replacing) RewriteInPlace(settings.path, bytes);
}

}  // namespace

bool OpenSettings(const std::string& path) {
  CloseSettings();
  settings.open = true;
  settings.path = path;
  HANDLE handle = OpenExisting(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ);
  if (handle == INVALID_HANDLE_VALUE) {
    handle = OpenExisting(path, GENERIC_READ, FILE_SHARE_READ);
    if (handle == INVALID_HANDLE_VALUE)
      handle = OpenExisting(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    settings.readOnly = handle != INVALID_HANDLE_VALUE;
  }
  std::string bytes;
  if (handle != INVALID_HANDLE_VALUE && !ReadWholeFile(handle, &bytes)) {
    // Unreadable as a whole: treated like a file that cannot be opened, so
    // no partial reading can ever be written back over it.
    CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
    settings.readOnly = false;
  }
  if (handle == INVALID_HANDLE_VALUE) {
    settings.pending = true;
    return false;
  }
  settings.handle = handle;
  settings.text = ParseSettingsText(bytes);
  return true;
}

std::string ReadSettingString(const std::string& key, const std::string& defaultValue) {
  if (!settings.open) return defaultValue;
  return LookupSettingValue(settings.text, key, defaultValue);
}

void WriteSettingString(const std::string& key, const std::string& value) {
  if (!settings.open || !SettingRoundTrips(key, value)) return;
  SetSettingValue(&settings.text, key, value);
  settings.modified = true;
}

void CloseSettings() {
  if (!settings.open) return;
  if (settings.modified && !settings.readOnly) WriteBack();
  if (settings.handle != INVALID_HANDLE_VALUE) CloseHandle(settings.handle);
  settings = SettingsFile{};
}

void SetSettingsWriter(SettingsWriter replacement) {
  writer = replacement ? replacement : WriteWithWriteFile;
}

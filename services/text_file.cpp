#include <windows.h>

#include "services/text_file.h"

#include <cstring>

#include "services/line_reader.h"
#include "services/slot_table.h"

namespace {

struct FileSlot {
  HANDLE handle = INVALID_HANDLE_VALUE;
  LineBuffer* buffer = nullptr;  // 4 KiB each, so kept off the table itself
};

void ReleaseFileSlot(FileSlot& slot) {
  if (slot.handle != INVALID_HANDLE_VALUE) CloseHandle(slot.handle);
  delete slot.buffer;
}

SlotTable<FileSlot, ReleaseFileSlot> files;

int ReadFromHandle(void* source, unsigned char* into, int capacity) {
  DWORD got = 0;
  if (!ReadFile(static_cast<HANDLE>(source), into, static_cast<DWORD>(capacity), &got, nullptr))
    return 0;
  return static_cast<int>(got);
}

// A number with no open file reads as an empty file.
int ReadNothing(void*, unsigned char*, int) {
  return 0;
}

LineInput InputOf(int number) {
  static LineBuffer empty;
  FileSlot* slot = files.Find(number);
  if (!slot) {
    empty.filled = empty.remaining = 0;
    return LineInput{&empty, ReadNothing, nullptr};
  }
  return LineInput{slot->buffer, ReadFromHandle, slot->handle};
}

bool IsDriveLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

bool OpenFileForReading(int number, const char* path) {
  if (number < 0) return false;
  files.Free(number);
  if (!path) return false;
  HANDLE handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  FileSlot* slot = files.Claim(number);
  slot->handle = handle;
  slot->buffer = new LineBuffer();
  return true;
}

bool IsEndOfFile(int number) {
  return IsAtEnd(InputOf(number));
}

std::string ReadTextLine(int number) {
  return ReadLine(InputOf(number));
}

void CloseFileSlot(int number) {
  files.Free(number);
}

void CloseAllFileSlots() {
  files.FreeAll();
}

int64_t QueryFileSize(const char* path) {
  if (!path || !*path) return -1;
  char p[MAX_PATH + 2] = {};
  std::strncpy(p, path, MAX_PATH);
  size_t length = std::strlen(p);

  // "C:" or "C:\" names a drive root.
  if (IsDriveLetter(p[0]) && p[1] == ':' && (length == 2 || (length == 3 && p[2] == '\\'))) {
    p[2] = '\\';
    p[3] = '\0';
    return GetDriveTypeA(p) > DRIVE_NO_ROOT_DIR ? -2 : -1;
  }
  while (length > 0 && p[length - 1] == '\\') p[--length] = '\0';
  if (length == 0) return -1;

  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(p, &found);
  if (search == INVALID_HANDLE_VALUE) {
    // A share root ("\\server\share") is found by attributes only.
    const DWORD attributes = GetFileAttributesA(p);
    if (p[0] == '\\' && p[1] == '\\' && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY))
      return -2;
    return -1;
  }
  FindClose(search);
  if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -2;
  return (static_cast<int64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
}

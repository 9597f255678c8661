#pragma once
// Numbered text files opened for reading line by line, and file sizes by path.

#include <cstdint>
#include <string>

bool OpenFileForReading(int number, const char* path);
bool IsEndOfFile(int number);
// The next line without its ending; the empty text at the end of the file.
std::string ReadTextLine(int number);
void CloseFileSlot(int number);
void CloseAllFileSlots();

// The size of the named file in bytes; -1 when the path is empty or names
// nothing, -2 when it names a directory or a drive root.
int64_t QueryFileSize(const char* path);

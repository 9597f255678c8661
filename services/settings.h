#pragma once
// The settings file (inform.ini): one file open at a time for the whole
// process. Opening loads every line; reads and writes work on that list;
// closing rewrites the file in its normalised form when anything changed.
// A rewrite that fails part-way leaves the previous file as it was.

#include <cstddef>
#include <string>

// Closes whatever is open (writing it back if modified), then opens and
// parses path. False when the file does not exist or cannot be opened; a
// missing file still takes writes and is created on closing.
bool OpenSettings(const std::string& path);

// The value of key (letter case ignored) above the first group header, with
// surrounding blanks removed; defaultValue, unchanged, when there is none or
// nothing is open.
std::string ReadSettingString(const std::string& key,
                              const std::string& defaultValue = std::string());

// Sets or adds key; the key is stored in the caller's spelling. Does nothing
// when nothing is open, and refuses a key or value that could not be read
// back as one line (line breaks, zero bytes, '=' in the key).
void WriteSettingString(const std::string& key, const std::string& value = std::string());

// Rewrites the file when modified (dropped for a read-only file), then
// releases everything. Nothing open: nothing happens.
void CloseSettings();

// Tests replace the byte writer of a rewrite to simulate a full disk or a
// failing device; nullptr restores the real one. The handle is a HANDLE.
using SettingsWriter = bool (*)(void* file, const char* bytes, size_t count);
void SetSettingsWriter(SettingsWriter writer);

#pragma once
// Where start-up spends its time and the widget its memory, for
// scripts/bench: each step's time since the first one, and the memory by
// kind once the widget shows. Kept in a fixed table; written only when the
// environment variable NIMBREL_STARTUP_REPORT names a file, so a user's
// widget measures nothing and writes nothing.

// Marks the end of a start-up step (a string literal).
void MarkStartupStep(const char* step);

// Writes the steps and the memory by kind to the named file, once.
void WriteStartupReport();

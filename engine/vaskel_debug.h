#pragma once

// Plain-text log files in the working directory. Every call opens, writes
// and closes its file, so a message is on disk when the call returns.
// Names are matched without regard to case against files that already
// exist, so "SK_ENGINE.TXT" appends to an existing "SK_ENGINE.txt".
// A file that cannot be opened is skipped silently.

// Appends message verbatim (no formatting: "%" is just a character).
void vkLog(const char* message, const char* fileName);

// Truncates the file (creating it if needed) and writes the header
// "Log Cleared\n===========\n\n".
void vkLogClear(const char* fileName);

#pragma once

// Plain-text log files in the working directory. Every call opens, writes
// and closes its file, so a message is on disk when the call returns.
// The engine log's two spellings, "SK_ENGINE.txt" and "SK_ENGINE.TXT" (any
// case), are one file, "SK_ENGINE.txt"; other names are used as given.
// A file that cannot be opened is skipped silently.

// Appends message verbatim (no formatting: "%" is just a character).
void vkLog(const char* message, const char* fileName);

// Truncates the file (creating it if needed) and writes the header
// "Log Cleared\n===========\n\n".
void vkLogClear(const char* fileName);

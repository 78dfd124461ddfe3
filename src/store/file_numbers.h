#pragma once
// File numbers: small positive numbers that the request-state words hold
// while a file stays open across frames (a table being sent, a report or a
// dump being written).
#include <cstdint>
#include <string>

namespace platform {
class RecordFile;
}

// Opens (creating) a fixed-length record file; 0 when it cannot be opened.
int16_t OpenRandomFileNum(const std::string& path, int recordLength);
// Opens a text file for writing lines, replaced or appended; 0 on failure.
int16_t OpenOutputFileNum(const std::string& path, bool append);
// The record file of a number opened with OpenRandomFileNum, else nullptr.
platform::RecordFile* RandomFileNum(int16_t number);
// Writes the text and CR LF to a number opened with OpenOutputFileNum.
bool PrintFileNum(int16_t number, const std::string& text);
// Closes the file of the number; nothing when it isn't open.
void CloseFileNumber(int16_t number);
// How many numbered files are open.
int OpenFileCount();

#pragma once
// The phone book: named telephone numbers through which registers are
// dialled, section "PhoneBook" of PhoneBook.ini (Core.strPhoneBookIni).
//
// Keys "1", "2", ... hold "name|number"; the list ends at the first key that
// is missing or empty. A deleted entry keeps its key with the value "|", so
// that the keys after it stay reachable; the next entry added takes the first
// entry whose name is empty. A value without "|" (edited by hand) is a name
// with an empty number. Values are read as 127 characters at most.
#include <cstdint>
#include <string>
#include <vector>

struct PhoneEntry {
    int16_t key = 0;     // the entry's key (its number)
    std::string name;    // the text before the first "|"
    std::string number;  // the text after it, as stored
};

// Every entry from key "1" up to the first missing or empty key, deleted
// ones (empty name) included, in key order.
std::vector<PhoneEntry> ReadPhoneBook();

// The first entry whose name equals name: its key into index and its number,
// trimmed of blanks, as the result. When none matches the number is empty
// and index is the first missing key (where a new entry would go). An empty
// name finds the first deleted entry.
std::string GetConnection(const std::string& name, int16_t& index);

// The number of the entry with that key (not trimmed); empty when the key
// is missing.
std::string GetNumber(int16_t index);
// The name of the entry with that key: the text before the first "|", or
// the whole value when that text is empty; empty when the key is missing.
std::string GetEntryName(int16_t index);

// A name or number holds "|", which would split the stored value in the
// wrong place: such an entry could never be found again.
bool PhoneTextAllowed(const std::string& text);

// Writes name, "|" and number under the key; false when either holds "|"
// (nothing is written) or the file cannot be written.
bool SavePhoneEntry(const std::string& name, const std::string& number, int16_t index);

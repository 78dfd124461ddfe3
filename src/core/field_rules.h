#pragma once
// How the register setup editors take a typed value into a record field and
// check it, written once for every editor: numbers, amounts, texts that go on
// the wire, the folder an editor may read and write, and a range's limits.
// Texts are Windows-1252; "typed" texts come trimmed of blanks.
#include <cstdint>
#include <string>

namespace fields {

// True when the text is a number by the system's rules: blanks around it, an
// optional sign, digits and the system's decimal separator with more digits.
bool IsNumber(const std::string& text);
// True when the text is one or more digits and nothing else.
bool AllDigits(const std::string& text);

// A typed number with its one "." or "," made the system's decimal
// separator, so that either reads whatever the desktop's locale; any other
// text as it stands.
std::string TypedNumber(const std::string& text);

// The Take functions read a typed text and give false, leaving value alone, when the text is no number
// or the number lies outside lo..hi: a text is never taken as another value.
//
// An amount in minor currency units (StrToCur: the program's decimals, "."
// or "," as the decimal separator); an empty box is 0. Also false when the amount is too large for the program's
// amounts (which StrToCur would turn into 0).
bool TakeAmount(const std::string& text, int64_t lo, int64_t hi, int64_t& value);
// A whole number ("12abc" and "1,5" are refused); an empty box is 0.
bool TakeWhole(const std::string& text, int64_t lo, int64_t hi, int64_t& value);
// A number (the system's decimal separator) rounded to a whole number; an
// empty box is refused.
bool TakeNumber(const std::string& text, int64_t lo, int64_t hi, int64_t& value);

// A text for a field that travels in the register's ":"-joined records: the
// field separators ":" and ";" and control bytes become blanks, so that a
// name never shifts the fields after it.
std::string WireSafe(const std::string& text);

// An exchange rate as the currency file keeps it: six integer digits, the
// system's decimal separator and eight decimals ("000001.50000000").
std::string RateText(double rate);

// The open register's folder is the folder of the register chosen in the user
// interface. While an operation on several registers has another register's
// folder open, an editor neither reads nor writes its files: the status text
// says so and the result is false.
bool EditorFolderReady();

// A range of records of an editor that deletes or reads a range: true when
// both limits lie in lo..hi (the lower need not be below the upper); else the
// status text "Msg" 8 with "Msg1" 6 and false.
bool TestLimiti(const std::string& from, const std::string& to, int64_t lo, int64_t hi);

// A date of the register (day, month, two-digit year of 2000 to 2099) that
// the calendar has: 31/04 and 29/02 of a year that is not a leap year are
// refused as day 32 is.
bool DateExists(int day, int month, int year2);

}  // namespace fields

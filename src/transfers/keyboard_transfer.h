#pragma once
// The keyboard layout over the line: the function of each key on two
// levels, one key per record ("variant + 1:level:key position:function
// code"). The records come from and go into the keyboard editor's key tables
// (store/keyboard.h); a read saves them to the register's key
// configuration file at its end line, the programmable keys the register did
// not send getting the default function. A read that brought no key keeps
// the file as it is; one whose file cannot be written fails.
#include <cstdint>
#include <string>

// B 79: the next key to send: the keys of level 0 marked to be sent, then
// those of level 1, whose first key is sent whatever its mark; "*" after the
// last (and to any request after that).
std::string AnsTastiera();
// C 20: one key of the register's keyboard; a variant other than the
// current one switches the key tables to that variant's file first.
int16_t DataTastiera();

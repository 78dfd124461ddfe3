#pragma once
// The chip-card transfers of LX4100: one operator or waiter card written
// through the register's reader ("B" 60 and 61, answered once from OpeCard or
// CamCard, without a closing "*") or read from it ("C" 60 and 61, one line
// into the card record, which the line marks valid for the editor).
// Nothing goes to or from a file.
#include <cstdint>
#include <string>

// Answer procedures of "B" requests 60 and 61: the card's nine fields on
// LX4100, an empty answer on the other models; either way the write is done.
std::string AnsOpeCard();
std::string AnsCamCard();
// Data procedures of "C" data codes 60 and 61.
int16_t DataOpeCard();
int16_t DataCamCard();

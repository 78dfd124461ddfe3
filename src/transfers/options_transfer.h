#pragma once
// The register's option groups over the line. Each group is one record of
// members of the options record (CassaConf): the answer procedure builds the
// record that the register asks for with its "B" request after a write
// command (and counts the answer done: no "*" follows), the data procedure
// stores the record that the register sends with a "C" line after a read
// command, and its end line ("*") ends the group.
//
// A received record is read whole before anything is stored: a line with
// fewer fields than its group carries stores nothing; fields beyond the group
// are ignored; a number that does not fit its 16-bit member, or a text too
// long for its member, leaves that member as it was. Each of these is noted
// in the progress window's error list and the message log, and the line is
// acknowledged all the same.
#include <cstdint>
#include <string>

// B 72 / C 24: communication.
std::string AnsComm();
int16_t DataComm();
// B 76 / C 28: general options (with the date made of P601G, P601M, P601A).
std::string AnsOpGen();
int16_t DataOpGen();
// B 89 / C 14: the VAT rates of the model's VAT codes.
std::string AnsTabIva();
int16_t DataTabIva();
// B 87 / C 12: register options.
std::string AnsGlbCassa();
int16_t DataGlbCassa();
// B 55 / C 55: register options, second group (ended only by a first field
// that is "*" alone).
std::string AnsGlbCassa2();
int16_t DataGlbCassa2();
// B 74 / C 26 and B 75 / C 27: receipt options.
std::string AnsScontrino();
int16_t DataScontrino();
std::string AnsScontrino2();
int16_t DataScontrino2();
// B 73 / C 25 and B 77 / C 29: operator, waiter and customer options.
std::string AnsOpeCamCli();
int16_t DataOpeCamCli();
std::string AnsOpeCamCli2();
int16_t DataOpeCamCli2();


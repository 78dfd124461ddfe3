#pragma once
// The customers and customer groups over the line. Customers are sent from
// Clienti.txt record by record through the customer file facade (ClientM) in
// the register's generation; a read of customers is dumped line by line into
// C16.txt and, at its closing line, the archive is rebuilt from the dump and
// replaces Clienti.txt in one step. Groups are sent from and stored into
// ClientG.txt through ClientGroupsM; a register without customer groups gets
// "*" at once and nothing is written for it.
#include <cstdint>
#include <string>

class ClientM;

inline constexpr const char* kC16File = "C16.txt";

// "B70": the next customer of the send, or "*".
std::string AnsCli();
// "C16": one customer line of a read, stored in C16.txt as the dispatcher
// cut it (strAnsRec); the closing line rebuilds the archive.
int16_t DataC16();
// Rebuilds Clienti.txt from C16.txt: exactly the customers of the dump, in
// its order. A line without a customer code is not taken (and is listed).
// False when the dump cannot be read or the archive not written; the old
// archive then stays.
bool ImportC16();
// "B59": the next customer group, or "*".
std::string AnsClientGroup();
// "C59": one customer group of a read.
int16_t DataClientGroup();

// Says what the conversions of the facade's archive to shorter records
// dropped: the message log names each customer with its values and the
// backup that keeps them; the progress window's error list names the
// archive, and stays until the user closes it.
void SayCliDropped(ClientM& cli);

// The answer and data procedures above, in the link's dispatch tables.
void RegisterCustomerProcs();

// The record numbers of the customers whose codes are first and last in the
// open register's archive (both codes must be there), for a send by code
// range. False (and the reason in why) when a code is not in the archive or
// the range runs backwards.
bool CliCodeRange(const std::string& first, const std::string& last, int32_t& from, int32_t& to,
                  std::string& why);

#pragma once
// The customer archive Clienti.txt and the customer groups file ClientG.txt
// of a register folder: their creation when the folder lacks them.
#include "store/client_groups.h"

inline constexpr const char* kClientiFile = "Clienti.txt";
inline constexpr const char* kClientGFile = "ClientG.txt";

// Default-file writers (also declared in store/create_tables.h).
// The empty customer archive: an archive without customers is an empty file
// whatever the register's record generation.
bool CreateCli();
// Groups 1 to nMaxClientG, each with its number and a blank description.
bool CreateClientGroup();

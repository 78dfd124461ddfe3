#pragma once
// The tables a register holds when the emulator starts on an installation's
// folder: what the program's own send of the register folder's files would
// leave in it, so that a read right after the start brings back what the
// files hold.
#include <string>
#include <utility>
#include <vector>

namespace emu {

// Every table the program reads back, by the emulator's name of it
// (KnownTables), with the records the program sends of it from the open
// register folder
// (Core.strCashDir, the model of ConfigLevel, the table sizes, the options
// record read from the folder's Cassa.txt, the table procedures
// registered). The option groups and the PLU options come only when
// withOptions (a folder without its Cassa.txt holds no options of the
// register); the keyboard
// never (it is read from the key files). A table the model does not have is
// left out; one whose file is missing comes without records.
std::vector<std::pair<std::string, std::vector<std::string>>> FolderTables(bool withOptions);

}  // namespace emu

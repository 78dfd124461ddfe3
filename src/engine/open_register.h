#pragma once
// Opening a register folder: making the folder of the chosen register the
// current one, with its options file, every table file of the model, the
// table sizes, the keyboard files and the options record.
#include <cstdint>
#include <string>

// Opens the folder of the register chosen by the caller, who has set
// Core.strCashDir, LinkState.nAddress and Core.nOpenCash. With bReloadList
// the command queue's entries are freed and the register list is read again.
// Creates what is missing (folder, Cassa.txt, table files, key
// configurations), sets the table sizes, loads the key-function list and the
// key tables, reads the options and brings the register list up to date.
// A step that fails is noted in the message log and the opening goes on, so
// that the options and link settings are always this register's own (or its
// model's defaults); the result is then false. For a new folder the result is
// that of the SaveCassa that fills its Cassa.txt.
bool LoadCassa(bool bReloadList);

// Sets the table-size counters (Sizes) for the installation's model.
void SetTableSizes();

// Opens the register chosen in the user interface (LinkState.nCurCash) when
// its entry is defined.
void SelectCash();

#pragma once
// What the configuration tree window does that is logic: the stop request,
// the choice of a register, and the nodes it lists (the registers of
// config.ini and one node per editor, grouped, with captions from the
// language file's section "Nodi").
#include <cstdint>
#include <string>
#include <vector>

// Sets the stop request (the run ends) and writes error code 6.
void SetStopFlag();

// The user chose a register: it becomes the register of the user
// interface (LinkState.nCurCash) and its folder is opened (SelectCash). An
// index outside the list or a register that isn't defined changes nothing.
void ChooseRegister(int16_t index);

// The caption of a register node: "Nodi" "cassa", the register's folder
// number (station address + 1) and its name when it has one.
std::string RegisterNodeCaption(int index);
// The question before a deletion in the registers: what it deletes cannot
// be undone, in every register it goes to (each defined, enabled register,
// named as the tree names it).
std::string DeleteInRegistersQuestion();

// One editor node of the tree.
struct EditorNode {
    const char* key;       // editor key, such as "K_FRMREPARTI"
    const char* nodiKey;   // its caption's key in section "Nodi"
    const char* groupKey;  // the caption key of its group in section "Nodi"
    // The table file the editor works on, when the model may lack it: the
    // node is shown only on models that have the table.
    const char* table = nullptr;
};
// Every editor node, in the order shown; the groups in order of first use.
const std::vector<EditorNode>& EditorNodes();
// Caption key of the register list's own node in section "Nodi".
inline constexpr const char* kRegistersNodeKey = "casse";

#include "engine/document.h"

#include <cstdlib>

#include "core/cash_list.h"
#include "engine/main_timer.h"
#include "core/texts.h"
#include "core/link_state.h"
#include "engine/open_register.h"

void SetStopFlag() {
    MainTimer.StopRequest = true;
    LogErr(6, OpenTurnSubject());
}

void ChooseRegister(int16_t index) {
    if (index < 0 || index >= kMaxCash || !CassaList[index].bDefined) return;
    LinkState.nCurCash = index;
    SelectCash();
}

std::string RegisterNodeCaption(int index) {
    if (index < 0 || index >= kMaxCash) return std::string();
    const CashRec& c = CassaList[index];
    // The folder number: station address + 1 (Cassa1 for station 0).
    long station = std::strtol(c.station.c_str(), nullptr, 10);
    if (station < 0 || station >= kMaxCash) station = 0;
    std::string caption = GetText("Nodi", "cassa") + " " + std::to_string(station + 1);
    std::string name = c.name;
    size_t end = name.find_last_not_of(' ');
    name = end == std::string::npos ? std::string() : name.substr(0, end + 1);
    if (!name.empty()) caption += " - " + name;
    return caption;
}

std::string DeleteInRegistersQuestion() {
    std::string names;
    for (int i = 0; i < kMaxCash; ++i) {
        if (!CassaList[i].bDefined || !CassaList[i].bEnabled) continue;
        names += (names.empty() ? "" : ", ") + RegisterNodeCaption(i);
    }
    return GetText("Msg", "75") + " " + GetText("Msg", "delregisters") + " " + names;
}

const std::vector<EditorNode>& EditorNodes() {
    static const std::vector<EditorNode> nodes = {
        {"K_FRMREPARTI", "reparti", "articoli"},
        {"K_FRMOPGEN", "opgen", "impostazioni"},
        {"K_FRMGLBCASSA", "glbcassa", "impostazioni"},
        {"K_FRMSCONTRINO", "scontrino", "impostazioni"},
        {"K_FRMINTSCONTRINO", "intscontrino", "impostazioni"},
        {"K_FRMTASTIERA", "tastiera", "impostazioni"},
        {"K_FRMGESTICONE", "gesticone", "impostazioni"},
        {"K_FRMTESTOICONE", "testoicone", "impostazioni"},
        {"K_FRMICONEPERIODO", "iconeperiodo", "impostazioni"},
        {"K_FRMMODPAG", "modpag", "impostazioni"},
        {"K_FRMVALUTE", "valute", "impostazioni"},
        {"K_FRMCARRESTO", "carresto", "impostazioni", "RResto.txt"},
        {"K_FRMBOLLINI", "bollini", "impostazioni"},
        {"K_FRMOPECAMCLI", "opecamcli", "impostazioni"},
        {"K_FRMOPERATORI", "operatori", "impostazioni"},
        {"K_FRMCAMERIERI", "camerieri", "impostazioni"},
        {"K_FRMCLIENTI", "clienti", "clientela"},
        {"K_FRMGCLIENTI", "gclienti", "clientela", "ClientG.txt"},
        {"K_FRMFIDELIZZA", "fidelizza", "clientela", "CirCli.txt"},
        {"K_FRMCOMM", "comm", "comunicazione"},
    };
    return nodes;
}

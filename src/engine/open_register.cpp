#include "engine/open_register.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "core/cash_list.h"
#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "core/table_sizes.h"
#include "core/texts.h"
#include "store/keyboard.h"
#include "link/cmd_queue.h"
#include "core/link_state.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "store/create_tables.h"
#include "transfers/customers_transfer.h"
#include "transfers/plu_transfer.h"
#include "store/table_file.h"

namespace {

// One opening: what failed is noted in the message log (the text and the
// file concerned) and makes the result false, and the opening goes on.
class Opening {
public:
    void Fail(const std::string& text, const std::string& file) {
        WriteMsgLog(text + " " + file);
        ok_ = false;
    }
    void Failed() { ok_ = false; }
    bool ok() const { return ok_; }

    // Creates a missing table file with its writer.
    void Table(const char* name, bool (*create)()) {
        const std::string path = platform::JoinPath(Core.strCashDir, name);
        if (platform::FileExists(path)) return;
        if (!create()) Fail(GetText("Log", "nocreate"), path);
    }

private:
    bool ok_ = true;
};

// The folder itself, one level below the base folder.
bool MakeCashDir(const std::string& dir) {
    if (platform::DirExists(dir)) return true;
    const size_t slash = dir.find_last_of('/');
    const std::string parent = slash == std::string::npos ? std::string(".") : dir.substr(0, slash);
    if (!parent.empty() && !platform::DirExists(parent)) return false;
    return platform::MakeDir(dir);
}

void CreateMissingTables(Opening& op) {
    const bool loyalty = ModelHasTable("CirCli.txt");
    op.Table("Reparti.txt", CreateReparto);
    if (loyalty) {
        op.Table("RepFid.txt", CreateRepFid);
        op.Table("SubFid.txt", CreateSubFid);
        op.Table("CirCli.txt", CreateCirCli);
    }
    op.Table("PLU.txt", CreatePLU);
    op.Table("Offerte.txt", CreateOff);
    op.Table("DirPLU.txt", CreateDirPLU);
    op.Table("ModPag.txt", CreateModPag);
    if (ModelHasTable("TicketAmount.txt")) op.Table("TicketAmount.txt", CreateTicketAmount);
    if (ModelHasTable("RResto.txt")) op.Table("RResto.txt", CreateRResto);
    op.Table("Valute.txt", CreateValuta);
    op.Table("ScoMag.txt", CreateScoMag);
    op.Table("Bollini.txt", CreateBollino);
    const std::string operators = platform::JoinPath(Core.strCashDir, "Operatori.txt");
    if (platform::FileExists(operators)) {
        if (!ConvOpeFile()) op.Fail(GetText("Log", "noconvert"), operators);
    } else {
        op.Table("Operatori.txt", CreateOpe);
    }
    op.Table("Camerieri.txt", CreateCam);
    op.Table("Clienti.txt", CreateCli);
    if (ModelHasTable("ClientG.txt")) op.Table("ClientG.txt", CreateClientGroup);
    op.Table("PrezPeso.txt", CreatePrzPeso);
    op.Table("GrpRep.txt", CreateGrpRep);
    op.Table("GrpSta.txt", CreateGrpSta);
    op.Table("IconText.txt", CreateTestoIcone);
    if (KnownModel() && !ConfigLevel.IsModel({"LX4100"})) op.Table("FunMul.txt", CreateFMult);
}

// The model's key configuration templates, copied from the start folder into
// the register folder when the register has no file for its keyboard type.
// Only missing files are copied: a register's own key configurations of the
// other types are kept.
void CopyKeybTemplates(Opening& op) {
    if (Keyb.strKeybConfFile.empty() || platform::FileExists(Keyb.strKeybConfFile)) return;
    for (int16_t i = 0; i < ConfigLevel.GetNKeybConf(); ++i) {
        const std::string name = KeybConfFileName(i);
        const std::string target = platform::JoinPath(Core.strCashDir, name);
        if (platform::FileExists(target)) continue;
        const std::string source =
            Core.strStartDir.empty() ? std::string() : platform::JoinPath(Core.strStartDir, name);
        if (source.empty() || !platform::FileExists(source))
            op.Fail(GetText("Log", "notemplate"), name);
        else if (!platform::CopyFileTo(source, target))
            op.Fail(GetText("Log", "nocopy"), source + " -> " + target);
    }
}

// Work files that a run stopped part-way (a kill, a power cut) left in the
// folder: every "<file>.part" (the copy a read or a report was writing, or
// the mark of a dump being written), and the dump that a mark names, whose
// lines stop where the run did. The files the marks belong to are whole.
void RemoveStaleWorkFiles(const std::string& dir) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const std::string suffix = tables::kCopySuffix;
    std::vector<std::string> stale;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() > suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            stale.push_back(name);
    }
    // A copy that a read of this run is writing is no stale file.
    auto busy = [](const std::string& path) {
        for (const auto& [table, copy] : tables::TableFiles.copies)
            if (copy.copy == path) return true;
        return false;
    };
    for (const std::string& name : stale) {
        if (busy(platform::JoinPath(dir, name))) continue;
        const std::string of = name.substr(0, name.size() - suffix.size());
        for (const char* dump : {kC08File, kC16File})
            if (of == dump) platform::RemoveFile(platform::JoinPath(dir, of));
        platform::RemoveFile(platform::JoinPath(dir, name));
    }
}

}  // namespace

void SetTableSizes() {
    Sizes.nMaxModPag = NewerFamily() ? 40 : 10;
    Sizes.nMaxTicketAmount = NewerFamily() ? 510 : 0;
    Sizes.nMaxValute = 4;
    Sizes.nMaxRResto = 8;
    Sizes.nMaxBollini = 4;
    Sizes.nMaxOpe = 20;
    Sizes.nMaxCam = 20;
    Sizes.nMaxGrpRep = 12;
    Sizes.nMaxGrpSta = 19;
    Sizes.nMaxFunMul = 250;
    Sizes.nMaxClientG = 255;
    if (ConfigLevel.IsModel({"LX4100"})) {
        Sizes.nMaxReparti = 99;
        Sizes.nMaxDirPLU = 99;
        Sizes.nMaxScoMag = 6;
    } else if (KnownModel()) {
        Sizes.nMaxReparti = 250;
        Sizes.nMaxDirPLU = 250;
        Sizes.nMaxScoMag = 20;
    }
}

bool LoadCassa(bool bReloadList) {
    Opening op;
    const std::string& dir = Core.strCashDir;
    // The opening reads each of its profile files once, whatever the keys.
    platform::ProfileOpening options(CassaTxtPath()), list(ConfigIniPath()), setup(Core.strSetupIni);

    // 1-2. The folder and its options file.
    bool folder = !dir.empty() && MakeCashDir(dir);
    if (!folder) op.Fail(GetText("Log", "nocreate"), dir);
    bool isNew = false;
    if (folder && !platform::FileExists(CassaTxtPath())) {
        if (platform::WriteFile(CassaTxtPath(), ""))
            isNew = true;
        else
            op.Fail(GetText("Log", "nocreate"), CassaTxtPath());
    }

    if (folder) RemoveStaleWorkFiles(dir);

    // 3-4. Queue state of a fresh opening.
    CassaFile.bConfPLUDefault = true;
    CmdQueue.bQueueHold = false;
    CmdQueue.bHelloDone = false;
    CmdQueue.sngQueueTime = platform::Timer();
    if (bReloadList)
        for (int i = 1; i <= kQueueSize; ++i) CmdQueue.entries[i].state = 0;

    // 5-6. Table sizes and the missing table files.
    SetTableSizes();
    if (folder) CreateMissingTables(op);

    // 7-9. Keyboard type, key configurations, key-function list, key tables.
    if (!ReadCassaTipo()) op.Failed();
    SetKeybInfos();
    if (folder) CopyKeybTemplates(op);
    LoadFunzioni();
    LoadKeyConf();

    // 10. The options record and the link settings that follow from it.
    if (!ReadCassaConf()) op.Failed();

    // 11-12. The register list.
    if (isNew) {
        // A register already in the list keeps its number: the new options
        // file takes it, so that a save of the options writes it back as it
        // was (the default 0 would renumber the register). A register new to
        // the list takes its number from the options record (P013 as read,
        // its default 0 for a new file).
        const int16_t i = Core.nOpenCash;
        if (i >= 0 && i <= kMaxCash && CassaList[i].bDefined) {
            const long number = std::strtol(CassaList[i].number.c_str(), nullptr, 10);
            if (number >= 0 && number <= 99) udtCassaConf.P013 = static_cast<int16_t>(number);
        }
        NewCashRec(Core.nOpenCash);
        if (!SaveCassa()) op.Fail(GetText("Log", "nowrite"), CassaTxtPath());
    } else if (bReloadList) {
        LoadCassaList();
    }
    LoadCasseConf();
    return op.ok();
}

void SelectCash() {
    const int i = LinkState.nCurCash;
    if (i < 0 || i > kMaxCash || !CassaList[i].bDefined) return;
    SetOpenCashEntry(static_cast<int16_t>(i));
    LoadCassa(false);
}

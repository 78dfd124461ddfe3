#include "transfers/keyboard_transfer.h"

#include <algorithm>
#include <vector>

#include "core/cassa_conf.h"
#include "core/config_level.h"
#include "core/globals.h"
#include "core/shell.h"
#include "core/texts.h"
#include "store/keyboard.h"
#include "link/cmd_queue.h"
#include "link/dispatch.h"
#include "link/frames.h"
#include "core/link_state.h"
#include "core/req_state.h"
#include "core/record.h"
#include "transfers/transfer.h"

namespace {

constexpr int16_t kLevelsDone = 2;  // nTxTastieraLvl once the send has answered "*"

std::array<KeyConf, kKeyEntries>& Table(int level) {
    return level == 0 ? Keyb.KeyConf0 : Keyb.KeyConf1;
}

int16_t KeyCount() { return static_cast<int16_t>(std::clamp<int>(Keyb.nNumKeys, 0, kKeyEntries - 1)); }

bool Timbrel() { return ConfigLevel.CashType() == "TIMBREL"; }

// The first key from `from` on of the level that is marked to be sent; the
// number of keys when none is left.
int16_t FindNextKey(int16_t from, int level) {
    const int16_t n = KeyCount();
    for (int16_t k = std::max<int16_t>(from, 0); k < n; ++k)
        if (Table(level)[k].bProg != False) return k;
    return n;
}

// True when the read under way supplied some key of either level.
bool AnyKeyRead() {
    for (int level = 0; level < 2; ++level)
        for (const KeyConf& k : Table(level))
            if (k.bRead != False) return true;
    return false;
}

// The end line of a keyboard read. A read that supplied no key (the
// register answered with the end line alone) keeps the file as it is: its
// keys would all become the default function. A file that cannot be written
// fails the read, and the key tables go back to what the file holds.
int16_t EndKeyboardRead() {
    if (!AnyKeyRead()) {
        // Said where a read's outcome is said, in place of "Read from".
        const std::string text = GetText("Log", "norecords") + " " + Keyb.strKeybConfFile;
        ShowMsg("", "");
        ShowResult(text);
        CurrentShell().AddMessage(text, true);
        CurrentShell().SetPGBValue(-1);
        DecPending();
        SendAck();
        return 0;
    }
    FillKeybDefaults();
    std::string error;
    if (!SaveKeyConf(error)) {
        ReportTransferFailure(GetText("Log", "readfailed") + " " + Keyb.strKeybConfFile + ": " + error);
        LoadKeyConf();
    }
    return EndTableRead();
}

}  // namespace

std::string AnsTastiera() {
    TxLineArrived();
    int16_t& key = ReqState.nTxTastieraKey;
    int16_t& level = ReqState.nTxTastieraLvl;
    if (level < 0 || level >= kLevelsDone) return "*";
    const int16_t n = KeyCount();
    key = FindNextKey(key, level);
    if (key >= n) {
        if (level == 1) {
            level = kLevelsDone;
            return EndSend();
        }
        level = 1;
        key = 0;
    }
    Shell& shell = CurrentShell();
    if (key == 0) {
        ShowMsg("72", "2");
        shell.SetPGBRange(1, static_cast<int16_t>(n + 1));
    }
    shell.SetPGBValue(static_cast<int16_t>(key + 1));
    const KeyConf& k = Table(level)[static_cast<size_t>(std::clamp<int>(key, 0, kKeyEntries - 1))];
    const int position = Timbrel() ? key + 1 : k.nPosCode;
    std::string record = std::to_string(CassaFile.nTipoTastiera + 1) + ":" + std::to_string(level) +
                         ":" + std::to_string(position) + ":" + std::to_string(k.nFunCode);
    ++key;
    return record;
}

int16_t DataTastiera() {
    TxLineArrived();
    if (ReqState.bRdTastiera == False) {
        SendAck();
        return True;
    }
    const std::string& data = AnswerRec.strAnsData;
    if (!data.empty() && data[0] == '*') {
        ReqState.bRdTastiera = False;
        return EndKeyboardRead();
    }
    CurrentShell().IncPGBValue();

    std::vector<std::string> f;
    int16_t variant1 = 0, level = 0, position = 0, code = 0;
    const bool readable = CutLineFields(data, 4, f) && NumberField16(f[0], variant1) &&
                          NumberField16(f[1], level) && NumberField16(f[2], position) &&
                          NumberField16(f[3], code);
    const int16_t variant = static_cast<int16_t>(variant1 - 1);
    if (!readable || variant < 0 || variant >= ConfigLevel.GetNKeybConf()) {
        ReportTransferProblem(GetText("Log", "notstored") + " " + data);
        SendAck();
        return True;
    }
    if (variant != CassaFile.nTipoTastiera) {
        // The key tables of the register's variant, from that variant's own
        // file, so that the end line saves them there.
        CassaFile.nTipoTastiera = variant;
        SetKeybInfos();
        LoadKeyConf();
    }
    if (Timbrel()) {
        int16_t row = 0, column = 0;
        if (GetKeyLayoutPos(variant, position - 1, row, column))
            position = static_cast<int16_t>(row * 16 + column + 1);
    }
    const int16_t index = FindKeyPos(position);
    if (index >= 0) {
        KeyConf& k = Table(level == 0 ? 0 : 1)[static_cast<size_t>(index)];
        k.nFunCode = code;
        k.nFunIdx = FindFunCode(code);
        k.bRead = True;
    }
    SendAck();
    return True;
}

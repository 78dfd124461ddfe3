#pragma once
// What the installation's register model and each register's firmware
// release allow: option bits, option defaults, table sizes, description
// lengths, record generations of the customer and PLU files, file-name stems
// and protocol extensions. One instance for the whole program, reached as
// `ConfigLevel` (ConfigLevel.CashType(), ConfigLevel.GetMaxDescrLen(), ...).
//
// Releases are texts such as "R013000" and compare as strings, character by
// character by character code; the empty text (release not known yet) is
// below every real release. A register index runs from 0 to 16; index 16 (and
// anything outside 0..15) never holds a release or a protocol level.
#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

class ConfigLevelClass {
public:
    static constexpr int kSlots = 17;  // register indexes 0 to 16

    // 1. Sets the model number, the model key and the off-line release. An
    // unknown number gives TAV3800 and the number 5.
    void InitOffLine(int16_t number, const std::string& release);
    // 2. Stores the release of a register (blanks around it removed); an index
    // of 16 or more is ignored.
    void SetCashVersion(int idx, const std::string& release);
    // 3. Stores the protocol level of a register. When the model has no
    // extended protocol (GetP911Enable(idx, 1, "E") false) the level is forced
    // to 0, also in the caller's variable. Returns the level stored.
    int16_t SetProtoLevel(int idx, int16_t& level);
    // 4. The stored level; 0 for an index of 16 or more.
    int16_t GetProtoLevel(int idx) const;
    // 5, 6. The model key ("DRAVO57") and number (1 to 12).
    const std::string& CashType() const { return strCashType_; }
    int16_t CashTypen() const { return nCashType_; }
    // Whether the model key is one of these ("LX4100", "DRAVO57", ...).
    bool IsModel(std::initializer_list<const char*> models) const;
    // 7, 8. Whether the option bit named by the letter, in the sub-field named
    // by the kind, of parameter 20 / 121 exists.
    bool GetP020Enable(int kind, std::string_view letter) const;
    bool GetP121Enable(int kind, std::string_view letter) const;
    // 9. Default of the sub-field named by the kind of parameter 911.
    int16_t GetP911Default(int kind) const;
    // 10, 11. Option bits of parameters 915 and 517.
    bool GetP915Enable(std::string_view letter) const;
    bool GetP517Enable(std::string_view letter) const;
    // 12, 13. Customer groups; deferred-invoice pages.
    bool GetClientGroupsEnable() const;
    bool GetDeferredInvoicePagesEnable() const;
    // 14, 15. Default VAT code of a new department; number of VAT codes.
    int16_t GetDeptVATDefault() const;
    int16_t GetMaxTabIva() const;
    // 16, 17. Service mode (switched on by the service prompt).
    void ServiceMode(bool on) { bServiceMode_ = on; }
    bool ServiceMode() const { return bServiceMode_; }
    // 18. Default hello type of the link options.
    int16_t GetHelloTypeDefault() const;
    // 19. Default of the sub-field named by the kind of parameter 19.
    int16_t GetP019Default(int kind) const;
    // 20. Default of parameter 312.
    int16_t GetP312Default() const;
    // 21. Stem of the key-function file: "Cod" and the model number.
    std::string GetFunCodeFileBase() const;
    // 22, 23. Keyboard layout number as text; "klay" and that number.
    std::string GetKeybLayoutBase() const;
    std::string GetKeybLayoutFileBase() const;
    // 24. Stem of the key-configuration file: "Keyb" and the model number.
    std::string GetKeybConfFileBase() const;
    // 25. Number of keyboard configurations.
    int16_t GetNKeybConf() const;
    // 26. Maximum length of a description text.
    int16_t GetMaxDescrLen() const;
    // 27 to 30. Icon messages: count, lines (always 5), characters per line;
    // number of period icons.
    int16_t GetNMessaggiIcone(int idx) const;
    int16_t GetNLineeMessaggioIcone(int idx) const;
    int16_t GetNCharLineaMessaggioIcone(int idx) const;
    int16_t GetNIconePeriodo(int idx) const;
    // 31. Length of the PLU code in the bulk PLU transfer (12 or 13).
    int16_t GetFastPLUCodeLen(int idx) const;
    // 32. Generation (1 to 4) of the customer record.
    int16_t GetClientType(int idx) const;
    // 33. PLU record variant.
    int16_t GetPLUType(int idx) const;
    // 34, 35. Protocol extensions (both give the same answer).
    bool B72Extension(int kind, int idx) const;
    bool C24Extension(int kind, int idx) const;
    // 36. Option bit of parameter 911.
    bool GetP911Enable(int idx, int kind, std::string_view letter) const;

private:
    enum class Family { L, T, N };
    Family Fam() const;
    int Column() const;  // column of the per-model tables
    const std::string& Release(int idx) const;

    std::string strCashType_;
    int16_t nCashType_ = 0;
    std::string strOffLine_;
    std::array<std::string, kSlots> strRelease_{};
    std::array<int16_t, kSlots> nProtoLevel_{};
    bool bServiceMode_ = false;
};

extern ConfigLevelClass ConfigLevel;

// The installation's model is one of the eleven known models; one of the
// newer family (DRAVO57, TIMBREL, NAVOSK, ZANDORE, MERIDOTAN).
bool KnownModel();
bool NewerFamily();
// Whether the installation's model keeps the table of that file name: the
// change loading ("RResto.txt") and the meal-ticket amounts
// ("TicketAmount.txt"), the customer groups ("ClientG.txt") and the
// loyalty tables ("RepFid.txt", "SubFid.txt", "CirCli.txt") exist on some
// models only; every other name is true.
bool ModelHasTable(const std::string& name);

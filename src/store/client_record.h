#pragma once
// One customer record of the archive Clienti.txt, in the layout of one of the
// four record generations that the registers use:
//
//   type 1 (Cliente1) and 2 (Cliente2): 90 characters (Cliente1Rec)
//   type 3 (Cliente3): 169 characters (Cliente3Rec)
//   type 4 (Cliente4): 175 characters (Cliente4Rec)
//
// Each larger layout is the smaller one with fields added before the record
// end. A record object holds one whole record (its end included) and knows
// its fields, its raw form in the file, its formatted form on the wire (the
// fields joined by a separator), the checks of its values and how its file is
// opened, read and written record by record. Cliente2 has the 90-character
// record without properties for strFMUlt and strFlag.
//
// The objects show no messages: failures come back as -1 or false.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/record.h"

// The fields of a customer record, by the names of their properties.
enum class CliField : uint8_t {
    strCodice,
    strDesc1,
    strDesc2,
    strDesc3,
    strDesc4,
    strListino,
    strIVA,
    strFMUlt,
    strCredito,
    strFlag,
    strGroup,
    strCF_PIVA,
    strLineaFid,
    strSaldoPunti,
};
inline constexpr int kCliFieldCount = 14;

struct Cliente1Rec {
    tables::Fixed<12> strCodice;  // digits, right-aligned with leading blanks
    tables::Fixed<30> strDesc1;
    tables::Fixed<30> strDesc2;
    tables::Fixed<1> strListino;
    tables::Fixed<1> strIVA;
    tables::Fixed<3> strFMUlt;
    tables::Fixed<8> strCredito;
    tables::Fixed<3> strFlag;
    tables::CrLf end;
    static const tables::RecordLayout& Layout();
};
static_assert(sizeof(Cliente1Rec) == 90);

struct Cliente3Rec {
    tables::Fixed<12> strCodice;
    tables::Fixed<30> strDesc1;
    tables::Fixed<30> strDesc2;
    tables::Fixed<1> strListino;
    tables::Fixed<1> strIVA;
    tables::Fixed<3> strFMUlt;
    tables::Fixed<8> strCredito;
    tables::Fixed<3> strFlag;
    tables::Fixed<3> strGroup;
    tables::Fixed<30> strDesc3;
    tables::Fixed<30> strDesc4;
    tables::Fixed<16> strCF_PIVA;
    tables::CrLf end;
    static const tables::RecordLayout& Layout();
};
static_assert(sizeof(Cliente3Rec) == 169);

struct Cliente4Rec {
    tables::Fixed<12> strCodice;
    tables::Fixed<30> strDesc1;
    tables::Fixed<30> strDesc2;
    tables::Fixed<1> strListino;
    tables::Fixed<1> strIVA;
    tables::Fixed<3> strFMUlt;
    tables::Fixed<8> strCredito;
    tables::Fixed<3> strFlag;
    tables::Fixed<3> strGroup;
    tables::Fixed<30> strDesc3;
    tables::Fixed<30> strDesc4;
    tables::Fixed<16> strCF_PIVA;
    tables::Fixed<1> strLineaFid;
    tables::Fixed<5> strSaldoPunti;
    tables::CrLf end;
    static const tables::RecordLayout& Layout();
};
static_assert(sizeof(Cliente4Rec) == 175);

// The text with every ":" and ";" replaced by a blank.
std::string ClearSepCli(std::string text);

// What a conversion of the archive to shorter records could not keep: the
// archive, the backup that keeps it as it was, and one line per customer
// concerned: its code and the values dropped ("5: group \"7\"").
struct CliDropped {
    std::string file;
    std::string bak;
    std::vector<std::string> lost;
};

class ClientRecord {
public:
    // type: 1 to 4. A new record is all blanks with CR LF at its end.
    explicit ClientRecord(int16_t type);
    virtual ~ClientRecord() = default;

    int16_t Type() const { return type_; }
    // True when this generation has a property for the field.
    bool Has(CliField field) const;
    // Property Let: strCodice is trimmed and right-aligned in 12 characters
    // (a code longer than 12 after trimming leaves the field unchanged);
    // every other field is stored left-aligned, blank-padded and cut at its
    // width. Nothing happens for a field the generation lacks.
    void Let(CliField field, std::string_view text);
    // Property Get: the whole field with its padding; "" for a field the
    // generation lacks.
    std::string Get(CliField field) const;

    // 0 when the record is acceptable, else the number of the first failing
    // test (1 code, 2 price list, 3 VAT code, 4 multiple function, 5 credit,
    // 6 flag, 7 group, 8 loyalty line, 9 points). Replaces ":" and ";" by
    // blanks in the descriptions and the tax identification on the way.
    int16_t CheckCli();
    // What CheckCli changes in a record it accepts, alone: ":" and ";" of the
    // descriptions and the tax identification become blanks.
    void CleanTexts();
    // The fields from consecutive slices of the raw record (with or without
    // its CR LF); fields past the end of the text become blanks; the record
    // end is CR LF whatever the text held.
    void SetRecord(std::string_view raw);
    // The whole record, GetLen() characters with CR LF at the end.
    const std::string& GetRecord() const { return rec_; }
    // The fields from a text in which every field is followed by the
    // separator. The record starts blank (the group "0"), so a field the text
    // does not carry is blank; on types 3 and 4 the fields after the base
    // ones are taken only with level 1 or more and only when the text holds
    // all of them, each ended.
    void SetFormattedRecord(const std::string& text, const std::string& sep, int level);
    // The fields trimmed and joined by the separator: types 1 and 2 with the
    // separator after every field; types 3 and 4 the base fields, and with
    // level above 0 the added ones, without a separator after the last.
    std::string GetFormattedRecord(const std::string& sep, int level) const;
    int GetLen() const;

    // Opens the file for records of this generation (a missing file is
    // created empty) and returns its number; -1 when it cannot be opened or
    // holds records of another length that cannot be brought to this
    // generation (see UpgradeFile; what it drops goes into dropped).
    int16_t OpenFile(const std::string& path, CliDropped* dropped = nullptr);
    // Record number recNo (from 1), or the next one when recNo is -1, into
    // record, as GetRecord would give it. False when the record does not lie
    // wholly inside the file or the read fails.
    bool ReadRec(int16_t fileNo, std::string& record, int32_t recNo = -1) const;
    // The text put through SetRecord and written as record recNo, or at the
    // next position when recNo is -1. The object's own record is unchanged.
    bool WriteRec(int16_t fileNo, const std::string& record, int32_t recNo = -1);

    // A file of another generation (records of 90, 169 or 175 characters) is
    // converted to this generation, upwards or downwards (every customer
    // whose values a shorter record could not keep goes into dropped, with
    // those values and the backup that keeps them; saying it is the
    // caller's): the old file is kept beside it with ".bak" appended
    // (".bak2", ".bak3" ... when that name is taken: no backup is ever
    // replaced, and one that holds the same bytes is the backup), and
    // the converted file replaces it in one step, so that a failure at any
    // point leaves the old file whole. The fields the old records lack get
    // their defaults. A file of this generation, an empty or missing one, or
    // one without a line end is left as it is. False (with the reason) when
    // the file holds records of another length or the conversion failed.
    bool UpgradeFile(const std::string& path, std::string* why = nullptr,
                     CliDropped* dropped = nullptr) const;

    // The field as it stands in the record ("" for a field the generation
    // lacks), valid until the record changes.
    std::string_view View(CliField field) const;

private:
    ClientRecord(int16_t type, bool noRecord);
    void ClearSep(CliField field);
    const tables::RecordLayout& Layout() const;
    const tables::FieldDef* Field(CliField field) const;
    void Clear();

    int16_t type_;
    std::string rec_;
};

class Cliente1 : public ClientRecord {
public:
    Cliente1() : ClientRecord(1) {}
};
class Cliente2 : public ClientRecord {
public:
    Cliente2() : ClientRecord(2) {}
};
class Cliente3 : public ClientRecord {
public:
    Cliente3() : ClientRecord(3) {}
};
class Cliente4 : public ClientRecord {
public:
    Cliente4() : ClientRecord(4) {}
};

// The record length of a generation (90, 90, 169, 175); 0 for another type.
int ClientRecordLength(int16_t type);
// The length of the file's first line with its line end (the position of the
// first CR plus one); 0 for a missing or empty file or one without a CR.
int FirstLineLength(const std::string& path);

#pragma once
// Fixed-length records of the register's table files.
//
// A table file is a file of equal-length text records numbered from 1, with
// no header and no separator; every record ends with CR LF, so the file is
// also a plain text file of equal lines. A record type is a struct of
// fixed-width fields (`Fixed<N>`, N bytes each, arrays of them, and the CR LF
// end), laid out byte for byte as in the file: sizeof(record) is the record
// length and the struct's bytes are the record's bytes.
//
// Each record type also has a layout: the list of its fields with name,
// position, width and kind, taken from the struct itself, so the two cannot
// disagree. The shared code below works from the layout: the default record
// of a table (numbers zero, texts blank, the entry number in its field), the
// cutting of a record into its fields and the placing of a field by its kind.
//
// Field kinds (how a value is stored in the field):
//  - Text: left-aligned, blank-padded on the right, cut at the width;
//  - RightText: blanks trimmed, right-aligned, blank-padded on the left;
//  - Number: the numeric value as decimal digits zero-padded to the width
//    ("0007"); a negative value keeps "-" in the first position ("-005");
//  - LeftNumber: the numeric value as plain digits, left-aligned and
//    blank-padded ("31 ");
//  - End: CR LF.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tables {

// --- Values of fields -------------------------------------------------------

// The numeric value of a field: blanks around it removed, then an optional
// sign, digits and an optional fraction after "."; rounded to a whole number,
// halves to the even neighbour. Reading stops at the first other character;
// a text without digits is 0. Values beyond the 32-bit range are clamped.
int32_t NumValue(std::string_view text);
// The text without blanks at either end.
std::string TrimBlanks(std::string_view text);
// The text with every control byte (codes 0 to 31, and 127) and every
// character of `separators` turned into a blank, so that it stays inside its
// field of a record, a line or a frame.
std::string BlankControls(std::string_view text, std::string_view separators = {});
// The value as exactly `width` characters of zero-padded digits; a negative
// value has "-" in the first position. A value with too many digits keeps its
// low-order digits (callers check the range first).
std::string FormatNum(int64_t value, int width);
// The text left-aligned in `width` characters (blank-padded, cut at width).
std::string PadRight(std::string_view text, int width);
// The text right-aligned in `width` characters (blank-padded on the left; a
// longer text keeps its last `width` characters).
std::string PadLeft(std::string_view text, int width);

// --- Fields of record structs ------------------------------------------------

// A field of N characters. A new field is all blanks.
template <std::size_t N>
struct Fixed {
    static constexpr int kWidth = static_cast<int>(N);
    char c[N];

    Fixed() { std::memset(c, ' ', N); }
    // Text, left-aligned: blank-padded, cut at the width.
    Fixed& operator=(std::string_view text) {
        Put(text);
        return *this;
    }
    void Put(std::string_view text) {
        std::size_t n = text.size() < N ? text.size() : N;
        std::memcpy(c, text.data(), n);
        std::memset(c + n, ' ', N - n);
    }
    // Blanks trimmed, right-aligned.
    void PutRight(std::string_view text) { Put(PadLeft(TrimBlanks(text), kWidth)); }
    // Zero-padded digits ("007").
    void PutNum(int64_t value) { Put(FormatNum(value, kWidth)); }
    // Plain digits, left-aligned ("7  ").
    void PutLeftNum(int64_t value) { Put(std::to_string(value)); }

    std::string str() const { return std::string(c, N); }
    std::string Trim() const { return TrimBlanks(std::string_view(c, N)); }
    int32_t Num() const { return NumValue(std::string_view(c, N)); }
    bool operator==(std::string_view text) const { return std::string_view(c, N) == text; }
};

// The record end: CR LF.
struct CrLf {
    char c[2] = {'\r', '\n'};
    void Set() {
        c[0] = '\r';
        c[1] = '\n';
    }
    bool IsSet() const { return c[0] == '\r' && c[1] == '\n'; }
};

// --- Layouts -----------------------------------------------------------------

enum class FieldKind : uint8_t { Text, RightText, Number, LeftNumber, End };

// One field of a record, or an array of equal fields: element k (from 0)
// lies at offset + k * stride.
struct FieldDef {
    const char* name;
    int offset;
    int width;
    int count;
    int stride;
    FieldKind kind;
};

class RecordLayout {
public:
    // numberField: index in fields of the field that holds the entry number
    // in the default record, or -1 when the record has none.
    RecordLayout(int length, int numberField, std::vector<FieldDef> fields);

    int Length() const { return length_; }
    int NumberField() const { return numberField_; }
    const std::vector<FieldDef>& Fields() const { return fields_; }
    // The field of that name; nullptr when there is none.
    const FieldDef* Find(std::string_view name) const;
    // True when the fields cover the record exactly once, end to end, and the
    // record ends with the End field.
    bool Covers() const;

private:
    int length_;
    int numberField_;
    std::vector<FieldDef> fields_;
};

// A field def from a member of a record struct (a Fixed<N>, an array of them,
// or the CrLf end).
template <class T>
FieldDef MakeField(const char* name, std::size_t offset, FieldKind kind) {
    using E = std::remove_all_extents_t<T>;
    return FieldDef{name, static_cast<int>(offset), static_cast<int>(sizeof(E)),
                    static_cast<int>(sizeof(T) / sizeof(E)), static_cast<int>(sizeof(E)), kind};
}
// A field def from member `member` of the elements of an array of structs
// that starts at `base` in the record.
template <class Sub, class T>
FieldDef MakeSubField(const char* name, std::size_t base, std::size_t memberOffset, int count,
                      FieldKind kind) {
    return FieldDef{name, static_cast<int>(base + memberOffset), static_cast<int>(sizeof(T)),
                    count, static_cast<int>(sizeof(Sub)), kind};
}

// Text of element `element` of the field in the record's bytes.
std::string FieldText(const FieldDef& field, std::string_view record, int element = 0);
// Places the value in element `element` of the field, by the field's kind
// (an End field always gets CR LF).
void PutField(const FieldDef& field, std::string& record, std::string_view value, int element = 0);
// Every field element of the record in file order, the CR LF end included.
std::vector<std::string> SplitRecord(const RecordLayout& layout, std::string_view record);
// The default record of entry n: Number fields zero, LeftNumber fields "0",
// texts blank, CR LF at the end, and n in the entry-number field.
std::string DefaultRecordBytes(const RecordLayout& layout, int32_t n);

// --- Records as bytes --------------------------------------------------------

template <class Rec>
std::string RecordBytes(const Rec& rec) {
    static_assert(std::is_trivially_copyable_v<Rec> && std::is_standard_layout_v<Rec>);
    return std::string(reinterpret_cast<const char*>(&rec), sizeof(Rec));
}
// Fills the record from bytes; missing bytes become blanks.
template <class Rec>
void SetRecordBytes(Rec& rec, std::string_view bytes) {
    static_assert(std::is_trivially_copyable_v<Rec> && std::is_standard_layout_v<Rec>);
    std::string b(bytes.substr(0, sizeof(Rec)));
    b.resize(sizeof(Rec), ' ');
    std::memcpy(static_cast<void*>(&rec), b.data(), sizeof(Rec));
}
// The default record of entry n of a record type (Rec::Layout()).
template <class Rec>
Rec DefaultRecord(int32_t n) {
    Rec rec;
    SetRecordBytes(rec, DefaultRecordBytes(Rec::Layout(), n));
    return rec;
}

}  // namespace tables

// Field defs of record structs, named after the members.
#define TABLE_FIELD(Rec, member, kind) \
    ::tables::MakeField<decltype(Rec::member)>(#member, offsetof(Rec, member), ::tables::FieldKind::kind)
#define TABLE_SUBFIELD(Rec, array, Sub, member, kind)                                      \
    ::tables::MakeSubField<Sub, decltype(Sub::member)>(                                    \
        #member, offsetof(Rec, array), offsetof(Sub, member),                              \
        static_cast<int>(std::extent_v<decltype(Rec::array)>), ::tables::FieldKind::kind)

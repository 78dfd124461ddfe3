#include "core/record.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tables {

int32_t NumValue(std::string_view text) {
    std::size_t i = 0, n = text.size();
    while (i < n && text[i] == ' ') ++i;
    bool negative = false;
    if (i < n && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    // Whole part and fraction, kept exact enough for rounding: the whole part
    // saturates far beyond the 32-bit range, the fraction only needs to be
    // compared with one half.
    int64_t whole = 0;
    while (i < n && text[i] >= '0' && text[i] <= '9') {
        if (whole < (int64_t{1} << 40)) whole = whole * 10 + (text[i] - '0');
        ++i;
    }
    int half = 0;  // -1 below one half, 0 exactly one half, 1 above
    bool fraction = false;
    if (i < n && text[i] == '.') {
        ++i;
        if (i < n && text[i] >= '0' && text[i] <= '9') {
            fraction = true;
            int first = text[i] - '0';
            ++i;
            bool rest = false;
            while (i < n && text[i] >= '0' && text[i] <= '9') {
                if (text[i] != '0') rest = true;
                ++i;
            }
            half = first > 5 || (first == 5 && rest) ? 1 : (first == 5 ? 0 : -1);
        }
    }
    if (fraction && (half > 0 || (half == 0 && (whole % 2) == 1))) ++whole;
    int64_t value = negative ? -whole : whole;
    value = std::clamp<int64_t>(value, INT32_MIN, INT32_MAX);
    return static_cast<int32_t>(value);
}

std::string TrimBlanks(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    return std::string(text.substr(b, e - b));
}

std::string BlankControls(std::string_view text, std::string_view separators) {
    std::string out(text);
    for (char& c : out) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 32 || u == 127 || separators.find(c) != std::string_view::npos) c = ' ';
    }
    return out;
}

std::string FormatNum(int64_t value, int width) {
    if (width <= 0) return {};
    bool negative = value < 0;
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::string digits = std::to_string(magnitude);
    int room = negative ? width - 1 : width;
    if (room <= 0) return std::string(static_cast<std::size_t>(width), '-');
    if (static_cast<int>(digits.size()) > room) digits = digits.substr(digits.size() - room);
    std::string out = negative ? "-" : "";
    out.append(static_cast<std::size_t>(room) - digits.size(), '0');
    out += digits;
    return out;
}

std::string PadRight(std::string_view text, int width) {
    std::string out(text.substr(0, static_cast<std::size_t>(std::max(width, 0))));
    out.resize(static_cast<std::size_t>(std::max(width, 0)), ' ');
    return out;
}

std::string PadLeft(std::string_view text, int width) {
    std::size_t w = static_cast<std::size_t>(std::max(width, 0));
    if (text.size() >= w) return std::string(text.substr(text.size() - w));
    return std::string(w - text.size(), ' ') + std::string(text);
}

RecordLayout::RecordLayout(int length, int numberField, std::vector<FieldDef> fields)
    : length_(length), numberField_(numberField), fields_(std::move(fields)) {}

const FieldDef* RecordLayout::Find(std::string_view name) const {
    for (const FieldDef& f : fields_)
        if (name == f.name) return &f;
    return nullptr;
}

bool RecordLayout::Covers() const {
    std::vector<std::pair<int, int>> spans;
    for (const FieldDef& f : fields_)
        for (int k = 0; k < f.count; ++k) spans.emplace_back(f.offset + k * f.stride, f.width);
    std::sort(spans.begin(), spans.end());
    int at = 0;
    for (auto [offset, width] : spans) {
        if (offset != at || width <= 0) return false;
        at += width;
    }
    if (at != length_ || fields_.empty()) return false;
    const FieldDef& last = *std::max_element(fields_.begin(), fields_.end(),
        [](const FieldDef& a, const FieldDef& b) { return a.offset < b.offset; });
    return last.kind == FieldKind::End && last.width == 2 && last.count == 1;
}

std::string FieldText(const FieldDef& field, std::string_view record, int element) {
    std::size_t at = static_cast<std::size_t>(field.offset + element * field.stride);
    if (element < 0 || element >= field.count || at >= record.size()) return {};
    return std::string(record.substr(at, static_cast<std::size_t>(field.width)));
}

void PutField(const FieldDef& field, std::string& record, std::string_view value, int element) {
    if (element < 0 || element >= field.count) return;
    std::string text;
    switch (field.kind) {
    case FieldKind::Text: text = PadRight(value, field.width); break;
    case FieldKind::RightText: text = PadLeft(TrimBlanks(value), field.width); break;
    case FieldKind::Number: text = FormatNum(NumValue(value), field.width); break;
    case FieldKind::LeftNumber: text = PadRight(std::to_string(NumValue(value)), field.width); break;
    case FieldKind::End: text = PadRight("\r\n", field.width); break;
    }
    std::size_t at = static_cast<std::size_t>(field.offset + element * field.stride);
    if (record.size() < at + text.size()) record.resize(at + text.size(), ' ');
    record.replace(at, text.size(), text);
}

std::vector<std::string> SplitRecord(const RecordLayout& layout, std::string_view record) {
    std::vector<std::pair<int, std::string>> parts;
    for (const FieldDef& f : layout.Fields())
        for (int k = 0; k < f.count; ++k) parts.emplace_back(f.offset + k * f.stride, FieldText(f, record, k));
    std::stable_sort(parts.begin(), parts.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> out;
    out.reserve(parts.size());
    for (auto& p : parts) out.push_back(std::move(p.second));
    return out;
}

std::string DefaultRecordBytes(const RecordLayout& layout, int32_t n) {
    std::string record(static_cast<std::size_t>(layout.Length()), ' ');
    for (const FieldDef& f : layout.Fields())
        for (int k = 0; k < f.count; ++k)
            if (f.kind == FieldKind::Number || f.kind == FieldKind::LeftNumber || f.kind == FieldKind::End)
                PutField(f, record, "0", k);
    if (layout.NumberField() >= 0)
        PutField(layout.Fields()[static_cast<std::size_t>(layout.NumberField())], record, std::to_string(n));
    return record;
}

}  // namespace tables

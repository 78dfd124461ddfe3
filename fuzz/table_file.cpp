// Any content into a table file: the departments file read record by record,
// each record cut into its fields, sent as the wire text and built back from
// it, and saved again.
//
// Input: one byte that picks the model (its wire fields), then the content of
// Reparti.txt.
//
// A record reads whole exactly when the file holds it; its bytes are the
// file's; its fields cover it; a record built from a wire text gives that
// wire text again; saving a record changes that record and nothing else.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/open_register.h"
#include "fuzz_support.h"
#include "platform/files.h"
#include "store/departments.h"
#include "transfers/departments_transfer.h"
#include "store/table_file.h"

namespace {

constexpr size_t kLen = sizeof(RepartoRec);

// A record built from the wire text of `record`; false when the text does not
// give one.
bool ThroughTheWire(const std::string& record, std::string& built) {
    const std::string line = BuildAnswer(RepartoRec::Layout(), RepartoWire(), record) + ":";
    int32_t entry = 0;
    if (!BuildRecord(RepartoRec::Layout(), RepartoWire(), line, built, entry)) return false;
    if (entry != tables::NumValue(line.substr(0, line.find(':')))) abort();
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // What the table code reads: the folder, the model and its table sizes.
    Core = CoreGlobals{};
    ConfigLevel = ConfigLevelClass{};
    Sizes = TableSizes{};
    fuzzsupport::FreshFolder();
    ConfigLevel.InitOffLine(data[0] & 1 ? 1 : 3, "V014057");  // LX4100 or the other family
    SetTableSizes();
    const std::string content(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string path = tables::TablePath(kRepartiFile);
    if (!platform::WriteFile(path, content)) abort();

    const int32_t whole = static_cast<int32_t>(content.size() / kLen);
    for (int32_t n = 0; n <= whole + 1; ++n) {
        RepartoRec rec;
        const bool read = GetReparto(std::to_string(n), rec);
        if (read != (n >= 1 && n <= whole)) abort();
        if (!read) continue;
        const std::string bytes = tables::RecordBytes(rec);
        if (bytes != content.substr((n - 1) * kLen, kLen)) abort();

        std::string joined;
        for (const std::string& field : tables::SplitRecord(RepartoRec::Layout(), bytes))
            joined += field;
        if (joined != bytes) abort();

        std::string once, twice;
        if (ThroughTheWire(bytes, once) && (!ThroughTheWire(once, twice) || twice != once))
            abort();
    }

    // Saving record n: that record becomes the record with CR LF at its end,
    // every other byte stays (the file grows only to hold record n).
    const int32_t n = whole > 0 ? 1 + static_cast<int32_t>(data[0] >> 1) % whole : 1;
    RepartoRec rec;
    tables::SetRecordBytes(rec, content.substr(std::min(content.size(), (n - 1) * kLen)));
    if (!SaveReparto(std::to_string(n), rec)) abort();
    std::string after;
    if (!platform::ReadFile(path, after)) abort();
    std::string expected = content;
    if (expected.size() < n * kLen) expected.resize(n * kLen, ' ');
    expected.replace((n - 1) * kLen, kLen, tables::RecordBytes(rec));
    if (after != expected) abort();
    return 0;
}

// A customer record as the register sends it on the wire ("code:name:...",
// fields separated by ":") into each record generation and back: the stored
// record always has its generation's length, and its checks and wire form
// hold whatever the text was.
//
// Input: one byte of settings (bits 0-1 the generation 1 to 4, bit 2 the
// protocol level), then the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "store/client_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const bool once = (fuzzsupport::ScratchDir(), true);
    (void)once;
    const int16_t type = static_cast<int16_t>(1 + (data[0] & 3));
    const int level = (data[0] >> 2) & 1;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    ClientM cli;
    cli.CliType(type);
    const size_t length = static_cast<size_t>(cli.GetLen());
    cli.SetFormattedRecord(text, ":", level);
    if (cli.GetRecord().size() != length) abort();
    const std::string wire = cli.GetFormattedRecord(":", level);
    cli.CheckCli();
    if (cli.GetRecord().size() != length) abort();
    // The wire form read back gives the same record.
    ClientM again;
    again.CliType(type);
    again.SetFormattedRecord(wire, ":", level);
    if (again.GetRecord().size() != length) abort();
    return 0;
}

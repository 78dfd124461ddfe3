// Any content into the options file Cassa.txt: read, saved, read again.
//
// Input: one byte that picks the model, then the content of Cassa.txt.
//
// Saving what was read and reading it again gives what was read, except
// that control characters in texts are written as blanks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <tuple>

#include "fuzz_support.h"
#include "platform/files.h"

namespace {

void Blank(std::string& text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 32) c = ' ';
}

// What the options read gave, with the texts as a save writes them.
struct Options {
    CassaConfRec conf;
    CassaFileValues file;

    static Options Read() {
        ReadCassaTipo();
        ReadCassaConf();
        return {udtCassaConf, CassaFile};
    }
    Options AsWritten() const {
        Options o = *this;
        CassaConfRec& c = o.conf;
        for (std::string* t : {&c.P050C, &c.P050P, &c.P4101A, &c.P4102, &c.P4112, &c.P511,
                               &c.P512, &c.P514, &c.P515, &c.P516, &c.P518, &c.P519, &c.P346,
                               &o.file.strB90Indi, &o.file.strB90Pg})
            Blank(*t);
        auto blankEach = [](auto& texts) {
            for (std::string& t : texts) Blank(t);
        };
        blankEach(c.P021);
        blankEach(c.P023);
        blankEach(c.P025);
        blankEach(c.P026);
        return o;
    }
    bool operator==(const Options& o) const {
        auto values = [](const CassaFileValues& f) {
            return std::tie(f.nTipoTastiera, f.strB90Indi, f.strB90Pg, f.nB90Type,
                            f.bConfPLUDefault);
        };
        return conf == o.conf && values(file) == values(o.file);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    fuzzsupport::FreshStart();
    const int model = data[0] % 14;  // 13: a model the program does not know
    if (model < 13) ConfigLevel.InitOffLine(static_cast<int16_t>(model), "V014057");
    const std::string content(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (!platform::WriteFile(CassaTxtPath(), content)) abort();

    const Options first = Options::Read();
    if (!SaveCassa()) abort();
    if (!(Options::Read() == first.AsWritten())) abort();
    return 0;
}

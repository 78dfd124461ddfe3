// The PLU file: record layout, its folder and the default file.
#include "tables/plu.h"

#include "core/globals.h"
#include "platform/files.h"
#include "tables/table_file.h"

using namespace tables;

PLUFilesGlobals PLUFiles;

namespace {
constexpr int kSamplePLUs = 2000;
}

const RecordLayout& PLURec::Layout() {
    static const RecordLayout layout(sizeof(PLURec), -1, {
        TABLE_FIELD(PLURec, code, RightText), TABLE_FIELD(PLURec, P220A, Number),
        TABLE_FIELD(PLURec, P220B, Number),   TABLE_FIELD(PLURec, P220C, Text),
        TABLE_FIELD(PLURec, P220D, Number),   TABLE_FIELD(PLURec, P220E, Number),
        TABLE_FIELD(PLURec, P220F, Number),   TABLE_FIELD(PLURec, P220G, Number),
        TABLE_FIELD(PLURec, P220H, Number),   TABLE_FIELD(PLURec, P220Ea, Number),
        TABLE_FIELD(PLURec, P220Eb, Number),  TABLE_FIELD(PLURec, end, End),
    });
    return layout;
}

std::string GlobPLUDir() { return platform::JoinPath(Core.strRootDir, "Cassa1"); }

std::string PLUFilePath() {
    return platform::JoinPath(Core.bGlobPLU ? GlobPLUDir() : Core.strCashDir, kPLUFile);
}

bool CreatePLU() {
    std::string path = PLUFilePath();
    // The folder opening looks for PLU.txt in the register's own folder; a
    // shared file that every register uses is never replaced from here.
    if (Core.bGlobPLU && platform::FileExists(path)) return true;
    int count = PLUFiles.bPredef ? kSamplePLUs : 0;
    return CreateTableFile<PLURec>(
        "CreatePLU", path, count,
        [](int32_t n) {
            PLURec rec = DefaultRecord<PLURec>(n);
            rec.code.PutRight(std::to_string(n));
            rec.P220A.PutNum(NumValue("1" + std::to_string(10 * n)));
            rec.P220B.PutNum(1);
            rec.P220C = "Desc. " + std::to_string(n);
            rec.P220G.PutNum(9);
            return rec;
        },
        Report::MsgBox);
}

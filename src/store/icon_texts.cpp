// Icon texts: record layout, accessors and default file.
#include "store/icon_texts.h"

#include "core/config_level.h"
#include "core/globals.h"
#include "store/table_file.h"

using namespace tables;

namespace {
constexpr Table<IconTextRec> kTestoIcone{"TestoIcone", kIconTextFile, Report::MsgBox};
}

const RecordLayout& IconTextRec::Layout() {
    static const RecordLayout layout(sizeof(IconTextRec), 0, {
        TABLE_FIELD(IconTextRec, number, LeftNumber),
        TABLE_FIELD(IconTextRec, icon, Text),
        TABLE_FIELD(IconTextRec, Line, Text),
        TABLE_FIELD(IconTextRec, end, End),
    });
    return layout;
}

bool GetTestoIcone(int16_t n, IconTextRec& rec) { return kTestoIcone.Get(n, rec); }
bool SaveTestoIcone(int16_t n, IconTextRec& rec) { return kTestoIcone.Save(n, rec); }

bool CreateTestoIcone() {
    // Every message blank, its lines included (a register has five lines per
    // message; a line it lacks is blank too, never NUL bytes in a text file).
    return kTestoIcone.Create(ConfigLevel.GetNMessaggiIcone(Core.nOpenCash));
}

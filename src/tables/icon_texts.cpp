// Icon texts: record layout, accessors and default file.
#include "tables/icon_texts.h"

#include "core/config_level.h"
#include "core/globals.h"
#include "tables/table_file.h"

using namespace tables;

const RecordLayout& IconTextRec::Layout() {
    static const RecordLayout layout(sizeof(IconTextRec), 0, {
        TABLE_FIELD(IconTextRec, number, LeftNumber),
        TABLE_FIELD(IconTextRec, icon, Text),
        TABLE_FIELD(IconTextRec, Line, Text),
        TABLE_FIELD(IconTextRec, end, End),
    });
    return layout;
}

bool GetTestoIcone(int16_t n, IconTextRec& rec) {
    return GetRecord("GetTestoIcone", TablePath(kIconTextFile), n, rec, Report::MsgBox);
}

bool SaveTestoIcone(int16_t n, IconTextRec& rec) {
    return SaveRecord("SaveTestoIcone", TablePath(kIconTextFile), n, rec, Report::MsgBox);
}

bool CreateTestoIcone() {
    // Every message blank, its lines included (a register has five lines per
    // message; a line it lacks is blank too, never NUL bytes in a text file).
    return CreateTableFile<IconTextRec>("CreateTestoIcone", TablePath(kIconTextFile),
                                        ConfigLevel.GetNMessaggiIcone(Core.nOpenCash),
                                        DefaultRecord<IconTextRec>, Report::MsgBox);
}

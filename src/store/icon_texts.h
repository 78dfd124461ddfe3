#pragma once
// Icon texts, IconText.txt: short messages of up to five lines, each tied to
// an icon (record n = message n; the number of messages is the open
// register's, ConfigLevel.GetNMessaggiIcone).
#include <cstdint>

#include "core/record.h"

struct IconTextRec {
    static constexpr int kLines = 5;
    tables::Fixed<2> number;         // message number, plain digits left-aligned
    tables::Fixed<2> icon;           // icon number, text
    tables::Fixed<20> Line[kLines];  // the message lines
    tables::CrLf end;

    static const tables::RecordLayout& Layout();
};
static_assert(sizeof(IconTextRec) == 106);

inline constexpr const char* kIconTextFile = "IconText.txt";

// Message n; a file error shows "GetTestoIcone - " or "SaveTestoIcone - "
// with the description (interactive runs) and gives false.
bool GetTestoIcone(int16_t n, IconTextRec& rec);
bool SaveTestoIcone(int16_t n, IconTextRec& rec);
// Default-file writer (also declared in store/create_tables.h).
bool CreateTestoIcone();

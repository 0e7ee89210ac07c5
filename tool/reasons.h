// Why a job or an application of a map failed, in the words the tool shows
// on the second line of its result: which string, and the name it concerns,
// shortened with an ellipsis when the line would not fit its control.
#pragma once
#include <windows.h>
#include <cstdint>
#include "engine/tile.h"

struct Reason {
    int textId;       // IDS_REASON_*
    const char* name; // the ANSI name the text concerns (first %s), or null
    uint32_t a, b;    // or two numbers (IDS_REASON_TILE)
};

// The reason of a failed job; names are ANSI.
Reason Reason_OfJob(const TileMapReport* report, const char* patternName, const char* outputName);
// The reason of a failed application of a map to graphicName.
Reason Reason_OfApply(const TileApplyReport* report, const char* graphicName,
                      const char* outputName);
// Formats reason into text (size bytes); with kept, adds that the existing
// output was left as it was. With fitTo, a control, the name is shortened
// so that the line fits its width in its font.
void Reason_Format(Reason reason, bool kept, HWND fitTo, char* text, int size);

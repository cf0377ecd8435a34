// One cell of the progress list: its colours, and whether it is drawn as a
// progress bar or a check box; and how such a cell is drawn.
#pragma once

#include <windows.h>

#include <string>

namespace quibo {

// The system colours the list draws with, read again when they change.
struct ListColors {
    COLORREF text;      // default cell text
    COLORREF back;      // default cell background
    COLORREF frame;     // progress frame, bottom and right
    COLORREF fill;      // progress fill
    COLORREF fillText;  // text over the fill
    static ListColors FromSystem();
};

struct ListCell {
    COLORREF textColor = 0;
    COLORREF backColor = 0;
    bool progress = false;
    int progressValue = 0;  // percent, 0 to 100
    bool progressText = false;
    std::string progressFormat;  // empty: "%d%%"
    int check = -1;              // -1 no check box, 0 unchecked, 1 checked
    bool modified = false;       // the user toggled the check box
};

// A light grey bar framed in 3-D, filled to the cell's value, with the value
// written across it when the cell asks for it.
void DrawProgressCell(HDC dc, const RECT& cell, const ListCell& data, const ListColors& colors);

// A check box at the left of the cell and the cell's text after it.
void DrawCheckCell(HDC dc, const RECT& cell, const ListCell& data, const std::string& text);

}  // namespace quibo

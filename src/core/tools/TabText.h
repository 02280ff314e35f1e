#pragma once
#include <string>
#include <string_view>
#include <vector>

// Tab-separated text as spreadsheets put it on the clipboard: cells split by
// tabs, rows by line ends (LF or CR LF). A cell holding a tab, a line end or a
// double quote is written in double quotes with its quotes doubled.
using TabRows = std::vector<std::vector<std::string>>;

// A trailing line end ends the last row and adds no empty one. An empty text
// is no rows. A quote that opens a cell but is never closed is kept as text.
TabRows ParseTabText(std::string_view text);

// Every row ends with a line end, as spreadsheets copy it.
std::string FormatTabText(const TabRows& rows);

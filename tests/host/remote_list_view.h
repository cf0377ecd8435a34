// The rows of a list view that belongs to another process. Its text is asked
// for with LVM_GETITEMTEXT, whose item record and text buffer must lie in the
// list's own process: they are placed there and read back from there.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace host {

// Every row, each as its cells from the first column to the last; empty when
// the list cannot be read.
std::vector<std::vector<std::string>> ReadListRows(HWND list);

}  // namespace host

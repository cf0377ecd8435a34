// Small facts about windows of another process, and the host's output lines.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace host {

// One line of the host's record, written at once (the caller reads a pipe).
inline void Record(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Text as one record field: tabs and line breaks would split the line.
inline std::string Field(std::string s)
{
    for (char& c : s) {
        if (c == '\r' || c == '\n') c = '|';
        if (c == '\t') c = ' ';
    }
    return s;
}

inline std::string WindowText(HWND window)
{
    char text[2048] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

// The class name without the "6.0.x.y!" that classes of the version 6
// common controls may carry.
inline std::string ClassName(HWND window)
{
    char name[128] = {};
    ::GetClassNameA(window, name, sizeof name);
    std::string s = name;
    return s.substr(s.find('!') + 1);
}

inline DWORD ProcessOf(HWND window)
{
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    return pid;
}

// EnumWindows and EnumChildWindows gather into a vector (a named callback:
// lambdas lack the calling convention of the 32-bit build).
inline BOOL CALLBACK CollectWindow(HWND window, LPARAM param)
{
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

// Every descendant of `parent` (children, their children, ...), in Z order.
inline std::vector<HWND> Descendants(HWND parent)
{
    std::vector<HWND> found;
    ::EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The direct children of `parent` only.
inline std::vector<HWND> Children(HWND parent)
{
    std::vector<HWND> found;
    for (HWND child : Descendants(parent))
        if (::GetParent(child) == parent) found.push_back(child);
    return found;
}

// Every top-level window, in Z order.
inline std::vector<HWND> TopLevelWindows()
{
    std::vector<HWND> found;
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

// A message box: a dialog window holding the box's text control (id 0xFFFF)
// and no dialog of its own inside (a wizard frame holds its pages).
inline bool IsMessageBox(HWND window)
{
    if (ClassName(window) != "#32770") return false;
    HWND text = ::GetDlgItem(window, 0xFFFF);
    if (!text || ClassName(text) != "Static") return false;
    for (HWND child : Children(window))
        if (ClassName(child) == "#32770") return false;
    return true;
}

}  // namespace host

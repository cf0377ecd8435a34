// NativePath: the one place where an 8-bit path (code page 936 bytes) becomes
// a file-system path. Every file the component touches goes through it, so a
// name is converted the same way when a folder is made and when a file is
// opened inside it.
#pragma once

#include <filesystem>
#include <string>

std::filesystem::path NativePath(const std::string& bytes);

// Names derived from the running program's path. The temporary copy that a
// self-update starts is named after the program plus ".exe" (update.exe.exe)
// and must share the program's mutex and configuration package. The path
// comes from the system, so it is read with the system code page's rule.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/signing/release_crypto.h"
#include "core/text/code_page.h"

namespace quibo {

struct ModulePathParts {
    std::string folder;    // up to and including the last "\"
    std::string fileName;  // after the last "\"
};

ModulePathParts SplitModulePath(std::string_view modulePath, LeadByteRule rule);

// "update.exe" and "update.exe.exe" both give "update.bin".
std::string PackageNameFor(std::string_view programFileName, LeadByteRule rule);

// The program a temporary copy replaces: "update.exe" for "update.exe.exe";
// empty when `copyFileName` is not a copy's name, so that a hand-over switch
// given to the program itself never makes it copy itself over another file.
std::string ProgramNameForCopy(std::string_view copyFileName, LeadByteRule rule);

// The files of the program folder that belong to the updater itself: the
// program (for a temporary copy, the program it replaces), its configuration
// package, the run log and the installation journal.
std::vector<std::string> OwnFileNames(std::string_view programFileName, LeadByteRule rule);

// The leftovers of a rewrite of these files that was cut short: the
// package's and the program's temporary files and the package moved aside.
std::vector<std::string> RewriteLeftoverNames(std::string_view programFileName, LeadByteRule rule);

// The module path with every "\" as "_", and without the copy's extra ".exe".
std::string MutexNameFor(std::string_view modulePath, LeadByteRule rule);

// The folder that holds every product's downloads: {temp} + "\~quibo_tmp\".
std::string DownloadRootFor(std::string_view tempFolder);

// Where this product's downloads wait until they are installed: the root
// above plus the first 16 hex digits of `folderDigest`, the SHA-256 of the
// program folder in its one spelling (win/canonical_path.h), and "\".
// Products in different folders never share it, and two spellings of one
// folder name one.
std::string DownloadFolderFor(std::string_view tempFolder, const Sha256Digest& folderDigest);

}  // namespace quibo

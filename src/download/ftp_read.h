// Reading a file from an FTP server as fast as it arrives.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <functional>
#include <string>

#include "win/internet_handle.h"

namespace quibo {

// Opens `name` in the connection's current folder for a binary download,
// fresh from the server and not kept in the cache; null when the server
// refuses it.
UniqueInternetHandle OpenFtpFile(HINTERNET connection, const std::string& name);

// Hands the file's bytes to `sink` piece by piece: all that has already
// arrived, up to a large buffer, or a small piece when nothing is waiting,
// so a fast server is read in few calls and a slow one never keeps the
// caller (and its pause and stop checks) waiting for a whole buffer. A sink
// answering false ends the read. True when the server ended the file
// without a read error; whether it is whole is for the caller to judge.
bool ReadFtpFile(HINTERNET file, const std::function<bool(const char* data, DWORD size)>& sink);

}  // namespace quibo

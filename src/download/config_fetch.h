// Fetching the server configuration package and taking its "server.dat" out.
// Each answers the member's text, or empty text on any failure.
#pragma once

#include <string>

namespace quibo {

std::string FetchConfigHttp(const std::string& url);
std::string FetchConfigFtp(const std::string& url, const std::string& user, const std::string& password);
std::string FetchConfigLocal(const std::string& path);

// The text of "server.dat" in a server package held in memory; empty when
// the package cannot be read or has no such member.
std::string ServerConfigFromPackage(std::string package);

}  // namespace quibo

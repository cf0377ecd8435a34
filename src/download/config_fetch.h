// Fetching the server configuration package and taking its "server.dat" out.
// Each answers the member's text, or empty text on any failure.
#pragma once

#include <cstdint>
#include <string>

#include "download/transfer_limits.h"

namespace quibo {

// A server package holds one short text; anything larger is not one, and
// reading it into memory could exhaust the process.
constexpr std::uint32_t kMaxConfigPackage = 16u << 20;

// A package comes whole within the address's time: it earns no renewal.
inline constexpr HttpLimits kConfigHttpLimits{kHttpLimits.callMs, kHttpLimits.addressMs, 0,
                                              kHttpLimits.redirects};

std::string FetchConfigHttp(const std::string& url, const HttpLimits& limits = kConfigHttpLimits);
std::string FetchConfigFtp(const std::string& url, const std::string& user, const std::string& password,
                           const FtpLimits& limits = kFtpLimits);
std::string FetchConfigLocal(const std::string& path);

// The text of "server.dat" in a server package held in memory; empty when
// the package cannot be read or has no such member.
std::string ServerConfigFromPackage(std::string package);

}  // namespace quibo

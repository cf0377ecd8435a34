// Fetching the server configuration package into memory. Each answers the
// package's bytes, or empty bytes on any failure; what the package holds is
// judged by the configuration step.
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

}  // namespace quibo

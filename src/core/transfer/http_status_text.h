// What the user is told when a server answers a download request with an
// error status.
#pragma once

#include <string>

namespace quibo {

// The message for an HTTP status; empty for statuses without one (the
// caller then says the file is not on the server).
std::string HttpStatusMessage(int status);

}  // namespace quibo

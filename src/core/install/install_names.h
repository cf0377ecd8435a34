// Names the installation gives to files beside a target: the backup of the
// old content and the temporary file a copy is written to before it replaces
// the target. A recovery after a crash finds both by these rules alone.
#pragma once

#include <string>

namespace quibo {

// The old content of `path`, kept while an installation runs.
inline std::string BackupPath(const std::string& path) { return path + ".ebk"; }

// Where a copy into `target` is written before it is renamed over the target.
inline std::string CopyTempPath(const std::string& target) { return target + ".~qbcopy"; }

}  // namespace quibo

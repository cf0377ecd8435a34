// The numbers a transfer shows: file size, speed, percentage, and the lines
// built from them for the info label and the tray tip.
#pragma once

#include <cstdint>
#include <string>

namespace quibo {

// Bytes as "%.1fKB", or "%.1fMB" from 1024 KB on (counted in 1024s).
std::string SizeText(std::uint64_t bytes);

// Network transfers show KB/s, switching to MB/s above 1024 KB/s; local
// copies always show MB/s.
enum class SpeedUnit { KiloBytes, MegaBytes };

// The speed after `bytes` in `seconds`, as "%.1fKB/s" or "%.1fMB/s"; the
// `previous` text while no speed can be worked out yet (no time has passed,
// or nothing has arrived).
std::string SpeedText(double bytes, double seconds, SpeedUnit unit, const std::string& previous);

// Whole percent of `total` that `done` is, 0 to 100. An empty file is
// complete as soon as it is there: a total of 0 gives 100.
int ProgressPercent(std::uint64_t done, std::uint64_t total);

// The info label: size text + "(" + speed text + ")".
std::string ProgressInfoText(const std::string& sizeText, const std::string& speedText);

// The tray tip after the window title: "\n下载文件(size)：n% speed".
std::string TrayProgressText(const std::string& sizeText, int percent, const std::string& speedText);

}  // namespace quibo

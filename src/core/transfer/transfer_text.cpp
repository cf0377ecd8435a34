#include "core/transfer/transfer_text.h"

#include <cstdio>

namespace quibo {

namespace {

std::string FormatOneDecimal(double value, const char* unit)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.1f%s", value, unit);
    return text;
}

}  // namespace

std::string SizeText(std::uint64_t bytes)
{
    double kb = static_cast<double>(bytes) / 1024;
    return kb > 1024 ? FormatOneDecimal(kb / 1024, "MB") : FormatOneDecimal(kb, "KB");
}

std::string SpeedText(double bytes, double seconds, SpeedUnit unit, const std::string& previous)
{
    if (!(seconds > 0)) return previous;
    if (unit == SpeedUnit::MegaBytes) {
        double mb = bytes / (seconds * 1048576);
        return mb > 0 ? FormatOneDecimal(mb, "MB/s") : previous;
    }
    double kb = bytes / (seconds * 1024);
    if (!(kb > 0)) return previous;
    return kb > 1024 ? FormatOneDecimal(kb / 1024, "MB/s") : FormatOneDecimal(kb, "KB/s");
}

int ProgressPercent(std::uint64_t done, std::uint64_t total)
{
    if (total == 0 || done >= total) return 100;
    return static_cast<int>(static_cast<double>(done) * 100.0 / static_cast<double>(total));
}

std::string ProgressInfoText(const std::string& sizeText, const std::string& speedText)
{
    return sizeText + "(" + speedText + ")";
}

std::string TrayProgressText(const std::string& sizeText, int percent, const std::string& speedText)
{
    return "\n下载文件(" + sizeText + ")：" + std::to_string(percent) + "% " + speedText;
}

}  // namespace quibo

#include "core/zip/zip_replace.h"

#include "core/zip/zip_exception.h"

namespace quibo {

namespace fs = std::filesystem;

void RenameOver(const fs::path& from, const fs::path& to)
{
    std::error_code ec;
    fs::rename(from, to, ec);
    if (!ec) return;

    fs::path aside = to;
    aside += ".old";
    fs::remove(aside, ec);
    fs::rename(to, aside, ec);
    if (ec)
        throw CZipException(CZipException::fileError,
                            "zip: cannot replace " + to.u8string() + ": " + ec.message());
    fs::rename(from, to, ec);
    if (ec) {
        std::error_code ignored;
        fs::rename(aside, to, ignored);
        throw CZipException(CZipException::fileError,
                            "zip: cannot replace " + to.u8string() + ": " + ec.message());
    }
    fs::remove(aside, ec);
}

}  // namespace quibo

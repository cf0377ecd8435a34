#include "download/size_cap.h"

#include "core/log/run_log.h"
#include "core/transfer/signed_content.h"

namespace quibo {

bool SizeCap::Allows(std::uint64_t total) const
{
    if (!limited_ || total <= bytes_) return true;
    Exceeded();
    return false;
}

DWORD SizeCap::Fitting(std::uint64_t done, DWORD size) const
{
    if (!limited_ || done + size <= bytes_) return size;
    Exceeded();
    return done >= bytes_ ? 0 : static_cast<DWORD>(bytes_ - done);
}

void SizeCap::Exceeded() const { WriteLog(TooLongText(name_, bytes_)); }

}  // namespace quibo

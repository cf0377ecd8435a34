// CZipMemFile: an archive held in memory, such as a downloaded package.
// It owns its bytes; it is read-only because nothing rewrites a package in memory.
#pragma once

#include <string>

#include "core/zip/zip_abstract_file.h"

namespace quibo {

class CZipMemFile : public CZipAbstractFile {
public:
    explicit CZipMemFile(std::string bytes) : bytes_(std::move(bytes)) {}

    std::size_t Read(void* buffer, std::size_t size) override;
    void Write(const void* buffer, std::size_t size) override;
    void Seek(std::uint64_t position) override;
    std::uint64_t Size() const override { return bytes_.size(); }

private:
    std::string bytes_;
    std::uint64_t position_ = 0;
};

}  // namespace quibo

// CZipException: every failure inside the archive component.
//
// The component throws; its callers (the package functions, the unpacker)
// catch and turn the failure into a false or empty result. The cause lets a
// caller or a test tell the kinds apart without parsing the message.
#pragma once

#include <stdexcept>
#include <string>

namespace quibo {

class CZipException : public std::runtime_error {
public:
    enum Cause {
        badArchive,   // no end record, a broken record, data outside the archive
        unsupported,  // Zip64, spanned archives, a compression method other than 0 and 8
        badData,      // the data does not inflate, or disagrees with its declared size
        badCrc,       // the member was read whole but its CRC-32 does not match
        badPassword,  // encrypted member without a password, or the wrong one
        tooLarge,     // a member larger than an in-memory read allows, or an archive that
                      // would unpack to far more than its own size
        unsafeName,   // a name that would write outside the target folder
        fileError,    // opening, reading, writing or replacing a file failed
        badUse        // no archive open, index out of range, changing a read-only archive
    };

    CZipException(Cause cause, const std::string& what) : std::runtime_error(what), cause_(cause) {}

    Cause GetCause() const { return cause_; }

private:
    Cause cause_;
};

}  // namespace quibo

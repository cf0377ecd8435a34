// Where the members lie: each in a stretch of its own, and all of them
// together no larger unpacked than an archive of that size can honestly hold.
// Both refuse archives built to unpack far more than they carry, such as
// central entries that all point at one local record.
#include "core/zip/zip_archive.h"

#include <algorithm>

#include "core/zip/zip_exception.h"
#include "core/zip/zip_format.h"

namespace quibo {

using namespace zipfmt;

namespace {

// Deflate cannot pack better than about 1032 : 1 and real packages stay far
// below 100 : 1; the floor lets a small package hold a large sparse file.
constexpr std::uint64_t kExpansionRatio = 100;
constexpr std::uint64_t kExpansionFloor = 256u << 20;

[[noreturn]] void Refuse(CZipException::Cause cause, const std::string& what)
{
    throw CZipException(cause, "zip: " + what);
}

std::string Quoted(const std::string& name) { return "'" + name + "'"; }

}  // namespace

void CZipArchive::PlaceMembers(std::vector<Member>& members, std::uint64_t directoryStart,
                               std::uint64_t archiveSize)
{
    std::vector<Member*> order;
    order.reserve(members.size());
    for (Member& m : members) order.push_back(&m);
    std::stable_sort(order.begin(), order.end(),
                     [](const Member* a, const Member* b) { return a->at < b->at; });

    for (std::size_t i = 0; i < order.size(); ++i) {
        Member& m = *order[i];
        const Member* next = i + 1 < order.size() ? order[i + 1] : nullptr;
        if (next && next->at == m.at)
            Refuse(CZipException::badArchive, "members " + Quoted(m.header.name) + " and " +
                                                  Quoted(next->header.name) + " share one local header");
        // A member's room ends where the next one starts. Its local header's
        // fixed part and its data must fit in it; the header's name and
        // extra lengths are checked against it once the header is read.
        m.end = next ? next->at : directoryStart;
        if (m.at > m.end || m.end - m.at < kLocalSize + std::uint64_t{m.header.compressedSize})
            Refuse(CZipException::badArchive,
                   "member " + Quoted(m.header.name) + " overlaps " +
                       (next ? "member " + Quoted(next->header.name) : std::string("the central directory")));
    }

    std::uint64_t total = 0;
    for (const Member& m : members) total += m.header.uncompressedSize;
    std::uint64_t allowed = kExpansionFloor + kExpansionRatio * archiveSize;
    if (total > allowed)
        Refuse(CZipException::tooLarge, "the members would unpack to " + std::to_string(total) +
                                            " bytes, more than the " + std::to_string(allowed) +
                                            " bytes allowed for an archive of " +
                                            std::to_string(archiveSize) + " bytes");
}

}  // namespace quibo

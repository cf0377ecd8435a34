// Server packages for the tests of release signing: members in order, a
// "server.sig" made with the fake crypto's signatures, and the whole packed
// as an archive.
#pragma once

#include <string>
#include <vector>

#include "core/signing/public_keys.h"
#include "core/signing/signature_file.h"
#include "core/signing/signed_message.h"
#include "fake_release_crypto.h"
#include "stored_archive.h"

namespace signedtest {

using namespace quibo;

// "server.sig" for `members` signed by each of `keys`, as the publisher
// would write it.
inline std::string SignatureFileFor(const std::vector<PackageMember>& members, const std::vector<PublicKey>& keys)
{
    fakecrypto::FakeCrypto crypto;
    fakecrypto::RecordingHasher hasher;
    AddSignedMessage(members, hasher);
    const Sha256Digest digest = hasher.Finish();
    std::vector<SignatureEntry> entries;
    for (const PublicKey& key : keys) entries.push_back({KeyIdOf(key, crypto), fakecrypto::FakeSign(key, digest)});
    return FormatSignatureFile(entries);
}

inline std::vector<PackageMember> WithSignature(std::vector<PackageMember> members, const std::vector<PublicKey>& keys)
{
    members.push_back({kSignatureMember, SignatureFileFor(members, keys)});
    return members;
}

inline std::string Pack(const std::vector<PackageMember>& members)
{
    std::vector<ziptest::StoredMember> stored;
    for (const PackageMember& m : members) stored.push_back({m.name, m.bytes});
    return ziptest::StoredArchive(stored);
}

inline const std::string kSha = std::string(64, 'a');

// A release of product "Acme" with sequence 5, expiring at `expires`, that
// offers file0 and dir0 and mentions file1 without offering it.
inline std::string ServerDat(const std::string& meta = "[meta]\r\nproduct=Acme\r\nsequence=5\r\nexpires=2030-01-01T00:00:00Z\r\n",
                             const std::string& file0Digest = "sha256=" + kSha + "\r\nsize=120\r\n")
{
    return meta + "[file0]\r\nver=1.1\r\nurls=url0=http://h/a.exe\r\n" + file0Digest +
           "[file1]\r\nver=0.0.0\r\nurls=url0=http://h/b.exe\r\n"
           "[dir0]\r\nver=2.0\r\nurls=url0=http://h/skins/\r\n";
}

inline std::string Dir0List() { return kSha + " 7 a.bmp\r\n" + kSha + " 9 sub\\b.ini\r\n"; }

inline std::vector<PackageMember> ReleaseMembers(const std::string& serverDat = ServerDat())
{
    return {{"server.dat", serverDat}, {"dir0.lst", Dir0List()}};
}

}  // namespace signedtest

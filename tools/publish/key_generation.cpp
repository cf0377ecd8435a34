#include "publish/key_generation.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/signing/public_keys.h"
#include "publish/signing_key.h"

namespace quibo::publish {

namespace fs = std::filesystem;

namespace {

enum class Written { Done, Exists, Failed };

// Creates `path` with `mode` (never an existing file, never through a link)
// and writes `bytes` to the disk. The mode is the file's from its first
// moment: a private key is never readable by others, not even briefly.
Written WriteNewFile(const fs::path& path, const std::string& bytes, mode_t mode, std::string& error)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) {
        if (errno == EEXIST) return Written::Exists;
        error = "cannot create " + path.string() + ": " + std::strerror(errno);
        return Written::Failed;
    }
    bool ok = ::fchmod(fd, mode) == 0;  // the umask may have taken bits the owner needs
    for (std::size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
    }
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        error = "cannot write " + path.string() + ": " + std::strerror(errno);
        std::error_code ec;
        fs::remove(path, ec);
        return Written::Failed;
    }
    return Written::Done;
}

std::string ExistsError(const fs::path& path)
{
    return path.string() +
           " already exists: keygen never replaces a key, since a lost private key cannot be recovered and "
           "clients that trust it take no release signed by another (move it away to make a new pair)";
}

}  // namespace

PublishResult GenerateKeyPair(const std::string& outDir, const std::optional<std::string>& passphrase,
                              std::string& error)
{
    if (passphrase && passphrase->empty()) {
        error = std::string(kPassphraseVariable) + " is set but empty: unset it for a key without a passphrase";
        return PublishResult::BadInput;
    }
    const fs::path dir = outDir;
    const fs::path keyPath = dir / kPrivateKeyFile;
    const fs::path pubPath = dir / kPublicKeyFile;
    std::error_code ec;
    for (const fs::path& path : {keyPath, pubPath})
        if (fs::exists(fs::symlink_status(path, ec))) {
            error = ExistsError(path);
            return PublishResult::BadInput;
        }
    std::optional<SigningKey> key = SigningKey::Generate(error);
    if (!key) return PublishResult::WriteFailed;
    std::string pem = key->Pem(passphrase);
    if (pem.empty()) {
        error = "OpenSSL could not write the key as PEM";
        return PublishResult::WriteFailed;
    }
    // No copy of the private key outlives its writing.
    struct Wipe {
        std::string& text;
        ~Wipe() { OPENSSL_cleanse(text.data(), text.size()); }
    } wipe{pem};
    fs::create_directories(dir, ec);
    if (ec) {
        error = "cannot create " + dir.string() + ": " + ec.message();
        return PublishResult::WriteFailed;
    }
    switch (WriteNewFile(keyPath, pem, 0600, error)) {
    case Written::Done: break;
    case Written::Exists: error = ExistsError(keyPath); return PublishResult::BadInput;
    case Written::Failed: return PublishResult::WriteFailed;
    }
    const Written pub = WriteNewFile(pubPath, FormatPublicKey(key->Public()) + "\n", 0644, error);
    if (pub == Written::Done) return PublishResult::Published;
    // A private key without its public half is of no use: take it back.
    fs::remove(keyPath, ec);
    if (pub == Written::Exists) error = ExistsError(pubPath);
    return pub == Written::Exists ? PublishResult::BadInput : PublishResult::WriteFailed;
}

}  // namespace quibo::publish

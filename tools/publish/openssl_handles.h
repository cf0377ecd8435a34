// Owners of OpenSSL's objects, each freed by the function the library gives
// for it.
#pragma once

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/crypto.h>
#include <openssl/ec.h>
#include <openssl/evp.h>

#include <memory>

namespace quibo::publish {

template <typename T, void (*Free)(T*)>
struct OpenSslFree {
    void operator()(T* object) const { Free(object); }
};

using EvpPkey = std::unique_ptr<EVP_PKEY, OpenSslFree<EVP_PKEY, EVP_PKEY_free>>;
using EvpPkeyCtx = std::unique_ptr<EVP_PKEY_CTX, OpenSslFree<EVP_PKEY_CTX, EVP_PKEY_CTX_free>>;
using EvpMdCtx = std::unique_ptr<EVP_MD_CTX, OpenSslFree<EVP_MD_CTX, EVP_MD_CTX_free>>;
using EcdsaSig = std::unique_ptr<ECDSA_SIG, OpenSslFree<ECDSA_SIG, ECDSA_SIG_free>>;
using Bignum = std::unique_ptr<BIGNUM, OpenSslFree<BIGNUM, BN_free>>;
using Bio = std::unique_ptr<BIO, OpenSslFree<BIO, BIO_free_all>>;

// Bytes the library allocated for the caller (OPENSSL_free is a macro).
struct OpenSslBytesFree {
    void operator()(unsigned char* bytes) const { OPENSSL_free(bytes); }
};
using OpenSslBytes = std::unique_ptr<unsigned char, OpenSslBytesFree>;

}  // namespace quibo::publish

#pragma once

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>

#include <memory>

namespace qvpc::boxsim {

// Owning handles for the OpenSSL objects the APK code uses.
template <auto Free>
struct OpensslDeleter {
    template <typename T>
    void operator()(T* p) const {
        Free(p);
    }
};

using BignumPtr = std::unique_ptr<BIGNUM, OpensslDeleter<BN_free>>;
using BnCtxPtr = std::unique_ptr<BN_CTX, OpensslDeleter<BN_CTX_free>>;
using PkeyPtr = std::unique_ptr<EVP_PKEY, OpensslDeleter<EVP_PKEY_free>>;
using PkeyCtxPtr = std::unique_ptr<EVP_PKEY_CTX, OpensslDeleter<EVP_PKEY_CTX_free>>;
using X509Ptr = std::unique_ptr<X509, OpensslDeleter<X509_free>>;
using X509NamePtr = std::unique_ptr<X509_NAME, OpensslDeleter<X509_NAME_free>>;
using BioPtr = std::unique_ptr<BIO, OpensslDeleter<BIO_free_all>>;
using Pkcs7Ptr = std::unique_ptr<PKCS7, OpensslDeleter<PKCS7_free>>;
using ParamBldPtr = std::unique_ptr<OSSL_PARAM_BLD, OpensslDeleter<OSSL_PARAM_BLD_free>>;
using ParamPtr = std::unique_ptr<OSSL_PARAM, OpensslDeleter<OSSL_PARAM_free>>;

}  // namespace qvpc::boxsim

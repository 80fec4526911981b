#include "boxsim/apk/test_certificate.h"

#include <openssl/core_names.h>
#include <openssl/sha.h>

#include <stdexcept>

namespace qvpc::boxsim {

namespace {

constexpr int kPrimeBits = 512;  // a 1024-bit modulus: quick to derive, accepted by every Android
constexpr unsigned long kPublicExponent = 65537;

void check(bool ok, const char* what) {
    if (!ok) {
        throw std::runtime_error(std::string("openssl: ") + what);
    }
}

std::string sha256(std::string_view data) {
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(data.data()), data.size(), digest);
    return std::string(reinterpret_cast<char*>(digest), sizeof digest);
}

// The first prime at or above a number expanded from the seed and label,
// with its two top bits set (so p·q has exactly 2·kPrimeBits bits).
BignumPtr derivePrime(const std::string& seed, char label, BN_CTX* ctx) {
    std::string bytes;
    for (char counter = 0; bytes.size() < kPrimeBits / 8; ++counter) {
        bytes += sha256(seed + label + counter);
    }
    bytes.resize(kPrimeBits / 8);
    BignumPtr p(BN_bin2bn(reinterpret_cast<const unsigned char*>(bytes.data()),
                          static_cast<int>(bytes.size()), nullptr));
    BignumPtr e(BN_new());
    BignumPtr pMinus1(BN_new());
    BignumPtr gcd(BN_new());
    check(p && e && pMinus1 && gcd, "BN_new");
    check(BN_set_bit(p.get(), kPrimeBits - 1) && BN_set_bit(p.get(), kPrimeBits - 2) &&
              BN_set_bit(p.get(), 0) && BN_set_word(e.get(), kPublicExponent),
          "BN_set_bit");
    for (;;) {
        check(BN_sub(pMinus1.get(), p.get(), BN_value_one()) &&
                  BN_gcd(gcd.get(), pMinus1.get(), e.get(), ctx),
              "BN_gcd");
        if (BN_is_one(gcd.get()) && BN_check_prime(p.get(), ctx, nullptr) == 1) {
            return p;
        }
        check(BN_add_word(p.get(), 2), "BN_add_word");
    }
}

PkeyPtr deriveKey(const std::string& seed) {
    BnCtxPtr ctx(BN_CTX_new());
    check(ctx != nullptr, "BN_CTX_new");
    BignumPtr p = derivePrime(seed, 'p', ctx.get());
    BignumPtr q = derivePrime(seed, 'q', ctx.get());
    if (BN_cmp(p.get(), q.get()) < 0) {
        std::swap(p, q);  // the CRT coefficient below wants p > q
    }
    BignumPtr n(BN_new()), e(BN_new()), d(BN_new()), p1(BN_new()), q1(BN_new()), phi(BN_new()),
        dp(BN_new()), dq(BN_new()), qinv(BN_new());
    check(n && e && d && p1 && q1 && phi && dp && dq && qinv, "BN_new");
    check(BN_set_word(e.get(), kPublicExponent) && BN_mul(n.get(), p.get(), q.get(), ctx.get()) &&
              BN_sub(p1.get(), p.get(), BN_value_one()) &&
              BN_sub(q1.get(), q.get(), BN_value_one()) &&
              BN_mul(phi.get(), p1.get(), q1.get(), ctx.get()) &&
              BN_mod_inverse(d.get(), e.get(), phi.get(), ctx.get()) &&
              BN_mod(dp.get(), d.get(), p1.get(), ctx.get()) &&
              BN_mod(dq.get(), d.get(), q1.get(), ctx.get()) &&
              BN_mod_inverse(qinv.get(), q.get(), p.get(), ctx.get()),
          "RSA arithmetic");

    ParamBldPtr bld(OSSL_PARAM_BLD_new());
    check(bld && OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_N, n.get()) &&
              OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_E, e.get()) &&
              OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_D, d.get()) &&
              OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_FACTOR1, p.get()) &&
              OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_FACTOR2, q.get()) &&
              OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_EXPONENT1, dp.get()) &&
              OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_EXPONENT2, dq.get()) &&
              OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_COEFFICIENT1, qinv.get()),
          "OSSL_PARAM_BLD_push_BN");
    ParamPtr params(OSSL_PARAM_BLD_to_param(bld.get()));
    PkeyCtxPtr pctx(EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr));
    EVP_PKEY* raw = nullptr;
    check(params && pctx && EVP_PKEY_fromdata_init(pctx.get()) == 1 &&
              EVP_PKEY_fromdata(pctx.get(), &raw, EVP_PKEY_KEYPAIR, params.get()) == 1,
          "EVP_PKEY_fromdata");
    return PkeyPtr(raw);
}

X509Ptr makeCertificate(std::string_view name, const std::string& seed, EVP_PKEY* key) {
    X509Ptr cert(X509_new());
    check(cert != nullptr, "X509_new");
    BignumPtr serial(BN_bin2bn(reinterpret_cast<const unsigned char*>(seed.data()), 8, nullptr));
    check(serial && BN_set_bit(serial.get(), 62) && !BN_is_negative(serial.get()), "serial");
    check(X509_set_version(cert.get(), 2) &&
              BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(cert.get())) &&
              ASN1_TIME_set_string(X509_getm_notBefore(cert.get()), "20150101000000Z") &&
              ASN1_TIME_set_string(X509_getm_notAfter(cert.get()), "20450101000000Z"),
          "certificate fields");
    X509NamePtr subject(X509_NAME_new());
    const std::string cn(name);
    check(subject &&
              X509_NAME_add_entry_by_txt(subject.get(), "CN", MBSTRING_UTF8,
                                         reinterpret_cast<const unsigned char*>(cn.c_str()), -1, -1,
                                         0) &&
              X509_NAME_add_entry_by_txt(subject.get(), "O", MBSTRING_UTF8,
                                         reinterpret_cast<const unsigned char*>("qvpc test keys"),
                                         -1, -1, 0) &&
              X509_set_subject_name(cert.get(), subject.get()) &&
              X509_set_issuer_name(cert.get(), subject.get()) && X509_set_pubkey(cert.get(), key),
          "certificate names");
    // RSA PKCS#1 v1.5 signatures are deterministic, so the bytes are too.
    check(X509_sign(cert.get(), key, EVP_sha256()) > 0, "X509_sign");
    return cert;
}

}  // namespace

bool IsValidCertName(std::string_view name) {
    if (name.empty() || name.size() > 64) {
        return false;
    }
    for (char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
        if (!ok) {
            return false;
        }
    }
    return true;
}

TestSigningIdentity MakeTestSigningIdentity(std::string_view name) {
    if (!IsValidCertName(name)) {
        throw std::invalid_argument("bad certificate name: " + std::string(name));
    }
    const std::string seed = sha256("qvpc boxsim test key/" + std::string(name));
    TestSigningIdentity id;
    id.key = deriveKey(seed);
    id.certificate = makeCertificate(name, seed, id.key.get());
    unsigned char* der = nullptr;
    const int length = i2d_X509(id.certificate.get(), &der);
    check(length > 0, "i2d_X509");
    id.certificateDer.assign(reinterpret_cast<char*>(der), static_cast<size_t>(length));
    OPENSSL_free(der);
    return id;
}

std::string TestCertificateDer(std::string_view name) {
    return MakeTestSigningIdentity(name).certificateDer;
}

}  // namespace qvpc::boxsim

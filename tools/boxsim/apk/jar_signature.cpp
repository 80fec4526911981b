#include "boxsim/apk/jar_signature.h"

#include <openssl/evp.h>
#include <openssl/sha.h>

#include <stdexcept>

namespace qvpc::boxsim {

namespace {

std::string base64Sha1(std::string_view data) {
    unsigned char digest[SHA_DIGEST_LENGTH];
    SHA1(reinterpret_cast<const unsigned char*>(data.data()), data.size(), digest);
    unsigned char out[64];
    const int n = EVP_EncodeBlock(out, digest, sizeof digest);
    return std::string(reinterpret_cast<char*>(out), static_cast<size_t>(n));
}

BioPtr memoryBio(std::string_view data) {
    return BioPtr(BIO_new_mem_buf(data.data(), static_cast<int>(data.size())));
}

}  // namespace

std::vector<ZipEntry> SignJarV1(const std::vector<ZipEntry>& entries,
                                const TestSigningIdentity& identity) {
    std::string manifest = "Manifest-Version: 1.0\r\nCreated-By: 1.0 (Android)\r\n\r\n";
    std::string sections;
    for (const auto& e : entries) {
        const std::string section =
            "Name: " + e.name + "\r\nSHA1-Digest: " + base64Sha1(e.data) + "\r\n\r\n";
        manifest += section;
        sections += "Name: " + e.name + "\r\nSHA1-Digest: " + base64Sha1(section) + "\r\n\r\n";
    }
    const std::string signatureFile = "Signature-Version: 1.0\r\nCreated-By: 1.0 (Android)\r\n" +
                                      ("SHA1-Digest-Manifest: " + base64Sha1(manifest)) +
                                      "\r\n\r\n" + sections;

    // No signed attributes (no signing time), so the block is reproducible.
    const int flags = PKCS7_BINARY | PKCS7_DETACHED | PKCS7_NOATTR | PKCS7_PARTIAL;
    BioPtr content = memoryBio(signatureFile);
    Pkcs7Ptr p7(PKCS7_sign(nullptr, nullptr, nullptr, nullptr, flags));
    if (!content || !p7 ||
        !PKCS7_sign_add_signer(p7.get(), identity.certificate.get(), identity.key.get(), EVP_sha1(),
                               flags) ||
        !PKCS7_final(p7.get(), content.get(), flags)) {
        throw std::runtime_error("openssl: cannot sign CERT.SF");
    }
    unsigned char* der = nullptr;
    const int length = i2d_PKCS7(p7.get(), &der);
    if (length <= 0) {
        throw std::runtime_error("openssl: cannot encode CERT.RSA");
    }
    std::string block(reinterpret_cast<char*>(der), static_cast<size_t>(length));
    OPENSSL_free(der);

    return {{"META-INF/MANIFEST.MF", manifest, true},
            {"META-INF/CERT.SF", signatureFile, true},
            {"META-INF/CERT.RSA", block, true}};
}

std::optional<std::string> VerifiedSignerCertificate(std::string_view pkcs7Block,
                                                     std::string_view signatureFile) {
    const auto* p = reinterpret_cast<const unsigned char*>(pkcs7Block.data());
    Pkcs7Ptr p7(d2i_PKCS7(nullptr, &p, static_cast<long>(pkcs7Block.size())));
    if (!p7 || !PKCS7_type_is_signed(p7.get())) {
        return std::nullopt;
    }
    BioPtr content = memoryBio(signatureFile);
    // Self-signed test and developer certificates: check the signature, not a chain.
    if (!content || PKCS7_verify(p7.get(), nullptr, nullptr, content.get(), nullptr,
                                 PKCS7_NOVERIFY | PKCS7_BINARY) != 1) {
        return std::nullopt;
    }
    STACK_OF(X509)* signers = PKCS7_get0_signers(p7.get(), nullptr, 0);
    if (!signers || sk_X509_num(signers) < 1) {
        sk_X509_free(signers);
        return std::nullopt;
    }
    unsigned char* der = nullptr;
    const int length = i2d_X509(sk_X509_value(signers, 0), &der);
    sk_X509_free(signers);
    if (length <= 0) {
        return std::nullopt;
    }
    std::string out(reinterpret_cast<char*>(der), static_cast<size_t>(length));
    OPENSSL_free(der);
    return out;
}

}  // namespace qvpc::boxsim

#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "boxsim/apk/test_certificate.h"
#include "boxsim/apk/zip_archive.h"

namespace qvpc::boxsim {

// The v1 (JAR) signature of an APK: META-INF/MANIFEST.MF with a digest per
// entry, META-INF/CERT.SF with digests of the manifest and its sections, and
// META-INF/CERT.RSA, a PKCS#7 signature of CERT.SF. SHA-1 digests, as signers
// use them for APKs that must install on Android before 4.3.
std::vector<ZipEntry> SignJarV1(const std::vector<ZipEntry>& entries,
                                const TestSigningIdentity& identity);

// The DER certificate that signed a signature file, when the PKCS#7 block
// parses and its signature over signatureFile verifies; nullopt otherwise.
std::optional<std::string> VerifiedSignerCertificate(std::string_view pkcs7Block,
                                                     std::string_view signatureFile);

}  // namespace qvpc::boxsim

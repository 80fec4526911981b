#pragma once

#include <string>
#include <string_view>

#include "boxsim/apk/openssl_ptr.h"

namespace qvpc::boxsim {

// A signing key and self-signed certificate for test APKs, derived from a
// name alone: the same name gives the same key and the same certificate
// bytes on every machine and in every build, so an APK built by mkapk in a
// test and one committed to the repository agree when their names agree.
// These keys are public knowledge by construction and only fit for tests.
struct TestSigningIdentity {
    PkeyPtr key;
    X509Ptr certificate;
    std::string certificateDer;
};

// Names of 1 to 64 characters from A-Za-z0-9._-.
bool IsValidCertName(std::string_view name);

// Throws std::invalid_argument for a bad name, std::runtime_error when
// OpenSSL fails.
TestSigningIdentity MakeTestSigningIdentity(std::string_view name);

// The DER certificate alone (what boxsim stores for a preinstalled package).
std::string TestCertificateDer(std::string_view name);

}  // namespace qvpc::boxsim

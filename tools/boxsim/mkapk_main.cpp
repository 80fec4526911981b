// mkapk: builds a small valid test APK (see README.md).

#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "boxsim/apk/apk_builder.h"
#include "boxsim/apk/image.h"

namespace {

constexpr const char* kUsage =
    "usage: mkapk --out FILE --package NAME --version-code N [--version-name S]\n"
    "             [--label TEXT] [--icon FILE.png] [--cert NAME] [--activity .Name]\n"
    "             [--pad BYTES]\n";

int usage(const std::string& problem) {
    std::fprintf(stderr, "mkapk: %s\n%s", problem.c_str(), kUsage);
    return 2;
}

bool parseNumber(const std::string& text, long long max, long long& out) {
    if (text.empty() || text.size() > 12 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    out = std::stoll(text);
    return out <= max;
}

}  // namespace

int main(int argc, char** argv) {
    using qvpc::boxsim::ApkSpec;
    std::map<std::string, std::string> options;
    for (int i = 1; i < argc; ++i) {
        const std::string key = argv[i];
        if (key == "--help" || key == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        static const char* const kKnown[] = {"--out",          "--package",  "--version-code",
                                             "--version-name", "--label",    "--icon",
                                             "--cert",         "--activity", "--pad"};
        bool known = false;
        for (const char* k : kKnown) {
            known = known || key == k;
        }
        if (!known) {
            return usage("unknown option " + key);
        }
        if (i + 1 >= argc) {
            return usage(key + " needs a value");
        }
        options[key] = argv[++i];
    }
    if (!options.count("--out") || !options.count("--package") ||
        !options.count("--version-code")) {
        return usage("--out, --package and --version-code are required");
    }

    ApkSpec spec;
    spec.packageName = options["--package"];
    long long number = 0;
    if (!parseNumber(options["--version-code"], INT32_MAX, number)) {
        return usage("bad version code " + options["--version-code"]);
    }
    spec.versionCode = number;
    spec.versionName = options["--version-name"];
    spec.label = options["--label"];
    if (options.count("--cert")) {
        spec.certName = options["--cert"];
    }
    if (options.count("--activity")) {
        spec.activity = options["--activity"];
    }
    if (options.count("--pad")) {
        if (!parseNumber(options["--pad"], 1LL << 30, number)) {
            return usage("bad padding size " + options["--pad"]);
        }
        spec.paddingBytes = static_cast<size_t>(number);
    }
    if (options.count("--icon")) {
        std::ifstream in(options["--icon"], std::ios::binary);
        spec.iconPng.assign(std::istreambuf_iterator<char>(in), {});
        if (!in.good() && !in.eof()) {
            return usage("cannot read " + options["--icon"]);
        }
        if (!qvpc::boxsim::DecodePng(spec.iconPng)) {
            return usage(options["--icon"] + " is not a PNG picture");
        }
    }
    try {
        qvpc::boxsim::WriteApk(spec, options["--out"]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mkapk: %s\n", e.what());
        return 1;
    }
    return 0;
}

// The simulated box's reader of an APK's compiled manifest on any bytes: it
// reads or refuses with FormatError, nothing else, and what the APK builder
// writes from any text it reads back.
#include <string>
#include <string_view>

#include "boxsim/apk/binary_xml.h"
#include "boxsim/apk/byte_io.h"
#include "boxsim/apk/res_format.h"
#include "boxsim/apk/string_pool.h"
#include "fuzz_target.h"

namespace {

using qvpc::fuzz::Require;

using namespace qvpc::boxsim;

void ReadAny(std::string_view bytes) {
    std::vector<XmlElement> elements;
    try {
        elements = ReadBinaryXml(bytes);
    } catch (const FormatError&) {
        return;
    }
    Require(elements.empty() || elements.front().depth == 0);
    for (const XmlElement& element : elements) {
        Require(element.depth >= 0);
        element.find(res::kAttrVersionCode, "versionCode");
        element.find(0, "package");
    }
}

// The text as a label and a package, written and read back.
void RoundTrip(std::string_view text) {
    const std::string value = Utf16ToUtf8(Utf8ToUtf16(text));
    XmlNodeSpec root{"manifest", {StringAttribute("package", 0, value)}, {}};
    root.children.push_back(
        {"application", {StringAttribute("label", res::kAttrLabel, value)}, {}});
    const std::vector<XmlElement> elements = ReadBinaryXml(WriteBinaryXml(root));
    Require(elements.size() == 2 && elements[1].depth == 1);
    Require(elements[0].find(0, "package")->text == value);
    Require(elements[1].find(res::kAttrLabel, "label")->text == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ReadAny(bytes);
    RoundTrip(bytes.substr(0, 4096));
    return 0;
}

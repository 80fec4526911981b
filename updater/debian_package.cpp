#include "updater/debian_package.h"

#include <charconv>
#include <fstream>
#include <optional>
#include <string_view>
#include <vector>

namespace qvpc::updater {
namespace {

constexpr std::string_view kArMagic = "!<arch>\n";
constexpr std::size_t kMemberHeaderLength = 60;

struct Member {
    std::string name;
    std::uint64_t offset = 0;  // of its content
    std::uint64_t size = 0;
};

std::string_view Field(std::string_view header, std::size_t from, std::size_t length) {
    std::string_view field = header.substr(from, length);
    while (!field.empty() && field.back() == ' ') {
        field.remove_suffix(1);
    }
    return field;
}

// The members of an ar archive, or nothing when its structure does not add
// up to exactly the file's size.
std::optional<std::vector<Member>> Members(std::ifstream& in, std::uint64_t size) {
    std::vector<Member> members;
    std::uint64_t at = kArMagic.size();
    while (at < size) {
        std::string header(kMemberHeaderLength, '\0');
        in.seekg(static_cast<std::streamoff>(at));
        in.read(header.data(), static_cast<std::streamsize>(header.size()));
        if (static_cast<std::size_t>(in.gcount()) != header.size() ||
            header.substr(58, 2) != "`\n") {
            return std::nullopt;
        }
        const std::string_view sizeField = Field(header, 48, 10);
        Member member;
        member.name = std::string(Field(header, 0, 16));
        if (member.name.ends_with('/')) {
            member.name.pop_back();
        }
        const auto [end, error] =
            std::from_chars(sizeField.data(), sizeField.data() + sizeField.size(), member.size);
        member.offset = at + kMemberHeaderLength;
        if (sizeField.empty() || error != std::errc() ||
            end != sizeField.data() + sizeField.size() || member.offset > size ||
            member.size > size - member.offset) {
            return std::nullopt;
        }
        members.push_back(member);
        // Members start at even offsets.
        at = member.offset + member.size + (member.size % 2);
    }
    if (at != size && at != size + 1) {
        return std::nullopt;
    }
    return members;
}

}  // namespace

bool IsCompleteDebianPackage(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        return false;
    }
    const auto size = static_cast<std::uint64_t>(in.tellg());
    std::string magic(kArMagic.size(), '\0');
    in.seekg(0);
    in.read(magic.data(), static_cast<std::streamsize>(magic.size()));
    if (magic != kArMagic) {
        return false;
    }
    const std::optional<std::vector<Member>> members = Members(in, size);
    if (!members || members->size() < 3 || (*members)[0].name != "debian-binary" ||
        !(*members)[1].name.starts_with("control.tar") ||
        !(*members)[2].name.starts_with("data.tar")) {
        return false;
    }
    std::string version(4, '\0');
    in.seekg(static_cast<std::streamoff>((*members)[0].offset));
    in.read(version.data(), static_cast<std::streamsize>(version.size()));
    return version.starts_with("2.");
}

}  // namespace qvpc::updater

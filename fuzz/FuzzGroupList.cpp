// The group list: the scan of its closing lines and a whole update of a fuzzed Groups.xml.

#include "FuzzSupport.h"
#include "formats/GroupList.h"

#include <optional>

using namespace deckshift;

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

/// The list the update should write, from the plain rule; nullopt for a list it must refuse.
std::optional<std::string> expectedList(std::string_view bytes, const std::string& groupLines) {
    auto lines = fuzz::referenceLines(bytes, false);
    while (!lines.empty() && trimRight(lines.back()).empty())
        lines.pop_back();
    if (lines.empty())
        return std::nullopt;
    const std::string_view last = trimRight(lines.back());
    if (!last.ends_with("</Groups>"))
        return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
        (out += lines[i]) += "\r\n";
    const auto before = trimRight(last.substr(0, last.size() - 9));
    if (!before.empty())
        (out += before) += "\r\n";
    return out + groupLines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string groupLines = "   <Group Name=\"R&b\" pos=\"2\" lastrow=\"-1\">\r\n"
                                   "      <SubGroup Name=\"Live\" pos=\"0\" "
                                   "src=\"C:\\RC\\Playlists\\R&b_Live.XML\"/>\r\n"
                                   "   </Group>\r\n</Groups>\r\n";
    const auto want = expectedList(bytes, groupLines);

    fuzz::PieceSource source(bytes, size % 41 + 1);
    formats::LineReader lines(source);
    FUZZ_CHECK(formats::scanGroupList(lines).has_value() == want.has_value());

    const auto& dir = fuzz::Scratch::get().fresh();
    const std::string rc = dir.string() + "/";
    fuzz::writeFile(dir / "Groups.xml", bytes);
    const int open = fuzz::openFileCount();
    const auto problem = formats::checkGroupList(rc);
    FUZZ_CHECK(problem.has_value() == !want.has_value());
    if (want) {
        formats::GroupListUpdate update(rc);
        update.begin("R&b");
        update.addSubgroup("Live", "C:\\RC\\Playlists\\R&b_Live.XML");
        update.finish();
        FUZZ_CHECK(fuzz::readFile(dir / "Groups.xml") == *want);
        FUZZ_CHECK(fuzz::readFile(dir / "GroupsTMP.xml") == *want);
    } else {
        bool refused = false;
        try {
            formats::GroupListUpdate update(rc);
            update.begin("R&b");
        } catch (const formats::GroupListRefused&) {
            refused = true;
        }
        FUZZ_CHECK(refused);
        FUZZ_CHECK(fuzz::readFile(dir / "Groups.xml") == bytes);
        FUZZ_CHECK(!std::filesystem::exists(dir / "GroupsTMP.xml"));
    }
    FUZZ_CHECK(fuzz::openFileCount() == open);
    FUZZ_CHECK(fuzz::temporaries(dir).empty());
    return 0;
}

// The group list: the scan of its closing lines and a whole update of a fuzzed Groups.xml.

#include "FuzzSupport.h"
#include "formats/GroupList.h"

#include <optional>
#include <string>
#include <vector>

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

struct Line {
    std::string text;
    char end = 0; ///< '\r' for CR LF or a lone CR, '\n' for a lone LF, 0 at the end of the list
};

/// The list's lines: CR LF, a lone CR and a lone LF each end one; a last line without its end
/// still counts.
std::vector<Line> listLines(std::string_view bytes) {
    std::vector<Line> lines;
    Line current;
    bool open = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            current.end = c;
            lines.push_back(std::move(current));
            current = {};
            open = false;
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            continue;
        }
        current.text += c;
        open = true;
    }
    if (open)
        lines.push_back(std::move(current));
    return lines;
}

/// The list the update should write, from the plain rule; nullopt for a list it must refuse.
/// Lines kept keep their own line ends (CR LF for a CR); the lines added, and a last line kept
/// that had none, end as the list's lines do: with LF where every line end is a lone LF.
std::optional<std::string> expectedList(std::string_view bytes, const std::string& name,
                                        const std::string& subgroup) {
    auto lines = listLines(bytes);
    bool lf = false;
    bool cr = false;
    for (const auto& line : lines) {
        lf |= line.end == '\n';
        cr |= line.end == '\r';
    }
    const std::string end = lf && !cr ? "\n" : "\r\n";
    while (!lines.empty() && trimRight(lines.back().text).empty())
        lines.pop_back();
    if (lines.empty())
        return std::nullopt;
    const std::string_view last = trimRight(lines.back().text);
    if (!last.ends_with("</Groups>"))
        return std::nullopt;
    auto endOf = [&](const Line& line) {
        return line.end == '\n' ? std::string("\n") : line.end == '\r' ? std::string("\r\n") : end;
    };
    std::string out;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
        out += lines[i].text + endOf(lines[i]);
    const auto before = trimRight(last.substr(0, last.size() - 9));
    if (!before.empty())
        out += std::string(before) + endOf(lines.back());
    return out + "   <Group Name=\"" + name + "\" pos=\"2\" lastrow=\"-1\">" + end + subgroup +
           end + "   </Group>" + end + "</Groups>" + end;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string subgroup =
        "      <SubGroup Name=\"Live\" pos=\"0\" src=\"C:\\RC\\Playlists\\R&b_Live.XML\"/>";
    const auto want = expectedList(bytes, "R&b", subgroup);

    fuzz::PieceSource source(bytes, size % 41 + 1);
    formats::LineReader lines(source, formats::kGroupListLineEnds);
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

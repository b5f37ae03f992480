#include "settings/WineRegistry.h"

#include "settings/CodePage.h"
#include "settings/Paths.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace deckshift::settings {

namespace {

void appendUtf16(std::u16string& out, char32_t code) {
    if (code >= 0x10000) {
        code -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FFu)));
    } else {
        out.push_back(static_cast<char16_t>(code));
    }
}

/// Finds the end of a quoted Wine string that starts after the opening quote at `start`: the
/// position of the closing quote, or npos.
std::size_t closingQuote(std::string_view line, std::size_t start) {
    for (std::size_t i = start; i < line.size(); ++i) {
        if (line[i] == '\\')
            ++i;
        else if (line[i] == '"')
            return i;
    }
    return std::string_view::npos;
}

/// The key path of a key line ("[Software\\Visiosonic] 1796854322"), decoded; nullopt for a line
/// that is not a well-formed key line.
std::optional<std::string> keyOfLine(std::string_view line) {
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    for (std::size_t i = 1; i < line.size(); ++i) {
        if (line[i] == '\\')
            ++i;
        else if (line[i] == ']')
            return toAnsi1252(decodeWineString(line.substr(1, i - 1)));
    }
    return std::nullopt;
}

enum class DataKind { String, Hex, Other };

struct ValueLine {
    std::string name;
    DataKind kind = DataKind::Other;
    /// The data after the value's type: the quoted string's inside, or the hex bytes.
    std::string_view data;
    /// Hex data continues on the next line.
    bool continues = false;
};

/// Splits a value line ("name"=data or @=data); nullopt when the line is not one.
std::optional<ValueLine> parseValueLine(std::string_view line) {
    ValueLine value;
    std::size_t pos = 0;
    if (!line.empty() && line.front() == '@') {
        pos = 1;
    } else if (!line.empty() && line.front() == '"') {
        const std::size_t end = closingQuote(line, 1);
        if (end == std::string_view::npos)
            return std::nullopt;
        value.name = toAnsi1252(decodeWineString(line.substr(1, end - 1)));
        pos = end + 1;
    } else {
        return std::nullopt;
    }
    if (pos >= line.size() || line[pos] != '=')
        return std::nullopt;
    std::string_view data = line.substr(pos + 1);

    // "str(2):" and "str(1):" hold a string in quotes; "str(7):" (several strings) does not count.
    if (startsWithIgnoringCase(data, "str(")) {
        const std::size_t close = data.find("):");
        if (close == std::string_view::npos)
            return value;
        const std::string_view type = data.substr(4, close - 4);
        data = data.substr(close + 2);
        if (type != "1" && type != "2")
            return value;
    }
    if (!data.empty() && data.front() == '"') {
        const std::size_t end = closingQuote(data, 1);
        if (end == std::string_view::npos)
            return value;
        value.kind = DataKind::String;
        value.data = data.substr(1, end - 1);
        return value;
    }
    if (startsWithIgnoringCase(data, "hex")) {
        const std::size_t colon = data.find(':');
        if (colon == std::string_view::npos)
            return value;
        const std::string_view type = data.substr(3, colon - 3);
        value.data = data.substr(colon + 1);
        value.continues = !value.data.empty() && value.data.back() == '\\';
        if (value.continues)
            value.data.remove_suffix(1);
        // A string that Wine cannot write in quotes (one stored without its terminating null)
        // is written as hex(1) or hex(2): UTF-16LE bytes.
        if (type == "(1)" || type == "(2)")
            value.kind = DataKind::Hex;
    }
    return value;
}

/// Appends the hex bytes of `data` ("01,02,ab") to `bytes`.
void appendHexBytes(std::string_view data, std::vector<unsigned char>& bytes) {
    int high = -1;
    for (char c : data) {
        const int digit = hexDigit(c);
        if (digit < 0) {
            high = -1;
            continue;
        }
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<unsigned char>(high * 16 + digit));
            high = -1;
        }
    }
}

std::string stringFromUtf16Bytes(const std::vector<unsigned char>& bytes) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    while (!text.empty() && text.back() == u'\0')
        text.pop_back();
    return toAnsi1252(text);
}

void stripCarriageReturn(std::string& line) {
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
}

/// Wine writes short lines, wrapping long values over continuation lines; a line longer than this
/// comes from a damaged file, and so does a value of more bytes than this.
constexpr std::size_t kMaxLine = std::size_t{1} << 20;

/// Reads the next line of `reg` without its LF (and CR), as std::getline does, but holds at most
/// kMaxLine bytes of it, so that a damaged file of one huge line is read in bounded memory. Of a
/// longer line only its first and last bytes are kept (what kind of line it is, and whether it
/// goes on in the next line) and `tooLong` is set. False at the end of the file.
bool nextLine(std::istream& reg, std::string& line, bool& tooLong) {
    line.clear();
    tooLong = false;
    std::string head, tail; // the first byte and the last two, for a line that is too long
    char piece[4096];
    bool any = false;
    for (;;) {
        reg.getline(piece, sizeof piece);
        const auto count = static_cast<std::size_t>(reg.gcount());
        any = any || count > 0;
        // The line ends at an LF, which gcount counts but getline drops, or at the end of the
        // file; a failure short of both means the piece was full and the line goes on.
        const bool atLf = !reg.fail() && !reg.eof();
        const std::size_t stored = atLf ? count - 1 : count;
        if (!tooLong && line.size() + stored > kMaxLine) {
            tooLong = true;
            head = line.empty() ? std::string(piece, 1) : line.substr(0, 1);
            tail = line.substr(line.size() - std::min<std::size_t>(line.size(), 2));
            line.clear();
        }
        if (tooLong) {
            tail.append(piece, stored);
            tail.erase(0, tail.size() - std::min<std::size_t>(tail.size(), 2));
        } else {
            line.append(piece, stored);
        }
        if (atLf || reg.bad())
            break;
        if (reg.eof()) {
            // The last line of a file without an LF at its end is still a line.
            if (any)
                reg.clear(reg.rdstate() & ~std::ios::failbit);
            break;
        }
        reg.clear();
    }
    if (tooLong) {
        stripCarriageReturn(tail);
        line = head + tail.back();
        return any;
    }
    stripCarriageReturn(line);
    return any;
}

struct Lookup {
    bool keyFound = false;
    std::optional<std::string> value;
};

Lookup lookUp(std::istream& reg, std::string_view keyPath, std::string_view valueName) {
    Lookup result;
    std::string line;
    bool tooLong = false;
    bool inKey = false;
    bool continuation = false;
    while (nextLine(reg, line, tooLong)) {
        if (tooLong) {
            // A line too long to be Wine's own is passed over as a line that cannot be read, and
            // so are the lines that continue it when it is a value's.
            const bool valueLine = !continuation && (line.front() == '"' || line.front() == '@');
            continuation = (continuation || valueLine) && line.back() == '\\';
            continue;
        }
        if (continuation) {
            continuation = !line.empty() && line.back() == '\\';
            continue;
        }
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            const auto key = keyOfLine(line);
            inKey = key && equalsIgnoringCase(*key, keyPath);
            result.keyFound = result.keyFound || inKey;
            continue;
        }
        const auto value = parseValueLine(line);
        if (!value)
            continue;
        continuation = value->continues;
        if (!inKey || !equalsIgnoringCase(value->name, valueName))
            continue;
        switch (value->kind) {
        case DataKind::String:
            result.value = toAnsi1252(decodeWineString(value->data));
            return result;
        case DataKind::Hex: {
            std::vector<unsigned char> bytes;
            appendHexBytes(value->data, bytes);
            bool more = value->continues;
            while (more && nextLine(reg, line, tooLong)) {
                if (tooLong || bytes.size() > kMaxLine)
                    return result; // a damaged value: no value
                more = !line.empty() && line.back() == '\\';
                appendHexBytes(line, bytes);
            }
            result.value = stringFromUtf16Bytes(bytes);
            return result;
        }
        case DataKind::Other:
            // A value of another type: not a string setting.
            return result;
        }
    }
    return result;
}

std::optional<std::string> readFile(const fs::path& file, std::string_view keyPath,
                                    std::string_view valueName, bool& keyFound) {
    std::error_code ec;
    const auto status = fs::status(file, ec);
    if (!fs::exists(status))
        return std::nullopt; // no registry file: no value
    const auto unreadable = [&](const std::string& reason) {
        return RegistryUnreadable("The registry file \"" + file.string() + "\" cannot be read: " +
                                  reason + ". Please make it readable and try again.");
    };
    if (fs::is_directory(status))
        throw unreadable("it is a directory");
    errno = 0;
    std::ifstream reg(file, std::ios::binary);
    if (!reg)
        throw unreadable(std::generic_category().message(errno ? errno : EACCES));
    auto found = lookUp(reg, keyPath, valueName);
    if (reg.bad())
        throw unreadable(std::generic_category().message(errno ? errno : EIO));
    keyFound = found.keyFound;
    return found.value;
}

} // namespace

std::u16string decodeWineString(std::string_view escaped) {
    std::u16string out;
    std::size_t i = 0;
    while (i < escaped.size()) {
        const auto c = static_cast<unsigned char>(escaped[i]);
        if (c >= 0x80) {
            // Wine writes only ASCII; raw bytes above that come from a hand-edited file, most
            // likely in UTF-8. A byte that is not UTF-8 stands for itself.
            if (const auto code = decodeUtf8(escaped, i)) {
                appendUtf16(out, *code);
            } else {
                out.push_back(static_cast<char16_t>(c));
                ++i;
            }
            continue;
        }
        if (c != '\\' || i + 1 == escaped.size()) {
            out.push_back(static_cast<char16_t>(c));
            ++i;
            continue;
        }
        const char e = escaped[i + 1];
        i += 2;
        switch (e) {
        case 'a':
            out.push_back(u'\a');
            break;
        case 'b':
            out.push_back(u'\b');
            break;
        case 'e':
            out.push_back(u'\x1b');
            break;
        case 'f':
            out.push_back(u'\f');
            break;
        case 'n':
            out.push_back(u'\n');
            break;
        case 'r':
            out.push_back(u'\r');
            break;
        case 't':
            out.push_back(u'\t');
            break;
        case 'v':
            out.push_back(u'\v');
            break;
        case 'x': {
            unsigned value = 0;
            std::size_t digits = 0;
            while (digits < 4 && i < escaped.size() && hexDigit(escaped[i]) >= 0) {
                value = value * 16 + static_cast<unsigned>(hexDigit(escaped[i]));
                ++i;
                ++digits;
            }
            out.push_back(digits == 0 ? u'x' : static_cast<char16_t>(value));
            break;
        }
        case '0':
        case '1':
        case '2':
        case '3':
        case '4':
        case '5':
        case '6':
        case '7': {
            unsigned value = static_cast<unsigned>(e - '0');
            for (std::size_t digits = 1;
                 digits < 3 && i < escaped.size() && escaped[i] >= '0' && escaped[i] <= '7';
                 ++digits, ++i)
                value = value * 8 + static_cast<unsigned>(escaped[i] - '0');
            out.push_back(static_cast<char16_t>(value));
            break;
        }
        default:
            // "\\", "\"", "\[" and "\]", and any other escaped character, stand for themselves.
            out.push_back(static_cast<char16_t>(static_cast<unsigned char>(e)));
            break;
        }
    }
    return out;
}

std::optional<std::string> findWineRegValue(std::istream& reg, std::string_view keyPath,
                                            std::string_view valueName) {
    return lookUp(reg, keyPath, valueName).value;
}

std::optional<std::string> WineRegistryReader::read(std::int32_t hive, std::string_view keyPath,
                                                    std::string_view valueName) const {
    const auto prefix = m_prefix ? m_prefix : winePrefix();
    if (!prefix)
        return std::nullopt;
    fs::path file;
    if (hive == kHkeyLocalMachine)
        file = *prefix / "system.reg";
    else if (hive == kHkeyCurrentUser)
        file = *prefix / "user.reg";
    else
        return std::nullopt;

    bool keyFound = false;
    auto value = readFile(file, keyPath, valueName, keyFound);
    constexpr std::string_view kSoftware = "Software\\";
    constexpr std::string_view kWow = "Wow6432Node\\";
    if (value || keyFound || !startsWithIgnoringCase(keyPath, kSoftware) ||
        startsWithIgnoringCase(keyPath.substr(kSoftware.size()), kWow))
        return value;
    std::string redirected(kSoftware);
    redirected += kWow;
    redirected += keyPath.substr(kSoftware.size());
    return readFile(file, redirected, valueName, keyFound);
}

} // namespace deckshift::settings

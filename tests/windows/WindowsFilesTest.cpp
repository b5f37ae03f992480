// Files as Windows names them: drive letters and backslashes, a drive's root, doubled separators,
// letter case ignored, hidden attributes, names in the ANSI code page, and bytes written and read
// without any text-mode translation.

#include "convert/ConvertGroupFile.h"
#include "formats/TextIO.h"
#include "settings/Paths.h"
#include "settings/Registry.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace deckshift;
using namespace deckshift::settings;
using test::crlf;
using test::readBytes;
using test::snapshot;
using test::TempDir;
using test::writeBytes;
using Names = std::vector<std::string>;

namespace {

/// `text` in the ANSI code page; empty when the code page cannot represent it.
std::string ansi(const std::wstring& text) {
    BOOL usedDefault = FALSE;
    const int size =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                            static_cast<int>(text.size()), nullptr, 0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault)
        return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                        out.data(), size, nullptr, &usedDefault);
    return out;
}

/// Writes a file by its UTF-16 name.
void writeWide(const fs::path& path, std::string_view bytes) {
    std::FILE* file = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(file, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    const auto upper = [](char c) {
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return upper(x) == upper(y); });
}

std::string readThrough(const std::string& path) {
    formats::FileSource source(path, toFsPath(path));
    std::string bytes;
    char buffer[256];
    while (const std::size_t n = source.read(buffer, sizeof buffer))
        bytes.append(buffer, n);
    return bytes;
}

void writeThrough(const std::string& path, std::string_view bytes) {
    formats::AtomicFile file(path, toFsPath(path));
    file.write(bytes);
    file.commit();
}

TEST(WindowsPaths, TemporaryDirectoriesAreInWindowsForm) {
    TempDir dir;
    const std::string path = dir.str();
    ASSERT_TRUE(isWindowsForm(path)) << path;
    EXPECT_EQ(path[2], '\\') << path;
    EXPECT_EQ(separatorFor(path), '\\');
    EXPECT_EQ(separatorFor("relative"), '\\');
}

TEST(WindowsPaths, FilesAreReachedThroughEveryWayOfWritingTheirPath) {
    TempDir dir;
    writeBytes(dir / "Rock.INI", "bytes");
    const std::string base = dir.str();
    std::string lowerDrive = base;
    lowerDrive[0] = static_cast<char>(lowerDrive[0] | 0x20);
    std::string slashes = base;
    for (auto& c : slashes)
        c = c == '\\' ? '/' : c;
    std::string doubled; // every separator twice, as a registry value may hold them
    for (const char c : base)
        doubled += c == '\\' ? std::string("\\\\") : std::string(1, c);

    const std::string paths[] = {
        joinPath(base, "Rock.INI"),          joinPath(base, "rock.ini"), // letter case ignored
        joinPath(dir.str(true), "Rock.INI"),                             // "dir\" + "\" + name
        lowerDrive + "\\ROCK.ini",           slashes + "/Rock.INI",      doubled + "\\\\Rock.INI",
    };
    for (const auto& path : paths)
        EXPECT_EQ(readThrough(path), "bytes") << path;
}

TEST(WindowsPaths, ADrivesRootJoinedWithItsSeparatorDoubledWorks) {
    // The root of the drive that holds the temporary directory: "C:\" joined gives "C:\\name".
    TempDir dir;
    const std::string root = dir.str().substr(0, 3);
    ASSERT_EQ(root.substr(1), ":\\");
    const std::string below = dir.str().substr(3); // "users\...\deckshift-test-..."
    const std::string first = below.substr(0, below.find('\\'));

    const std::string joined = joinPath(root, first);
    EXPECT_EQ(joined, root + "\\" + first);
    EXPECT_TRUE(fs::is_directory(toFsPath(joined))) << joined;

    std::string error;
    const Names directories = listDirectories(root, &error);
    EXPECT_TRUE(error.empty()) << error;
    EXPECT_TRUE(std::any_of(directories.begin(), directories.end(), [&](const std::string& name) {
        return equalIgnoringCase(name, first);
    })) << first;

    // A file below the root, written and read back through the doubled separator.
    const std::string file = joinPath(root, below) + "\\Groups.xml";
    writeThrough(file, "<Groups>\r\n</Groups>\r\n");
    EXPECT_EQ(readBytes(dir / "Groups.xml"), "<Groups>\r\n</Groups>\r\n");
    EXPECT_EQ(listFiles(joinPath(root, below), "*.XML"), Names{"Groups.xml"});
}

TEST(WindowsPaths, PresenceTestOnDriveLetterPaths) {
    TempDir full, empty;
    writeBytes(full / "Groups.xml", "x");
    struct Case {
        std::string path;
        bool present;
    };
    std::string doubled;
    for (const char c : full.str(true))
        doubled += c == '\\' ? std::string("\\\\") : std::string(1, c);
    const Case cases[] = {
        {full.str(true), true},
        {normalizeBackslashes(doubled), true},
        {full.str(), false},      // no trailing separator: a pattern naming the directory
        {empty.str(true), false}, // no ordinary file in it
        {full.str(true) + "GROUPS.*", true},
        {full.str(true) + "Playlists\\", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(presenceTest(c.path), c.present) << c.path;
}

TEST(WindowsFiles, HiddenAndSystemFilesAreLeftOutByTheirAttributes) {
    TempDir dir;
    for (const char* name : {"Rock.INI", ".dotted.INI", "hidden.INI", "system.INI"})
        writeBytes(dir / name, "x");
    ASSERT_TRUE(SetFileAttributesW((dir / "hidden.INI").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesW((dir / "system.INI").c_str(), FILE_ATTRIBUTE_SYSTEM));
    fs::create_directory(dir / "Folder.INI");
    // A leading dot hides nothing on Windows; Wine marks such names hidden, as Unix treats them.
    const DWORD dotted = GetFileAttributesW((dir / ".dotted.INI").c_str());
    ASSERT_NE(dotted, INVALID_FILE_ATTRIBUTES);
    Names expected{"Rock.INI"};
    if ((dotted & FILE_ATTRIBUTE_HIDDEN) == 0)
        expected.insert(expected.begin(), ".dotted.INI");
    EXPECT_EQ(listFiles(dir.str(), "*.ini"), expected);
}

TEST(WindowsFiles, NamesAboveAsciiTravelInTheAnsiCodePage) {
    TempDir dir;
    const std::wstring wideNames[] = {L"Soir\u00e9e.INI", L"\u20ac uro.INI", L"Caf\u00c9.INI"};
    Names expected;
    for (const auto& wide : wideNames) {
        ASSERT_NO_FATAL_FAILURE(writeWide(dir.path() / wide, "[Live]\r\n"));
        if (const auto name = ansi(wide); !name.empty())
            expected.push_back(name);
    }
    // A name the code page cannot hold is left out of the listing.
    ASSERT_NO_FATAL_FAILURE(writeWide(dir.path() / L"\u4e2d\u6587.INI", "x"));
    std::sort(expected.begin(), expected.end(),
              [](const std::string& a, const std::string& b) { return ntfsLess(a, b); });
    if (GetACP() == 1252) {
        EXPECT_EQ(expected, (Names{"Caf\xc9.INI",
                                   "Soir\xe9"
                                   "e.INI",
                                   "\x80 uro.INI"}));
    }

    const Names listed = listFiles(dir.str(), "*.ini");
    EXPECT_EQ(listed, expected);
    for (const auto& name : listed) {
        const std::string path = joinPath(dir.str(), name);
        EXPECT_EQ(readThrough(path), "[Live]\r\n") << path;
        EXPECT_EQ(findNameIgnoringCase(dir.str(), name), name);
    }
    // A directory with such a name, reached through a path string and written into.
    const std::string soiree = joinPath(dir.str(), ansi(L"Soir\u00e9es"));
    fs::create_directory(toFsPath(soiree));
    EXPECT_TRUE(fs::is_directory(dir.path() / L"Soir\u00e9es"));
    EXPECT_EQ(listDirectories(dir.str()), Names{ansi(L"Soir\u00e9es")});
    writeThrough(joinPath(soiree, "Groups.xml"), "x");
    EXPECT_TRUE(presenceTest(soiree + "\\"));
}

TEST(WindowsFiles, BytesAreWrittenAndReadWithoutTextModeTranslation) {
    TempDir dir;
    // Lone LF and CR, CR LF, Ctrl-Z (the end of a file in text mode) and 8-bit bytes.
    const std::string bytes = "a\nb\rc\r\nd\x1a"
                              "e\xe9\xff\r\n";
    const std::string path = joinPath(dir.str(), "Raw.XML");
    writeThrough(path, bytes);
    EXPECT_EQ(readBytes(dir / "Raw.XML"), bytes);
    EXPECT_EQ(readThrough(path), bytes);

    formats::FileSource source(path, toFsPath(path));
    formats::LineReader lines(source);
    Names got;
    for (std::string line; lines.next(line);)
        got.push_back(line);
    EXPECT_EQ(got, (Names{"a\nb", "c",
                          "d\x1a"
                          "e\xe9\xff"}));
}

TEST(WindowsFiles, ConversionsWriteCrLfLineEndsOnly) {
    TempDir dir;
    {
        formats::StringSource source(crlf({"[Live]", "Track 1=;;;;;;|One.mp3||C:\\Audio\\|||",
                                           "Track 2=;;;;;;|Two.mp3||D:\\|||"}));
        formats::LineReader lines(source);
        convert::GroupFileProgress quiet;
        ASSERT_TRUE(convert::ConvertGroupFile(lines, "Rock", dir.str(true), quiet).recognised);
    }
    const auto files = snapshot(dir.path());
    ASSERT_EQ(files.size(), 1u);
    const std::string& vrm = files.at("Rock_Live.XML");
    EXPECT_EQ(vrm, crlf({"<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>", "<smil>", "   <body>",
                         "      <seq>", "         <media src=\"C:\\Audio\\One.mp3\">",
                         "         </media>", "         <media src=\"D:\\Two.mp3\">",
                         "         </media>", "      </seq>", "   </body>", "</smil>"}));
    EXPECT_EQ(vrm.find("\r\r"), std::string::npos);
}

} // namespace

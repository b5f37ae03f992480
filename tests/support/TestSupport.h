#pragma once
// Helpers for the core tests. Tests write only below a fresh temporary directory.

#include "convert/Messages.h"
#include "formats/TextIO.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace deckshift::test {

/// A fresh directory below the system's temporary directory, removed with everything in it when
/// the object goes.
class TempDir {
public:
    TempDir() : TempDir(std::filesystem::temp_directory_path()) {}
    /// A fresh directory below `parent` instead.
    explicit TempDir(const std::filesystem::path& parent);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    /// The path as a string, with a trailing "/" when `trailingSeparator`.
    std::string str(bool trailingSeparator = false) const;
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

/// Writes `bytes` to `path` exactly (binary), creating parent directories.
void writeBytes(const std::filesystem::path& path, std::string_view bytes);
/// Reads the whole file as bytes; fails the test when it cannot.
std::string readBytes(const std::filesystem::path& path);
/// Every regular file below `dir` with its bytes, keyed by path relative to `dir` ("/"-separated).
std::map<std::string, std::string> snapshot(const std::filesystem::path& dir);
/// Joins lines with CR LF after each.
std::string crlf(std::initializer_list<std::string_view> lines);
/// A VRM playlist as PCDJ FX writes it, with a media element for each of `srcValues` (escaped as
/// given), each line ended by CR LF.
std::string vrmPlaylist(std::initializer_list<std::string_view> srcValues);
std::string vrmPlaylist(const std::vector<std::string>& srcValues);
/// The Groups.xml of a small library in C:\FX\RC: the groups "Rock" (Live, Studio) and "Jazz"
/// (Club), each subgroup's playlist in C:\FX\RC\Playlists.
std::string smallLibraryGroupList();
/// The number of file descriptors this process has open (Linux; -1 elsewhere).
int openFileCount();

/// Records every message an engine shows, with its kind and title.
class RecordedMessages : public convert::MessageSink {
public:
    struct Shown {
        convert::MessageKind kind;
        std::string text;
        std::string title;
    };
    std::vector<Shown> shown;
    void message(convert::MessageKind kind, std::string_view text,
                 std::string_view title) override {
        shown.push_back({kind, std::string(text), std::string(title)});
    }
};

/// Records the texts of an engine's messages, each of which must be an error titled
/// "Deckshift".
class DeckshiftErrors : public convert::MessageSink {
public:
    std::vector<std::string> texts;
    void message(convert::MessageKind kind, std::string_view text, std::string_view title) override;
};

/// Sets an environment variable for the lifetime of the object, restoring the old value after.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::string m_old;
    bool m_hadOld;
};

/// Hands out at most `step` bytes per read, so that lines and multi-byte sequences are cut at
/// every place a reader's blocks can cut them.
class TrickleSource final : public formats::ByteSource {
public:
    TrickleSource(std::string bytes, std::size_t step) : m_bytes(std::move(bytes)), m_step(step) {}
    std::size_t read(char* buffer, std::size_t size) override {
        const std::size_t n = std::min({size, m_step, m_bytes.size() - m_pos});
        m_bytes.copy(buffer, n, m_pos);
        m_pos += n;
        return n;
    }
    void rewind() override { m_pos = 0; }

private:
    std::string m_bytes;
    std::size_t m_step;
    std::size_t m_pos = 0;
};

} // namespace deckshift::test

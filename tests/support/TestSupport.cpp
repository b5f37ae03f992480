#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace deckshift::test {

TempDir::TempDir(const fs::path& parent) {
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto name = "deckshift-test-" + std::to_string(rd()) + "-" + std::to_string(counter++);
        auto candidate = parent / name;
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}

TempDir::~TempDir() {
    std::error_code ec;
    // Directories made read-only by a test must be writable again to be removed.
    for (auto it = fs::recursive_directory_iterator(m_path, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        if (it->is_directory(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_path, ec);
}

std::string TempDir::str(bool trailingSeparator) const {
    auto s = m_path.string();
    if (trailingSeparator)
        s += static_cast<char>(fs::path::preferred_separator);
    return s;
}

void writeBytes(const fs::path& path, std::string_view bytes) {
    if (path.has_parent_path())
        fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << path;
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::map<std::string, std::string> snapshot(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), dir).generic_string()] = readBytes(entry.path());
    }
    return files;
}

std::string crlf(std::initializer_list<std::string_view> lines) {
    std::string out;
    for (auto line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

namespace {

template <typename Paths> std::string vrmOf(const Paths& srcValues) {
    std::string out = crlf(
        {"<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>", "<smil>", "   <body>", "      <seq>"});
    for (const auto& src : srcValues) {
        out += "         <media src=\"";
        out += src;
        out += "\">\r\n         </media>\r\n";
    }
    return out + crlf({"      </seq>", "   </body>", "</smil>"});
}

} // namespace

std::string vrmPlaylist(std::initializer_list<std::string_view> srcValues) {
    return vrmOf(srcValues);
}

std::string vrmPlaylist(const std::vector<std::string>& srcValues) {
    return vrmOf(srcValues);
}

std::string smallLibraryGroupList() {
    return crlf({"<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>", "<Groups>",
                 "   <Group Name=\"Rock\" pos=\"0\" lastrow=\"-1\">",
                 "      <SubGroup Name=\"Live\" pos=\"0\" "
                 "src=\"C:\\FX\\RC\\Playlists\\Rock_Live.XML\"/>",
                 "      <SubGroup Name=\"Studio\" pos=\"1\" "
                 "src=\"C:\\FX\\RC\\Playlists\\Rock_Studio.XML\"/>",
                 "   </Group>", "   <Group Name=\"Jazz\" pos=\"1\" lastrow=\"-1\">",
                 "      <SubGroup Name=\"Club\" pos=\"0\" "
                 "src=\"C:\\FX\\RC\\Playlists\\Jazz_Club.XML\"/>",
                 "   </Group>", "</Groups>"});
}

int openFileCount() {
#ifdef __linux__
    int count = 0;
    std::error_code ec;
    for (auto it = fs::directory_iterator("/proc/self/fd", ec); !ec && it != fs::end(it);
         it.increment(ec))
        ++count;
    return count;
#else
    return -1;
#endif
}

void DeckshiftErrors::message(convert::MessageKind kind, std::string_view text,
                              std::string_view title) {
    EXPECT_EQ(kind, convert::MessageKind::Error) << text;
    EXPECT_EQ(title, "Deckshift") << text;
    texts.emplace_back(text);
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : m_name(name) {
    const char* old = std::getenv(name);
    m_hadOld = old != nullptr;
    if (m_hadOld)
        m_old = old;
#ifdef _WIN32
    _putenv_s(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

ScopedEnv::~ScopedEnv() {
#ifdef _WIN32
    _putenv_s(m_name.c_str(), m_hadOld ? m_old.c_str() : "");
#else
    if (m_hadOld)
        setenv(m_name.c_str(), m_old.c_str(), 1);
    else
        unsetenv(m_name.c_str());
#endif
}

} // namespace deckshift::test

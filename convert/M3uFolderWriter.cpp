// The M3U folder: OUTPUT/GROUP/SUBGROUP.m3u ("#EXTM3U", one line per track, CR LF) in the 8-bit
// code page, or .m3u8 in UTF-8. Folder and file names are safe on Windows; a second playlist of the
// same name in a folder (as Windows compares names) gets " (2)" and so on.

#include "convert/LibraryFormats.h"

#include "formats/SafeNames.h"
#include "formats/TextIO.h"
#include "settings/CodePage.h"
#include "settings/Paths.h"

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace deckshift::convert {

namespace {

class M3uFolderWriter final : public LibraryWriter {
public:
    M3uFolderWriter(const WriterSetup& setup, bool utf8) : m_setup(setup), m_utf8(utf8) {}

    void beginGroup(std::string_view name) override {
        m_folder = settings::joinPath(m_setup.output, formats::safeFileName(name));
        if (!m_setup.dryRun) {
            std::error_code ec;
            fs::create_directories(settings::toFsPath(m_folder), ec);
            if (ec)
                throw formats::FileError(m_folder, "create", ec.message());
        }
    }
    void beginPlaylist(std::string_view name) override {
        const std::string path =
            settings::joinPath(m_folder, uniqueName(formats::safeFileName(name)));
        m_file.emplace(path, settings::toFsPath(path), m_setup.dryRun);
        m_file->writeLine("#EXTM3U");
    }
    bool track(const LibraryTrack& item) override {
        if (m_utf8) {
            m_file->writeLine(settings::codePageToUtf8(item.path));
        } else {
            auto& out = m_file->buffer();
            out.append(item.path);
            out.append("\r\n");
            m_file->appended();
        }
        return true;
    }
    void endPlaylist() override {
        m_file->commit();
        m_file.reset();
    }
    void dropPlaylist() override { m_file.reset(); }
    void endGroup() override {}
    void finish() override {}
    std::string playlistDirectory() const override { return m_folder; }

private:
    /// A name not yet used in the folder (letter case ignored, as Windows ignores it, accented
    /// letters included): `base`, else "base (2)" and so on.
    std::string uniqueName(const std::string& base) {
        const std::string_view extension = m_utf8 ? ".m3u8" : ".m3u";
        auto& used = m_used[formats::fileNameKey(m_folder)];
        std::string name = base;
        for (int n = 2; used.count(formats::fileNameKey(name + std::string(extension))) > 0; ++n)
            name = base + " (" + std::to_string(n) + ")";
        used.insert(formats::fileNameKey(name + std::string(extension)));
        return name + std::string(extension);
    }

    WriterSetup m_setup;
    bool m_utf8;
    std::string m_folder;
    std::optional<formats::OutputFile> m_file;
    std::map<std::string, std::set<std::string>> m_used;
};

} // namespace

std::unique_ptr<LibraryWriter> makeM3uWriter(const WriterSetup& setup) {
    return std::make_unique<M3uFolderWriter>(setup, false);
}

std::unique_ptr<LibraryWriter> makeM3u8Writer(const WriterSetup& setup) {
    return std::make_unique<M3uFolderWriter>(setup, true);
}

} // namespace deckshift::convert

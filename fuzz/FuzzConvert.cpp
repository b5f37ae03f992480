// Every conversion engine run on the fuzzed input as its source file, into a scratch directory:
// the INI-to-VRM run (into a directory, and in register mode), VRM to INI, VRM to M3U and M3U to
// VRM. Each must finish or fail with a message, leave no file open and no temporary file behind,
// and leave only whole files.

#include "FuzzSupport.h"
#include "convert/ConvertM3uToVrm.h"
#include "convert/ConvertRedIniToVrm.h"
#include "convert/ConvertVrmToIni.h"
#include "convert/ConvertVrmToM3u.h"
#include "settings/Registry.h"

using namespace deckshift;
namespace fs = std::filesystem;

namespace {

class Messages final : public convert::MessageSink {
public:
    std::vector<std::string> errors;
    void message(convert::MessageKind kind, std::string_view text, std::string_view) override {
        if (kind == convert::MessageKind::Error)
            errors.emplace_back(text);
    }
};

const std::string kGroups = "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>\r\n<Groups>\r\n"
                            "</Groups>\r\n";

/// A run that did not finish must have said why; the only failure a readable source may give is
/// a playlist name that the file system refuses (too long, or holding a NUL byte).
void checkStatus(convert::RunStatus status, const Messages& messages) {
    if (status == convert::RunStatus::Done) {
        FUZZ_CHECK(messages.errors.empty());
        return;
    }
    FUZZ_CHECK(messages.errors.size() == 1);
    if (status == convert::RunStatus::Failed &&
        messages.errors[0].find("File name too long") == std::string::npos &&
        messages.errors[0].find("NUL") == std::string::npos) {
        std::fprintf(stderr, "unexpected failure: %.*s\n",
                     static_cast<int>(messages.errors[0].size()), messages.errors[0].data());
        std::abort();
    }
}

/// Every file of `dir` is a whole playlist of the group Rock, under the name the run gave it.
void checkWholePlaylists(const fs::path& dir) {
    for (const auto& entry : fs::directory_iterator(dir)) {
        const auto name = entry.path().filename().string();
        if (!name.starts_with("Rock_") || !name.ends_with(".XML")) {
            std::fprintf(stderr, "unexpected file: %s\n", name.c_str());
            std::abort();
        }
        FUZZ_CHECK(fuzz::readFile(entry.path()).ends_with("</smil>\r\n"));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto& root = fuzz::Scratch::get().fresh();
    const fs::path src = root / "src", out = root / "out", rc = root / "rc";
    fs::create_directories(src);
    fs::create_directories(out);
    fs::create_directories(rc / "Playlists");
    fuzz::writeFile(src / "Rock.INI", bytes);
    fuzz::writeFile(src / "Rock_Live.XML", bytes);
    fuzz::writeFile(src / "Mix.m3u", bytes);
    fuzz::writeFile(rc / "Groups.xml", kGroups);
    const int open = fuzz::openFileCount();

    {
        convert::IniToVrmInputs in;
        in.sourceDirectory = src.string();
        in.sourceName = "Rock.INI";
        in.outputDirectory = out.string();
        convert::IniToVrmProgress progress;
        Messages messages;
        const auto result = convert::ConvertRedIniToVrm(in, progress, messages);
        checkStatus(result.status, messages);
        checkWholePlaylists(out);
    }
    {
        settings::FixedRegistryReader registry(rc.string() + "/");
        convert::IniToVrmInputs in;
        in.registerMode = true;
        in.batchMode = true;
        in.sourceDirectory = src.string();
        in.registry = &registry;
        convert::IniToVrmProgress progress;
        Messages messages;
        const auto result = convert::ConvertRedIniToVrm(in, progress, messages);
        checkStatus(result.status, messages);
        checkWholePlaylists(rc / "Playlists");
        const auto list = fuzz::readFile(rc / "Groups.xml");
        FUZZ_CHECK(list.starts_with(kGroups.substr(0, kGroups.size() - 11)));
        FUZZ_CHECK(list.ends_with("</Groups>\r\n"));
        if (result.groupFilesConverted == 0)
            FUZZ_CHECK(list == kGroups);
    }
    {
        convert::VrmToIniProgress progress;
        Messages messages;
        const auto result =
            convert::ConvertVrmToIni({src.string(), "Rock", out.string()}, progress, messages);
        checkStatus(result.status, messages);
    }
    {
        convert::RunEvents progress;
        Messages messages;
        const auto result = convert::ConvertVrmToM3u({src.string(), "Rock_Live.XML", out.string()},
                                                     progress, messages);
        checkStatus(result.status, messages);
        // A source that is no VRM playlist is refused before anything is written.
        if (result.status == convert::RunStatus::Done)
            FUZZ_CHECK(fuzz::readFile(out / "Rock_Live.m3u").starts_with("#EXTM3U\r\n"));
        else if (result.status == convert::RunStatus::Refused)
            FUZZ_CHECK(!fs::exists(out / "Rock_Live.m3u"));
    }
    {
        convert::RunEvents progress;
        Messages messages;
        const auto result = convert::ConvertM3uToVrm({src.string(), "Mix.m3u", "C:", out.string()},
                                                     progress, messages);
        checkStatus(result.status, messages);
        // A source that is mostly NUL bytes is refused before anything is written.
        if (result.status == convert::RunStatus::Done)
            FUZZ_CHECK(fuzz::readFile(out / "Mix.XML").ends_with("</smil>\r\n"));
        else if (result.status == convert::RunStatus::Refused)
            FUZZ_CHECK(!fs::exists(out / "Mix.XML"));
    }
    FUZZ_CHECK(fuzz::openFileCount() == open);
    const auto left = fuzz::temporaries(root);
    if (!left.empty()) {
        std::fprintf(stderr, "temporary file left: %s\n", left.front().c_str());
        std::abort();
    }
    return 0;
}

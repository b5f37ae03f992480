#include "convert/ConvertRedIniToVrm.h"
#include "formats/TextIO.h"
#include "settings/WineRegistry.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace fs = std::filesystem;
using namespace deckshift;
using convert::RunStatus;
using test::crlf;
using test::readBytes;
using test::snapshot;
using test::TempDir;
using test::writeBytes;

namespace {

using Messages = test::RecordedMessages;

/// Records how the run went, as the engine reports it.
class Window : public convert::IniToVrmProgress {
public:
    std::vector<std::string> events;
    void finished() override { events.push_back("finished"); }
    void refused() override { events.push_back("refused"); }
    void failed() override { events.push_back("failed"); }
    void registerModeCancelled() override { events.push_back("register mode cancelled"); }
    void sourceToChooseAgain() override { events.push_back("choose again"); }
};

/// The separator that joins a native directory and a name.
const std::string kSeparator(1, static_cast<char>(fs::path::preferred_separator));

const std::string kRockIni = crlf({"[Live]", "Track 1=;;;;;;|One.mp3||C:\\Audio\\|||", "[Studio]",
                                   "Track 1=;;;;;;|Two & Three.mp3||C:\\Audio\\|||"});
const std::string kPopIni = crlf({"[Hits]", "Track 1=;;;;;;|Pop.mp3||C:\\Pop\\|||"});
const std::string kGroupsXml =
    crlf({"<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>", "<Groups>", "</Groups>"});

/// A PCDJ RED group directory and a PCDJ FX RC directory with its Playlists and group list.
struct Collection {
    TempDir red;
    TempDir rc;
    TempDir out;
    Collection() {
        writeBytes(red / "Rock.INI", kRockIni);
        writeBytes(red / "pop.ini", kPopIni);
        writeBytes(red / "CD AUDIO.INI", kPopIni);
        writeBytes(red / "notes.INI", crlf({"just", "some notes"}));
        writeBytes(rc / "Groups.xml", kGroupsXml);
        fs::create_directory(rc / "Playlists");
    }
    convert::IniToVrmInputs inputs(bool batch, bool reg, const settings::RegistryReader* registry,
                                   std::string name = "Rock.INI") const {
        convert::IniToVrmInputs in;
        in.batchMode = batch;
        in.registerMode = reg;
        in.sourceDirectory = red.str();
        in.sourceName = batch ? "" : name;
        in.outputDirectory = out.str();
        in.registry = registry;
        return in;
    }
};

TEST(IniToVrmRun, SingleFileIntoThePickedDirectory) {
    Collection c;
    Window window;
    Messages messages;
    auto result = convert::ConvertRedIniToVrm(c.inputs(false, false, nullptr), window, messages);
    EXPECT_EQ(result.status, RunStatus::Done);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(window.events, std::vector<std::string>{"finished"});
    auto files = snapshot(c.out.path());
    EXPECT_EQ(files.size(), 2u);
    EXPECT_TRUE(files.count("Rock_Live.XML") && files.count("Rock_Studio.XML"));
    EXPECT_EQ(readBytes(c.rc / "Groups.xml"), kGroupsXml);
}

TEST(IniToVrmRun, SingleFileThatIsNoGroupFile) {
    Collection c;
    Window window;
    Messages messages;
    auto result =
        convert::ConvertRedIniToVrm(c.inputs(false, false, nullptr, "notes.INI"), window, messages);
    EXPECT_EQ(result.status, RunStatus::Refused);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "This is not a PCDJ .INI file. Please select another");
    EXPECT_EQ(messages.shown[0].title, "Deckshift");
    EXPECT_EQ(window.events, (std::vector<std::string>{"refused", "choose again"}));
    EXPECT_TRUE(snapshot(c.out.path()).empty());
}

TEST(IniToVrmRun, BatchSkipsCdAudioAndFilesThatAreNoGroupFiles) {
    Collection c;
#ifndef _WIN32
    writeBytes(c.red / "cd audio.ini", kPopIni); // only the exact spelling is skipped
#endif
    fs::create_directory(c.red / "Dir.INI");
    writeBytes(c.red / ".hidden.INI", kPopIni);
    Window window;
    Messages messages;
    auto result = convert::ConvertRedIniToVrm(c.inputs(true, false, nullptr), window, messages);
    EXPECT_EQ(result.status, RunStatus::Done);
    EXPECT_TRUE(messages.shown.empty());
    auto files = snapshot(c.out.path());
    std::vector<std::string> names;
    for (const auto& [name, bytes] : files)
        names.push_back(name);
#ifdef _WIN32
    // The file system holds only one of "CD AUDIO.INI" and "cd audio.ini".
    EXPECT_EQ(result.groupFilesConverted, 2u);
    EXPECT_EQ(result.groupFilesSkipped, 2u);
    EXPECT_EQ(names,
              (std::vector<std::string>{"Rock_Live.XML", "Rock_Studio.XML", "pop_Hits.XML"}));
#else
    EXPECT_EQ(result.groupFilesConverted, 3u);
    EXPECT_EQ(result.groupFilesSkipped, 2u);
    EXPECT_EQ(names, (std::vector<std::string>{"Rock_Live.XML", "Rock_Studio.XML",
                                               "cd audio_Hits.XML", "pop_Hits.XML"}));
#endif
    EXPECT_EQ(window.events, std::vector<std::string>{"finished"});
}

TEST(IniToVrmRun, RegisterModeWritesIntoPlaylistsAndEntersEachGroup) {
    Collection c;
    settings::FixedRegistryReader registry(c.rc.str(true));
    Window window;
    Messages messages;
    auto result = convert::ConvertRedIniToVrm(c.inputs(true, true, &registry), window, messages);
    ASSERT_EQ(result.status, RunStatus::Done)
        << (messages.shown.empty() ? "" : messages.shown[0].text);
    const std::string playlists = c.rc.str(true) + "Playlists" + kSeparator;
    EXPECT_EQ(result.outputDirectory, c.rc.str(true) + "Playlists");
    auto files = snapshot(c.rc.path());
    EXPECT_TRUE(files.count("Playlists/Rock_Live.XML"));
    EXPECT_TRUE(files.count("Playlists/pop_Hits.XML"));
    EXPECT_TRUE(snapshot(c.out.path()).empty());
    const std::string expected = crlf(
        {"<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>", "<Groups>",
         // listed as Windows lists them: POP.INI before ROCK.INI
         "   <Group Name=\"pop\" pos=\"2\" lastrow=\"-1\">",
         "      <SubGroup Name=\"Hits\" pos=\"0\" src=\"" + playlists + "pop_Hits.XML\"/>",
         "   </Group>", "   <Group Name=\"Rock\" pos=\"2\" lastrow=\"-1\">",
         "      <SubGroup Name=\"Live\" pos=\"0\" src=\"" + playlists + "Rock_Live.XML\"/>",
         "      <SubGroup Name=\"Studio\" pos=\"0\" src=\"" + playlists + "Rock_Studio.XML\"/>",
         "   </Group>", "</Groups>"});
    EXPECT_EQ(files["Groups.xml"], expected);
    EXPECT_EQ(files["GroupsTMP.xml"], expected);
    // The list, its work file, the backup of the list as it stood (also kept as the first
    // backup) and three playlists: no temporaries.
    EXPECT_EQ(files.size(), 7u);
    EXPECT_EQ(files["Groups.xml.1.bak"], kGroupsXml);
    EXPECT_EQ(files["Groups.xml.original.bak"], kGroupsXml);
}

// A group already listed: the front end is asked before anything of the group is written, and its
// answer decides; groups not listed are not asked about. Batch order: pop, then Rock (listed).
TEST(IniToVrmRun, GroupAlreadyListedIsAskedAbout) {
    using convert::ListedGroupAnswer;
    const std::string oldRock =
        "   <Group Name=\"Rock\" pos=\"2\" lastrow=\"-1\">\r\n"
        "      <SubGroup Name=\"Old\" pos=\"0\" src=\"C:\\Rock_Old.XML\"/>\r\n"
        "   </Group>\r\n";
    const std::string head = "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>\r\n<Groups>\r\n";
    const std::string tail = "</Groups>\r\n";

    struct Asking : Window {
        ListedGroupAnswer answer = ListedGroupAnswer::AsOptionsSay;
        std::vector<std::string> asked;
        ListedGroupAnswer groupAlreadyListed(std::string_view groupName) override {
            asked.emplace_back(groupName);
            return answer;
        }
    };
    struct Case {
        const char* name;
        ListedGroupAnswer answer;
        bool replaceOption;
        RunStatus status;
        bool rockWritten;
        /// The list after the run from its groups: "old" Rock, "pop" and "new" Rock.
        std::vector<std::string> groups;
        bool warned;
    } cases[] = {
        {"unasked",
         ListedGroupAnswer::AsOptionsSay,
         false,
         RunStatus::Done,
         true,
         {"old", "pop", "new"},
         true},
        {"unasked, replacing",
         ListedGroupAnswer::AsOptionsSay,
         true,
         RunStatus::Done,
         true,
         {"new", "pop"},
         false},
        {"replace",
         ListedGroupAnswer::Replace,
         false,
         RunStatus::Done,
         true,
         {"new", "pop"},
         false},
        {"add another",
         ListedGroupAnswer::AddAnother,
         false,
         RunStatus::Done,
         true,
         {"old", "pop", "new"},
         false},
        {"add another despite the option",
         ListedGroupAnswer::AddAnother,
         true,
         RunStatus::Done,
         true,
         {"old", "pop", "new"},
         false},
        {"cancel",
         ListedGroupAnswer::Cancel,
         false,
         RunStatus::Refused,
         false,
         {"old", "pop"},
         false},
    };
    for (const auto& k : cases) {
        Collection c;
        writeBytes(c.rc / "Groups.xml", head + oldRock + tail);
        settings::FixedRegistryReader registry(c.rc.str(true));
        Asking window;
        window.answer = k.answer;
        Messages messages;
        convert::EngineOptions options;
        options.replaceListedGroups = k.replaceOption;
        auto result =
            convert::ConvertRedIniToVrm(c.inputs(true, true, &registry), window, messages, options);
        EXPECT_EQ(result.status, k.status) << k.name;
        EXPECT_EQ(window.asked, std::vector<std::string>{"Rock"}) << k.name;
        EXPECT_EQ(result.cancelledBefore, k.answer == ListedGroupAnswer::Cancel ? "Rock" : "")
            << k.name;

        const std::string playlists = c.rc.str(true) + "Playlists" + kSeparator;
        std::string expected = head;
        for (const auto& g : k.groups) {
            if (g == "old")
                expected += oldRock;
            else if (g == "pop")
                expected += crlf({"   <Group Name=\"pop\" pos=\"2\" lastrow=\"-1\">",
                                  "      <SubGroup Name=\"Hits\" pos=\"0\" src=\"" + playlists +
                                      "pop_Hits.XML\"/>",
                                  "   </Group>"});
            else
                expected += crlf({"   <Group Name=\"Rock\" pos=\"2\" lastrow=\"-1\">",
                                  "      <SubGroup Name=\"Live\" pos=\"0\" src=\"" + playlists +
                                      "Rock_Live.XML\"/>",
                                  "      <SubGroup Name=\"Studio\" pos=\"0\" src=\"" + playlists +
                                      "Rock_Studio.XML\"/>",
                                  "   </Group>"});
        }
        expected += tail;
        auto files = snapshot(c.rc.path());
        EXPECT_EQ(files["Groups.xml"], expected) << k.name;
        EXPECT_TRUE(files.count("Playlists/pop_Hits.XML")) << k.name;
        EXPECT_EQ(files.count("Playlists/Rock_Live.XML") == 1, k.rockWritten) << k.name;
        EXPECT_EQ(files.count("Playlists/Rock_Studio.XML") == 1, k.rockWritten) << k.name;
        // the list, its work file, one backup (also kept as the first) and the playlists: no
        // temporaries
        EXPECT_EQ(files.size(), k.rockWritten ? 7u : 5u) << k.name;
        const bool warned = !messages.shown.empty() &&
                            messages.shown[0].text == convert::alreadyListedWarning("Rock");
        EXPECT_EQ(warned, k.warned) << k.name;
        EXPECT_EQ(messages.shown.size(), k.warned ? 1u : 0u) << k.name;
        EXPECT_EQ(window.events.back(), k.status == RunStatus::Done ? "finished" : "refused")
            << k.name;
    }
}

TEST(IniToVrmRun, RegistryFailuresEndTheRunBeforeAnythingIsWritten) {
    Collection c;
    TempDir empty;
    struct Case {
        const char* name;
        std::optional<std::string> value;
        const char* message;
    } cases[] = {
        {"not set", std::nullopt,
         "PCDJ FX RC Path is not defined propertly in Registry. Aborting!"},
        {"missing directory", (c.rc / "gone").string() + "/",
         "PCDJ FX RC Directory listed in Registry Does NOT Exist. Aboring!"},
        {"no trailing separator", c.rc.str(false),
         "PCDJ FX RC Directory listed in Registry Does NOT Exist. Aboring!"},
        {"directory without a file", empty.str(true),
         "PCDJ FX RC Directory listed in Registry Does NOT Exist. Aboring!"},
    };
    for (const auto& k : cases) {
        settings::FixedRegistryReader registry(k.value);
        Window window;
        Messages messages;
        auto before = snapshot(c.rc.path());
        auto result =
            convert::ConvertRedIniToVrm(c.inputs(false, true, &registry), window, messages);
        EXPECT_EQ(result.status, RunStatus::Refused) << k.name;
        ASSERT_EQ(messages.shown.size(), 1u) << k.name;
        EXPECT_EQ(messages.shown[0].text, k.message) << k.name;
        EXPECT_EQ(messages.shown[0].title, "Korvantel Tools (Converter)") << k.name;
        EXPECT_EQ(window.events, (std::vector<std::string>{"register mode cancelled", "refused"}))
            << k.name;
        EXPECT_EQ(snapshot(c.rc.path()), before) << k.name;
    }
}

TEST(IniToVrmRun, RegisterModeRefusesWhatItCannotUpdate) {
    struct Case {
        const char* name;
        std::function<void(Collection&)> damage;
        const char* mentions;
    } cases[] = {
        {"group list missing",
         [](Collection& c) {
             fs::remove(c.rc / "Groups.xml");
             writeBytes(c.rc / "other.txt", "x");
         },
         "Groups.xml"},
        {"group list unfinished",
         [](Collection& c) { writeBytes(c.rc / "Groups.xml", "<Groups>\r\n"); }, "</Groups>"},
        {"group list empty", [](Collection& c) { writeBytes(c.rc / "Groups.xml", ""); },
         "</Groups>"},
        {"no Playlists directory", [](Collection& c) { fs::remove(c.rc / "Playlists"); },
         "Playlists"},
    };
    for (const auto& k : cases) {
        Collection c;
        k.damage(c);
        settings::FixedRegistryReader registry(c.rc.str(true));
        Window window;
        Messages messages;
        auto before = snapshot(c.rc.path());
        auto result =
            convert::ConvertRedIniToVrm(c.inputs(true, true, &registry), window, messages);
        EXPECT_EQ(result.status, RunStatus::Refused) << k.name;
        ASSERT_EQ(messages.shown.size(), 1u) << k.name;
        EXPECT_NE(messages.shown[0].text.find(k.mentions), std::string::npos)
            << k.name << ": " << messages.shown[0].text;
        EXPECT_EQ(snapshot(c.rc.path()), before) << k.name;
    }
}

TEST(IniToVrmRun, PlaylistsDirectoryIsFoundWhateverItsCase) {
    Collection c;
    fs::remove(c.rc / "Playlists");
    fs::create_directory(c.rc / "PlayLists");
    settings::FixedRegistryReader registry(c.rc.str(true));
    Window window;
    Messages messages;
    auto result = convert::ConvertRedIniToVrm(c.inputs(false, true, &registry), window, messages);
    ASSERT_EQ(result.status, RunStatus::Done);
    EXPECT_EQ(result.outputDirectory, c.rc.str(true) + "PlayLists");
    EXPECT_NE(readBytes(c.rc / "Groups.xml").find("PlayLists" + kSeparator + "Rock_Live.XML"),
              std::string::npos);
    EXPECT_TRUE(fs::exists(c.rc / "PlayLists" / "Rock_Live.XML"));
}

TEST(IniToVrmRun, FailureMidBatchKeepsWhatWasWrittenAndTheGroupListWhole) {
    Collection c;
    writeBytes(c.red / "zed.INI", kPopIni);                    // listed last
    fs::create_directory(c.rc / "Playlists" / "zed_Hits.XML"); // its playlist cannot be written
    settings::FixedRegistryReader registry(c.rc.str(true));
    Window window;
    Messages messages;
    const int before = test::openFileCount();
    auto result = convert::ConvertRedIniToVrm(c.inputs(true, true, &registry), window, messages);
    EXPECT_EQ(test::openFileCount(), before);
    EXPECT_EQ(result.status, RunStatus::Failed);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("zed_Hits.XML"), std::string::npos)
        << messages.shown[0].text;
    auto files = snapshot(c.rc.path());
    // pop and Rock were converted and registered before zed failed; zed left no trace.
    EXPECT_TRUE(files.count("Playlists/Rock_Live.XML"));
    EXPECT_TRUE(files.count("Playlists/pop_Hits.XML"));
    const std::string list = files["Groups.xml"];
    EXPECT_NE(list.find("Name=\"Rock\""), std::string::npos);
    EXPECT_NE(list.find("Name=\"pop\""), std::string::npos);
    EXPECT_EQ(list.find("Name=\"zed\""), std::string::npos);
    EXPECT_TRUE(list.ends_with("   </Group>\r\n</Groups>\r\n"));
    // list, work file, one backup for the run (also kept as the first), three playlists: no
    // temporaries
    EXPECT_EQ(files.size(), 7u);
    EXPECT_TRUE(files.count("Groups.xml.1.bak"));
}

std::vector<std::string> warnings(const Messages& messages) {
    std::vector<std::string> texts;
    for (const auto& shown : messages.shown) {
        EXPECT_EQ(shown.kind, convert::MessageKind::Warning) << shown.text;
        texts.push_back(shown.text);
    }
    return texts;
}

// Playlist names that come out equal, within a group file or across the group files of a batch,
// never overwrite each other: the later one takes " (2)" and so on, with a warning, and the group
// list names each file once.
TEST(IniToVrmRun, CollidingPlaylistNamesTakeFreeNames) {
    Collection c;
    for (const char* name : {"Rock.INI", "pop.ini", "CD AUDIO.INI", "notes.INI"})
        fs::remove(c.red / name);
    writeBytes(c.red / "Enc.INI", crlf({"[Encores: 1/2]", "Track 1=;;;;;;|a.mp3||C:\\|||",
                                        "[Encores- 1-2]", "Track 1=;;;;;;|b.mp3||C:\\|||",
                                        "[encores- 1-2]", "Track 1=;;;;;;|c.mp3||C:\\|||"}));
    writeBytes(c.red / "A.INI", crlf({"[B_C]", "Track 1=;;;;;;|d.mp3||C:\\|||"}));
    writeBytes(c.red / "A_B.INI", crlf({"[C]", "Track 1=;;;;;;|e.mp3||C:\\|||"}));
    settings::FixedRegistryReader registry(c.rc.str(true));
    Window window;
    Messages messages;
    auto result = convert::ConvertRedIniToVrm(c.inputs(true, true, &registry), window, messages);
    ASSERT_EQ(result.status, RunStatus::Done);
    auto files = snapshot(c.rc / "Playlists");
    const std::map<std::string, std::string> tracks = {
        {"Enc_Encores- 1-2.XML", "C:\\a.mp3"},
        {"Enc_Encores- 1-2 (2).XML", "C:\\b.mp3"},
        {"Enc_encores- 1-2 (3).XML", "C:\\c.mp3"},
        {"A_B_C.XML", "C:\\d.mp3"},
        {"A_B_C (2).XML", "C:\\e.mp3"},
    };
    ASSERT_EQ(files.size(), tracks.size());
    for (const auto& [name, track] : tracks)
        EXPECT_NE(files[name].find("<media src=\"" + track + "\">"), std::string::npos) << name;
    const std::string playlists = c.rc.str(true) + "Playlists" + kSeparator;
    const auto texts = warnings(messages);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], "The playlist of subgroup \"C\" of group \"A_B\" was written "
                        "as \"" +
                            playlists +
                            "A_B_C (2).XML\", because another playlist of this run "
                            "was written as \"" +
                            playlists + "A_B_C.XML\".");
    const std::string list = readBytes(c.rc / "Groups.xml");
    for (const auto& [name, track] : tracks)
        EXPECT_NE(list.find("src=\"" + playlists + name + "\"/>"), std::string::npos) << name;
}

// Registering a group again without replacing it keeps the group already listed whole: the new
// playlists take names that no listed group points at. Replacing it writes over its playlists.
TEST(IniToVrmRun, RegisteringAgainKeepsTheListedGroupsPlaylists) {
    for (const bool replace : {false, true}) {
        Collection c;
        settings::FixedRegistryReader registry(c.rc.str(true));
        Window window;
        Messages messages;
        auto in = c.inputs(false, true, &registry);
        ASSERT_EQ(convert::ConvertRedIniToVrm(in, window, messages).status, RunStatus::Done);
        const auto first = snapshot(c.rc / "Playlists");
        writeBytes(c.red / "Rock.INI", crlf({"[Live]", "Track 1=;;;;;;|New.mp3||D:\\|||"}));
        Messages again;
        convert::EngineOptions options;
        options.replaceListedGroups = replace;
        ASSERT_EQ(convert::ConvertRedIniToVrm(in, window, again, options).status, RunStatus::Done);
        const auto files = snapshot(c.rc / "Playlists");
        const std::string playlists = c.rc.str(true) + "Playlists" + kSeparator;
        const std::string list = readBytes(c.rc / "Groups.xml");
        if (replace) {
            EXPECT_EQ(files.size(), 2u);
            EXPECT_NE(files.at("Rock_Live.XML").find("D:\\New.mp3"), std::string::npos);
            EXPECT_TRUE(again.shown.empty());
            continue;
        }
        // The old group's two playlists as they were, and the new one beside them.
        EXPECT_EQ(files.size(), 3u);
        EXPECT_EQ(files.at("Rock_Live.XML"), first.at("Rock_Live.XML"));
        EXPECT_EQ(files.at("Rock_Studio.XML"), first.at("Rock_Studio.XML"));
        EXPECT_NE(files.at("Rock_Live (2).XML").find("D:\\New.mp3"), std::string::npos);
        EXPECT_NE(list.find("src=\"" + playlists + "Rock_Live.XML\"/>"), std::string::npos);
        EXPECT_NE(list.find("src=\"" + playlists + "Rock_Live (2).XML\"/>"), std::string::npos);
        const auto texts = warnings(again);
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_EQ(texts[0],
                  "The playlist of subgroup \"Live\" of group \"Rock\" was written as \"" +
                      playlists + "Rock_Live (2).XML\", because the PCDJ FX group list names \"" +
                      playlists +
                      "Rock_Live.XML\" for a group already in it, whose playlist stays "
                      "as it is.");
        EXPECT_EQ(texts[1], convert::alreadyListedWarning("Rock"));
    }
}

TEST(IniToVrmRun, SkippedLinesAreReportedOnceAfterTheRun) {
    Collection c;
    writeBytes(c.red / "Rock.INI", crlf({"[Live]", "Track 1=;;;;;;|a.mp3||C:\\|||", "broken",
                                         "Track 2=;;;;;;|b.mp3|"}));
    Window window;
    Messages messages;
    auto result = convert::ConvertRedIniToVrm(c.inputs(false, false, nullptr), window, messages);
    EXPECT_EQ(result.status, RunStatus::Done);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].kind, convert::MessageKind::Warning);
    EXPECT_NE(messages.shown[0].text.find("Rock.INI: 2 lines (lines 3, 4)"), std::string::npos)
        << messages.shown[0].text;
}

TEST(IniToVrmRun, NoSourceOrOutputIsRefused) {
    Collection c;
    auto noName = c.inputs(false, false, nullptr, "");
    auto noOutput = c.inputs(false, false, nullptr);
    noOutput.outputDirectory.clear();
    auto missingOutput = c.inputs(false, false, nullptr);
    missingOutput.outputDirectory = (c.out / "gone").string();
    for (const auto& in : {noName, noOutput, missingOutput}) {
        Window window;
        Messages messages;
        auto result = convert::ConvertRedIniToVrm(in, window, messages);
        EXPECT_EQ(result.status, RunStatus::Refused);
        EXPECT_EQ(messages.shown.size(), 1u);
        EXPECT_TRUE(snapshot(c.out.path()).empty());
    }
}

TEST(IniToVrmRun, UnreadableSourceNamesTheFile) {
    Collection c;
    Window window;
    Messages messages;
    auto result = convert::ConvertRedIniToVrm(c.inputs(false, false, nullptr, "Missing.INI"),
                                              window, messages);
    EXPECT_EQ(result.status, RunStatus::Failed);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("Missing.INI"), std::string::npos);
}

} // namespace

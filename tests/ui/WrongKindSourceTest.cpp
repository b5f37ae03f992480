// The VRM windows refuse a source that is not a VRM playlist before anything is written, with the
// message the command line gives: a file named like a playlist but holding an M3U playlist must
// never replace the user's playlist or group file of the same name with an empty one.

#include "UiTestSupport.h"

#include "ui/DirList.h"
#include "ui/FileList.h"
#include "ui/Form3.h"
#include "ui/Form4.h"
#include "ui/Form5.h"
#include "ui/Form7.h"
#include "ui/Windows.h"

#include <functional>

namespace deckshift::test {
namespace {

using namespace deckshift::ui;
namespace fs = std::filesystem;

class WrongKindSourceTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        // An M3U playlist under a VRM playlist's name, and the user's files it would replace.
        writeBytes(m_tmp / "src" / "Rock_Live.XML", crlf({"#EXTM3U", "C:\\Music\\One.mp3"}));
        writeBytes(m_tmp / "out" / "Rock_Live.m3u", crlf({"#EXTM3U", "C:\\Music\\Kept.mp3"}));
        writeBytes(m_tmp / "out" / "Rock.ini",
                   crlf({"[Live]", "Track 1=;;;;;;|Kept.mp3||C:\\Music\\|||"}));
        startIn(m_tmp / "src");
    }
};

TEST_F(WrongKindSourceTest, SourceThatIsNoVrmPlaylistIsRefused) {
    struct Window {
        const char* name;
        std::function<void()> run; ///< picks Rock_Live.XML and the output directory, then starts
    } windows[] = {
        {"Form7",
         [this] {
             Form7& f = show<Form7>();
             clickFile(f.File1, "Rock_Live.XML");
             navigateTo(f.Dir2, dir("out"));
             click(f.Command1);
         }},
        {"Form3",
         [this] {
             Form3& f = show<Form3>();
             pickVrmSourceAndOutput(f, "Rock_Live.XML", dir("out"));
             click(f.Command3);
         }},
    };
    const auto before = snapshot(m_tmp / "out");
    for (const auto& w : windows) {
        SCOPED_TRACE(w.name);
        m_messages.clear();
        w.run();
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages()[0].text.toStdString(),
                  "The file \"" + (fs::path(dir("src")) / "Rock_Live.XML").string() +
                      "\" is not a PCDJ FX VRM playlist: it holds no <smil> line and no media "
                      "line. Please choose a VRM playlist. Nothing was written.");
        EXPECT_EQ(messages()[0].title, "Deckshift");
        EXPECT_EQ(snapshot(m_tmp / "out"), before);
        unloadAll();
        flushDeletes();
    }
}

} // namespace
} // namespace deckshift::test

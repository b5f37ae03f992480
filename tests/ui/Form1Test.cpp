// The INI-to-VRM window and its pickers Dialog and Dialog2: the window's state table walked as a
// table of events, and the edge cases around batch mode, register mode and the pickers.

#include "UiTestSupport.h"

#include "ui/Dialog.h"
#include "ui/Dialog2.h"
#include "ui/DirList.h"
#include "ui/FileList.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/Text.h"
#include "ui/Widgets.h"
#include "ui/Windows.h"

#include <QCoreApplication>
#include <QStatusBar>
#include <QTest>

#include <functional>

namespace deckshift::test {
namespace {

using namespace deckshift::ui;
namespace fs = std::filesystem;

const std::string kRock = crlf(
    {"[Live]", "Track 1=;;;;;;|One.mp3||C:\\Audio\\|||", "Track 2=;;;;;;|Two.mp3||C:\\Audio\\|||"});

class Form1Test : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        writeBytes(m_tmp / "groups" / "Rock.ini", kRock);
        writeBytes(m_tmp / "groups" / "Jazz.INI", kRock);
        fs::create_directories(m_tmp / "out");
        startIn(m_tmp / "groups");
        m_form = &show<Form1>();
    }

    /// Picks `name` in Dialog, which must be loaded and in single-file mode, and confirms.
    void pickGroupFile(const char* name) {
        Dialog& dialog = *loaded<Dialog>();
        ASSERT_TRUE(dialog.File1->selectName(name));
        dialog.OKButton_Click();
    }

    Form1* m_form = nullptr;
};

TEST_F(Form1Test, DesignedInitialState) {
    Form1& f = *m_form;
    EXPECT_EQ(f.windowTitle(), "PCDJ RED ==> PCDJ FX VRM");
    EXPECT_EQ(f.size(), QSize(576, 471));
    struct Caption {
        QString actual;
        const char* expected;
    };
    const Caption captions[] = {
        {f.Check2->text(), "Register XML Files"},
        {f.Check1->text(), "Batch Processing Mode"},
        {f.Command1->text(), "Select File To Convert"},
        {f.Frame1->title(), "Group to be Converted "},
        {f.Command2->text(), "Select Output Directory"},
        {f.Frame2->title(), "Target Directory "},
        {f.Command3->text(), "Start Convertion"},
        {f.Frame3->title(), "Proccessing "},
        {f.Frame4->title(), "Group "},
        {f.Frame5->title(), "Sub Group "},
        {f.Frame6->title(), "Entry "},
        {f.Frame7->title(), "Filename "},
        {f.Frame8->title(), "Overal "},
        {f.Command5->text(), "Convert Another One"},
        {f.Command4->text(), "Exit"},
        {f.Label1->text(), "PCDJ RED ==>>> PCDJ FX VRM RC Converter"},
        {f.Label3->text(), "by"},
        {f.Label2->text(), "Korvantel"},
        {f.Label12->text(), "Version: 2.2.3"},
    };
    for (const Caption& c : captions)
        EXPECT_EQ(c.actual, c.expected);
    for (const Label* empty :
         {f.Label4, f.Label5, f.Label6, f.Label7, f.Label8, f.Label9, f.Label10, f.Label11})
        EXPECT_EQ(empty->text(), "");
    EXPECT_EQ(f.ProgressBar1->minimum(), 0);
    EXPECT_EQ(f.ProgressBar1->maximum(), 100);
    // Places from twips, inside their frames.
    EXPECT_EQ(f.Frame3->geometry(), QRect(288, 8, 281, 337));
    EXPECT_EQ(f.Label9->parentWidget(), f.Frame7);
    EXPECT_EQ(f.Label9->geometry(), QRect(8, 16, 249, 97));
    EXPECT_EQ(f.Frame7->parentWidget(), f.Frame3);
    EXPECT_TRUE(f.Label1->font().bold());
    EXPECT_TRUE(f.Label1->font().italic());
}

// Part of the window's state table, walked in one sequence: each event with the states of
// "Select Output Directory", "Start Convertion" and "Convert Another One" after it.
TEST_F(Form1Test, StateTable) {
    using enum ButtonStep::Expect;
    Form1& f = *m_form;
    walkButtonStates(f,
                     {
                         {"window loaded", [] {}, Off, Off, Off,
                          [&] {
                              EXPECT_FALSE(f.Check1->isChecked());
                              EXPECT_FALSE(f.Check2->isChecked());
                          }},
                         {"Check2 checked, no source", [&] { click(f.Check2); }, Same, Same, Same,
                          [&] { EXPECT_EQ(f.Label5->text(), "PCDJ FX RecordCase Directory"); }},
                         {"Check2 unchecked, no source", [&] { click(f.Check2); }, Off, Off, Same,
                          [&] { EXPECT_EQ(f.Label5->text(), ""); }},
                         {"Dialog OK, Check2 unchecked",
                          [&] {
                              click(f.Command1);
                              pickGroupFile("Rock.ini");
                          },
                          On, Off, Same,
                          [&] {
                              EXPECT_EQ(f.Label4->text(), "Rock");
                              EXPECT_FALSE(loaded<Dialog>()->isVisible());
                          }},
                         {"Check2 checked, source chosen", [&] { click(f.Check2); }, Off, On, Same,
                          [&] { EXPECT_EQ(f.Label5->text(), "PCDJ FX RecordCase Directory"); }},
                         {"Check2 unchecked, source chosen", [&] { click(f.Check2); }, On, Off,
                          Same, [&] { EXPECT_EQ(f.Label5->text(), ""); }},
                         {"Dialog2 OK",
                          [&] {
                              click(f.Command2);
                              navigateTo(loaded<Dialog2>()->Dir1, dir("out"));
                              click(loaded<Dialog2>()->OKButton);
                          },
                          Same, On, Same, [&] { EXPECT_EQ(f.Label5->text(), qs(dir("out"))); }},
                         {"Check1 toggled", [&] { click(f.Check1); }, Off, Off, Same,
                          [&] {
                              EXPECT_EQ(f.Label4->text(), "");
                              EXPECT_EQ(loaded<Dialog>(), nullptr);
                              EXPECT_EQ(f.Command1->text(), "Select Input Directory");
                              EXPECT_EQ(f.Frame1->title(), "Input Directory");
                          }},
                         {"Dialog OK in batch mode, Check2 checked",
                          [&] {
                              click(f.Check2);
                              click(f.Command1);
                              click(loaded<Dialog>()->OKButton);
                          },
                          Off, On, Same, [&] { EXPECT_EQ(f.Label4->text(), qs(dir("groups"))); }},
                         {"Dialog Cancel",
                          [&] {
                              click(f.Command1);
                              click(loaded<Dialog>()->CancelButton);
                          },
                          Off, Off, Same,
                          [&] {
                              EXPECT_EQ(f.Label4->text(), "");
                              EXPECT_EQ(loaded<Dialog>(), nullptr);
                          }},
                         {"Convert Another One",
                          [&] {
                              f.Command5->setEnabled(true); // as after a single-file run
                              click(f.Command5);
                          },
                          Same, On, On, [&] { EXPECT_TRUE(loaded<Dialog>()->isVisible()); }},
                     });
    EXPECT_TRUE(messages().empty());
}

TEST_F(Form1Test, BatchModeToggling) {
    Form1& f = *m_form;
    click(f.Command1);
    pickGroupFile("Rock.ini");
    Dialog* single = loaded<Dialog>();
    ASSERT_EQ(f.Label4->text(), "Rock");

    click(f.Check1);
    EXPECT_EQ(f.Command1->text(), "Select Input Directory");
    EXPECT_EQ(f.Frame1->title(), "Input Directory");
    EXPECT_EQ(f.Label4->text(), "");
    EXPECT_FALSE(f.Command2->isEnabled());
    EXPECT_FALSE(f.Command3->isEnabled());
    EXPECT_EQ(loaded<Dialog>(), nullptr);
    flushDeletes();

    // The next showing loads the picker afresh, in directory mode.
    click(f.Command1);
    Dialog& batch = *loaded<Dialog>();
    EXPECT_NE(&batch, single);
    EXPECT_EQ(batch.windowTitle(), "Select Diretory...");
    EXPECT_FALSE(batch.File1->isEnabled());
    EXPECT_TRUE(batch.OKButton->isEnabled());
    click(batch.OKButton);
    EXPECT_EQ(f.Label4->text(), qs(dir("groups")));

    click(f.Check1);
    EXPECT_EQ(f.Command1->text(), "Select File To Convert");
    EXPECT_EQ(f.Frame1->title(), "Group to be Converted"); // without the trailing blank
    click(f.Command1);
    EXPECT_EQ(loaded<Dialog>()->windowTitle(), "Select File...");
    EXPECT_TRUE(loaded<Dialog>()->File1->isEnabled());
    EXPECT_FALSE(loaded<Dialog>()->OKButton->isEnabled());
}

TEST_F(Form1Test, RegisterModeBeforeAndAfterASource) {
    Form1& f = *m_form;
    click(f.Check2);
    EXPECT_EQ(f.Label5->text(), "PCDJ FX RecordCase Directory");
    EXPECT_FALSE(f.Command3->isEnabled());
    EXPECT_FALSE(f.Command2->isEnabled());
    click(f.Check2);

    click(f.Command1);
    pickGroupFile("Rock.ini");
    click(f.Command2);
    navigateTo(loaded<Dialog2>()->Dir1, dir("out"));
    click(loaded<Dialog2>()->OKButton);
    ASSERT_TRUE(f.Command3->isEnabled());
    click(f.Check2);
    click(f.Check2);
    // The output directory chosen before must be chosen again.
    EXPECT_EQ(f.Label5->text(), "");
    EXPECT_FALSE(f.Command3->isEnabled());
    EXPECT_TRUE(f.Command2->isEnabled());
}

// The engine unticks "Register XML Files" after a registry failure, and the window reacts as to
// the user's click; nothing is written.
TEST_F(Form1Test, RegistryFailureUnticksRegisterMode) {
    struct Case {
        const char* name;
        bool withPrefix;
        const char* message;
    };
    const Case cases[] = {
        {"setting missing", false,
         "PCDJ FX RC Path is not defined propertly in Registry. Aborting!"},
        {"directory missing", true,
         "PCDJ FX RC Directory listed in Registry Does NOT Exist. Aboring!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.withPrefix) {
#ifdef _WIN32
            // The registry names a directory that exists but holds no file.
            fs::create_directories(m_tmp / "FX" / "RC");
            const std::string rc = (m_tmp / "FX" / "RC").string() + "\\";
            ASSERT_TRUE(m_fxSetting->set(widen(rc)));
#else
            const auto& prefix = usePrefix();
            fs::create_directories(prefix.driveC() / "FX" / "RC"); // exists, but holds no file
            prefix.setFxRc("C:\\FX\\RC\\");
#endif
        }
        m_messages.clear();
        Form1& f = show<Form1>();
        click(f.Command1);
        pickGroupFile("Rock.ini");
        click(f.Check2);
        ASSERT_TRUE(f.Command3->isEnabled());
        const auto before = snapshot(m_tmp.path());

        click(f.Command3);

        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages()[0].text, c.message);
        EXPECT_EQ(messages()[0].title, "Korvantel Tools (Converter)");
        EXPECT_FALSE(f.Check2->isChecked());
        EXPECT_EQ(f.Label5->text(), "");
        EXPECT_TRUE(f.Command2->isEnabled());
        EXPECT_FALSE(f.Command3->isEnabled());
        EXPECT_FALSE(f.Command5->isEnabled());
        EXPECT_EQ(snapshot(m_tmp.path()), before);
        f.Command4_Click();
        flushDeletes();
    }
}

TEST_F(Form1Test, Dialog2CancelLeavesTheWindowUntouched) {
    Form1& f = *m_form;
    fs::create_directories(m_tmp / "elsewhere");
    click(f.Command1);
    pickGroupFile("Rock.ini");
    click(f.Command2);
    Dialog2& picker = *loaded<Dialog2>();
    navigateTo(picker.Dir1, dir("out"));
    click(picker.OKButton);
    EXPECT_TRUE(f.Command3->isEnabled());
    EXPECT_EQ(f.Label5->text(), qs(dir("out")));

    click(f.Command2);
    EXPECT_EQ(loaded<Dialog2>(), &picker) << "OK only hid it";
    EXPECT_EQ(picker.Dir1->path(), dir("out")) << "it comes back as it was left";
    navigateTo(picker.Dir1, dir("elsewhere"));
    click(picker.CancelButton);
    EXPECT_FALSE(picker.isVisible());
    EXPECT_EQ(f.Label4->text(), "Rock");
    EXPECT_EQ(f.Label5->text(), qs(dir("out")));
    EXPECT_TRUE(f.Command3->isEnabled());
    EXPECT_TRUE(f.Command2->isEnabled());
}

// Dialog2's OK enables "Start Convertion" whatever the window's state: here after the source
// picker's Cancel has cleared the source. Such a start is refused and writes nothing.
TEST_F(Form1Test, Dialog2OkAfterSourceCancelAndARefusedStart) {
    Form1& f = *m_form;
    click(f.Command1);
    pickGroupFile("Rock.ini");
    click(f.Command2); // the output picker stays open
    click(f.Command1);
    click(loaded<Dialog>()->CancelButton);
    ASSERT_EQ(f.Label4->text(), "");
    ASSERT_FALSE(f.Command3->isEnabled());
    Dialog2& picker = *loaded<Dialog2>();
    ASSERT_TRUE(picker.isVisible());
    navigateTo(picker.Dir1, dir("out"));
    click(picker.OKButton);
    EXPECT_TRUE(f.Command3->isEnabled());
    EXPECT_FALSE(f.Command2->isEnabled());

    const auto before = snapshot(m_tmp.path());
    click(f.Command3);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].title, "Deckshift");
    EXPECT_EQ(snapshot(m_tmp.path()), before);
    EXPECT_TRUE(f.Command3->isEnabled()) << "a refused start changes no button";
}

TEST_F(Form1Test, DialogFileSelectionAndOk) {
    Form1& f = *m_form;
    click(f.Command1);
    Dialog& dialog = *loaded<Dialog>();
    EXPECT_EQ(dialog.windowTitle(), "Select File...");
    EXPECT_EQ(dialog.StatusBar1->currentMessage(), "Could Not Auto-Locate PCDJ INI Files");
    // Without a setting the lists stay at the directory the program started in.
    EXPECT_EQ(dialog.Dir1->path(), dir("groups"));
    EXPECT_EQ(dialog.File1->names(), (std::vector<std::string>{"Jazz.INI", "Rock.ini"}));
    EXPECT_FALSE(dialog.OKButton->isEnabled());
    clickFile(dialog.File1, "Jazz.INI");
    EXPECT_TRUE(dialog.OKButton->isEnabled());
    // A new directory has no file selected: OK is disabled again until one is.
    doubleClickDir(dialog.Dir1, m_tmp.str());
    EXPECT_EQ(dialog.File1->fileName(), "");
    EXPECT_FALSE(dialog.OKButton->isEnabled());
    doubleClickDir(dialog.Dir1, dir("groups"));
    clickFile(dialog.File1, "Jazz.INI");
    click(dialog.OKButton);
    // ".INI" goes like ".ini": the last four characters.
    EXPECT_EQ(f.Label4->text(), "Jazz");
    EXPECT_TRUE(f.Command2->isEnabled());
    EXPECT_FALSE(f.Command3->isEnabled());
    EXPECT_FALSE(dialog.isVisible());

    // A later showing finds the picker as it was left, without loading it again.
    click(f.Command1);
    EXPECT_EQ(loaded<Dialog>(), &dialog);
    EXPECT_EQ(dialog.File1->fileName(), "Jazz.INI");
    EXPECT_TRUE(dialog.OKButton->isEnabled());
}

// A group file that cannot be opened when OK is pressed is reported, and the earlier choice stays.
TEST_F(Form1Test, DialogOkWithAFileThatCannotBeOpened) {
    Form1& f = *m_form;
    click(f.Command1);
    pickGroupFile("Jazz.INI");
    click(f.Command1);
    Dialog& dialog = *loaded<Dialog>();
    clickFile(dialog.File1, "Rock.ini");
    fs::remove(m_tmp / "groups" / "Rock.ini"); // gone since it was listed
    click(dialog.OKButton);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].title, "Deckshift");
    EXPECT_TRUE(messages()[0].text.contains("Rock.ini"));
    EXPECT_EQ(f.Label4->text(), "Jazz");
    EXPECT_TRUE(dialog.isVisible());
}

// After a file that is not a group file the run shows its message, sets the buttons and offers a
// fresh picker; clicks made while the run holds the window are dropped.
TEST_F(Form1Test, NotAGroupFile) {
    writeBytes(m_tmp / "groups" / "Notes.ini", crlf({"[Live]", "not an entry"}));
    Form1& f = *m_form;
    click(f.Command1);
    Dialog* first = loaded<Dialog>();
    pickGroupFile("Notes.ini");
    click(f.Command2);
    navigateTo(loaded<Dialog2>()->Dir1, dir("out"));
    click(loaded<Dialog2>()->OKButton);

    m_messages.onMessage = [&f](const ShownMessage&) {
        // The user clicks Exit while the run holds the window.
        QTest::mouseClick(f.Command4, Qt::LeftButton);
    };
    click(f.Command3);
    QCoreApplication::processEvents();

    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, "This is not a PCDJ .INI file. Please select another");
    EXPECT_EQ(messages()[0].title, "Deckshift");
    EXPECT_EQ(loaded<Form1>(), &f) << "the click during the run was acted on";
    EXPECT_TRUE(f.Command5->isEnabled());
    EXPECT_FALSE(f.Command3->isEnabled());
    EXPECT_FALSE(f.Command2->isEnabled());
    Dialog* again = loaded<Dialog>();
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, first) << "the picker is loaded afresh";
    EXPECT_TRUE(again->isVisible());
    EXPECT_EQ(again->File1->fileName(), "");
    EXPECT_TRUE(fs::is_empty(m_tmp / "out"));
}

} // namespace
} // namespace deckshift::test

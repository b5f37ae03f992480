// Text that does not fit where it is shown: labels shortened with "…" (the whole text in a
// tooltip), boxes whose captions sit on their top border with the values inside, and file lists
// whose rows match the directory lists' and whose long names are shortened in the middle.

#include "UiTestSupport.h"

#include "ui/DirList.h"
#include "ui/FileList.h"
#include "ui/Form1.h"
#include "ui/Form3.h"
#include "ui/Form6.h"
#include "ui/Text.h"
#include "ui/Widgets.h"
#include "ui/Windows.h"

#include <QFontMetrics>
#include <QScrollBar>

#include <algorithm>

namespace deckshift::test {
namespace {

using namespace deckshift::ui;
namespace fs = std::filesystem;

using LayoutTest = UiTest;

TEST_F(LayoutTest, LabelsShortenWhatDoesNotFit) {
    Form1& form = show<Form1>();
    const std::string longName(120, 'W');
    const std::string longPath = "C:\\Music\\" + std::string(400, 'p') + "\\end.mp3";
    struct Case {
        const char* name;
        Label* label;
        std::string caption;
        bool cut;
    };
    const Case cases[] = {
        {"short group name", form.Label6, "Rock", false},
        {"long group name", form.Label6, "Rock " + longName, true},
        {"long subgroup name", form.Label7, longName + " Live", true},
        {"path over several lines", form.Label9, "C:\\Music\\Rock\\Live\\One.mp3", false},
        {"path longer than the box", form.Label9, longPath, true},
        {"source directory", form.Label4, longPath, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.label->setCaption(c.caption);
        const QStringList lines = c.label->shownLines();
        const QFontMetrics metrics(c.label->font());
        const QRect area = c.label->contentsRect();
        // Every line shown is whole: none below the label's bottom edge, none wider than it.
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_LE(static_cast<int>(lines.size()) * metrics.lineSpacing(),
                  std::max(area.height(), metrics.lineSpacing()));
        for (const QString& line : lines)
            EXPECT_LE(metrics.horizontalAdvance(line.trimmed()), area.width())
                << line.toStdString();
        EXPECT_EQ(c.label->isCut(), c.cut);
        if (c.cut) {
            EXPECT_TRUE(lines.back().endsWith(QChar(0x2026))) << lines.back().toStdString();
            EXPECT_EQ(c.label->toolTip(), qs(c.caption));
        } else {
            EXPECT_EQ(lines.join(QString()), qs(c.caption));
            EXPECT_EQ(c.label->toolTip(), "");
        }
        // The caption itself stays whole.
        EXPECT_EQ(c.label->caption(), c.caption);
    }
}

// Each box's caption sits on its top border; the controls placed in it lie inside the border,
// below the caption, the progress bar of "Overal " included.
TEST_F(LayoutTest, ControlsLieInsideTheirBoxes) {
    const std::pair<const char*, Window*> windows[] = {
        {"Form1", &show<Form1>()}, {"Form3", &show<Form3>()}, {"Form6", &show<Form6>()}};
    for (const auto& [name, window] : windows) {
        SCOPED_TRACE(name);
        const auto frames = window->findChildren<Frame*>();
        ASSERT_FALSE(frames.isEmpty());
        for (const Frame* frame : frames) {
            SCOPED_TRACE(frame->title().toStdString());
            const QRect inside = frame->boxRect().adjusted(1, 1, -1, -1);
            for (const QWidget* child : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                EXPECT_TRUE(inside.contains(child->geometry())) << child->metaObject()->className();
                EXPECT_FALSE(frame->captionRect().intersects(child->geometry()))
                    << child->metaObject()->className();
            }
        }
    }
}

TEST_F(LayoutTest, FileListRowsAndLongNames) {
    const std::string longName = "Rock_" + std::string(60, 'x') + "_Live Set.xml";
    writeBytes(m_tmp / "d" / longName, "x");
    writeBytes(m_tmp / "d" / "Pop_Club.xml", "x");
    fs::create_directories(m_tmp / "d" / "sub");
    QWidget parent;
    FileList files(&parent);
    DirList dirs(&parent);
    files.setPattern("*.xml");
    files.setPath((m_tmp / "d").string());
    dirs.setPath((m_tmp / "d").string());
    files.setGeometry(0, 0, 145, 175);
    dirs.setGeometry(150, 0, 145, 175);
    parent.show();

    ASSERT_EQ(files.count(), 2);
    ASSERT_GT(dirs.count(), 0);
    // Rows as tall as the directory list's, so that a selection does not cut the "_".
    EXPECT_EQ(files.visualItemRect(files.item(0)).height(),
              dirs.visualItemRect(dirs.item(0)).height());
    EXPECT_GE(files.visualItemRect(files.item(0)).height(),
              QFontMetrics(files.font()).height() + 2);
    // A long name is shortened in the middle within the list's width, the whole of it in the
    // tooltip.
    const auto names = files.names();
    const auto at = std::find(names.begin(), names.end(), longName);
    ASSERT_NE(at, names.end());
    const QListWidgetItem* longItem = files.item(static_cast<int>(at - names.begin()));
    EXPECT_LE(files.visualItemRect(longItem).width(), files.viewport()->width());
    EXPECT_EQ(files.horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(files.textElideMode(), Qt::ElideMiddle);
    EXPECT_EQ(longItem->toolTip(), qs(longName));
}

} // namespace
} // namespace deckshift::test

// How message texts are laid out in their boxes.

#include "UiTestSupport.h"

#include <QTextBoundaryFinder>

namespace deckshift::test {
namespace {

using namespace deckshift::ui;

/// The places in `text` where a line may break, as Qt's text layout finds them.
std::vector<qsizetype> breakOpportunities(const QString& text) {
    std::vector<qsizetype> at;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
    for (qsizetype p = finder.toNextBoundary(); p != -1; p = finder.toNextBoundary())
        at.push_back(p);
    return at;
}

// A tag in a message is never broken across two lines, and the text reads the same.
TEST(MessageBoxText, TagsStayWhole) {
    const QString texts[] = {
        "The PCDJ FX group list \"C:\\FX\\RC\\Groups.xml\" does not end with </Groups>, so no "
        "group can be added to it.",
        "</Groups> ends the list; <Group Name=\"Rock\"/> is a group",
        "a lone < / stays as it is, and so do the paths C:/x/y and a </",
    };
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        const QString laidOut = boxText(text);
        QString shown = laidOut;
        shown.remove(QChar(0x2060));
        EXPECT_EQ(shown, text);
        for (qsizetype open = laidOut.indexOf('<'); open != -1;
             open = laidOut.indexOf('<', open + 1)) {
            const qsizetype close = laidOut.indexOf('>', open);
            if (close == -1 || laidOut.mid(open, close - open).contains(' '))
                continue;
            for (const qsizetype at : breakOpportunities(laidOut))
                EXPECT_FALSE(at > open && at <= close)
                    << "break at " << at << " inside "
                    << laidOut.mid(open, close - open + 1).toStdString();
        }
    }
}

} // namespace
} // namespace deckshift::test

// The window program's application object: an exception thrown by an event handler ends in a
// message box, never in an abort, and the program goes on with the next event.

#include "UiTestSupport.h"

#include "ui/Application.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPushButton>

#include <functional>
#include <new>
#include <stdexcept>

namespace deckshift::test {
namespace {

/// Throws from its event handler whatever `thrower` throws, once per event it takes.
class ThrowingObject final : public QObject {
public:
    std::function<void()> thrower;
    int events = 0;

protected:
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++events;
        if (thrower)
            thrower();
        return true;
    }
};

class ApplicationTest : public UiTest {};

TEST_F(ApplicationTest, TheApplicationObjectIsTheProgramsOwn) {
    EXPECT_NE(dynamic_cast<ui::Application*>(QCoreApplication::instance()), nullptr);
}

TEST_F(ApplicationTest, AnExceptionInAHandlerEndsInAMessageBox) {
    const char* const kWhole = "Files already written are whole; no file was left half written.";
    struct Case {
        const char* name;
        std::function<void()> thrower;
        QString text;
    } cases[] = {
        {"out of memory", [] { throw std::bad_alloc(); },
         QString("Deckshift ran out of memory and stopped what it was doing. ") + kWhole},
        {"a standard exception", [] { throw std::runtime_error("the disk went away"); },
         QString("Deckshift stopped what it was doing: the disk went away. ") + kWhole},
        {"anything else", [] { throw 42; },
         QString("Deckshift stopped what it was doing after an unexpected error. ") + kWhole},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_messages.clear();
        ThrowingObject object;
        object.thrower = c.thrower;
        QEvent event(QEvent::User);
        EXPECT_FALSE(QCoreApplication::sendEvent(&object, &event));
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages()[0].text, c.text);
        EXPECT_EQ(messages()[0].title, "Deckshift");

        // The program goes on: the next event is handled as usual.
        object.thrower = nullptr;
        QEvent next(QEvent::User);
        EXPECT_TRUE(QCoreApplication::sendEvent(&object, &next));
        EXPECT_EQ(object.events, 2);
        EXPECT_EQ(messages().size(), 1u);
    }
}

// A button whose click handler runs out of memory, clicked with the mouse as a user does.
TEST_F(ApplicationTest, AClickHandlerThatRunsOutOfMemoryShowsAMessage) {
    QPushButton button(QStringLiteral("Start"));
    button.show();
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&clicks] {
        if (++clicks == 1)
            throw std::bad_alloc();
    });
    click(&button);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(messages()[0].text.startsWith("Deckshift ran out of memory"));
    click(&button);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(messages().size(), 1u);
}

} // namespace
} // namespace deckshift::test

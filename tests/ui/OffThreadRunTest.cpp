// Running work off the GUI thread: the GUI thread goes on handling events, input to the program's
// windows is dropped except where a run takes it, exceptions reach the caller, and a window
// closed during a run closes when the run has ended.

#include "UiTestSupport.h"

#include "ui/OffThreadRun.h"
#include "ui/Windows.h"

#include <QCoreApplication>
#include <QPaintEvent>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace deckshift::test {
namespace {

using namespace deckshift::ui;

/// A window of the program with two buttons, counting clicks, paints and closes.
class TestWindow final : public Window {
public:
    TestWindow() : Window("Test") {
        resize(200, 100);
        start = new QPushButton(QStringLiteral("Start"), this);
        start->setGeometry(0, 0, 90, 30);
        cancel = new QPushButton(QStringLiteral("Cancel"), this);
        cancel->setGeometry(100, 0, 90, 30);
        connect(start, &QPushButton::clicked, [this] { ++startClicks; });
        connect(cancel, &QPushButton::clicked, [this] { ++cancelClicks; });
    }
    QPushButton* start;
    QPushButton* cancel;
    int startClicks = 0;
    int cancelClicks = 0;
    std::atomic<int> paints{0};
    int closes = 0;

protected:
    void closeControl() override {
        ++closes;
        hide();
    }
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        Window::paintEvent(event);
    }
};

/// Waits on the calling (worker) thread until `done()` holds, for at most five seconds.
template <class Condition> bool waitFor(Condition done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

class OffThreadRunTest : public UiTest {};

// While the work runs, the GUI thread fires its timers and paints; the work runs on a thread of
// its own.
TEST_F(OffThreadRunTest, GuiThreadGoesOnDuringTheRun) {
    TestWindow window;
    window.show();
    QCoreApplication::processEvents();
    std::atomic<bool> timerFired{false};
    QTimer::singleShot(0, [&] { timerFired = true; });
    bool workOnGuiThread = true;
    bool fired = false, painted = false;
    EXPECT_FALSE(runInProgress());
    runOffGuiThread([&] {
        workOnGuiThread = onGuiThread();
        fired = waitFor([&] { return timerFired.load(); });
        const int before = window.paints;
        callOnGuiThread([&] { window.update(); });
        painted = waitFor([&] { return window.paints > before; });
        EXPECT_TRUE(valueOnGuiThread([] { return runInProgress() && onGuiThread(); }));
    });
    EXPECT_FALSE(workOnGuiThread);
    EXPECT_TRUE(fired) << "the GUI thread did not handle its timer during the run";
    EXPECT_TRUE(painted) << "the window was not painted during the run";
    EXPECT_FALSE(runInProgress());
}

// Clicks and keys on the windows are dropped during the run, except on the widgets that take them;
// afterwards the window takes its input again.
TEST_F(OffThreadRunTest, InputIsDroppedExceptWhereTaken) {
    TestWindow window;
    window.show();
    RunOptions options;
    options.takesInput.emplace_back(window.cancel);
    runOffGuiThread(
        [&] {
            callOnGuiThread([&] {
                QTest::mouseClick(window.start, Qt::LeftButton);
                window.start->setFocus();
                QTest::keyClick(window.start, Qt::Key_Space);
                QTest::mouseClick(window.cancel, Qt::LeftButton);
            });
        },
        options);
    EXPECT_EQ(window.startClicks, 0);
    EXPECT_EQ(window.cancelClicks, 1);
    QTest::mouseClick(window.start, Qt::LeftButton);
    EXPECT_EQ(window.startClicks, 1);
}

// What the work throws is thrown again to the caller, and what a call on the GUI thread throws
// is thrown again on the worker.
TEST_F(OffThreadRunTest, ExceptionsReachTheCaller) {
    std::string caught;
    try {
        runOffGuiThread([] { throw std::runtime_error("disk full"); });
    } catch (const std::runtime_error& e) {
        caught = e.what();
    }
    EXPECT_EQ(caught, "disk full");

    std::string onWorker;
    runOffGuiThread([&] {
        try {
            callOnGuiThread([] { throw std::runtime_error("no such file"); });
        } catch (const std::runtime_error& e) {
            onWorker = e.what();
        }
    });
    EXPECT_EQ(onWorker, "no such file");
    EXPECT_FALSE(runInProgress());
}

// Closing a window during the run says that it closes once the run has ended, and it does then,
// as its close control would; asked twice, it says so once.
TEST_F(OffThreadRunTest, ClosingDuringARunWaitsForItsEnd) {
    TestWindow window;
    window.show();
    bool stillOpen = false;
    int closesDuringRun = -1;
    runOffGuiThread([&] {
        callOnGuiThread([&] {
            window.close();
            window.close();
        });
        stillOpen = valueOnGuiThread([&] { return window.isVisible(); });
        closesDuringRun = valueOnGuiThread([&] { return window.closes; });
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(closesDuringRun, 0);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, QString::fromLatin1(kMsgClosingAfterRun.data(),
                                                      qsizetype(kMsgClosingAfterRun.size())));
    EXPECT_EQ(messages()[0].title, "Deckshift");

    QCoreApplication::processEvents();
    EXPECT_EQ(window.closes, 1);
    EXPECT_FALSE(window.isVisible());
}

} // namespace
} // namespace deckshift::test

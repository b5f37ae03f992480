#include "UiTestSupport.h"

#include "ui/ConverterWindow.h"
#include "ui/DirList.h"
#include "ui/FileList.h"
#include "ui/Form3.h"
#include "ui/Form4.h"
#include "ui/Form5.h"
#include "ui/Windows.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QSettings>
#include <QTest>

namespace fs = std::filesystem;

namespace deckshift::test {

void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

ScopedCwd::ScopedCwd(const fs::path& dir) : m_old(fs::current_path()) {
    fs::current_path(dir);
}

ScopedCwd::~ScopedCwd() {
    std::error_code ec;
    fs::current_path(m_old, ec);
}

namespace {
std::string regEscape(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out;
}
} // namespace

std::string wineRegFile(std::string_view key, std::string_view name, std::string_view value) {
    return "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n\n[" +
           regEscape(key) + "] 1796854322\n#time=1d9a1b2c3d4e5f6\n\"" + regEscape(name) + "\"=\"" +
           regEscape(value) + "\"\n\n";
}

WinePrefixLayout::WinePrefixLayout(const fs::path& root) : m_root(root) {
    fs::create_directories(root / "drive_c");
    fs::create_directories(root / "dosdevices");
    fs::create_directory_symlink("../drive_c", root / "dosdevices" / "c:");
    fs::create_directory_symlink("/", root / "dosdevices" / "z:");
}

void WinePrefixLayout::setFxRc(std::string_view value) const {
    writeBytes(m_root / "system.reg",
               wineRegFile("Software\\Visiosonic\\PCDJ FX\\7.0\\CFG", "CONFIG_RC_PATH", value));
}

void WinePrefixLayout::setRedGroups(std::string_view value) const {
    writeBytes(m_root / "user.reg",
               wineRegFile("Software\\Visiosonic\\PCDJ RED\\Directory", "Grouppath", value));
}

void UiTest::SetUp() {
    QSettings().clear();
    // A prefix directory that does not exist: no registry, no drive letters.
    m_env.emplace("WINEPREFIX", (m_tmp / "no-prefix").string());
#ifdef _WIN32
    // Windows reads the registry itself: without the settings of the DJ applications.
    m_fxSetting.emplace(L"HKLM\\Software\\Visiosonic\\PCDJ FX\\7.0\\CFG", L"CONFIG_RC_PATH");
    m_redSetting.emplace(L"HKCU\\Software\\Visiosonic\\PCDJ RED\\Directory", L"Grouppath");
    m_fxSetting->remove();
    m_redSetting->remove();
#endif
}

void UiTest::TearDown() {
    ui::unloadAll();
    flushDeletes();
    m_cwd.reset();
#ifdef _WIN32
    m_fxSetting.reset();
    m_redSetting.reset();
#endif
}

const WinePrefixLayout& UiTest::usePrefix() {
    m_prefix.emplace(m_tmp / "prefix");
    m_env.reset();
    m_env.emplace("WINEPREFIX", m_prefix->root().string());
    return *m_prefix;
}

void click(QAbstractButton* button) {
    ASSERT_TRUE(button->isVisible()) << button->text().toStdString();
    ASSERT_TRUE(button->isEnabled()) << button->text().toStdString();
    QTest::mouseClick(button, Qt::LeftButton);
}

void clickFile(ui::FileList* list, std::string_view name) {
    ASSERT_TRUE(list->isVisible());
    const auto names = list->names();
    const auto it = std::find(names.begin(), names.end(), name);
    ASSERT_NE(it, names.end()) << "not listed: " << name;
    QListWidgetItem* item = list->item(static_cast<int>(it - names.begin()));
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

std::vector<std::string> entryPaths(const ui::DirList* list) {
    std::vector<std::string> paths;
    for (int i = 0; i < list->count(); ++i)
        paths.push_back(list->item(i)->data(Qt::UserRole).toByteArray().toStdString());
    return paths;
}

void navigateTo(ui::DirList* list, std::string_view path) {
    // Each step opens the entry shown that leads furthest towards the target.
    for (int step = 0; step < 64 && list->path() != path; ++step) {
        std::string best;
        for (const std::string& entry : entryPaths(list)) {
            const bool leads =
                path == entry || (path.substr(0, entry.size()) == entry &&
                                  (entry.back() == '/' || entry.back() == '\\' ||
                                   path[entry.size()] == '/' || path[entry.size()] == '\\'));
            if (leads && entry.size() > best.size() && entry != list->path())
                best = entry;
        }
        ASSERT_FALSE(best.empty()) << "no way from " << list->path() << " to " << path;
        doubleClickDir(list, best);
    }
    ASSERT_EQ(list->path(), path);
}

void doubleClickDir(ui::DirList* list, std::string_view path) {
    ASSERT_TRUE(list->isVisible());
    const auto paths = entryPaths(list);
    const auto it = std::find(paths.begin(), paths.end(), path);
    ASSERT_NE(it, paths.end()) << "no entry for " << path;
    QListWidgetItem* item = list->item(static_cast<int>(it - paths.begin()));
    list->scrollToItem(item);
    const QPoint at = list->visualItemRect(item).center();
    // A double click as the platform delivers it: press, release, double-click press, release.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

void pickVrmSourceAndOutput(ui::Form3& window, std::string_view playlist,
                            std::string_view outputDirectory) {
    click(window.Command1);
    clickFile(ui::loaded<ui::Form4>()->File1, playlist);
    click(ui::loaded<ui::Form4>()->OKButton);
    click(window.Command2);
    navigateTo(ui::loaded<ui::Form5>()->Dir1, outputDirectory);
    click(ui::loaded<ui::Form5>()->OKButton);
}

void walkButtonStates(const ui::ConverterWindow& window, std::initializer_list<ButtonStep> steps,
                      const std::function<void()>& everyStep) {
    bool command2 = false, command3 = false, command5 = false;
    const auto next = [](bool now, ButtonStep::Expect e) {
        return e == ButtonStep::Same ? now : e == ButtonStep::On;
    };
    for (const ButtonStep& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        flushDeletes();
        command2 = next(command2, step.command2);
        command3 = next(command3, step.command3);
        command5 = next(command5, step.command5);
        EXPECT_EQ(window.Command2->isEnabled(), command2);
        EXPECT_EQ(window.Command3->isEnabled(), command3);
        EXPECT_EQ(window.Command5->isEnabled(), command5);
        EXPECT_TRUE(window.Command1->isEnabled());
        EXPECT_TRUE(window.Command4->isEnabled());
        everyStep();
        step.check();
    }
}

} // namespace deckshift::test

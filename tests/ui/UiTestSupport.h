#pragma once
// Shared pieces of the window tests: a fixture that captures message boxes, starts without a Wine
// prefix and unloads every window afterwards; a Wine prefix laid out as Wine lays it out; helpers
// that click and double-click in the lists as a user does.

#include "support/RegTool.h"
#include "support/TestSupport.h"
#include "ui/MessageBox.h"

#include <QString>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

class QWidget;
class QAbstractButton;

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace deckshift::ui {
class ConverterWindow;
class Form3;
class DirList;
class FileList;
} // namespace deckshift::ui

namespace deckshift::test {

/// Runs the deletions of windows unloaded so far.
void flushDeletes();

/// Makes `dir` the current directory for the lifetime of the object.
class ScopedCwd {
public:
    explicit ScopedCwd(const std::filesystem::path& dir);
    ~ScopedCwd();
    ScopedCwd(const ScopedCwd&) = delete;
    ScopedCwd& operator=(const ScopedCwd&) = delete;

private:
    std::filesystem::path m_old;
};

/// A registry file as Wine writes it, holding one string value. `value` is the value as the
/// program reads it; backslashes and quotes are escaped here.
std::string wineRegFile(std::string_view key, std::string_view name, std::string_view value);

/// The pieces of a Wine prefix below `root`: drive c: (Wine's link to drive_c), and z: linked to
/// the file system's root as Wine sets it up.
class WinePrefixLayout {
public:
    explicit WinePrefixLayout(const std::filesystem::path& root);
    const std::filesystem::path& root() const { return m_root; }
    std::filesystem::path driveC() const { return m_root / "drive_c"; }
    /// Sets the PCDJ FX RC directory setting (HKEY_LOCAL_MACHINE).
    void setFxRc(std::string_view value) const;
    /// Sets the PCDJ RED group directory setting (HKEY_CURRENT_USER).
    void setRedGroups(std::string_view value) const;

private:
    std::filesystem::path m_root;
};

class UiTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Makes a Wine prefix the one in use from here on.
    const WinePrefixLayout& usePrefix();
    /// Makes `dir` the current directory until the test ends: where the windows' lists start.
    void startIn(const std::filesystem::path& dir) { m_cwd.emplace(dir); }
    /// The path of `name` below the test's temporary directory.
    std::string dir(const char* name) const { return (m_tmp / name).string(); }

    const std::vector<ui::ShownMessage>& messages() const { return m_messages.messages(); }

    TempDir m_tmp;
    std::optional<ScopedEnv> m_env;
    std::optional<WinePrefixLayout> m_prefix;
    ui::MessageRecorder m_messages;
    std::optional<ScopedCwd> m_cwd;
#ifdef _WIN32
    /// The settings of PCDJ FX (RC directory) and PCDJ RED (group directory) in the registry,
    /// removed for each test, so that it starts as on a machine without the DJ applications, and
    /// put back afterwards.
    std::optional<ScopedRegValue> m_fxSetting, m_redSetting;
#endif
};

/// Clicks `button` with the mouse.
void click(QAbstractButton* button);
/// Clicks the file `name` in `list` with the mouse; fails the test when it is not listed.
void clickFile(ui::FileList* list, std::string_view name);
/// Double-clicks the entry of `list` that leads to `path`; fails the test when there is none.
void doubleClickDir(ui::DirList* list, std::string_view path);
/// Opens `path` in `list` by double clicks, going up and down as a user would.
void navigateTo(ui::DirList* list, std::string_view path);
/// The names of the entries `list` shows.
std::vector<std::string> entryPaths(const ui::DirList* list);

/// In the VRM-to-INI window: picks `playlist` in the source picker's current directory, then
/// `outputDirectory` in the output picker, each confirmed with OK, as a user does before Start.
void pickVrmSourceAndOutput(ui::Form3& window, std::string_view playlist,
                            std::string_view outputDirectory);

/// One step of a walk through a converter window's states: what the user does, then whether
/// "Select Output Directory" (Command2), "Start Convertion" (Command3) and "Convert Another One"
/// (Command5) are enabled after it, or unchanged, and what else to check.
struct ButtonStep {
    enum Expect { Off, On, Same };
    const char* name;
    std::function<void()> act;
    Expect command2, command3, command5;
    std::function<void()> check;
};
/// Takes `steps` in order and checks the buttons after each; "Select File To Convert" and "Exit"
/// stay enabled throughout, and `everyStep` holds after each.
void walkButtonStates(
    const ui::ConverterWindow& window, std::initializer_list<ButtonStep> steps,
    const std::function<void()>& everyStep = [] {});

} // namespace deckshift::test

#pragma once
// The engines' progress operations carried out on the windows' controls.
//
// The engines run off the GUI thread (see OffThreadRun.h) and report every line; the windows show
// those reports at most about 60 times a second and always show the last values when a run ends.
// While a run goes on the windows paint but take no input.

#include "convert/ConvertRedIniToVrm.h"
#include "convert/ConvertVrmToIni.h"
#include "convert/RunEvents.h"
#include "ui/MessageBox.h"
#include "ui/OffThreadRun.h"

#include <QElapsedTimer>

#include <cstdint>
#include <exception>
#include <string>

class QPushButton;

namespace deckshift::ui {

class ConverterWindow;
class Form1;
class Form3;

/// Tells when the next repaint is due: at most one every kIntervalMs. The engines report several
/// times a line, so the clock is read only at every kCallsPerCheck-th call: reading it costs more
/// than everything else the window does for a line.
class RepaintThrottle {
public:
    static constexpr qint64 kIntervalMs = 16;
    static constexpr unsigned kCallsPerCheck = 256;
    RepaintThrottle() { m_clock.start(); }
    bool due() {
        if (++m_calls % kCallsPerCheck != 0)
            return false;
        const qint64 now = m_clock.elapsed();
        if (now - m_last < kIntervalMs)
            return false;
        m_last = now;
        return true;
    }

private:
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    unsigned m_calls = 0;
};

/// The progress display of the group converter windows, shared by Form1 and Form3: the group,
/// subgroup and path labels, the progress bar and the "Entry " frame, filled from what the engine
/// reports; and the engine's messages. The engine reports on its worker thread, where the values
/// are kept as reported; they are put into the controls on the GUI thread at most about 60 times a
/// second, and whenever a message is shown or the run ends.
class ConverterProgress : public convert::MessageSink {
public:
    /// Puts every value reported so far into the controls. On the GUI thread only, while the
    /// engine waits or has ended.
    void flush();
    void message(convert::MessageKind kind, std::string_view text, std::string_view title) override;

    /// Runs `engine()` off the GUI thread, shows whatever it throws as a message, and puts the
    /// last values into the controls.
    template <class Engine> void run(Engine engine) {
        try {
            runOffGuiThread([&] { engine(); });
        } catch (const std::exception& e) {
            message(convert::MessageKind::Error, e.what(), convert::kTitleDeckshift);
        }
        flush();
    }

protected:
    explicit ConverterProgress(ConverterWindow& form) : m_form(form) {}
    ~ConverterProgress() override = default;

    void group(std::string_view name);
    void subgroup(std::string_view name);
    void maximum(std::uint64_t maximum);
    void value(std::uint64_t value);
    void path(std::string_view path);
    /// The "Entry " frame's values changed; showEntryFrame() puts them into its labels.
    void entryFrameChanged() { m_entryFrameDirty = true; }
    virtual void showEntryFrame() = 0;

    ConverterWindow& m_form;

private:
    void maybeFlush() {
        if (m_throttle.due())
            callOnGuiThread([this] { flush(); });
    }
    RepaintThrottle m_throttle;
    std::string m_group, m_subgroup, m_path;
    std::uint64_t m_maximum = 0, m_value = 0;
    bool m_groupDirty = false, m_subgroupDirty = false, m_pathDirty = false;
    bool m_maximumDirty = false, m_valueDirty = false, m_entryFrameDirty = false;
};

/// Form1's progress display, its button states at the end of a run, and the engine's messages.
class Form1Progress final : public convert::IniToVrmProgress, public ConverterProgress {
public:
    explicit Form1Progress(Form1& form);

    void showGroup(std::string_view groupName) override { group(groupName); }
    void showSubgroup(std::string_view playlistName) override { subgroup(playlistName); }
    void showPosition(std::uint64_t lineNumber, std::uint64_t lineCount) override;
    void setProgressRange(std::uint64_t lineCount) override { maximum(lineCount); }
    void setProgress(std::uint64_t lineNumber) override { value(lineNumber); }
    void showEntry(std::string_view entryPath) override { path(entryPath); }
    void finished() override;
    void refused() override;
    void failed() override { refused(); }
    void registerModeCancelled() override;
    void sourceToChooseAgain() override;
    /// Asks the user, on the GUI thread, whether to replace the listed group, add another or
    /// cancel the run.
    convert::ListedGroupAnswer groupAlreadyListed(std::string_view groupName) override;

private:
    void showEntryFrame() override;
    Form1& m_form1;
    std::uint64_t m_line = 0, m_count = 0;
};

/// Form3's progress display, its button states at the end of a run, and the engine's messages.
class Form3Progress final : public convert::VrmToIniProgress, public ConverterProgress {
public:
    explicit Form3Progress(Form3& form);

    void showGroup(std::string_view runGroupName) override { group(runGroupName); }
    void showSubgroup(std::string_view subgroupName) override { subgroup(subgroupName); }
    void setProgressMaximum(std::uint64_t lineTotal) override { maximum(lineTotal); }
    void setProgress(std::uint64_t processedLines) override { value(processedLines); }
    void showEntryNumber(std::uint64_t entryNumber) override;
    void showPath(std::string_view trackPath) override { path(trackPath); }
    void finished() override;

private:
    void showEntryFrame() override;
    std::uint64_t m_entry = 0;
};

/// The start button's caption of the playlist windows as a run goes ("Processing...", then
/// "Finished!!!", or back to "Start Conversion" when nothing was finished), and the engine's
/// messages.
class PlaylistWindowProgress final : public convert::RunEvents, public convert::MessageSink {
public:
    explicit PlaylistWindowProgress(QPushButton& button) : m_button(button) {}
    void started() override;
    void finished() override;
    void refused() override;
    void failed() override;
    void message(convert::MessageKind kind, std::string_view text, std::string_view title) override;

private:
    QPushButton& m_button;
};

} // namespace deckshift::ui

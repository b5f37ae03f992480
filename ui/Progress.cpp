#include "ui/Progress.h"

#include "ui/Dialog.h"
#include "ui/Form1.h"
#include "ui/Form3.h"
#include "ui/Widgets.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPushButton>

namespace deckshift::ui {

namespace {

bool isInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

QString number(std::uint64_t n) {
    return QString::number(n);
}

} // namespace

RunGuard::RunGuard() {
    QCoreApplication::instance()->installEventFilter(this);
}

RunGuard::~RunGuard() {
    // Whatever the user did while the run held the thread is delivered now, and dropped.
    QCoreApplication::processEvents();
    QCoreApplication::instance()->removeEventFilter(this);
}

bool RunGuard::eventFilter(QObject* watched, QEvent* event) {
    if (!isInput(event->type()) || !watched->isWidgetType())
        return false;
    const QWidget* window = static_cast<QWidget*>(watched)->window();
    return qobject_cast<const Window*>(window) != nullptr;
}

// ---- Form1

void Form1Progress::showGroup(std::string_view groupName) {
    m_group.assign(groupName);
    m_groupDirty = true;
}

void Form1Progress::showSubgroup(std::string_view playlistName) {
    m_subgroup.assign(playlistName);
    m_subgroupDirty = true;
}

void Form1Progress::showPosition(std::uint64_t lineNumber, std::uint64_t lineCount) {
    m_line = lineNumber;
    m_count = lineCount;
    m_positionDirty = true;
}

void Form1Progress::setProgressRange(std::uint64_t lineCount) {
    m_range = lineCount;
    m_rangeDirty = true;
}

void Form1Progress::setProgress(std::uint64_t lineNumber) {
    m_value = lineNumber;
    m_valueDirty = true;
    maybeFlush();
}

void Form1Progress::showEntry(std::string_view path) {
    m_entry.assign(path);
    m_entryDirty = true;
    maybeFlush();
}

void Form1Progress::flush(bool repaint) {
    if (!(m_groupDirty || m_subgroupDirty || m_positionDirty || m_rangeDirty || m_valueDirty ||
          m_entryDirty))
        return;
    if (m_groupDirty)
        m_form.Label6->setCaption(m_group);
    if (m_subgroupDirty)
        m_form.Label7->setCaption(m_subgroup);
    if (m_positionDirty) {
        m_form.Label8->setText(number(m_line));
        m_form.Label10->setText(QStringLiteral("From"));
        m_form.Label11->setText(number(m_count));
    }
    if (m_rangeDirty)
        m_form.ProgressBar1->setMaximum64(m_range);
    if (m_valueDirty)
        m_form.ProgressBar1->setValue64(m_value);
    if (m_entryDirty)
        m_form.Label9->setCaption(m_entry);
    m_groupDirty = m_subgroupDirty = m_positionDirty = false;
    m_rangeDirty = m_valueDirty = m_entryDirty = false;
    if (repaint)
        m_form.Frame3->repaint();
}

namespace {
/// After a single group file, converted or not: only "Convert Another One" goes on.
void endSingleFile(Form1& form) {
    form.Command5->setEnabled(true);
    form.Command3->setEnabled(false);
    form.Command2->setEnabled(false);
}
} // namespace

void Form1Progress::finished() {
    flush();
    // The batch check box cannot change while the run holds the thread.
    if (m_form.Check1->isChecked()) {
        m_form.Command3->setEnabled(false);
        m_form.Command2->setEnabled(false);
    } else {
        endSingleFile(m_form);
    }
}

void Form1Progress::registerModeCancelled() {
    flush(true);
    // The check box's click handler runs for this change as for the user's click.
    m_form.Check2->setChecked(false);
}

void Form1Progress::sourceToChooseAgain() {
    endSingleFile(m_form);
    ui::unload<Dialog>();
    ui::show<Dialog>();
}

void Form1Progress::message(convert::MessageKind, std::string_view text, std::string_view title) {
    flush(true);
    showMessage(text, title);
}

// ---- Form3

void Form3Progress::showGroup(std::string_view runGroupName) {
    m_group.assign(runGroupName);
    m_groupDirty = true;
}

void Form3Progress::showSubgroup(std::string_view subgroupName) {
    m_subgroup.assign(subgroupName);
    m_subgroupDirty = true;
}

void Form3Progress::setProgressMaximum(std::uint64_t lineTotal) {
    m_maximum = lineTotal;
    m_maximumDirty = true;
}

void Form3Progress::setProgress(std::uint64_t processedLines) {
    m_value = processedLines;
    m_valueDirty = true;
    maybeFlush();
}

void Form3Progress::showEntryNumber(std::uint64_t entryNumber) {
    m_entry = entryNumber;
    m_entryDirty = true;
}

void Form3Progress::showPath(std::string_view path) {
    m_path.assign(path);
    m_pathDirty = true;
    maybeFlush();
}

void Form3Progress::flush(bool repaint) {
    if (!(m_groupDirty || m_subgroupDirty || m_maximumDirty || m_valueDirty || m_entryDirty ||
          m_pathDirty))
        return;
    if (m_groupDirty)
        m_form.Label6->setCaption(m_group);
    if (m_subgroupDirty)
        m_form.Label7->setCaption(m_subgroup);
    if (m_maximumDirty)
        m_form.ProgressBar1->setMaximum64(m_maximum);
    if (m_valueDirty)
        m_form.ProgressBar1->setValue64(m_value);
    if (m_entryDirty)
        m_form.Label8->setText(number(m_entry));
    if (m_pathDirty)
        m_form.Label9->setCaption(m_path);
    m_groupDirty = m_subgroupDirty = m_maximumDirty = false;
    m_valueDirty = m_entryDirty = m_pathDirty = false;
    if (repaint)
        m_form.Frame3->repaint();
}

void Form3Progress::finished() {
    flush();
    m_form.Command3->setEnabled(false);
    m_form.Command5->setEnabled(true);
}

void Form3Progress::message(convert::MessageKind, std::string_view text, std::string_view title) {
    flush(true);
    showMessage(text, title);
}

// ---- Form6 and Form7

void PlaylistWindowProgress::started() {
    m_button.setText(QStringLiteral("Processing..."));
    // The run holds the thread until it ends: the caption shows only when painted now.
    m_window.repaint();
}

void PlaylistWindowProgress::finished() {
    m_button.setText(QStringLiteral("Finished!!!"));
}

void PlaylistWindowProgress::refused() {
    m_button.setText(QStringLiteral("Start Conversion"));
}

void PlaylistWindowProgress::failed() {
    refused();
}

} // namespace deckshift::ui

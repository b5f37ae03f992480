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

// ---- Form1 and Form3

void ConverterProgress::group(std::string_view name) {
    m_group.assign(name);
    m_groupDirty = true;
}

void ConverterProgress::subgroup(std::string_view name) {
    m_subgroup.assign(name);
    m_subgroupDirty = true;
}

void ConverterProgress::maximum(std::uint64_t maximum) {
    m_maximum = maximum;
    m_maximumDirty = true;
}

void ConverterProgress::value(std::uint64_t value) {
    m_value = value;
    m_valueDirty = true;
    maybeFlush();
}

void ConverterProgress::path(std::string_view path) {
    m_path.assign(path);
    m_pathDirty = true;
    maybeFlush();
}

void ConverterProgress::flush(bool repaint) {
    if (!(m_groupDirty || m_subgroupDirty || m_maximumDirty || m_valueDirty || m_pathDirty ||
          m_entryFrameDirty))
        return;
    if (m_groupDirty)
        m_form.Label6->setCaption(m_group);
    if (m_subgroupDirty)
        m_form.Label7->setCaption(m_subgroup);
    if (m_entryFrameDirty)
        showEntryFrame();
    if (m_maximumDirty)
        m_form.ProgressBar1->setMaximum64(m_maximum);
    if (m_valueDirty)
        m_form.ProgressBar1->setValue64(m_value);
    if (m_pathDirty)
        m_form.Label9->setCaption(m_path);
    m_groupDirty = m_subgroupDirty = m_maximumDirty = false;
    m_valueDirty = m_pathDirty = m_entryFrameDirty = false;
    if (repaint)
        m_form.Frame3->repaint();
}

void ConverterProgress::message(convert::MessageKind, std::string_view text,
                                std::string_view title) {
    flush(true);
    showMessage(text, title);
}

Form1Progress::Form1Progress(Form1& form) : ConverterProgress(form), m_form1(form) {}

void Form1Progress::showPosition(std::uint64_t lineNumber, std::uint64_t lineCount) {
    m_line = lineNumber;
    m_count = lineCount;
    entryFrameChanged();
}

void Form1Progress::showEntryFrame() {
    m_form1.Label8->setText(number(m_line));
    m_form1.Label10->setText(QStringLiteral("From"));
    m_form1.Label11->setText(number(m_count));
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
    if (m_form1.Check1->isChecked()) {
        m_form1.Command3->setEnabled(false);
        m_form1.Command2->setEnabled(false);
    } else {
        endSingleFile(m_form1);
    }
}

void Form1Progress::registerModeCancelled() {
    flush(true);
    // The check box's click handler runs for this change as for the user's click.
    m_form1.Check2->setChecked(false);
}

void Form1Progress::sourceToChooseAgain() {
    endSingleFile(m_form1);
    ui::unload<Dialog>();
    ui::show<Dialog>();
}

Form3Progress::Form3Progress(Form3& form) : ConverterProgress(form) {}

void Form3Progress::showEntryNumber(std::uint64_t entryNumber) {
    m_entry = entryNumber;
    entryFrameChanged();
}

void Form3Progress::showEntryFrame() {
    m_form.Label8->setText(number(m_entry));
}

void Form3Progress::finished() {
    flush();
    m_form.Command3->setEnabled(false);
    m_form.Command5->setEnabled(true);
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

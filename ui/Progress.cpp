#include "ui/Progress.h"

#include "ui/Dialog.h"
#include "ui/Form1.h"
#include "ui/Form3.h"
#include "ui/Text.h"
#include "ui/Widgets.h"

#include <QPushButton>

namespace deckshift::ui {

namespace {

QString number(std::uint64_t n) {
    return QString::number(n);
}

} // namespace

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

void ConverterProgress::flush() {
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
}

void ConverterProgress::message(convert::MessageKind, std::string_view text,
                                std::string_view title) {
    callOnGuiThread([&] {
        flush();
        showMessage(text, title);
    });
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
    callOnGuiThread([this] {
        flush();
        // The batch check box cannot change while the run goes on: the window takes no input.
        if (m_form1.Check1->isChecked()) {
            m_form1.Command3->setEnabled(false);
            m_form1.Command2->setEnabled(false);
        } else {
            endSingleFile(m_form1);
        }
    });
}

void Form1Progress::refused() {
    callOnGuiThread([this] { flush(); });
}

void Form1Progress::registerModeCancelled() {
    callOnGuiThread([this] {
        flush();
        // The check box's click handler runs for this change as for the user's click.
        m_form1.Check2->setChecked(false);
    });
}

void Form1Progress::sourceToChooseAgain() {
    callOnGuiThread([this] {
        endSingleFile(m_form1);
        ui::unload<Dialog>();
        ui::show<Dialog>();
    });
}

convert::ListedGroupAnswer Form1Progress::groupAlreadyListed(std::string_view groupName) {
    return valueOnGuiThread([&] {
        flush();
        const QString text =
            QStringLiteral("Group \"%1\" is already in the PCDJ FX group list.").arg(qs(groupName));
        const QStringList buttons{QStringLiteral("Replace"), QStringLiteral("Add Another"),
                                  QStringLiteral("Cancel")};
        switch (askQuestion(text, qs(convert::kTitleDeckshift), buttons, 2)) {
        case 0:
            return convert::ListedGroupAnswer::Replace;
        case 1:
            return convert::ListedGroupAnswer::AddAnother;
        default:
            return convert::ListedGroupAnswer::Cancel;
        }
    });
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
    callOnGuiThread([this] {
        flush();
        m_form.Command3->setEnabled(false);
        m_form.Command5->setEnabled(true);
    });
}

// ---- Form6 and Form7

void PlaylistWindowProgress::started() {
    callOnGuiThread([this] { m_button.setText(QStringLiteral("Processing...")); });
}

void PlaylistWindowProgress::finished() {
    callOnGuiThread([this] { m_button.setText(QStringLiteral("Finished!!!")); });
}

void PlaylistWindowProgress::refused() {
    callOnGuiThread([this] { m_button.setText(QStringLiteral("Start Conversion")); });
}

void PlaylistWindowProgress::message(convert::MessageKind, std::string_view text,
                                     std::string_view title) {
    callOnGuiThread([&] { showMessage(text, title); });
}

void PlaylistWindowProgress::failed() {
    refused();
}

} // namespace deckshift::ui

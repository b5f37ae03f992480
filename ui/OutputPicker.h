#pragma once
// The design shared by the output directory pickers of the two group converter windows (Dialog2
// for Form1, Form5 for Form3): a drive and a directory list, Cancel and OK. The picker starts in
// the directory its registry setting names; OK hands the chosen directory to its converter window.

#include "settings/AutoDetect.h"
#include "ui/Windows.h"

#include <QPushButton>

namespace deckshift::ui {

class ConverterWindow;
class DirList;
class DriveList;

class OutputPicker : public Window {
    Q_OBJECT
public:
    DriveList* Drive1;
    DirList* Dir1;
    QPushButton* CancelButton; ///< "Cancel"
    QPushButton* OKButton;     ///< "OK"

    /// Starts the lists in the directory of the picker's setting, else in "C:\".
    void Form_Load() override;
    /// A new drive moves the directory list to that drive's current directory.
    void Drive1_Change();
    /// The converter window's Start enabled and its target label set to the chosen directory;
    /// the picker hides.
    void OKButton_Click();
    /// Hides the picker; nothing in the converter window changes.
    void CancelButton_Click();

    QAccessible::Role accessibleRole() const override { return QAccessible::Dialog; }

protected:
    /// The registry setting whose directory the picker starts in.
    enum class Setting { FxRc, RedGroups };
    /// `converter` gives the converter window the picker serves, loaded (loadAs<Form1>).
    OutputPicker(const char* caption, int height, bool sizable, Setting setting,
                 ConverterWindow& (*converter)());
    void closeControl() override { CancelButton_Click(); }
    /// Lists the open directory's subdirectories afresh.
    void refreshLists() override;

    template <class W> static ConverterWindow& loadAs() { return ui::load<W>(); }

private:
    Setting m_setting;
    ConverterWindow& (*m_converter)();
};

} // namespace deckshift::ui

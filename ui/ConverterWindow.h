#pragma once
// The design shared by the two group converter windows (PCDJ RED INI to VRM, VRM to INI): a source
// and a target column with their buttons and path labels, the "Proccessing " frame that follows a
// run, "Convert Another One", Exit and the version lines. Each window adds its own labels and
// handlers.

#include "ui/Windows.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

namespace deckshift::ui {

class Label;
class ProgressBar;

class ConverterWindow : public Window {
    Q_OBJECT
public:
    QCheckBox* Check1;     ///< "Batch Processing Mode"
    QPushButton* Command1; ///< "Select File To Convert"
    QGroupBox* Frame1;     ///< "Group to be Converted "
    Label* Label4;         ///< the chosen source
    QPushButton* Command2; ///< "Select Output Directory"
    QGroupBox* Frame2;     ///< "Target Directory "
    Label* Label5;         ///< the output directory
    QPushButton* Command3; ///< "Start Convertion"
    QGroupBox* Frame3;     ///< "Proccessing "
    QGroupBox* Frame4;     ///< "Group "
    Label* Label6;         ///< the current group name
    QGroupBox* Frame5;     ///< "Sub Group "
    Label* Label7;         ///< the current subgroup name
    QGroupBox* Frame6;     ///< "Entry "
    Label* Label8;         ///< the current line or entry number
    QGroupBox* Frame7;     ///< "Filename "
    Label* Label9;         ///< the current track's path
    QGroupBox* Frame8;     ///< the progress bar's frame
    ProgressBar* ProgressBar1;
    QPushButton* Command5; ///< "Convert Another One"
    QPushButton* Command4; ///< "Exit"
    Label* Label1;
    Label* Label3;
    Label* Label2;
    Label* Label12;

    /// Shows the source picker.
    void Command1_Click();
    /// Shows the output directory picker.
    void Command2_Click();
    /// Runs the conversion.
    virtual void Command3_Click() = 0;
    /// Shows the source picker again for the next conversion, with Start enabled.
    void Command5_Click();
    /// Unloads the pickers, shows the menu and unloads this window.
    void Command4_Click();

    /// A control's caption and place in twips.
    struct Place {
        const char* caption;
        int left, top, width, height;
    };
    /// Showing and unloading the window's two pickers.
    struct Pickers {
        void (*showSource)();
        void (*showOutput)();
        void (*unload)();
    };
    /// What differs between the windows' shared controls.
    struct Design {
        const char* caption;
        int width;
        int height;
        const char* progressFrame; ///< Frame8
        Place batchCheck;          ///< Check1
        struct {
            int left, width;
        } entryLabel; ///< Label8
        struct {
            const char* text;
            bool italic;
        } title; ///< Label1
        Pickers pickers;
    };

protected:
    /// `extraCheck`, when given, is a check box ahead of Check1 (m_extraCheck).
    explicit ConverterWindow(const Design& design, const Place& extraCheck = {});
    void closeControl() override { Command4_Click(); }

    /// After a run, puts the focus on the next thing to do, rather than where Qt moves it from a
    /// button the run disabled: Start again while it is enabled, else "Convert Another One", else
    /// the output directory, else the source.
    void focusAfterRun();

    /// The check box made from the constructor's extraCheck, else nullptr.
    QCheckBox* m_extraCheck = nullptr;

private:
    Pickers m_pickers;
};

/// The pickers of a converter window: `Source` and `Output`.
template <class Source, class Output> constexpr ConverterWindow::Pickers pickersOf() {
    return {[] { ui::show<Source>(); }, [] { ui::show<Output>(); },
            [] {
                ui::unload<Source>();
                ui::unload<Output>();
            }};
}

} // namespace deckshift::ui

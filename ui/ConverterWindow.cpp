#include "ui/ConverterWindow.h"

#include "ui/Form2.h"
#include "ui/Layout.h"

namespace deckshift::ui {

namespace {
QCheckBox* makeCheck(QWidget* parent, const ConverterWindow::Place& p) {
    return ui::makeCheck(parent, p.caption, p.left, p.top, p.width, p.height);
}
} // namespace

ConverterWindow::ConverterWindow(const Design& d, const Place& extraCheck)
    : Window(d.caption), m_pickers(d.pickers) {
    setClientArea(d.width, d.height, true);

    if (extraCheck.caption)
        m_extraCheck = makeCheck(this, extraCheck);
    Check1 = makeCheck(this, d.batchCheck);
    Command1 = makeButton(this, "Select File To Convert", 120, 600, 4095, 615);
    Frame1 = makeFrame(this, "Group to be Converted ", 120, 1320, 4095, 1095);
    Label4 = makeLabel(Frame1, "", 240, 240, 3615, 735);
    Command2 = makeButton(this, "Select Output Directory", 120, 2520, 4095, 615, false);
    Frame2 = makeFrame(this, "Target Directory ", 120, 3240, 4095, 1095);
    Label5 = makeLabel(Frame2, "", 120, 240, 3855, 735);
    Command3 = makeButton(this, "Start Convertion", 120, 4440, 4095, 735, false);

    Frame3 = makeFrame(this, "Proccessing ", 4320, 120, 4215, 5055);
    Frame4 = makeFrame(Frame3, "Group ", 120, 240, 3975, 615);
    Label6 = makeLabel(Frame4, "", 120, 240, 3735, 255);
    Frame5 = makeFrame(Frame3, "Sub Group ", 120, 960, 3975, 615);
    Label7 = makeLabel(Frame5, "", 120, 240, 3735, 255);
    Frame6 = makeFrame(Frame3, "Entry ", 120, 1680, 3975, 615);
    Label8 = makeLabel(Frame6, "", d.entryLabel.left, 240, d.entryLabel.width, 255);
    Frame7 = makeFrame(Frame3, "Filename ", 120, 2400, 3975, 1815);
    Label9 = makeLabel(Frame7, "", 120, 240, 3735, 1455);
    Frame8 = makeFrame(Frame3, d.progressFrame, 120, 4320, 3975, 615);
    ProgressBar1 = new ProgressBar(Frame8);
    place(ProgressBar1, 120, 240, 3735, 255);

    Command5 = makeButton(this, "Convert Another One", 120, 5280, 8415, 375, false);
    Command4 = makeButton(this, "Exit", 120, 5760, 8415, 495);

    Label1 = makeLabel(this, d.title.text, 120, 6360, 4095, 375);
    Label1->setFont(tahomaFont(true, d.title.italic));
    Label3 = makeLabel(this, "by", 3960, 6480, 1215, 375);
    Label3->setFont(displayFont(15.75));
    Label2 = makeLabel(this, "Korvantel", 4920, 6600, 3615, 495);
    Label2->setFont(displayFont(20.25));
    Label12 = makeLabel(this, kVersionCaption, 240, 6720, 3735, 255);
    Label12->setFont(tahomaFont());

    // The captions are the design's, blanks and spelling included; assistive technology reads
    // these names instead, one for each box.
    Frame1->setAccessibleName(QStringLiteral("Source to convert"));
    Frame2->setAccessibleName(QStringLiteral("Output directory"));
    Frame3->setAccessibleName(QStringLiteral("Conversion progress"));
    Frame4->setAccessibleName(QStringLiteral("Current group"));
    Frame5->setAccessibleName(QStringLiteral("Current subgroup"));
    Frame6->setAccessibleName(QStringLiteral("Current entry"));
    Frame7->setAccessibleName(QStringLiteral("Current track path"));

    connect(Command1, &QPushButton::clicked, this, &ConverterWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &ConverterWindow::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &ConverterWindow::Command3_Click);
    connect(Command5, &QPushButton::clicked, this, &ConverterWindow::Command5_Click);
    connect(Command4, &QPushButton::clicked, this, &ConverterWindow::Command4_Click);
}

void ConverterWindow::Command1_Click() {
    m_pickers.showSource();
}

void ConverterWindow::Command2_Click() {
    m_pickers.showOutput();
}

void ConverterWindow::Command5_Click() {
    m_pickers.showSource();
    Command3->setEnabled(true);
}

void ConverterWindow::focusAfterRun() {
    for (QPushButton* next : {Command3, Command5, Command2, Command1}) {
        if (next->isEnabled()) {
            next->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

void ConverterWindow::Command4_Click() {
    m_pickers.unload();
    ui::show<Form2>();
    unloadSelf();
}

} // namespace deckshift::ui

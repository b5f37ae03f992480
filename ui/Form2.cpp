#include "ui/Form2.h"

#include "ui/ExportWindow.h"
#include "ui/Form1.h"
#include "ui/Form3.h"
#include "ui/Form6.h"
#include "ui/Form7.h"
#include "ui/Widgets.h"

namespace deckshift::ui {

namespace {
QPushButton* button(QWidget* parent, const char* caption, int left, int top, int width,
                    int height) {
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    place(b, left, top, width, height);
    return b;
}
} // namespace

Form2::Form2() : Window("Korvantel Tools (Converter)") {
    // The designed menu with one more row, for the library export, before Exit.
    setClientArea(4710, 6150, false);
    Command1 = button(this, "PCDJ RED ==> PCDJ FX VRM", 120, 120, 4455, 855);
    Command2 = button(this, "PCDJ FX VRM ==> PCDJ RED", 120, 1080, 4455, 855);
    Command4 = button(this, "M3U PLAYLIST ==> PCDJ FX VRM", 120, 2040, 4455, 855);
    Command5 = button(this, "PCDJ FX VRM ==> M3U PLAYLIST", 120, 3000, 4455, 855);
    Command6 = button(this, "LIBRARY ==> REKORDBOX / TRAKTOR / M3U", 120, 3960, 4455, 855);
    Command3 = button(this, "Exit", 120, 4920, 4455, 855);
    Label12 = new Label(this, kVersionCaption);
    Label12->setFont(tahomaFont());
    place(Label12, 840, 5880, 3735, 255);

    setAccessibleName(QStringLiteral("Deckshift main menu"));

    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);
    setTabOrder(Command3, Command4);
    setTabOrder(Command4, Command5);
    setTabOrder(Command5, Command6);

    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    connect(Command4, &QPushButton::clicked, this, &Form2::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form2::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Form2::Command6_Click);
    connect(Command3, &QPushButton::clicked, this, &Form2::Command3_Click);
}

void Form2::Command1_Click() {
    ui::show<Form1>();
    ui::hide<Form2>();
}

void Form2::Command2_Click() {
    ui::show<Form3>();
    ui::hide<Form2>();
}

void Form2::Command4_Click() {
    ui::show<Form6>();
    ui::hide<Form2>();
}

void Form2::Command5_Click() {
    ui::show<Form7>();
    ui::hide<Form2>();
}

void Form2::Command6_Click() {
    ui::show<ExportWindow>();
    ui::hide<Form2>();
}

void Form2::Command3_Click() {
    endProgram();
}

} // namespace deckshift::ui

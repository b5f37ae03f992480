#include "ui/Dialog.h"

#include "convert/Messages.h"
#include "formats/TextIO.h"
#include "settings/Paths.h"
#include "ui/DirList.h"
#include "ui/FileList.h"
#include "ui/Form1.h"
#include "ui/MessageBox.h"
#include "ui/Widgets.h"

namespace deckshift::ui {

Dialog::Dialog() : SourcePicker(5775, 4335, "*.ini") {}

bool Dialog::picksDirectory() const {
    const Form1* form1 = ui::loaded<Form1>();
    return form1 && form1->Check1->isChecked();
}

void Dialog::Form_Load() {
    startIn(settings::detectRedGroups(settings::DetectOrder::TestThenNormalise),
            {"PCDJ INI Files Directory Successfully Auto-Detected",
             "Could Not Auto-Locate PCDJ INI Files", nullptr},
            {});
    setPicksDirectory(picksDirectory());
    setAccessibleName(picksDirectory()
                          ? QStringLiteral("Select the directory of group files to convert")
                          : QStringLiteral("Select the group file to convert"));
}

void Dialog::OKButton_Click() {
    Form1& form1 = ui::load<Form1>();
    const bool registerMode = form1.Check2->isChecked();
    if (!form1.Check1->isChecked()) {
        const std::string name = File1->fileName();
        if (name.empty())
            return;
        // The group file must be readable; the run opens it again when it starts.
        const std::string path = settings::joinPath(Dir1->path(), name);
        try {
            formats::FileSource probe(path, settings::toFsPath(path));
        } catch (const std::exception& e) {
            showMessage(e.what(), convert::kTitleDeckshift);
            return;
        }
        form1.Command2->setEnabled(!registerMode);
        form1.Command3->setEnabled(registerMode);
        form1.Label4->setCaption(settings::stripExtension(name));
    } else {
        form1.Command2->setEnabled(!registerMode);
        form1.Command3->setEnabled(registerMode);
        form1.Label4->setCaption(Dir1->path());
    }
    ui::hide<Dialog>();
}

void Dialog::CancelButton_Click() {
    ui::unload<Dialog>();
    if (Form1* form1 = ui::loaded<Form1>()) {
        form1->Command2->setEnabled(false);
        form1->Command3->setEnabled(false);
        form1->Label4->setCaption("");
    }
}

} // namespace deckshift::ui

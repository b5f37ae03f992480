#include "ui/Form4.h"

#include "convert/ConvertVrmToIni.h"
#include "settings/AutoDetect.h"
#include "ui/FileList.h"
#include "ui/Form3.h"
#include "ui/MessageBox.h"
#include "ui/Widgets.h"

namespace deckshift::ui {

Form4::Form4() : SourcePicker(5790, 4320, "*.XML") {
    setAccessibleName(QStringLiteral("Select a playlist of the group to convert"));
}

void Form4::Form_Load() {
    startIn(settings::detectFxRc(settings::DetectOrder::TestThenNormalise),
            {"PCDJ FX RC Directory Successfully Auto-Detected",
             "Could Not Auto-Locate PCDJ FX RC Directory", "Could not locate PCDJ FX RC directory"},
            "PlayLists");
    setPicksDirectory(false);
}

void Form4::OKButton_Click() {
    const std::string name = File1->fileName();
    if (name.empty())
        return;
    const auto group = convert::groupOfPlaylist(name);
    if (!group) {
        showMessage(convert::noGroupMessage(name), convert::kTitleDeckshift);
        return;
    }
    Form3& form3 = ui::load<Form3>();
    form3.Command2->setEnabled(true);
    form3.Label4->setCaption(*group);
    ui::hide<Form4>();
}

void Form4::CancelButton_Click() {
    ui::unload<Form4>();
}

} // namespace deckshift::ui

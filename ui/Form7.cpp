#include "ui/Form7.h"

#include "convert/ConvertVrmToM3u.h"
#include "settings/AutoDetect.h"
#include "settings/Paths.h"
#include "ui/DirList.h"
#include "ui/DriveList.h"
#include "ui/Drives.h"
#include "ui/FileList.h"
#include "ui/Lists.h"
#include "ui/MessageBox.h"
#include "ui/Progress.h"

namespace deckshift::ui {

Form7::Form7() : PlaylistWindow("PCDJ FX VRM ==> M3U", "PCDJ FX VRM XML File ", "*.xml") {}

void Form7::Form_Load() {
    const settings::Detection found = settings::detectFxRc(settings::DetectOrder::TestThenNormalise);
    switch (found.state) {
    case settings::Detected::NotFound:
        break;
    case settings::Detected::Missing:
        showMessage(settings::kMsgRegistryDirMissing, convert::kTitleDeckshift);
        setListsToPath(*Drive1, *Dir1, File1, fallbackRoot());
        break;
    case settings::Detected::Present:
        // Without a PlayLists directory there the lists stay where they are.
        setListsToPath(*Drive1, *Dir1, File1,
                       settings::resolveSubdirectory(found.path, "PlayLists"));
        break;
    }
}

void Form7::runConversion() {
    convert::VrmToM3uInputs inputs;
    inputs.sourceDirectory = Dir1->path();
    inputs.sourceName = File1->fileName();
    inputs.outputDirectory = Dir2->path();
    PlaylistWindowProgress progress(*this, *Command1);
    try {
        convert::ConvertVrmToM3u(inputs, progress, progress);
    } catch (const std::exception& e) {
        progress.message(convert::MessageKind::Error, e.what(), convert::kTitleDeckshift);
    }
}

void Form7::unloadSelf() {
    ui::unload<Form7>();
}

} // namespace deckshift::ui

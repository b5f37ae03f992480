#include "ui/Form7.h"

#include "convert/ConvertVrmToM3u.h"
#include "settings/AutoDetect.h"
#include "settings/Paths.h"
#include "ui/DirList.h"
#include "ui/DriveList.h"
#include "ui/Drives.h"
#include "ui/FileList.h"
#include "ui/Layout.h"
#include "ui/Lists.h"
#include "ui/MessageBox.h"

namespace deckshift::ui {

Form7::Form7() : PlaylistWindow("PCDJ FX VRM ==> M3U", "PCDJ FX VRM XML File ", "*.xml") {
    setAccessibleName(QStringLiteral("PCDJ FX VRM to M3U converter"));
    // The check box goes below the output directory list, which gives up the room for it.
    place(Dir2, 120, 840, 2535, 2475);
    Check1 = makeCheck(Frame2, "Write M3U8 (UTF-8)", 120, 3390, 2535, 255);
    setTabOrder(Dir2, Check1);
    setTabOrder(Check1, Command1);
}

void Form7::Form_Load() {
    const settings::Detection found =
        settings::detectFxRc(settings::DetectOrder::TestThenNormalise);
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

PlaylistWindow::Conversion Form7::conversion() {
    convert::EngineOptions options;
    options.writeM3u8 = Check1->isChecked();
    return [inputs = convert::VrmToM3uInputs{Dir1->path(), File1->fileName(), Dir2->path()},
            options](convert::RunEvents& events, convert::MessageSink& messages) {
        const convert::VrmToM3uResult result =
            convert::ConvertVrmToM3u(inputs, events, messages, options);
        return result.status == convert::RunStatus::Done ? result.outputPath : std::string();
    };
}

} // namespace deckshift::ui

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

namespace deckshift::ui {

Form7::Form7() : PlaylistWindow("PCDJ FX VRM ==> M3U", "PCDJ FX VRM XML File ", "*.xml") {
    setAccessibleName(QStringLiteral("PCDJ FX VRM to M3U converter"));
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
    return [inputs = convert::VrmToM3uInputs{Dir1->path(), File1->fileName(), Dir2->path()}](
               convert::RunEvents& events, convert::MessageSink& messages) {
        const convert::VrmToM3uResult result = convert::ConvertVrmToM3u(inputs, events, messages);
        return result.status == convert::RunStatus::Done ? result.outputPath : std::string();
    };
}

} // namespace deckshift::ui

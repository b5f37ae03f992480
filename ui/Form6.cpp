#include "ui/Form6.h"

#include "convert/ConvertM3uToVrm.h"
#include "ui/DirList.h"
#include "ui/DriveList.h"
#include "ui/FileList.h"
#include "ui/Progress.h"

namespace deckshift::ui {

Form6::Form6() : PlaylistWindow("M3U ==> PCDJ FX VRM", "M3U Playlist File ", "*.m3u") {}

void Form6::runConversion() {
    convert::M3uToVrmInputs inputs;
    inputs.sourceDirectory = Dir1->path();
    inputs.sourceName = File1->fileName();
    inputs.sourceDrive = Drive1->drive();
    inputs.outputDirectory = Dir2->path();
    PlaylistWindowProgress progress(*this, *Command1);
    try {
        convert::ConvertM3uToVrm(inputs, progress, progress);
    } catch (const std::exception& e) {
        progress.message(convert::MessageKind::Error, e.what(), convert::kTitleDeckshift);
    }
}

void Form6::unloadSelf() {
    ui::unload<Form6>();
}

} // namespace deckshift::ui

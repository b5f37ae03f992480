#include "ui/Form6.h"

#include "convert/ConvertM3uToVrm.h"
#include "ui/DirList.h"
#include "ui/DriveList.h"
#include "ui/FileList.h"

namespace deckshift::ui {

Form6::Form6() : PlaylistWindow("M3U ==> PCDJ FX VRM", "M3U Playlist File ", "*.m3u;*.m3u8") {
    setAccessibleName(QStringLiteral("M3U to PCDJ FX VRM converter"));
}

PlaylistWindow::Conversion Form6::conversion() {
    return [inputs = convert::M3uToVrmInputs{Dir1->path(), File1->fileName(), Drive1->drive(),
                                             Dir2->path()}](convert::RunEvents& events,
                                                            convert::MessageSink& messages) {
        const convert::M3uToVrmResult result = convert::ConvertM3uToVrm(inputs, events, messages);
        return result.status == convert::RunStatus::Done ? result.outputPath : std::string();
    };
}

} // namespace deckshift::ui

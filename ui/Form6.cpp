#include "ui/Form6.h"

#include "convert/ConvertM3uToVrm.h"
#include "ui/DirList.h"
#include "ui/DriveList.h"
#include "ui/FileList.h"

namespace deckshift::ui {

Form6::Form6() : PlaylistWindow("M3U ==> PCDJ FX VRM", "M3U Playlist File ", "*.m3u") {}

void Form6::runConversion(convert::RunEvents& events, convert::MessageSink& messages) {
    convert::ConvertM3uToVrm({Dir1->path(), File1->fileName(), Drive1->drive(), Dir2->path()},
                             events, messages);
}

} // namespace deckshift::ui

// The map reader behind the open-map dialog's "Otwórz".
#include <exception>
#include <memory>

#include "game/Form1.h"
#include "game/Form6.h"
#include "game/MapLoading.h"
#include "platform/rtl/Cp1250.h"
#include "platform/win/Window.h"
#include "world/WorldFiles.h"

namespace korvel {

void TForm1::OpenButtonClick(TObject*) {
  try {
    const std::string path = Form6->FileListBox1->FileName();
    if (!IsMapFileName(path)) return;
    // The whole record is read before anything of the game changes, so a
    // file that cannot be read leaves the loaded map as it was.
    auto file = std::make_unique<TMapFile>();
    ReadMapFile(path, *file);
    Form6->Close();
    ApplyMapFile(State, *file);
    SetCaption("Korvel - " + State.Map.MapName.Text());
    // The lists show the new map's objects at once, not only after the next
    // command that rebuilds them.
    RefreshLists();
  } catch (const std::exception&) {
    // Every way a map fails to open or read gets the one message the game
    // has for it: the runtime's input/output errors (a missing, unreadable
    // or short file) and its other exceptions all derive from
    // std::exception, as do the standard library's (no memory for the
    // record).
    Application->MessageBox(Cp("Zła nazwa pliku!"), Application->Title(), MB_OK);
  }
}

}  // namespace korvel

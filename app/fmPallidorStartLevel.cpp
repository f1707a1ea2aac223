// The start of a level as the panels need it until the game flow's own StartLevel joins the
// program: the level set's level read, the level variable set and the game marked running.
#include "app/fmPallidor.h"
#include "engine/gpData.h"
#include "engine/gpKernel.h"
#include "engine/gpLevel.h"

namespace app {

void TDlg_Sprallion::StartLevel(int32_t index, bool) {
    if (!Kernel || !Kernel->LevelStream) return;
    try {
        const auto level = Kernel->LevelStream->LoadLevel(index);
        engine::SetFieldValue(Kernel->KernelRecord.Level, index);
        GameRunning = true;
    } catch (...) {
        WriteLogException("StartLevel");
    }
}

}  // namespace app

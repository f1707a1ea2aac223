// The handlers that carry the game's rules: what a chosen level set builds, lives and levels,
// the per-tick rules, speed limits, input actions, pause and activation. They are bound by
// name from the start (the kernel's events, the form's messages) and do nothing until the
// game flow, the input actions and the panels fill them.
#include "app/fmPallidor.h"

namespace app {

void TDlg_Sprallion::DoGPCreateGames(TObject*, const std::string&) {}
void TDlg_Sprallion::DoDestroyGames(TObject*) {}
void TDlg_Sprallion::DoGPNextLevel(TObject*) {}
void TDlg_Sprallion::DoGPLastLevel(TObject*) {}
void TDlg_Sprallion::DoGPNewLife(TObject*) {}
void TDlg_Sprallion::DoGPEndLife(TObject*) {}
void TDlg_Sprallion::DoGPSortNation(TObject*) {}
void TDlg_Sprallion::DoGPMove(TObject*) {}
void TDlg_Sprallion::DoCheckVelocity(double&, TObject*, engine::TVelocityXY) {}
void TDlg_Sprallion::DoConditionEvent(TObject*, engine::TConditionKernel) {}
void TDlg_Sprallion::UpdatePlayerRecord() {}

}  // namespace app

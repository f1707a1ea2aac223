// The handlers that carry the game's rules: what a chosen level set builds, lives and levels,
// the per-tick rules, speed limits, input actions, pause and activation. They are bound by
// name from the start (the kernel's events, the form's messages) and do nothing until the
// game flow, the input actions and the panels fill them.
#include "app/fmPallidor.h"

namespace app {

void TDlg_Sprallion::DoKernelInput(TObject*, engine::TDXInputStates&) {}
void TDlg_Sprallion::DoAppActivate(TObject*) {}
void TDlg_Sprallion::DoAppDeactivate(TObject*) {}
void TDlg_Sprallion::FormKeyDown(TObject*, uint16_t&, uint32_t) {}
void TDlg_Sprallion::DXDrawGPMouseDown(TObject*, int32_t, uint32_t, int32_t, int32_t) {}
void TDlg_Sprallion::FormMouseUp(TObject*, int32_t, uint32_t, int32_t, int32_t) {}
void TDlg_Sprallion::OnPOWERBROADCAST(platform::display::Message&) {}
void TDlg_Sprallion::ActivateHook() {}
void TDlg_Sprallion::DeactivateHook() {}
void TDlg_Sprallion::PauseHook() {}
void TDlg_Sprallion::ResumeHook() {}

}  // namespace app

// The game data's pictures outside the menus: the message pictures, the medal and rank
// pictures the message box shows, the empty save slot, the container's preview, the
// program's icon, and the native dialogs' shapes and buttons with the message-box layout.
#pragma once

#include <string>
#include <vector>

#include "tools/datagen/demo/DemoClasses.h"

namespace datagen::demo {

// "MessageImage_%D" for every picture number the shell passes.
const std::vector<int>& MessageImageNumbers();

// The picture names of medals 1..10 and ranks 1..19 as the message box looks them up.
const std::vector<std::string>& MedalPictureNames();
const std::vector<std::string>& RankPictureNames();

// Every "BMP" picture of this kind. "Pal_Option_Win" carries its region data behind the
// picture (see DialogEntries).
std::vector<DemoPicture> DialogPictures();
// Entries whose bytes are more than a picture: "Pal_Option_Win" followed by its region.
std::vector<std::pair<std::string, std::string>> DialogEntries();

// "Cfg"/"MsgPos": the message box's layout, 13 entries of left, top, width and height by
// component tag (208 bytes).
std::string MessageBoxLayout();

}  // namespace datagen::demo

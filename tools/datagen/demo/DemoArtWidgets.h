// Menu widgets, drawn in the patterns the widgets cut them into (patterns numbered row by
// row): buttons (four states), check boxes (five), track bars (twelve pieces), grid
// headers, framed panels and the title.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/datagen/demo/DemoImage.h"

namespace datagen::demo {

// A button: patterns stacked in one column: 0 disabled, 1 hovered, 2 normal, 3 pressed.
Image ButtonSheet(std::string_view label, int width = 220, int height = 40);

// A check box: patterns stacked in one column: 0 disabled, 1 hovered, 2 normal,
// 3 hovered and checked, 4 checked.
Image CheckBoxSheet(int size = 28);

// A track bar: twelve patterns of pattern × height in one row: 0/1 left/right end
// disabled, 2/3 hovered, 4/5 normal, 6/7 as 4/5, 8 left end stepping down, 9 right end
// stepping up, 10 a middle piece, 11 the thumb.
inline constexpr int kTrackBarPatterns = 12;
Image TrackBarSheet(int pattern = 24, int height = 24);

// Grid headers. Row headers (a grid's `ColPaint`): one picture row per grid row with its
// four states in columns (pattern 4 × row + state). Column headers (`RowPaint`): one
// picture column per grid column with the states in rows (pattern column + count × state).
// States: 0 disabled, 1 hovered, 2 normal, 3 hovered and toggled. A grid that takes no
// pointer draws state 0: without `hovers` every state looks normal.
Image RowHeaderSheet(const std::vector<std::string>& labels, int width = 140, int height = 28, bool hovers = true);
Image ColumnHeaderSheet(const std::vector<std::string>& labels, int width = 140, int height = 28, bool hovers = true);

// A menu panel: a bevelled frame with a dark glass body, rounded corners transparent,
// and an optional title plate at the top.
Image PanelFrame(int width, int height, std::string_view title = {});

// The game's name in large letters: a gold gradient, a dark outline and a soft shadow.
Image TitlePicture(std::string_view text = "Sprallion", int width = 600, int height = 140);

}  // namespace datagen::demo

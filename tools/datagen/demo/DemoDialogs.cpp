#include "tools/datagen/demo/DemoDialogs.h"

#include <array>

#include "tools/datagen/Container.h"
#include "tools/datagen/demo/DemoArtBackgrounds.h"
#include "tools/datagen/demo/DemoArtInsignia.h"
#include "tools/datagen/demo/DemoArtWidgets.h"
#include "tools/datagen/demo/DemoArtWindows.h"
#include "tools/datagen/demo/DemoText.h"

namespace datagen::demo {
namespace {

// A round plate with a mark on it, for the message pictures.
Image MessageIcon(const char* mark, Rgb colour, int size = 64) {
    Image img(size, size);
    const double c = size / 2.0, r = size / 2.0 - 2;
    const Sdf disc = CircleSdf(c, c, r);
    Fill(img, disc, [&](double x, double y, double d) {
        Rgb col = Shade(colour, 1.2 - 0.5 * y / size);
        const double b = Bevel(disc, x, y, d, 4.0);
        col = b > 0 ? Mix(col, Rgb{255, 255, 255}, b * 0.5) : Mix(col, Shade(colour, 0.3), -b * 0.7);
        if (d > -1.5) col = Shade(colour, 0.25);
        return col;
    });
    const TextMask m = FitText(mark, size / 2, size / 2, size / 2, FontFace::SansBold);
    DrawCaption(img, m, c, c, Rgb{255, 250, 236}, Shade(colour, 0.3), 2, true);
    return img;
}

// Pictures the native dialogs read are stored plain; the others run-length coded.
DemoPicture Picture(std::string key, Image image, int bits = 8, Rgb transparent = {0, 0, 0}, int pw = 0, int ph = 0) {
    DemoPicture p;
    p.rle = transparent == Rgb{0, 0, 0};
    p.key = std::move(key);
    p.patternWidth = pw ? pw : image.Width();
    p.patternHeight = ph ? ph : image.Height();
    p.columns = image.Width() / p.patternWidth;
    p.rows = image.Height() / p.patternHeight;
    p.bitCount = bits;
    p.transparent = transparent;
    p.image = std::move(image);
    return p;
}

}  // namespace

const std::vector<int>& MessageImageNumbers() {
    // 3 a level begins, 9 a question in play, 10 the end of a game and the exit question,
    // 27 an extra life; 7, 10, 11 and 15 the window messages' kinds; 26 a missing level set.
    static const std::vector<int> numbers{2, 3, 7, 9, 10, 11, 15, 26, 27};
    return numbers;
}

const std::vector<std::string>& MedalPictureNames() {
    static const std::vector<std::string> names{"Score_stealer", "Crafty_paddle", "Gilded_cannon-ball",
                                                "Fortunate_hunt", "Thirst_for_life", "Step_ahead",
                                                "Famous_hunter", "Unique_fortune", "Clean_sheet",
                                                "Better_then_best"};
    return names;
}

const std::vector<std::string>& RankPictureNames() {
    static const std::vector<std::string> names{
        "private", "corporal", "second_sergeant", "sergeant", "sergent-chief", "master_sergeant", "second_lieutenant",
        "first_lieutenant", "captain", "major", "lt_colonel", "colonel", "master_colonel", "brigadier_general",
        "major_general", "general", "general_of_the_rocket", "marshal", "generalissimo"};
    return names;
}

std::vector<DemoPicture> DialogPictures() {
    std::vector<DemoPicture> out;
    struct Mark {
        int number;
        const char* mark;
        Rgb colour;
    };
    const Mark marks[] = {{2, "\u2620", {96, 40, 48}},  {3, "\u25B6", {48, 120, 200}}, {7, "i", {48, 140, 200}},
                          {9, "?", {200, 150, 40}},     {10, "!", {200, 72, 48}},     {11, "@", {64, 160, 120}},
                          {15, "S", {140, 96, 200}},    {26, "?", {160, 96, 64}},     {27, "\u2665", {208, 56, 88}}};
    for (const Mark& m : marks) out.push_back(Picture("MessageImage_" + std::to_string(m.number), MessageIcon(m.mark, m.colour)));
    for (int i = 0; i < kMedalCount; ++i) out.push_back(Picture(MedalPictureNames()[static_cast<size_t>(i)], MedalPicture(i + 1, 48, 64)));
    for (int i = 0; i < kRankCount; ++i) out.push_back(Picture(RankPictureNames()[static_cast<size_t>(i)], RankInsignia(i + 1, 64, 64)));
    out.push_back(Picture("Save_Default", EmptySlotPicture(160, 120), 8));
    {
        // The container's preview in the options dialog: the title over the menu's sky.
        Image preview = MenuBackdrop(160, 120, 3);
        preview.Paste(TitlePicture("Спраллион", 150, 50), 5, 35);
        out.push_back(Picture("PreViewBif", std::move(preview), 8));
        out.back().rle = false;
    }
    out.push_back(Picture("Game_Icon", GameIcon(32), 24));
    out.push_back(Picture("Pal_MessageBox", MessageBoxBackground(433, 290), 8, kWindowKey));
    for (const auto& [key, label] : {std::pair{"Win_Button_Ok", "ОК"}, std::pair{"Win_Button_Cancel", "Отмена"},
                                     std::pair{"Win_Option_Ok", "ОК"}, std::pair{"Win_Option_Cancel", "Отмена"}})
        out.push_back(Picture(key, WindowButtonSheet(label, 96, 30), 8, kWindowKey, 96, 30));
    return out;
}

std::vector<std::pair<std::string, std::string>> DialogEntries() {
    const Image shape = OptionBoxBackground(535, 447);
    return {{"Pal_Option_Win", EncodePicture(shape, kWindowKey, 8) + RegionData(shape)}};
}

std::string MessageBoxLayout() {
    // By tag: 0 title, 1 text, 2 picture, 3 OK, 4 Cancel, 5 the web link; 6..12 unused.
    std::array<std::array<int32_t, 4>, 13> places{};
    places[0] = {24, 16, 385, 26};
    places[1] = {104, 54, 305, 150};
    places[2] = {24, 58, 64, 64};
    places[3] = {92, 238, 96, 30};
    places[4] = {245, 238, 96, 30};
    places[5] = {104, 208, 225, 20};
    std::string out;
    for (const auto& p : places)
        for (int32_t v : p) out += Int32Bytes(v);
    return out;
}

}  // namespace datagen::demo

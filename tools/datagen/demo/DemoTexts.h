// The texts of the demo data set, all in Russian, the language the edition runs in: the
// language strings of "Strings" (419), the hall-of-fame names, the heads-up description of
// the level sets, the help page and the help text. Texts are written UTF-8 here and stored in
// the game's code page (Windows-1251) through rtl's tables.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace datagen::demo {

inline constexpr const char* kLanguage = "419";

// One text of "Strings": its key, its text (UTF-8) and the number of arguments its callers
// format it with (-1: not a format).
struct DemoText {
    std::string key;
    std::string text;
    int arguments = -1;
    bool stringArguments = true;  // the arguments are texts (else numbers)
};

// Every language text with its argument count.
std::vector<DemoText> LanguageTexts();
// The hall-of-fame names, without a language code: ranks 1..19, medals 1..10,
// difficulties 1..3. The page names its pictures after them.
std::vector<DemoText> HallOfFameNames();
const std::string& RankName(int rank);      // "Name_Rank_%D"
const std::string& MedalName(int medal);    // "Name_Medals_%D"
const std::string& DifficultyName(int d);   // "Name_Difficulty_%D"

// The messages the shell shows and the arguments each caller passes.
struct MessageUse {
    int number;
    int arguments;
};
const std::vector<MessageUse>& ShellMessages();

// A string entry as stored: int32 length, then the text in the game's code page.
std::string StoredText(const std::string& utf8);

// The heads-up description ("Script_Interface") of a level set.
std::string ScriptInterfaceText();

// The help page ("Index.htm", UTF-8 HTML) and the help text ("Help/Sprallion_419.TXT",
// Windows-1251, CR LF).
std::string HelpPage();
std::string HelpText();

// The hall-of-fame page's templates ("TopList/Template/header.htm" and "footer.htm", UTF-8
// HTML): the library writes its table between them, leaving the table open for the footer.
// Its pictures are flattened onto the page's colour, 0xRRGGBB.
inline constexpr uint32_t kHallOfFameColour = 0x0C1020;
std::string HallOfFameHeader();
std::string HallOfFameFooter();

}  // namespace datagen::demo

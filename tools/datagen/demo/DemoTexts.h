// The texts of the demo data set: the language strings of "Strings" in Russian (419, what
// the edition shows) and English (409), the hall-of-fame names, the heads-up description
// of the demo set, the help page and the help text. Texts are written UTF-8 here and stored
// in the game's code page (Windows-1251) through rtl's tables.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace datagen::demo {

inline constexpr const char* kLanguages[] = {"419", "409"};

// One text of "Strings": its key, its text (UTF-8) and the number of arguments its callers
// format it with (-1: not a format).
struct DemoText {
    std::string key;
    std::string text;
    int arguments = -1;
    bool stringArguments = true;  // the arguments are texts (else numbers)
};

// Every language text, for both languages, with its argument count.
std::vector<DemoText> LanguageTexts();
// The hall-of-fame names without language (ASCII): ranks 1..19, medals 1..10,
// difficulties 1..3.
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

}  // namespace datagen::demo

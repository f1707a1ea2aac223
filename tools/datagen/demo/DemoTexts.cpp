#include "tools/datagen/demo/DemoTexts.h"

#include <map>

#include "rtl/Text.h"
#include "tools/datagen/Container.h"

namespace datagen::demo {
namespace {

struct Bilingual {
    const char* ru;
    const char* en;
};

// Messages by number: title, text and the arguments its callers pass. Message 15's text is
// replaced by the about lines, but its entry must exist for the box to open.
struct Message {
    int number;
    int arguments;
    Bilingual title, text;
};

const std::vector<Message>& Messages() {
    static const std::vector<Message> messages{
        {2, 0, {"Игра окончена", "Game over"},
         {"Последняя жизнь потеряна. Ваш результат будет записан в зал славы, если он того достоин.",
          "The last life is lost. Your score goes to the hall of fame if it earns a place there."}},
        {3, 2, {"Новая игра", "New game"}, {"Набор «%s»\nУровень: %s", "Level set \"%s\"\nLevel: %s"}},
        {4, 1, {"Следующий уровень", "Next level"}, {"Уровень: %s", "Level: %s"}},
        {7, 1, {"Награда", "Award"}, {"Вы награждены медалью «%s»!", "You are awarded the medal \"%s\"!"}},
        {8, 1, {"Повышение", "Promotion"}, {"Вам присвоено звание: %s!", "You are promoted to %s!"}},
        {9, 0, {"Вопрос", "Question"}, {"Завершить текущую игру?", "End the current game?"}},
        {10, 0, {"Выход", "Quit"}, {"Выйти из игры?", "Quit the game?"}},
        {14, 0, {"Интернет", "Internet"},
         {"Не удалось зарегистрировать библиотеку интернет-служб. Игра продолжится без них.",
          "The internet services library could not be registered. The game goes on without them."}},
        {15, 0, {"О программе", "About"}, {"Спраллион", "Sprallion"}},
        {18, 0, {"Настройки", "Options"},
         {"Новый файл данных будет прочитан при следующем запуске игры.",
          "The new data file is read the next time the game starts."}},
        {19, 1, {"Обновления", "Updates"}, {"Доступны обновления:\n%s\nЗагрузить их?", "Updates are available:\n%s\nDownload them?"}},
        {20, 0, {"Обновления", "Updates"},
         {"Обновления загружены и будут установлены после выхода из игры.",
          "The updates are downloaded and will be installed when the game ends."}},
        {21, 0, {"Обновления", "Updates"}, {"Не удалось загрузить обновления.", "The updates could not be downloaded."}},
        {25, 0, {"Обновления", "Updates"}, {"Новых обновлений нет.", "There are no new updates."}},
        {26, 1, {"Загрузка игры", "Load game"},
         {"Не найден файл набора уровней %s. Эту игру загрузить нельзя.",
          "The level set file %s is missing. This game cannot be loaded."}},
        {27, 0, {"Бонус", "Bonus"}, {"Дополнительная жизнь!", "An extra life!"}},
        {35, 0, {"Интернет", "Internet"}, {"Нет соединения с сервером.", "There is no connection to the server."}},
        {37, 0, {"Интернет", "Internet"}, {"Проверка соединения с сервером…", "Checking the connection to the server..."}},
        {38, 0, {"Обновления", "Updates"}, {"Поискать обновления игры?", "Look for updates of the game?"}},
    };
    return messages;
}

const Bilingual kMedals[10] = {
    {"Похититель очков", "Score stealer"}, {"Ловкая ракетка", "Crafty paddle"},
    {"Золочёное ядро", "Gilded cannon-ball"}, {"Удачная охота", "Fortunate hunt"},
    {"Жажда жизни", "Thirst for life"}, {"Шаг вперёд", "Step ahead"},
    {"Знаменитый охотник", "Famous hunter"}, {"Редкая удача", "Unique fortune"},
    {"Чистый лист", "Clean sheet"}, {"Лучше лучших", "Better than best"},
};

const Bilingual kRanks[19] = {
    {"рядовой", "private"}, {"ефрейтор", "corporal"}, {"младший сержант", "lance sergeant"},
    {"сержант", "sergeant"}, {"старший сержант", "staff sergeant"}, {"старшина", "master sergeant"},
    {"младший лейтенант", "second lieutenant"}, {"лейтенант", "first lieutenant"}, {"капитан", "captain"},
    {"майор", "major"}, {"подполковник", "lieutenant colonel"}, {"полковник", "colonel"},
    {"старший полковник", "senior colonel"}, {"генерал-майор", "brigadier general"},
    {"генерал-лейтенант", "major general"}, {"генерал", "general"}, {"генерал ракетных войск", "general of the rocket"},
    {"маршал", "marshal"}, {"генералиссимус", "generalissimo"},
};

const char* const kRankNames[19] = {
    "Private", "Corporal", "Lance sergeant", "Sergeant", "Staff sergeant", "Master sergeant", "Second lieutenant",
    "First lieutenant", "Captain", "Major", "Lieutenant colonel", "Colonel", "Senior colonel", "Brigadier general",
    "Major general", "General", "General of the rocket", "Marshal", "Generalissimo"};
const char* const kMedalNames[10] = {"Score stealer", "Crafty paddle",  "Gilded cannon-ball", "Fortunate hunt",
                                     "Thirst for life", "Step ahead",   "Famous hunter",      "Unique fortune",
                                     "Clean sheet",    "Better than best"};
const char* const kDifficultyNames[3] = {"Easy", "Normal", "Hard"};

// The help grid's lines: item i names the action of the help order's state at position
// i + 6 (F1, F2, F3, F8, F9, -, P, F7, F12, Esc, Enter); item 5 is never shown.
const Bilingual kKeyLines[] = {
    {"Справка", "Help"},
    {"Свободна", "Free"},
    {"Свободна", "Free"},
    {"Настройки", "Options"},
    {"Завершить игру", "End the game"},
    {"(не показывается)", "(not shown)"},
    {"Пауза", "Pause"},
    {"Снимок экрана", "Screenshot"},
    {"Выход из игры", "Quit"},
    {"Назад, завершить игру", "Back, end the game"},
    {"Подтвердить", "Confirm"},
};

std::string Join(const Bilingual (&lines)[11], bool russian) {
    std::string text;
    for (const Bilingual& l : lines) text += std::string(russian ? l.ru : l.en) + "\r\n";
    return text;
}

}  // namespace

std::vector<DemoText> LanguageTexts() {
    std::vector<DemoText> out;
    for (const char* lang : kLanguages) {
        const bool ru = std::string(lang) == "419";
        const auto pick = [ru](const Bilingual& b) { return std::string(ru ? b.ru : b.en); };
        const std::string tail = std::string("_") + lang;
        for (const Message& m : Messages()) {
            out.push_back({"Message_" + std::to_string(m.number) + tail, pick(m.text), m.arguments});
            out.push_back({"Title_Message_" + std::to_string(m.number) + tail, pick(m.title), 0});
        }
        for (int i = 0; i < 10; ++i) out.push_back({"Medal_" + std::to_string(i + 1) + tail, pick(kMedals[i]), 0});
        for (int i = 0; i < 19; ++i) out.push_back({"Rank_" + std::to_string(i + 1) + tail, pick(kRanks[i]), 0});
        const std::pair<const char*, Bilingual> labels[] = {
            {"Subject_", {"Набор уровней", "Level set"}},
            {"Player_", {"Игрок", "Player"}},
            {"Difficulty_", {"Сложность", "Difficulty"}},
            {"TL_MsgSubject_", {"Выберите набор уровней", "Choose a level set"}},
            {"OptionBox_Title_", {"Настройки", "Options"}},
            {"CB_AutoCheck_", {"Проверять соединение с сервером", "Check the connection to the server"}},
            {"CB_Top_", {"Заносить результаты в зал славы", "Enter scores in the hall of fame"}},
            {"CB_UpData_", {"Искать обновления при запуске", "Look for updates at start"}},
            {"L_Internet_", {"Интернет", "Internet"}},
            {"L_ListBif_", {"Файл данных игры", "Game data file"}},
        };
        for (const auto& [key, text] : labels) out.push_back({key + std::string(lang), pick(text), 0});
        out.push_back({"Count_" + std::string(lang), ru ? "Очки: %d" : "Score: %d", 1, false});
        out.push_back({"Level_" + std::string(lang), ru ? "Уровень %d" : "Level %d", 1, false});
        out.push_back({"Title_Key_" + std::string(lang), Join(kKeyLines, ru), -1});
    }
    return out;
}

std::vector<DemoText> HallOfFameNames() {
    std::vector<DemoText> out;
    for (int i = 1; i <= 19; ++i) out.push_back({"Name_Rank_" + std::to_string(i), RankName(i), -1});
    for (int i = 1; i <= 10; ++i) out.push_back({"Name_Medals_" + std::to_string(i), MedalName(i), -1});
    for (int i = 1; i <= 3; ++i) out.push_back({"Name_Difficulty_" + std::to_string(i), DifficultyName(i), -1});
    return out;
}

const std::string& RankName(int rank) {
    static const std::vector<std::string> names(std::begin(kRankNames), std::end(kRankNames));
    return names.at(static_cast<size_t>(rank - 1));
}
const std::string& MedalName(int medal) {
    static const std::vector<std::string> names(std::begin(kMedalNames), std::end(kMedalNames));
    return names.at(static_cast<size_t>(medal - 1));
}
const std::string& DifficultyName(int d) {
    static const std::vector<std::string> names(std::begin(kDifficultyNames), std::end(kDifficultyNames));
    return names.at(static_cast<size_t>(d - 1));
}

const std::vector<MessageUse>& ShellMessages() {
    static const std::vector<MessageUse> uses = [] {
        std::vector<MessageUse> u;
        for (const Message& m : Messages()) u.push_back({m.number, m.arguments});
        return u;
    }();
    return uses;
}

std::string StoredText(const std::string& utf8) { return LenString(rtl::Utf8ToAnsi(utf8)); }

std::string ScriptInterfaceText() {
    // Keys are found anywhere in a line and a value ends at the next comma, so each line
    // builds one widget and lists its values with commas. Panels: 1 the side
    // panel, 2 the frame with the lives bar, 3 the bar below the field.
    static const char* const kLines[] = {
        "; Heads-up of the demo set: the side panel (1), the lives bar (2) and the bottom bar (3).",
        "TGPText.Create(OwnerClass=1, IDClass=1, UserName=1, Left=22, Top=50, PatternWidth=150, PatternHeight=40, "
        "Alignment=gaCenter, Font.Size=20)",
        "TGPDataText.Create(OwnerClass=1, IDClass=1, Field=fd_Level, TxtFormat=Уровень %D, Offset=1, Left=22, Top=120, "
        "PatternWidth=150, PatternHeight=24, Alignment=gaCenter, Font.Size=18)",
        "TGPIcon.Create(OwnerClass=1, IDClass=27, Field=fd_Difficulty, Type=ftInteger, Left=24, Top=181, "
        "FlagChange=False, Correspondence[27])",
        "TGPDataText.Create(OwnerClass=1, IDClass=1, Field=fd_Count, TxtFormat=%D, Offset=0, Left=46, Top=183, "
        "PatternWidth=118, PatternHeight=26, Alignment=gaCenter, Font.Size=20)",
        "TGPIcon.Create(OwnerClass=1, IDClass=23, Field=fd_Difficulty, Type=ftInteger, Left=43, Top=333, "
        "FlagChange=False, Correspondence[23, 24, 25])",
        "TGPCountArray.Create(OwnerClass=1, IDClass=19, Field=fd_Prizes, Type=ftArray, Left=30, Top=416)",
        "TGPProgress.Create(OwnerClass=1, IDClass=17, Field=fd_Count_1, Left=21, Top=469, MinValue=0, MaxValue=600)",
        "TGPCount.Create(OwnerClass=2, IDClass=18, Field=fd_Life, Type=ftInteger, Left=18, Top=14, FlagChange=False, "
        "MinValue=0, MaxValue=12)",
        "TGPIcon.Create(OwnerClass=3, IDClass=20, Field=fd_Difficulty, Type=ftInteger, Left=220, Top=3, "
        "FlagChange=False, Correspondence[20, 21, 22])",
        "TGPDataText.Create(OwnerClass=3, IDClass=1, Field=fd_FPS, TxtFormat=Кадров в секунду: %D, Offset=0, "
        "Left=380, Top=6, PatternWidth=200, PatternHeight=20, Alignment=gaRightJustify, Font.Size=14)",
    };
    std::string text;
    for (const char* line : kLines) text += std::string(line) + "\r\n";
    return text;
}

}  // namespace datagen::demo

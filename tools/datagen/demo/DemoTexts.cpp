#include "tools/datagen/demo/DemoTexts.h"

#include <map>

#include "rtl/Text.h"
#include "tools/datagen/Container.h"

namespace datagen::demo {
namespace {

// Messages by number: the arguments its callers pass, title and text. Message 15's text is
// replaced by the about lines, but its entry must exist for the box to open.
struct Message {
    int number;
    int arguments;
    const char* title;
    const char* text;
};

const std::vector<Message>& Messages() {
    static const std::vector<Message> messages{
        {2, 0, "Игра окончена",
         "Последняя жизнь потеряна. Ваш результат будет записан в зал славы, если он того достоин."},
        {3, 2, "Новая игра",
         "Набор «%s»\nУровень: %s"},
        {4, 1, "Следующий уровень",
         "Уровень: %s"},
        {7, 1, "Награда",
         "Вы награждены медалью «%s»!"},
        {8, 1, "Повышение",
         "Вам присвоено звание: %s!"},
        {9, 0, "Вопрос",
         "Завершить текущую игру?"},
        {10, 0, "Выход",
         "Выйти из игры?"},
        {14, 0, "Интернет",
         "Не удалось зарегистрировать библиотеку интернет-служб. Игра продолжится без них."},
        {15, 0, "О программе",
         "Спраллион"},
        {18, 0, "Настройки",
         "Новый файл данных будет прочитан при следующем запуске игры."},
        {19, 1, "Обновления",
         "Доступны обновления:\n%s\nЗагрузить их?"},
        {20, 0, "Обновления",
         "Обновления загружены и установятся при выходе из игры."},
        {21, 0, "Обновления",
         "Не удалось загрузить обновления."},
        {25, 0, "Обновления",
         "Новых обновлений нет."},
        {26, 1, "Загрузка игры",
         "Не найден файл набора уровней %s. Эту игру загрузить нельзя."},
        {27, 0, "Бонус",
         "Дополнительная жизнь!"},
        {35, 0, "Интернет",
         "Нет соединения с сервером."},
        {37, 0, "Интернет",
         "Проверка соединения с сервером…"},
        {38, 0, "Обновления",
         "Поискать обновления игры?"},
    };
    return messages;
}

const char* const kMedals[10] = {"Похититель очков", "Ловкая ракетка", "Золочёное ядро", "Удачная охота", "Жажда жизни",
                                 "Шаг вперёд",        "Знаменитый охотник", "Редкая удача", "Чистый лист", "Лучше лучших"};

const char* const kRanks[19] = {
    "рядовой",           "ефрейтор",          "младший сержант", "сержант",       "старший сержант",
    "старшина",          "младший лейтенант", "лейтенант",       "капитан",       "майор",
    "подполковник",      "полковник",         "старший полковник", "генерал-майор", "генерал-лейтенант",
    "генерал",           "генерал ракетных войск", "маршал",      "генералиссимус"};

const char* const kDifficulties[3] = {"Легко", "Нормально", "Трудно"};

// The help's key list, in the help's order of input states from its seventh on: F1, F2, F3,
// F8, F9, F10 (never shown: the help skips it), P, F7, F12, Esc, Enter, then the second keys
// 1, 2, 3, 8, 9 and 7. F2, F3, F10, 2 and 3 act on nothing.
const char* const kKeyLines[] = {"Справка",     "Не используется", "Не используется", "Настройки",     "Конец игры",
                                 "Не используется", "Пауза",       "Снимок экрана",   "Выход из игры", "Назад, конец игры",
                                 "Подтвердить", "Справка",         "Не используется", "Не используется", "Настройки",
                                 "Конец игры",  "Снимок экрана"};

// The name written on the hall-of-fame page: capitalised, as the page shows it.
std::string Capitalised(const char* utf8) {
    std::string text = rtl::Utf8ToAnsi(utf8);
    if (!text.empty()) text = rtl::AnsiUpperCase(text.substr(0, 1)) + text.substr(1);
    return rtl::AnsiToUtf8(text);
}

}  // namespace

std::vector<DemoText> LanguageTexts() {
    std::vector<DemoText> out;
    const std::string tail = std::string("_") + kLanguage;
    for (const Message& m : Messages()) {
        out.push_back({"Message_" + std::to_string(m.number) + tail, m.text, m.arguments});
        out.push_back({"Title_Message_" + std::to_string(m.number) + tail, m.title, 0});
    }
    for (int i = 0; i < 10; ++i) out.push_back({"Medal_" + std::to_string(i + 1) + tail, kMedals[i], 0});
    for (int i = 0; i < 19; ++i) out.push_back({"Rank_" + std::to_string(i + 1) + tail, kRanks[i], 0});
    const std::pair<const char*, const char*> labels[] = {
        {"Subject", "Набор уровней"},
        {"Player", "Игрок"},
        {"Difficulty", "Сложность"},
        {"TL_MsgSubject", "Выберите набор уровней"},
        {"OptionBox_Title", "Настройки"},
        {"CB_AutoCheck", "Проверять соединение с сервером"},
        {"CB_Top", "Заносить результаты в зал славы"},
        {"CB_UpData", "Искать обновления при запуске"},
        {"L_Internet", "Интернет"},
        {"L_ListBif", "Файл данных игры"},
    };
    for (const auto& [key, text] : labels) out.push_back({key + tail, text, 0});
    out.push_back({"Count" + tail, "Очки: %d", 1, false});
    out.push_back({"Level" + tail, "Уровень %d", 1, false});
    std::string keys;
    for (const char* line : kKeyLines) keys += std::string(line) + "\r\n";
    out.push_back({"Title_Key" + tail, keys, -1});
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
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n;
        for (const char* r : kRanks) n.push_back(Capitalised(r));
        return n;
    }();
    return names.at(static_cast<size_t>(rank - 1));
}
const std::string& MedalName(int medal) {
    static const std::vector<std::string> names(std::begin(kMedals), std::end(kMedals));
    return names.at(static_cast<size_t>(medal - 1));
}
const std::string& DifficultyName(int d) {
    static const std::vector<std::string> names(std::begin(kDifficulties), std::end(kDifficulties));
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
        "; Heads-up of the demo's sets: the side panel (1), the lives bar (2) and the bottom bar (3).",
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
    };
    std::string text;
    for (const char* line : kLines) text += std::string(line) + "\r\n";
    return text;
}

}  // namespace datagen::demo

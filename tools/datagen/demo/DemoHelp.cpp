// The help page ("Index.htm") and the help text ("Help/Sprallion_419.TXT"): how to play,
// the keys, the prizes, the monsters, ranks and medals. One source, two forms. And the
// hall-of-fame page's header and footer, in the same style.
#include <cstdio>
#include <string>
#include <vector>

#include "rtl/Text.h"
#include "tools/datagen/demo/DemoTexts.h"

namespace datagen::demo {
namespace {

struct Section {
    const char* title;
    std::vector<std::pair<const char*, const char*>> items;  // term, explanation
    const char* text = nullptr;
};

const std::vector<Section>& Sections() {
    static const std::vector<Section> sections{
        {"Цель игры", {},
         "Отбивайте мяч ракеткой и разбейте им все кирпичи уровня. Стальные кирпичи не разбиваются, а "
         "особые кирпичи со светящимися знаками не нужно разбивать: они лишь меняют полёт мяча. Потеряв "
         "все мячи, вы теряете жизнь; когда жизни кончатся, игра окончена."},
        {"Управление",
         {{"Стрелки влево и вправо, мышь", "двигать ракетку"},
          {"Пробел, левая кнопка мыши", "запустить мяч, выстрелить"},
          {"Shift, правая кнопка мыши", "копить заряд пушки; полный заряд даёт залп"},
          {"P", "пауза"},
          {"F1", "справка"},
          {"F8", "настройки"},
          {"F7", "снимок экрана"},
          {"F9, Esc", "завершить игру"},
          {"F12", "выйти из программы"}}},
        {"Призы",
         {{"Широкая ракетка", "ракетка становится шире"},
          {"Три мяча", "мяч делится на несколько"},
          {"Большой мяч", "мяч растёт и бьёт сильнее"},
          {"Пушка", "на ракетке появляется оружие"},
          {"Призрачный мяч", "мяч пролетает сквозь кирпичи"},
          {"Мяч-землетрясение", "мяч сотрясает кирпичи вокруг себя"},
          {"Ловушка", "ракетка ловит мяч; пробел запускает его снова"},
          {"Пол", "на время закрывает низ поля"},
          {"Страж", "вдоль пола бегает помощник"},
          {"Полёт", "ракетка может подниматься над полом"},
          {"Охотник", "все чудовища погибают"},
          {"Огненный мяч", "быстрый и опасный мяч"},
          {"Ускорение", "ракетка движется быстрее"},
          {"Монета", "только очки"},
          {"Буквы", "соберите все семь букв и получите три жизни"},
          {"Узкая ракетка, оглушение, замедление, медленный мяч", "мешают, зато приносят много очков"},
          {"Череп", "стоит жизни"},
          {"Выход", "коснитесь кристалла ракеткой, чтобы сразу пройти уровень"}}},
        {"Чудовища",
         {{"Глаз", "бродит по полю"},
          {"Вертушка", "кружит и меняет курс"},
          {"Медуза", "охотится за мячом"},
          {"Тарелка и бомбардировщик", "быстры; задетый бомбардировщик злится и начинает охоту"}}},
        {"Звания и медали", {},
         "Каждые несколько уровней вас повышают в звании — от рядового до генералиссимуса. Медали даются "
         "за рекорд очков на уровне, за уровни без потерь, за охоту на чудовищ, за меткую стрельбу и другие "
         "подвиги. Повторная медаль приносит дополнительную жизнь. Лучшие результаты попадают в зал славы."},
    };
    return sections;
}

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '&': out += "&amp;"; break;
            default: out += c;
        }
    }
    return out;
}

}  // namespace

std::string HelpPage() {
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n<title>Спраллион — справка</title>\n"
        "<style>\nbody { background: #0c1020; color: #e8e0d0; font-family: sans-serif; margin: 2em 10%; }\n"
        "h1 { color: #ffc040; } h2 { color: #ffd878; border-bottom: 1px solid #445; }\n"
        "td { padding: 0.2em 1em 0.2em 0; vertical-align: top; } td.term { color: #a0e0ff; white-space: nowrap; }\n"
        "</style>\n</head>\n<body>\n<h1>Спраллион</h1>\n";
    for (const Section& s : Sections()) {
        html += "<h2>" + Escape(s.title) + "</h2>\n";
        if (s.text) html += "<p>" + Escape(s.text) + "</p>\n";
        if (!s.items.empty()) {
            html += "<table>\n";
            for (const auto& [term, what] : s.items)
                html += "<tr><td class=\"term\">" + Escape(term) + "</td><td>" + Escape(what) + "</td></tr>\n";
            html += "</table>\n";
        }
    }
    html += "</body>\n</html>\n";
    return html;
}

std::string HallOfFameHeader() {
    char colour[8];
    std::snprintf(colour, sizeof colour, "#%06X", kHallOfFameColour);
    return std::string("<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n") +
           "<title>Спраллион — зал славы</title>\n<style>\n"
           "body { background: " + colour + "; color: #faebd7; font-family: sans-serif; margin: 1em 5%; }\n"
           "h1 { color: #ffc040; text-align: center; } p { color: #b8b0a0; text-align: center; }\n"
           "table { border-collapse: collapse; } th { color: #ffd878; }\n"
           "td, th { border: 1px solid #334; padding: 4px 8px; } img { vertical-align: middle; }\n"
           "</style>\n</head>\n<body>\n<h1>Спраллион: зал славы</h1>\n";
}

std::string HallOfFameFooter() {
    return "  </TBODY>\n</TABLE>\n<p>Лучшие игры, сыгранные на этом компьютере.</p>\n</body>\n</html>\n";
}

std::string HelpText() {
    std::string text = "СПРАЛЛИОН\r\n=========\r\n";
    for (const Section& s : Sections()) {
        text += "\r\n" + std::string(s.title) + "\r\n";
        if (s.text) text += std::string(s.text) + "\r\n";
        for (const auto& [term, what] : s.items) text += "  " + std::string(term) + " — " + what + "\r\n";
    }
    return rtl::Utf8ToAnsi(text);
}

}  // namespace datagen::demo

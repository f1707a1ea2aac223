// The in-game menus of the demo: every panel with its widgets, their places, texts and
// pictures, and the main form's handlers each event is bound to (by name). The interface
// description ("Forms"/"GPInterface") is written from this table; the pictures every
// widget's `Paint` names go to the game data's "BMP".
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/datagen/Interface.h"
#include "tools/datagen/demo/DemoClasses.h"

namespace datagen::demo {

// A rectangle on the screen.
struct Area {
    int left = 0, top = 0, width = 0, height = 0;
    bool Empty() const { return width <= 0 || height <= 0; }
};

struct WidgetEntry {
    std::string className;  // "TGPForm", "TGPButton", "TGPLabel", ...
    std::string name;
    // Published properties that differ from the class's defaults, as the interface file
    // stores them: decimal integers, enumeration and boolean names, texts (UTF-8 here).
    std::vector<std::pair<std::string, std::string>> properties;
    // Event property -> the main form's published handler.
    std::vector<std::pair<std::string, std::string>> events;
    std::vector<WidgetEntry> children;
    // A menu panel: where its framed panel lies on the backdrop it draws over the whole
    // screen (empty for other forms and widgets).
    Area frame;

    const std::string* Property(const std::string& property) const;
};

// The forms in the order they are read; "MainPanel" first.
const std::vector<WidgetEntry>& DemoForms();
// The form of that name; nullptr when the table has none.
const WidgetEntry* DemoForm(const std::string& name);

// Every handler name the table binds, once.
std::vector<std::string> BoundHandlers();

// The pictures the widgets' `Paint` names (menu backdrops, panels, buttons, check boxes,
// track bars, grid headers, edits, the title, the logos).
std::vector<DemoPicture> InterfacePictures();

// The interface description ("Forms"/"GPInterface") of the table, each record written from
// a live widget; a loose file names its name-table file at offset 72.
InterfaceFile InterfaceDescriptionFile(const std::string& nameTable = "");
std::string InterfaceDescription(const std::string& nameTable = "");

// The music the main menu plays ("MIDIFile" of "MainPanel").
inline constexpr const char* kMenuTune = "Menu.mid";

}  // namespace datagen::demo

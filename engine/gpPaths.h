// Paths as the game's data writes them, and the resource folders.
//
// Inside the engine a path uses '\' between its parts, as the stored data does; the program
// folder itself is kept in that form too ("\opt\sprallion\"). RealPath turns such a path into
// a path of this file system and finds every part of it whatever its letter case, as the
// original file system did, so data naming "Resource\Cursors.BMP" finds "resource/cursors.bmp".
#pragma once

#include <string>
#include <string_view>

namespace engine {

// '\' and '/' both separate parts; each part that exists under another letter case (the one
// case fold of rtl) is replaced by the stored name. Parts that exist nowhere are kept as
// written, so opening the result fails naming the file.
std::string RealPath(std::string_view path);

// The folders the loaders read from, each ending in '\'. The program folder is the folder
// of the executable, or SPRALLION_HOME when set.
struct TResourceFolders {
    std::string Program;     // the program folder
    std::string Resource;    // "\Resource\"
    std::string Sound;       // "\Resource\Sound\"
    std::string Midi;        // "\Resource\MIDI\"
    std::string Fonts;       // "\Resource\Fonts\"
    std::string Forms;       // "\Resource\Forms\"
    std::string PrnScr;      // "\Resource\PRNSCR\"
};

const TResourceFolders& ResourceFolders();
// Sets every folder from a program folder of this file system (tests, a moved installation).
void SetProgramFolder(std::string_view realFolder);

// The engine's form of a real path: '/' becomes '\'.
std::string DataPath(std::string_view realPath);
// Joins with exactly one '\' between folder and name.
std::string JoinDataPath(std::string_view folder, std::string_view name);

}  // namespace engine

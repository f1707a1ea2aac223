// The main form started as the program starts it: a program folder with the smallest game
// data, a private registry, runtime folder and shell recorder, the headless display.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "app/multinst.h"
#include "platform/registry/Registry.h"
#include "platform/window/Dispatcher.h"
#include "tests/app/AppFixtures.h"
#include "tools/datagen/MinimalGame.h"

namespace apptest {

class StartupTest : public AppTest {
protected:
    StartupTest() { env_.Set("SPRALLION_SHELL", "record:" + dir_.File("shell")); }
    ~StartupTest() override {
        form_.reset();
        app::multinst::ReleaseForTests();
        platform::window::MainDispatcher().PumpAll();
    }

    std::string Home() const { return dir_.File("game"); }
    void WriteGame() const { datagen::WriteMinimalGame(Home()); }

    // FormCreate, then the first show, as the program runs them.
    void Start() {
        form_->FormCreate(form_.get());
        if (!platform::window::TerminateRequested()) form_->Show();
    }

    // The tags of the log's lines ("Class <tag> with message '<text>'."), in order.
    std::vector<std::string> LogTags() const {
        std::vector<std::string> tags;
        std::istringstream in(Log());
        for (std::string line; std::getline(in, line);) {
            const size_t end = line.find(" with message '");
            if (line.rfind("Class ", 0) == 0 && end != std::string::npos) tags.push_back(line.substr(6, end - 6));
        }
        return tags;
    }
    std::vector<std::string> Recorded() const {
        std::ifstream in(dir_.File("shell"));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    static platform::registry::Registry Options() {
        platform::registry::Registry r(platform::registry::RootKey::HKEY_CURRENT_USER);
        r.OpenKey("\\SOFTWARE\\Quorvex\\Sprallion", true);
        return r;
    }
};

}  // namespace apptest

// The script assembler: what each line becomes, and the lines it refuses.
#include <gtest/gtest.h>

#include "engine/gpCode.h"
#include "rtl/Streams.h"
#include "tests/TempDir.h"
#include "tools/datagen/CodeWriter.h"
#include "tools/datagen/Commands.h"

namespace {

std::vector<int32_t> Words(const char* source) {
    const std::vector<datagen::CpcBlock> blocks = datagen::AssembleCpc(source);
    EXPECT_EQ(blocks.size(), 1u);
    return blocks.empty() ? std::vector<int32_t>{} : blocks[0].words;
}

TEST(CodeAssembler, EveryCommandBecomesItsWords) {
    EXPECT_EQ(Words("on VAR\n var ABCDE TGPPHANTOM  # a comment\n"),
              (std::vector<int32_t>{1111, 5, 0x44434241, 0x45, 6}));
    EXPECT_EQ(Words("on 9\n var X 0\n phantom bind X SELF 4\n phantom param X 2 MAP.Y\n phantom align X KERNEL 3\n"),
              (std::vector<int32_t>{1111, 1, 'X', 0, 6, 1, 4, 0, 4, 6, 2, 4, -1, 2, 3, 1, 'Y', 6, 3, 4, 1, 3}));
    EXPECT_EQ(Words("on ONBIRTH\n object bind #7 MYNATION 12\n object bind #-1 SELF.Tag 13\n"),
              (std::vector<int32_t>{7, 1, 7, -1, 2, 12, 7, 1, -1, 0, 3, 0x00676154, 13}));
    EXPECT_EQ(Words("on ONBIRTH\n object create SELF 0x7FFFFFFF -1\n object splinter SELF 1 2 3\n"
                    " object sound SELF 4 5 6\n word 5 0xFFFFFFFF\n string \"a b\"\n"),
              (std::vector<int32_t>{7, 2, 0, -1, 0x7FFFFFFF, -1, -1, 7, 3, 0, -1, 1, -1, 2, -1, 3,
                                    7, 5, 0, -1, 4, -1, 5, -1, 6, 5, -1, 3, 0x00622061}));
    EXPECT_EQ(datagen::AssembleCpc("on VAR\non ONCREATE\n word 1\non VAR\n").size(), 3u);
}

TEST(CodeAssembler, ALineItCannotReadIsNamed) {
    const std::vector<std::pair<const char*, const char*>> bad = {
        {"word 5\n", "line 1"},
        {"on VAR\n var A\n", "line 2"},
        {"on VAR\n\n phantom bind NOBODY SELF 4\n", "line 3"},
        {"on VAR\n phantom fly SELF\n", "line 2"},
        {"on VAR\n word 12x\n", "line 2"},
        {"on VAR\n string \"open\n", "line 2"},
        {"on NOWHERE\n", "line 1"},
    };
    for (const auto& [source, line] : bad) {
        try {
            datagen::AssembleCpc(source);
            ADD_FAILURE() << source;
        } catch (const rtl::EConvertError& e) {
            EXPECT_NE(e.message().find(line), std::string::npos) << e.message();
        }
    }
}

TEST(CodeAssembler, TheCommandLineWritesAScriptTheEngineLoads) {
    TempDir dir;
    dir.Write("brick.txt", "on ONCOLLISION\n object sound SELF 12 0 1\n");
    const datagen::CommandEntry* command = datagen::FindCommand("cpc");
    ASSERT_NE(command, nullptr);
    ASSERT_EQ(command->run({dir.File("brick.txt"), dir.File("brick.cpc")}), 0);
    engine::TGPCode code(nullptr, nullptr);
    code.LoadFromFile({}, dir.File("brick.cpc"));
    ASSERT_NE(code.FindBlock("ONCOLLISION"), nullptr);
    EXPECT_EQ(code.FindBlock("ONCOLLISION")->Count(), 9);
    EXPECT_EQ(command->run({dir.File("brick.txt")}), 2);
}

}  // namespace

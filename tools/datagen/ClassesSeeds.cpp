// Seeds for fuzz_name_tables and fuzz_class_descriptions.
#include <string>

#include "tools/datagen/ClassesWriter.h"
#include "tools/datagen/ObjectWriter.h"
#include "tools/datagen/Seeds.h"

namespace {

datagen::NameTables SmallTables() {
    datagen::NameTables t;
    t.tables[0] = {"Paddle", "Paddle2", "", "Monster"};
    t.tables[1] = {"Wall"};
    t.tables[2] = {"Arrow", "Hand"};
    t.tables[3] = {"Boom", "", "Spark"};
    t.tables[4] = {"Panel", "Font"};
    return t;
}

const datagen::SeedWriter nameSeeds("fuzz_name_tables", [](const datagen::SeedSink& put) {
    put("small", datagen::WriteNameTables(SmallTables()));
    datagen::NameTables full;
    for (int i = 1; i <= 166; ++i) full.tables[0].push_back("Unit" + std::to_string(i));
    for (int i = 1; i <= 35; ++i) full.tables[3].push_back("Effect" + std::to_string(i));
    put("full_units", datagen::WriteNameTables(full));
    full.tables[0].push_back("OneTooMany");
    put("too_many_units", datagen::WriteNameTables(full));
    datagen::NameTables version = SmallTables();
    version.version = 1.0;
    put("wrong_version", datagen::WriteNameTables(version));
    datagen::NameTables signature = SmallTables();
    signature.signature = "GP_RX";
    put("wrong_signature", datagen::WriteNameTables(signature));
});

std::string Slide(int state) {
    return datagen::RecordWriter("TOneSlide", "Slide" + std::to_string(state))
        .Int("IDName", 3)
        .Int("IDCondition", state, datagen::IntEncoding::Int32)
        .Str("IDSlide", "Monster_Move")
        .Int("PatternWidth", 40, datagen::IntEncoding::Int16)
        .Int("HTicksPerChange", 200)
        .Ident("StyleHTicks", "sh_RandomAnimation")
        .Ident("StyleAniSprite", "swOnce")
        .Finish();
}

const datagen::SeedWriter descriptionSeeds("fuzz_class_descriptions", [](const datagen::SeedSink& put) {
    std::string seven;
    for (int s = 1; s <= 7; ++s) seven += Slide(s);
    put("unit_slides", std::string(1, '\0') + seven);
    put("element_slide", std::string(1, '\1') + Slide(1));
    put("cursor", std::string(1, '\2') + datagen::RecordWriter("TOneCursor", "Arrow")
                                             .Int("IDName", 2).Str("IDClasse", "Arrow")
                                             .Int("OffsetX", -4, datagen::IntEncoding::Int8)
                                             .Int("TimeLifes", 9).Finish());
    put("effect", std::string(1, '\3') + datagen::RecordWriter("TOneEffects", "Boom")
                                             .Str("IDClasse", "Boom")
                                             .Real("fiReal", 0.25, datagen::RealEncoding::Double)
                                             .Ident("StyleImposition", "siOffset").Finish());
    put("font_line", std::string(1, '\4') + datagen::RecordWriter("TLineFont", "Digits")
                                                .Int("IDCondition", 3).Int("FlagAnimation", 1)
                                                .Real("fiReal", 2.5).Finish());
    put("interface", std::string(1, '\5') + datagen::RecordWriter("TOneInterface", "Panel")
                                                .Int("Left", 12).Int("Top", 500, datagen::IntEncoding::Int32)
                                                .Int("Direction", -1).Finish());
    put("general_object", std::string(1, '\6') + datagen::RecordWriter("TGPGeneralObject", "Ball")
                                                     .Int("Media", 1).Bool("ProcessingEvents", true)
                                                     .Str("MDName", "Ball_Script")
                                                     .Real("MaxSpeedUp", 1.5)
                                                     .Str("IDWeapon", "3\r\n5\r\n")
                                                     .Int("AddParamInt4", 7).Finish());
    datagen::WeaponDescription volley;
    volley.idFlyClass = 10;
    volley.numberOfStems = 3;
    volley.areaForStem = 10;
    volley.timeOfDelays = 10;
    volley.idSkinType = 1;
    put("weapon", std::string(1, '\7') + datagen::WeaponRecord(volley, "Fire_Bal"));
});

}  // namespace

#include "tools/samplesetups/InstallLog.h"
#include "tools/samplesetups/SampleConfig.h"

#include <gtest/gtest.h>

namespace {

using namespace samplesetups;

TEST(SampleConfig, ReadsEveryKindOfEntry)
{
    auto config = ParseSampleConfig(
        "[Setup]\r\nTitle=Hra\r\nFolder=C:\\Hry\\Hra\r\nProgram=HRA.EXE\r\nCopy=A.DAT,B.DAT\r\n"
        "Make=DATA\\X.DAT:10,Y.DAT:0\r\nLeave=SAVE\\S.SAV:300000\r\nIni=HRA.INI|Setup|Dir\r\nSierra=1\r\nDelayMs=250\r\n");
    ASSERT_TRUE(config);
    EXPECT_EQ(config->copies, (std::vector<std::string> { "A.DAT", "B.DAT" }));
    ASSERT_EQ(config->made.size(), 2u);
    EXPECT_EQ(config->made[0].name, "DATA\\X.DAT");
    EXPECT_EQ(config->made[0].size, 10u);
    EXPECT_EQ(config->leftovers.at(0).size, 300000u);
    ASSERT_TRUE(config->ini);
    EXPECT_EQ(config->ini->section, "Setup");
    EXPECT_TRUE(config->sierra);
    EXPECT_EQ(config->delayMs, 250u);
}

TEST(SampleConfig, HalfMeaningfulTextsAreRefused)
{
    const char* bad[] = {
        "no section at all",
        "[Setup]\nFolder=C:\\X\nMake=A.DAT:ten\n",
        "[Setup]\nFolder=C:\\X\nMake=A.DAT\n",
        "[Setup]\nFolder=C:\\X\nLeave=:5\n",
        "[Setup]\nFolder=C:\\X\nMake=HUGE.DAT:1000000000000\n",
        "[Setup]\nFolder=C:\\X\nIni=A.INI|Setup\n",
        "[Setup]\nFolder=C:\\X\nDelayMs=-1\n",
        "[Setup]\nProgram=HRA.EXE\n", // nowhere to put it
    };
    for (const char* text : bad)
        EXPECT_FALSE(ParseSampleConfig(text)) << text;
    // A game that runs from the disc needs only its title.
    EXPECT_TRUE(ParseSampleConfig("[Setup]\nTitle=Golf\n"));
}

TEST(SampleConfig, KeyIsTheTwoFoldersAboveTheProgram)
{
    EXPECT_EQ(ConfigKeyForProgram("/media/disc/Demos/Rallye/SETUP.EXE"), "DEMOS/RALLYE");
    EXPECT_EQ(ConfigKeyForProgram("/x/Updates/hrad/SETUP.EXE"), "UPDATES/HRAD");
    EXPECT_TRUE(BuiltInConfigText("DEMOS/RALLYE"));
    EXPECT_FALSE(BuiltInConfigText("DEMOS/NOTHING"));
}

TEST(SampleConfig, EveryBuiltInItemIsValid)
{
    for (const char* key : { "DEMOS/RALLYE", "DEMOS/LEGIE", "DEMOS/PRISTAV", "DEMOS/PARENIST", "DEMOS/HLIDKA",
             "DEMOS/PODZEMI", "DEMOS/TANKY", "DEMOS/PIRATI", "DEMOS/BITVA", "DEMOS/FARMA", "DEMOS/SACHY",
             "DEMOS/GOLF", "DEMOS/LIGA", "DEMOS/DRACI", "DEMOS/FORMULE", "PLNA/HRAD", "PLNA/OBCHOD",
             "SHAREWARE/PEXESO", "SHAREWARE/HUDBA", "DRIVERS/GRAFIKA", "DRIVERS/ZVUK", "DRIVERS/KLAVES",
             "READERS/BLUDISTE", "READERS/HAD", "EXTRA/EDITOR", "EXTRA/SPORIC", "UPDATES/PATCH11",
             "UPDATES/LEGIE12", "UPDATES/DIRECTX", "UPDATES/HRAD" }) {
        auto text = BuiltInConfigText(key);
        ASSERT_TRUE(text) << key;
        auto config = ParseSampleConfig(*text);
        ASSERT_TRUE(config) << key;
        EXPECT_FALSE(config->title.empty()) << key;
        // An installed item without an uninstaller could never be taken away again.
        if (!config->folder.empty() && !config->requireFolder) {
            EXPECT_FALSE(config->uninstaller.empty()) << key;
        }
    }
}

TEST(InstallLog, RoundTripsAndRefusesDamage)
{
    InstallLog log;
    log.AddFolder("C:\\Hry\\X");
    log.AddFile("C:\\Hry\\X\\X.EXE");
    log.AddKey("HKLM", "Software\\Torva\\X");
    log.AddValue("HKCU", "Software\\Torva", "Path");
    log.AddIni("X.INI", "Setup", "Dir");
    auto parsed = InstallLog::Parse(log.Serialize());
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->Serialize(), log.Serialize());
    ASSERT_EQ(parsed->Entries().size(), 5u);
    EXPECT_EQ(parsed->Entries()[3].fields, (std::vector<std::string> { "HKCU", "Software\\Torva", "Path" }));

    EXPECT_FALSE(InstallLog::Parse("FILE\tC:\\A\nWIPE\tC:\\\n"));
    EXPECT_FALSE(InstallLog::Parse("KEY\tHKLM\n"));
    EXPECT_FALSE(InstallLog::Parse("FILE\t\n"));
    EXPECT_TRUE(InstallLog::Parse("\r\n\r\n"));
}

}

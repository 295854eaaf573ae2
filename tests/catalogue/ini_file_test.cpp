#include <gtest/gtest.h>

#include "catalogue/ini_file.h"
#include "platform/files.h"
#include "support/foreign_hold.h"
#include "support/temp_folder.h"
#include "support/unprivileged.h"
#include "util/error.h"

#include <filesystem>
#include <random>

using namespace verdan;
using verdan::test::TempFolder;

TEST(IniMatching, NamesIgnoreCaseAndSurroundingBlanks) {
    IniFile ini;
    ini.parse(
        "[General]\n  Label_rep_favori.caption  =  C:\\fav  \n[MEDIA_1]\nEdit_type_media_1_.Text=Vidéos\n");
    EXPECT_EQ(ini.readString("GENERAL", " Label_rep_favori.caption", "?"), "C:\\fav");
    EXPECT_EQ(ini.readString("media_1", "edit_type_media_1_.TEXT", "?"), "Vidéos");
    EXPECT_EQ(ini.readString("MÉDIA", "x", "défaut"), "défaut");
}

TEST(IniMatching, FirstOfDuplicateSectionsAndKeysWins) {
    IniFile ini;
    ini.parse("[A]\nk=1\nk=2\n[a]\nk=3\nj=4\n");
    EXPECT_EQ(ini.readInteger("A", "k", 0), 1);
    // The profile service only looks into the first section of a name.
    EXPECT_EQ(ini.readInteger("A", "j", 0), 0);
    ini.writeInteger("a", "K", 9);
    EXPECT_EQ(ini.serialize(), "[A]\r\nk=9\r\nk=2\r\n[a]\r\nk=3\r\nj=4\r\n");
}

TEST(IniMatching, GarbageLinesAndAMissingBracket) {
    IniFile ini;
    ini.parse("garbage before\n=novalue\n[Broken\nkey=v\nno equals here\n[]\n[Ok]\nx = 5\n");
    EXPECT_EQ(ini.readString("Broken", "key", "?"), "v");
    EXPECT_EQ(ini.readInteger("Ok", "x", 0), 5);
    EXPECT_EQ(ini.readString("Ok", "no equals here", "?"), "?");
}

TEST(IniValues, IntegersDecimalOrHexElseDefault) {
    IniFile ini;
    ini.parse("[S]\na=42\nb=0x1F\nc=0XfF\nd=-3\ne=12abc\nf=\ng=3.5\nh=0x\ni=99999999999999999999\n");
    EXPECT_EQ(ini.readInteger("S", "a", 7), 42);
    EXPECT_EQ(ini.readInteger("S", "b", 7), 31);
    EXPECT_EQ(ini.readInteger("S", "c", 7), 255);
    EXPECT_EQ(ini.readInteger("S", "d", 7), -3);
    for (const char* k : {"e", "f", "g", "h", "i", "absent"}) EXPECT_EQ(ini.readInteger("S", k, 7), 7) << k;
    EXPECT_TRUE(ini.readBool("S", "a", false));
    EXPECT_FALSE(ini.readBool("S", "zero", false));
    EXPECT_TRUE(ini.readBool("S", "e", true));
}

TEST(IniValues, ValuesAreCutAt2047Characters) {
    IniFile ini;
    ini.parse("[S]\nlong=" + std::string(5000, 'x') + "\naccents=" + std::string(3000, '\xE9') + "\n");
    EXPECT_EQ(ini.readString("S", "long", "").size(), 2047u);
    IniFile accented;
    std::string e;
    for (int i = 0; i < 3000; ++i) e += "é";
    accented.parse("[S]\nv=" + e + "\n");
    EXPECT_EQ(accented.readString("S", "v", "").size(), 2047u * 2);
}

TEST(IniWrite, KeepsEverythingElseAndCreatesWhatIsMissing) {
    IniFile ini;
    ini.parse("; commentaire\r\n[Autre]\r\nCle=Valeur\r\n\r\n[GENERAL]\r\nx=1\r\n\r\n[Fin]\r\ny=2\r\n");
    ini.writeString("GENERAL", "nouvelle", "été");
    ini.writeString("GENERAL", "X", "3");
    ini.writeBool("Options", "CheckBox_mode_avancer", true);
    EXPECT_EQ(ini.serialize(),
              "; commentaire\r\n[Autre]\r\nCle=Valeur\r\n\r\n[GENERAL]\r\nx=3\r\nnouvelle=\xE9t\xE9\r\n\r\n"
              "[Fin]\r\ny=2\r\n[Options]\r\nCheckBox_mode_avancer=1\r\n");
}

TEST(IniWrite, ALineBreakInAValueDoesNotCutTheFile) {
    IniFile ini;
    ini.writeString("S", "k", "a\nb");
    ini.writeString("S", "next", "v");
    IniFile back;
    back.parse(ini.serialize());
    EXPECT_EQ(back.readString("S", "k", "?"), "a b");
    EXPECT_EQ(back.readString("S", "next", "?"), "v");
}

class IniFiles : public ::testing::Test {
protected:
    void TearDown() override { platform::setWriteFailureAfter(-1); }
    TempFolder dir;
};

TEST_F(IniFiles, RoundTripInWindows1252) {
    const std::string p = dir.file("verdan.ini");
    IniFile ini(p);
    ini.writeString("GENERAL", "Label_repfic_media.caption", "D:\\Catalogues\\Vidéos d'été");
    ini.save();
    EXPECT_EQ(TempFolder::read(p),
              "[GENERAL]\r\nLabel_repfic_media.caption=D:\\Catalogues\\Vid\xE9os d'\xE9t\xE9\r\n");
    EXPECT_EQ(IniFile::load(p).readString("general", " LABEL_REPFIC_MEDIA.caption", ""),
              "D:\\Catalogues\\Vidéos d'été");
}

TEST_F(IniFiles, MissingOrRandomFileGivesDefaults) {
    EXPECT_EQ(IniFile::load(dir.file("absent.ini")).readInteger("S", "k", 5), 5);
    std::mt19937 rng(1234);
    std::string noise;
    for (int i = 0; i < 100000; ++i) noise.push_back(static_cast<char>(rng()));
    const IniFile ini = IniFile::load(dir.write("noise.ini", noise));
    EXPECT_EQ(ini.readInteger("LISTE", "RadioGroup_index.ItemIndex", 1), 1);
    EXPECT_EQ(ini.readString("GENERAL", "Edit_nom_fic_media.text", "d"), "d");
}

TEST_F(IniFiles, FailedWriteSaysWhereAndKeepsThePreviousFile) {
    const std::string p = dir.write("verdan.ini", "[GENERAL]\r\nx=1\r\n");
    IniFile ini = IniFile::load(p);
    ini.writeString("GENERAL", "x", std::string(10000, 'y'));
    platform::setWriteFailureAfter(100);
    try {
        ini.save();
        FAIL() << "no error";
    } catch (const VerdanError& e) {
        EXPECT_EQ(e.text(), "Impossible d'écrire dans " + p);
    }
    EXPECT_EQ(TempFolder::read(p), "[GENERAL]\r\nx=1\r\n");
}

TEST_F(IniFiles, WriteIntoAMissingFolderSaysWhere) {
    const std::string p = dir.file("disparu") + std::string(1, platform::nativeSeparator()) + "x.prm";
    IniFile ini(p);
    ini.writeInteger("LISTE", "RadioGroup_index.ItemIndex", 1);
    try {
        ini.save();
        FAIL() << "no error";
    } catch (const VerdanError& e) {
        EXPECT_EQ(e.text(), "Impossible d'écrire dans " + p);
    }
}

TEST_F(IniFiles, ReadOnlyFolderSaysWhere) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows guards folders with access lists, not mode bits, and Wine enforces none";
#else
    verdan::test::asUnprivileged({dir.path()}, [&] {
        const std::string p = dir.write("verdan.ini", "[A]\r\nk=1\r\n");
        std::filesystem::permissions(dir.path(),
                                     std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        IniFile ini = IniFile::load(p);
        ini.writeInteger("A", "k", 2);
        EXPECT_THROW(ini.save(), VerdanError);
        std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
        EXPECT_EQ(TempFolder::read(p), "[A]\r\nk=1\r\n");
    });
#endif
}

TEST_F(IniFiles, FileHeldOpenByAnotherProgramSaysWhere) {
    const std::string p = dir.write("verdan.ini", "[A]\r\nk=1\r\n");
    IniFile ini = IniFile::load(p);
    ini.writeInteger("A", "k", 2);
    verdan::test::HeldOpen hold(p);
    if (!hold.whyNot().empty()) GTEST_SKIP() << hold.whyNot();
    try {
        ini.save();
        FAIL() << "no error";
    } catch (const VerdanError& e) {
        EXPECT_EQ(e.text(), "Impossible d'écrire dans " + p);
    }
    EXPECT_EQ(TempFolder::read(p), "[A]\r\nk=1\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(verdan::test::pathFromUtf8(dir.path())), {}),
              1)
        << "temporary file left behind";
}

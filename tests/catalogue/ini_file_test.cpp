#include <gtest/gtest.h>

#include "catalogue/ini_file.h"
#include "platform/files.h"
#include "support/foreign_hold.h"
#include "support/temp_folder.h"
#include "support/unprivileged.h"
#include "support/utf16.h"
#include "util/error.h"

#include <filesystem>
#ifdef __GLIBC__
#include <malloc.h>
#endif
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

TEST(IniValues, MatchingQuotesAreDroppedAsWindowsReadsThem) {
    IniFile ini;
    ini.parse("[GENERAL]\nLabel_rep_favori.caption=\"D:\\Mes favoris\"\nsingle='x y'\nspaced=\"  a  \"\n"
              "empty=\"\"\nlone=\"\nmixed=\"abc'\ninner=a\"b\"\nLeft=\"100\"\n");
    EXPECT_EQ(ini.readString("GENERAL", " Label_rep_favori.caption", "?"), "D:\\Mes favoris");
    EXPECT_EQ(ini.readString("GENERAL", "single", "?"), "x y");
    EXPECT_EQ(ini.readString("GENERAL", "spaced", "?"), "  a  ");
    EXPECT_EQ(ini.readString("GENERAL", "empty", "?"), "");
    EXPECT_EQ(ini.readString("GENERAL", "lone", "?"), "\"");
    EXPECT_EQ(ini.readString("GENERAL", "mixed", "?"), "\"abc'");
    EXPECT_EQ(ini.readString("GENERAL", "inner", "?"), "a\"b\"");
    EXPECT_EQ(ini.readInteger("GENERAL", "Left", 0), 100);
}

TEST(IniWrite, ValuesTheReaderWouldChangeComeBackWhole) {
    const std::vector<std::string> values = {" lead", "trail\t", "'quoted'", "\"dq\"", "\"", "a'b", ""};
    IniFile ini;
    for (std::size_t i = 0; i < values.size(); ++i) ini.writeString("S", "k" + std::to_string(i), values[i]);
    ini.writeString("S", "plain", "D:\\films");
    IniFile back;
    back.parse(ini.serialize());
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(back.readString("S", "k" + std::to_string(i), "?"), values[i]) << i;
    EXPECT_NE(ini.serialize().find("\r\nplain=D:\\films\r\n"), std::string::npos);
}

TEST(IniEncodings, AByteOrderMarkSaysUtf8AndDoesNotHideTheFirstSection) {
    IniFile ini;
    ini.parseBytes("\xEF\xBB\xBF[GENERAL]\r\nLabel_repfic_media.caption=/home/\xC5\x82ukasz/listes\r\n"
                   "Label_rep_favori.caption=D:\\Vid\xE9os\r\n");
    EXPECT_EQ(ini.readString("GENERAL", " Label_repfic_media.caption", "?"), "/home/łukasz/listes");
    // A byte that is no UTF-8 (an editor that kept the mark over Windows-1252 text) is not lost.
    EXPECT_EQ(ini.readString("GENERAL", " Label_rep_favori.caption", "?"), "D:\\Vidéos");
}

TEST(IniEncodings, NotepadUnicodeIsReadAndWrittenBackInOneEncoding) {
    for (IniFile::Scope scope : {IniFile::Scope::Installation, IniFile::Scope::Exchanged}) {
        IniFile ini("x.ini", scope);
        ini.parseBytes(
            verdan::test::utf16le("[GENERAL]\r\nEdit_nom_fic_media.text=séries\r\n[Form1]\r\nLeft=12\r\n"));
        EXPECT_EQ(ini.readString("general", " Edit_nom_fic_media.text", "?"), "séries");
        ini.writeInteger("Form1", "Top", 7);
        const std::string bytes = ini.serialize();
        EXPECT_EQ(bytes, "[GENERAL]\r\nEdit_nom_fic_media.text=s\xE9ries\r\n[Form1]\r\nLeft=12\r\nTop=7\r\n");
    }
    IniFile withSurrogates;
    // A pair of surrogates is one character; a lone one cannot be kept.
    const std::string bytes = verdan::test::utf16le("[S]\nk=") + std::string("\x3D\xD8\x00\xDE\x00\xD8", 6);
    withSurrogates.parseBytes(bytes);
    EXPECT_EQ(withSurrogates.readString("S", "k", "?"), "\xF0\x9F\x98\x80\xEF\xBF\xBD");
}

TEST(IniEncodings, OnlyTheSettingsFileTurnsToUtf8AndOnlyWhenAValueNeedsIt) {
    const std::string folder = "/home/łukasz/Видео";
    IniFile settings("verdan.ini", IniFile::Scope::Installation);
    settings.parse("[Autre]\nCle=\xC3\xA9t\xC3\xA9\n");
    settings.writeString("GENERAL", "Label_repfic_media.caption", folder);
    const std::string bytes = settings.serialize();
    EXPECT_EQ(bytes,
              "\xEF\xBB\xBF[Autre]\r\nCle=été\r\n[GENERAL]\r\nLabel_repfic_media.caption=" + folder + "\r\n");
    IniFile back;
    back.parseBytes(bytes);
    EXPECT_EQ(back.readString("GENERAL", "Label_repfic_media.caption", "?"), folder);
    EXPECT_EQ(back.readString("Autre", "Cle", "?"), "été");

    // Once the value fits again, the file is the Windows-1252 one every version reads.
    IniFile again("verdan.ini", IniFile::Scope::Installation);
    again.parseBytes(bytes);
    again.writeString("GENERAL", "Label_repfic_media.caption", "/home/lukasz");
    EXPECT_EQ(again.serialize(),
              "[Autre]\r\nCle=\xE9t\xE9\r\n[GENERAL]\r\nLabel_repfic_media.caption=/home/lukasz\r\n");

    // A parameter file travels to Windows users: it stays Windows-1252, as the catalogue does.
    IniFile params("x.prm");
    params.writeString("MEDIA_1", "Edit_type_media_1_.Text", "видео");
    EXPECT_EQ(params.serialize(), "[MEDIA_1]\r\nEdit_type_media_1_.Text=?????\r\n");
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

namespace {
// Bytes the allocator has handed out, where the C library says so.
std::optional<std::size_t> heapInUse() {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || __GLIBC_MINOR__ >= 33)
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
#else
    return std::nullopt;
#endif
}
} // namespace

TEST_F(IniFiles, AFileOfBlankLinesCostsMemoryInProportionToItsSize) {
    std::string text;
    for (int i = 0; i < 1000000; ++i) text += "\r\n";
    text += "[GENERAL]\r\nLabel_repfic_media.caption=D:\\listes\r\n";
    const std::string p = dir.write("verdan.ini", text);

    const auto before = heapInUse();
    IniFile ini = IniFile::load(p, IniFile::Scope::Installation);
    const auto loaded = heapInUse();
    if (before && loaded && *loaded > *before) {
        EXPECT_LT(*loaded - *before, 4 * text.size());
    }

    EXPECT_EQ(ini.readString("GENERAL", " Label_repfic_media.caption", "?"), "D:\\listes");
    ini.writeString("GENERAL", "Edit_nom_fic_media.text", "films");
    ini.save();
    EXPECT_EQ(TempFolder::read(p), text + "Edit_nom_fic_media.text=films\r\n");
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

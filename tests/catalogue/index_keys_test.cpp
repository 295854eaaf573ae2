#include <gtest/gtest.h>

#include "catalogue/index_keys.h"
#include "support/fake_ui.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace verdan;
using verdan::test::FakeUi;

namespace {

struct Media {
    std::string titre, ext = ".avi", disque = "FILMS", ns = "1234ABCD", taille = "700 Mo",
                       date = "2020-01-02 03:04", repertoire = ":\\films";
};

// A list without its blank row, with one row per media.
GlobalList listOf(const std::vector<Media>& media) {
    GlobalList t;
    t.removeRows({1});
    int n = 0;
    for (const Media& m : media) {
        t.appendRow({std::to_string(++n), m.disque, "vidéo", m.titre, m.ext, m.date, m.repertoire, m.taille,
                     "E", "USB", m.ns, "1 Go", "2 Go", ""});
    }
    return t;
}

std::vector<std::string> numbers(const GlobalList& t) {
    std::vector<std::string> v;
    for (std::size_t r = 1; r < t.rowCount(); ++r) v.emplace_back(t.cell(r, 0));
    return v;
}

} // namespace

TEST(IndexKey, JoinsTheCellsOfEachLevel) {
    const GlobalList t = listOf({{"Vacances"}});
    EXPECT_EQ(cle_index(t, 1, 0), "Vacances.aviFILMS1234ABCD");
    EXPECT_EQ(cle_index(t, 1, 1), "Vacances.aviFILMS1234ABCD700 Mo");
    EXPECT_EQ(cle_index(t, 1, 2), "Vacances.aviFILMS1234ABCD700 Mo2020-01-02 03:04");
    EXPECT_EQ(cle_index(t, 1, 3), "Vacances.aviFILMS1234ABCD700 Mo2020-01-02 03:04:\\films");
}

TEST(IndexKey, ColumnsAreFoundByHeaderText) {
    GlobalList t = listOf({{"a"}});
    t.setCell(0, 3, "ext");
    t.setCell(0, 4, "titre <<");
    t.setCell(0, 7, "taille >>");
    EXPECT_EQ(cle_index(t, 1, 1), ".aviaFILMS1234ABCD700 Mo");
    t.setCell(0, 10, "serial"); // a foreign header without "NS-disque"
    EXPECT_EQ(cle_index(t, 1, 0), ".aviaFILMS");
}

TEST(IndexKey, CellsAreTakenAsTheyStand) {
    const GlobalList t = listOf({{" a "}});
    EXPECT_EQ(cle_index(t, 1, 0), " a .aviFILMS1234ABCD");
    GlobalList empty;
    EXPECT_EQ(cle_index(empty, 1, 3), "") << "the blank row of an empty list";
}

TEST(KeySetRules, LetterCaseIsIgnored) {
    KeySet keys;
    EXPECT_TRUE(keys.insert("Été à Noël ŒUVRE Ÿ Š"));
    EXPECT_FALSE(keys.insert("été à noël œuvre ÿ š"));
    EXPECT_FALSE(keys.insert("ÉTÉ À NOËL ŒUVRE Ÿ Š"));
    EXPECT_TRUE(keys.contains("éTé à NoËl œuvrE ÿ Š"));
    EXPECT_EQ(keys.size(), 1u);
    EXPECT_FALSE(keys.contains("Ete a Noel OEUVRE Y S")) << "accents are not case";
}

TEST(KeySetRules, ABadByteInAKeyStillLetsItsLettersFold) {
    KeySet keys;
    EXPECT_TRUE(keys.insert("\xC3"
                            "ABC \xFF \xC3\x89T\xC3\x89 ŒUVRE"));
    EXPECT_TRUE(keys.contains("\xC3"
                              "abc \xFF été œuvre"));
    EXPECT_FALSE(keys.contains("\xC3"
                               "abd \xFF été œuvre"));
    std::string text = "\xC3"
                       "ABC \xFF \xC3\x89T\xC3\x89 ŒUVRE";
    const KeySet::Hash folding = KeySet::hashOfFolding(text.data(), text.size());
    const KeySet::Hash direct = KeySet::hashOf("\xC3"
                                               "abc \xFF été œuvre");
    EXPECT_EQ(folding.high, direct.high);
    EXPECT_EQ(folding.low, direct.low);
}

TEST(KeySetRules, OnlyLettersFold) {
    KeySet keys;
    keys.insert("a×b");
    EXPECT_FALSE(keys.contains("a÷b")) << "× and ÷ are not a letter pair";
    EXPECT_TRUE(keys.insert("a-b"));
    EXPECT_TRUE(keys.insert("a_b"));
    EXPECT_TRUE(keys.insert(""));
    EXPECT_FALSE(keys.insert(""));
    EXPECT_TRUE(keys.insert("ss"));
    EXPECT_TRUE(keys.insert("ß")) << "ß has no capital in Windows-1252";
    EXPECT_EQ(keys.size(), 6u);
}

TEST(KeySetRules, ManyKeysThroughGrowthAndClear) {
    KeySet keys;
    for (int i = 0; i < 50000; ++i) ASSERT_TRUE(keys.insert("Clé n°" + std::to_string(i)));
    for (int i = 0; i < 50000; i += 7) ASSERT_TRUE(keys.contains("CLÉ N°" + std::to_string(i)));
    EXPECT_FALSE(keys.contains("Clé n°50000"));
    EXPECT_EQ(keys.size(), 50000u);
    EXPECT_EQ(keys.rowCount(), 50000u);
    EXPECT_LT(keys.memoryUsage(), 50000u * 16 * 2) << "a fingerprint per key, not its text";
    keys.clear();
    EXPECT_EQ(keys.size(), 0u);
    EXPECT_FALSE(keys.contains("Clé n°0"));
    EXPECT_TRUE(keys.insert("clé n°0"));
}

TEST(KeySetRules, CountsFollowRowsAndTheLastRowTakesTheKey) {
    KeySet keys;
    EXPECT_TRUE(keys.add("Été"));
    EXPECT_FALSE(keys.add("ÉTÉ"));
    EXPECT_FALSE(keys.insert("été")) << "insert never counts a row it does not add";
    EXPECT_EQ(keys.countOf("été"), 2u);
    EXPECT_EQ(keys.rowCount(), 2u);
    EXPECT_TRUE(keys.remove("été"));
    EXPECT_TRUE(keys.contains("Été")) << "one row still holds it";
    EXPECT_TRUE(keys.remove("Été"));
    EXPECT_FALSE(keys.contains("Été"));
    EXPECT_FALSE(keys.remove("Été"));
    EXPECT_EQ(keys.size(), 0u);
    EXPECT_EQ(keys.rowCount(), 0u);
}

TEST(KeySetRules, RemovalsKeepEveryOtherKeyFoundThroughGrowth) {
    // Enough keys that runs of the open table overlap and wrap: a key moved back into a freed
    // slot, or one left behind it, shows as a key lost or found twice.
    KeySet keys;
    const int n = 40000;
    for (int i = 0; i < n; ++i) ASSERT_TRUE(keys.add("Clé " + std::to_string(i)));
    for (int i = 0; i < n; i += 3) ASSERT_FALSE(keys.add("CLÉ " + std::to_string(i)));
    for (int i = 0; i < n; i += 2) ASSERT_TRUE(keys.remove("clé " + std::to_string(i)));
    for (int i = 0; i < n; ++i) {
        const bool held = i % 2 == 1 || i % 3 == 0;
        ASSERT_EQ(keys.contains("Clé " + std::to_string(i)), held) << i;
    }
    EXPECT_EQ(keys.size(), static_cast<std::size_t>(n / 2 + (n + 5) / 6));
    EXPECT_EQ(keys.rowCount(), keys.size() + static_cast<std::size_t>((n + 2) / 6))
        << "odd multiples of 3 twice";
    for (int i = 0; i < n; i += 2) ASSERT_EQ(keys.insert("Clé " + std::to_string(i)), i % 3 != 0) << i;
    EXPECT_EQ(keys.size(), static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        ASSERT_EQ(keys.countOf("clé " + std::to_string(i)), i % 3 == 0 && i % 2 ? 2u : 1u) << i;
}

TEST(KeySetRules, KeysThatDifferByTheirLengthOrTheirLastByteStayApart) {
    // The fingerprint reads the text sixteen bytes at a time; what lies past the last whole block,
    // and the length itself, must still tell keys apart. Keys longer than the folding buffer take
    // the general route.
    KeySet keys;
    std::string text;
    for (int length = 0; length <= 600; ++length) {
        ASSERT_TRUE(keys.insert(text)) << length;
        ASSERT_TRUE(keys.insert(text + "b")) << length;
        text += 'A';
    }
    text.clear();
    for (int length = 0; length <= 600; ++length) {
        ASSERT_TRUE(keys.contains(text)) << length;
        ASSERT_FALSE(keys.insert(text + "B")) << length;
        text += 'a';
    }
    EXPECT_EQ(keys.size(), 2u * 601);
}

TEST(IndexerListe, BuildsTheSetAndTheLabels) {
    const GlobalList t = listOf({{"a"}, {"A"}, {"b"}, {"b", ".mkv"}});
    KeySet keys;
    IndexState state;
    indexer_liste(t, keys, 0, false, state);
    EXPECT_EQ(keys.size(), 3u);
    EXPECT_EQ(state.levelCaption, "idx1");
    EXPECT_EQ(state.keyCountCaption, "n-idx = 3");
    EXPECT_EQ(state.collectionKeyCountCaption, "n-idx = 3");
    EXPECT_EQ(keys.countOf("A.AVIfilms1234abcd"), 2u) << "both rows hold it";
    EXPECT_EQ(keys.rowCount(), 4u);
}

TEST(IndexerListe, KeepAddsToTheKeysAlreadyThere) {
    const GlobalList t = listOf({{"a"}});
    KeySet keys;
    keys.insert("something else");
    IndexState state;
    indexer_liste(t, keys, 3, true, state);
    EXPECT_EQ(keys.size(), 2u);
    EXPECT_EQ(state.levelCaption, "idx4");
    indexer_liste(t, keys, 3, false, state);
    EXPECT_EQ(keys.size(), 1u);
    EXPECT_EQ(state.keyCountCaption, "n-idx = 1");
}

TEST(IndexerListe, AnEmptyListHoldsTheEmptyKey) {
    GlobalList t;
    KeySet keys;
    IndexState state;
    indexer_liste(t, keys, 1, false, state);
    EXPECT_EQ(keys.size(), 1u);
    EXPECT_TRUE(keys.contains(""));
    EXPECT_EQ(state.keyCountCaption, "n-idx = 1");
}

TEST(IndexerListe, LevelsDecideWhatIsTheSameFile) {
    Media one{"film"};
    Media otherFolder = one;
    otherFolder.repertoire = ":\\autre";
    Media otherDisk = one;
    otherDisk.ns = "99999999";
    const GlobalList t = listOf({one, otherFolder, otherDisk});
    KeySet keys;
    IndexState state;
    indexer_liste(t, keys, 0, false, state);
    EXPECT_EQ(keys.size(), 2u) << "idx1: the folder does not count, the serial does";
    indexer_liste(t, keys, 3, false, state);
    EXPECT_EQ(keys.size(), 3u);
}

class ReindexerListe : public ::testing::Test {
protected:
    KeySet keys;
    IndexState state;
    FakeUi ui;
};

TEST_F(ReindexerListe, NoDuplicateChangesNothing) {
    GlobalList t = listOf({{"a"}, {"b"}});
    EXPECT_EQ(reindexer_liste(t, keys, 1, state, ui), ReindexOutcome::NoDuplicate);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "  Aucun doublon détecté  ");
    EXPECT_EQ(ui.shown[0].type, DialogType::Information);
    EXPECT_EQ(t.rowCount(), 3u);
    EXPECT_EQ(keys.size(), 2u);
}

TEST_F(ReindexerListe, TopMostRowOfEachKeySurvivesInOrder) {
    GlobalList t = listOf({{"Film"}, {"b"}, {"FILM"}, {"c"}, {"film"}, {"B"}});
    t.ListModified = false;
    ui.answers = {DialogButton::Yes};
    int refreshes = 0;
    std::size_t rowsSeenByRefresh = 0;
    const auto outcome = reindexer_liste(t, keys, 0, state, ui, [&] {
        ++refreshes;
        rowsSeenByRefresh = t.rowCount();
    });
    EXPECT_EQ(outcome, ReindexOutcome::Cleaned);
    EXPECT_EQ(numbers(t), (std::vector<std::string>{"1", "2", "4"}));
    EXPECT_EQ(t.cell(1, 3), "Film");
    EXPECT_FALSE(t.ListModified) << "re-indexing leaves the flag alone";
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(rowsSeenByRefresh, 4u);
    EXPECT_EQ(keys.size(), 3u);
    EXPECT_EQ(state.keyCountCaption, "n-idx = 3");
    EXPECT_EQ(state.collectionKeyCountCaption, "n-idx = 3");
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[0].text,
              "  Nettoyer la liste globale de 6 médias des 3 doublons dûs au changement d'index ");
    EXPECT_EQ(ui.shown[0].type, DialogType::Confirmation);
    EXPECT_EQ(ui.shown[0].buttons, (std::vector<DialogButton>{DialogButton::Yes, DialogButton::No}));
    EXPECT_EQ(ui.shown[1].text, "  Réinitialisation effectuée, la liste a diminuée de 6 à 3 médias\n\n"
                                "  nombre de doublons dûs au changement d'index : 3");
    EXPECT_EQ(ui.shown[1].type, DialogType::Information);
    EXPECT_EQ(ui.busy, (std::vector<bool>{true, false}));
}

TEST_F(ReindexerListe, DecliningKeepsTheRowsButTheSetIsRebuilt) {
    GlobalList t = listOf({{"a"}, {"A"}});
    keys.insert("old key");
    ui.answers = {DialogButton::No};
    EXPECT_EQ(reindexer_liste(t, keys, 2, state, ui), ReindexOutcome::Declined);
    EXPECT_EQ(t.rowCount(), 3u);
    EXPECT_EQ(keys.size(), 1u);
    EXPECT_FALSE(keys.contains("old key"));
    EXPECT_EQ(state.levelCaption, "idx3");
    EXPECT_TRUE(ui.busy.empty());
}

TEST_F(ReindexerListe, LoweringTheLevelFromIdx4ToIdx1) {
    Media upper{"film"};
    Media lower = upper;
    lower.repertoire = ":\\copie";
    GlobalList t = listOf({upper, {"autre"}, lower});
    EXPECT_EQ(reindexer_liste(t, keys, 3, state, ui), ReindexOutcome::NoDuplicate);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "  Aucun doublon détecté  ");
    EXPECT_EQ(ui.shown[0].buttons, std::vector<DialogButton>{DialogButton::Ok});

    ui.answers = {DialogButton::Yes};
    EXPECT_EQ(reindexer_liste(t, keys, 0, state, ui), ReindexOutcome::Cleaned);
    EXPECT_EQ(numbers(t), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(ui.shown[2].text, "  Réinitialisation effectuée, la liste a diminuée de 3 à 2 médias\n\n"
                                "  nombre de doublons dûs au changement d'index : 1");
}

TEST(IndexLevelControlsRules, TheSwitchUnlocksAndReinitLocksAgain) {
    IndexLevelControls c;
    IndexState state;
    c.setProtection(true);
    c.firstActivation();
    EXPECT_FALSE(c.modificationAllowed);
    EXPECT_FALSE(c.radioGroupEnabled);
    EXPECT_FALSE(c.reinitEnabled);

    c.setProtection(true);
    EXPECT_TRUE(c.radioGroupEnabled);
    EXPECT_TRUE(c.reinitEnabled);

    state.keyCountCaption = "n-idx = 5";
    c.chooseLevel(0, state);
    EXPECT_EQ(c.itemIndex, 0);
    EXPECT_FALSE(c.radioGroupEnabled) << "the group locks itself";
    EXPECT_TRUE(c.reinitEnabled);
    EXPECT_TRUE(c.modificationAllowed);
    EXPECT_EQ(state.levelCaption, "idx1");
    EXPECT_EQ(state.keyCountCaption, "n-idx = 5") << "the set is not rebuilt";

    GlobalList t = listOf({{"a"}, {"A"}});
    KeySet keys;
    FakeUi ui;
    ui.answers = {DialogButton::Yes};
    EXPECT_EQ(c.reinitClick(t, keys, state, ui), ReindexOutcome::Cleaned);
    EXPECT_EQ(t.rowCount(), 2u);
    EXPECT_FALSE(c.modificationAllowed);
    EXPECT_FALSE(c.radioGroupEnabled);
    EXPECT_FALSE(c.reinitEnabled);
}

TEST(IndexLevelControlsRules, ALevelFromAParameterFileIsClamped) {
    IndexLevelControls c;
    IndexState state;
    c.chooseLevel(7, state);
    EXPECT_EQ(c.itemIndex, 3);
    EXPECT_EQ(state.levelCaption, "idx4");
}

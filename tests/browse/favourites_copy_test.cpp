#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "browse/favourites_copy.h"
#include "browse/marks.h"
#include "browse_fixture.h"
#include "catalogue/file_copy.h"
#include "platform/files.h"
#include "platform/system.h"
#include "util/cp1252.h"
#include "util/error.h"
#include "util/format.h"

using namespace verdan;
using namespace verdan::test;

namespace {

struct RecordingView : CopyView {
    int repaints = 0;
    std::vector<std::string> counters; // Label18 as it was painted, each value once
    std::function<void()> onRepaint;
    const BrowseState* browse = nullptr;
    void copyProgressChanged() override {
        ++repaints;
        if (browse && (counters.empty() || counters.back() != browse->copyPanel.counter))
            counters.push_back(browse->copyPanel.counter);
        if (onRepaint) onRepaint();
    }
};

const std::string kSummaryTail = " demandées  \n\n            les autres existant déjà (ou stop demandé)";

} // namespace

// Rows of a present disk ("mnt", serial 1234ABCD) and of an absent one, a favourites folder.
class FavouritesCopy : public ::testing::Test, public BrowseFixture {
protected:
    FavouritesCopy() {
        platform::createFolders(folder("films"));
        platform::createFolders(favourites());
        program.globalList.favouritesCaption = favourites();
        drives = {{driveCell(), "FILMS", "1234ABCD"}};
        view.browse = &browse;
        browse.tick = [this] { return now; };
    }
    std::string favourites() const { return dir.file("favoris"); }
    std::string inFavourites(const std::string& name) const { return favourites() + kSep + name; }
    // A marked row of the present disk whose file holds `bytes`.
    std::size_t present(const std::string& title, const std::string& bytes,
                        const std::string& size = "1 Ko") {
        dir.write("mnt/films/" + title + ".avi", bytes);
        return addRow(title, size, "FILMS", "1234ABCD");
    }
    std::size_t addRow(const std::string& title, const std::string& size, const std::string& disk,
                       const std::string& serial) {
        Media m;
        m.title = title;
        m.size = size;
        m.disk = disk;
        m.serial = serial;
        m.folder = folderCell("films");
        m.mark = kMark;
        return add(m);
    }
    std::vector<std::string> marks() { return column(list(), " x"); }
    void copyMarked(const RowSet& selection = {}) {
        Button_copie_multipleClick(program, browse, ui, view, drives, selection);
    }
    std::vector<std::string> favouriteNames() const {
        std::vector<std::string> names = platform::folderEntries(favourites());
        std::sort(names.begin(), names.end());
        return names;
    }

    DriveRows drives;
    RecordingView view;
    std::uint32_t now = 5000;
};

TEST_F(FavouritesCopy, PresentFilesAreCopiedAbsentOnesListedWithTheirMarksKept) {
    present("Alien", "alien bytes");
    addRow("Loin", "12 oct", "ABSENT", "0000FFFF");
    present("Brazil", std::string(600000, 'b'), "1 Ko"); // its size text understates it
    Media unmarked;
    unmarked.title = "NonCoche";
    unmarked.folder = folderCell("films");
    add(unmarked);
    dir.write("mnt/films/NonCoche.avi", "n");
    ui.answers = {DialogButton::Yes};

    copyMarked();

    EXPECT_EQ(TempFolder::read(inFavourites("Alien.avi")), "alien bytes");
    EXPECT_EQ(TempFolder::read(inFavourites("Brazil.avi")), std::string(600000, 'b'));
    // The absent disk's file is planned for its return, beside the list of missing sources.
    EXPECT_EQ(favouriteNames(),
              (std::vector<std::string>{"Alien.avi", "Brazil.avi", "a_rapatrier.txt", kMissingSourcesFile}));
    // The absent disk's name leads its folder: the user knows which disk to plug in.
    const std::string expectedMissing = "ABSENT" + folderCell("films") + "\\Loin.avi";
    EXPECT_EQ(TempFolder::read(inFavourites(kMissingSourcesFile)),
              cp1252::encode(" Fichiers inexistants mais listés !\r\n\r\n" + expectedMissing + "\r\n"));
    EXPECT_EQ(marks(), (std::vector<std::string>{"", kMark, "", ""}));
    EXPECT_EQ(browse.markCountCaption, "1");

    const std::int64_t planned = 1024 + 12 + 1024;
    EXPECT_EQ(ui.texts(),
              (std::vector<std::string>{
                  "Copier les 3 fichiers cochés vers les favoris ? \n\n   représentant au Total  " +
                      FormatTaille(planned) + "\n\n   et sans les doublons  " + FormatTaille(planned),
                  "  ==== certains fichier(s) source sont inexistant(s) ===== \n\n       liste enregistrée "
                  "dans : " +
                      inFavourites(kMissingSourcesFile),
                  "2 copies effectuées sur 3" + kSummaryTail}));
    // The missing file's signal and the closing one.
    EXPECT_EQ(ui.sounds.size(), 6u);
    EXPECT_EQ(view.counters, (std::vector<std::string>{"-- / 3", "1 / 3", "2 / 3"}));
    EXPECT_FALSE(browse.copyPanel.visible);
    EXPECT_FALSE(browse.missingSourcesShown);
    EXPECT_FALSE(program.copyRunning);
    EXPECT_EQ(ui.busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(browse.copyPanel.batchBar, 10000); // the real sizes came to more than planned: capped
}

TEST_F(FavouritesCopy, ExistingDestinationsAreSkippedOrOverwrittenAsAnswered) {
    present("Alien", "new alien", "1 Ko");
    present("Brazil", "new brazil", "2 Ko");
    dir.write("favoris/Alien.avi", "old alien");
    const std::string question =
        " 1 fichier(s) de destination déjà existant(s) : \n\n (Oui) sauter les existants  : " +
        FormatTaille(2048) + "\n\n (Non) écraser tous          : " + FormatTaille(3072);

    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    copyMarked();
    EXPECT_EQ(ui.shown[0].text,
              "Copier les 2 fichiers cochés vers les favoris ? \n\n   représentant au Total  " +
                  FormatTaille(3072) + "\n\n   et sans les doublons  " + FormatTaille(2048));
    EXPECT_EQ(ui.shown[1].text, question);
    EXPECT_EQ(ui.shown.back().text, "1 copies effectuées sur 1" + kSummaryTail);
    EXPECT_EQ(TempFolder::read(inFavourites("Alien.avi")), "old alien");
    EXPECT_EQ(TempFolder::read(inFavourites("Brazil.avi")), "new brazil");
    EXPECT_EQ(marks(), (std::vector<std::string>{"", ""})); // a skipped row is handled too

    // Both there now: skipping them all copies nothing, and says so.
    SetAllMarks(list(), kMark);
    ui.shown.clear();
    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    copyMarked();
    EXPECT_EQ(ui.shown.back().text, "0 copies effectuées sur 0" + kSummaryTail);
    EXPECT_EQ(marks(), (std::vector<std::string>{"", ""}));

    SetAllMarks(list(), kMark);
    ui.shown.clear();
    ui.answers = {DialogButton::Yes, DialogButton::No};
    copyMarked();
    EXPECT_EQ(ui.shown.back().text, "2 copies effectuées sur 2" + kSummaryTail);
    EXPECT_EQ(TempFolder::read(inFavourites("Alien.avi")), "new alien");

    SetAllMarks(list(), kMark);
    ui.shown.clear();
    ui.answers = {DialogButton::Yes, DialogButton::Cancel};
    copyMarked();
    EXPECT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(marks(), (std::vector<std::string>{kMark, kMark}));
    EXPECT_FALSE(browse.copyPanel.visible);
    EXPECT_FALSE(program.copyRunning);
}

TEST_F(FavouritesCopy, NothingMarkedOffersToMarkTheSelection) {
    present("Alien", "a");
    present("Brazil", "b");
    present("Casablanca", "c");
    SetAllMarks(list(), "");
    const std::string offer =
        "  Aucun fichier de coché pour la copie           \n\n   Cocher et copier les fichiers "
        "sélectionnés ?   ";

    ui.answers = {DialogButton::No};
    copyMarked({1, 3});
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{offer}));
    EXPECT_TRUE(favouriteNames().empty());
    EXPECT_FALSE(browse.copyPanel.visible);

    // Nothing highlighted either: nothing gets marked and the question is not asked in a loop.
    ui.shown.clear();
    ui.answers = {DialogButton::Yes};
    copyMarked({});
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{offer}));

    ui.shown.clear();
    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    copyMarked({1, 3});
    EXPECT_EQ(ui.shown.back().text, "2 copies effectuées sur 2" + kSummaryTail);
    EXPECT_EQ(favouriteNames(), (std::vector<std::string>{"Alien.avi", "Casablanca.avi"}));
    EXPECT_FALSE(browse.copyPanel.visible);
}

TEST_F(FavouritesCopy, StopDuringTheThirdOfFiveFilesLeavesNoPartOfIt) {
    for (const char* t : {"Un", "Deux", "Trois", "Quatre", "Cinq"}) present(t, std::string(700000, t[0]));
    // "Annuler" pressed while the third file is being copied.
    ui.onProcessEvents = [&] {
        if (browse.copyPanel.counter == "3 / 5" && browse.copyPanel.fileBar > 0) program.StopRequested = true;
    };
    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    copyMarked();

    EXPECT_EQ(favouriteNames(), (std::vector<std::string>{"Deux.avi", "Un.avi"}));
    EXPECT_EQ(marks(), (std::vector<std::string>{"", "", "", kMark, kMark}));
    EXPECT_EQ(ui.shown[1].text, " Arrêter la copie ?");
    EXPECT_EQ(ui.shown.back().text, "2 copies effectuées sur 5" + kSummaryTail);
    EXPECT_FALSE(program.copyRunning);

    // Started again, it finishes what is left.
    ui.onProcessEvents = nullptr;
    ui.shown.clear();
    ui.answers = {DialogButton::Yes};
    copyMarked();
    EXPECT_EQ(ui.shown.back().text, "2 copies effectuées sur 2" + kSummaryTail);
    EXPECT_EQ(favouriteNames().size(), 4u);
}

TEST_F(FavouritesCopy, ANoToTheStopQuestionLetsTheCopyFinishWithoutAskingAgain) {
    present("Un", std::string(600000, 'u'));
    present("Deux", std::string(600000, 'd'));
    bool pressed = false;
    ui.onProcessEvents = [&] {
        if (!pressed && browse.copyPanel.fileBar > 0) pressed = program.StopRequested = true;
    };
    ui.answers = {DialogButton::Yes, DialogButton::No};
    copyMarked();
    EXPECT_EQ(ui.shown[1].text, " Arrêter la copie ?");
    EXPECT_EQ(ui.shown.size(), 3u);
    EXPECT_EQ(ui.shown.back().text, "2 copies effectuées sur 2" + kSummaryTail);
    EXPECT_EQ(favouriteNames().size(), 2u);
    EXPECT_FALSE(program.StopRequested);
}

TEST_F(FavouritesCopy, ErrorsEndTheCopyWithTheFileNamedAndNothingHalfWritten) {
    present("Un", std::string(600000, 'u'));
    present("Deux", std::string(600000, 'd'));
    // The disk fills up during the first file.
    platform::faults::failOperation(2, true);
    ui.answers = {DialogButton::Yes};
    try {
        copyMarked();
        ADD_FAILURE() << "no error";
    } catch (const VerdanError& e) {
        EXPECT_EQ(e.text(), "Impossible d'écrire dans " + inFavourites("Un.avi") +
                                "\n\n  Le disque est peut-être plein.");
    }
    platform::faults::failOperation(0);
    EXPECT_TRUE(favouriteNames().empty()); // no temporary file either
    EXPECT_FALSE(browse.copyPanel.visible);
    EXPECT_FALSE(program.copyRunning);
    EXPECT_EQ(ui.busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(marks(), (std::vector<std::string>{kMark, kMark}));
    EXPECT_EQ(TempFolder::read(file("Un.avi")), std::string(600000, 'u')); // the source untouched
}

TEST_F(FavouritesCopy, AFailureToCreateACopyIsToldAsItIsNotAsARefusedName) {
    // How many file operations the copy of one file takes, to make the second file's creation fail
    // once, as a disk that is full for a moment or an input/output error would.
    present("Un", "u");
    ui.answers = {DialogButton::Yes};
    platform::faults::failOperation(0);
    copyMarked();
    const long long perFile = platform::faults::operationsSeen();
    platform::removeFile(inFavourites("Un.avi"));
    SetAllMarks(list(), kMark);
    present("Deux", "d");
    present("Trois", "t");

    ui.shown.clear();
    ui.answers = {DialogButton::Yes};
    platform::faults::failOperation(perFile + 1);
    try {
        copyMarked();
        ADD_FAILURE() << "no error";
    } catch (const VerdanError& e) {
        EXPECT_EQ(e.text(), "Impossible de créer le fichier " + inFavourites("Deux.avi") +
                                "\n\n  Erreur d'entrée-sortie.");
    }
    platform::faults::failOperation(0);
    EXPECT_EQ(favouriteNames(), (std::vector<std::string>{"Un.avi"}));
    EXPECT_EQ(marks(), (std::vector<std::string>{"", kMark, kMark}));
    EXPECT_EQ(browse.markCountCaption, "2") << "the counter follows the marks";
}

#ifndef _WIN32
TEST_F(FavouritesCopy, ACopyKilledMidwayLeavesATemporaryFileThatTheNextCopyRemoves) {
    const std::string big = dir.write("mnt/films/Grand.avi", std::string(4 * 262144, 'g'));
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<char> buffer(262144);
        copyThroughTemporary(big, favourites(), "Grand.avi", buffer, [](std::int64_t) {
            ::sleep(30);
            return true;
        });
        ::_exit(0);
    }
    for (int i = 0; i < 500 && favouriteNames().empty(); ++i) ::usleep(10000);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    const std::vector<std::string> left = favouriteNames();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(platform::temporaryNameOwner(left[0]), pid);

    present("Un", "u");
    ui.answers = {DialogButton::Yes};
    copyMarked();
    EXPECT_EQ(favouriteNames(), (std::vector<std::string>{"Un.avi"}));
}
#endif

TEST(FileNames, WhatEachSystemRefuses) {
    for (const char* name : {"", ".", "..", "a/b"}) EXPECT_FALSE(platform::acceptableFileName(name)) << name;
    EXPECT_TRUE(platform::acceptableFileName("Alien 2 (1986) - Director's cut.avi"));
    const bool windows = BrowseFixture::kWindows;
    for (const char* name :
         {"Quoi?.avi", "a:b.avi", "a*b", "a\"b", "fin.", "fin ", "CON", "con.avi", "LPT1.txt", "tab\tname"})
        EXPECT_EQ(platform::acceptableFileName(name), !windows) << name;
    EXPECT_TRUE(platform::acceptableFileName("CONTE.avi"));
    EXPECT_TRUE(platform::acceptableFileName("COM0.avi"));
}

TEST_F(FavouritesCopy, MissingFavouritesFolderCopiesNothing) {
    present("Un", "u");
    program.globalList.favouritesCaption = dir.file("nulle-part");
    copyMarked();
    EXPECT_EQ(ui.texts(),
              (std::vector<std::string>{" Répertoire <" + dir.file("nulle-part") + "> inexistant "}));
    browse.contextPanel.fileName = "Un.avi";
    copyOneToFavourites(program, browse, ui, view, file("Un.avi"));
    EXPECT_EQ(ui.shown.back().text,
              " Répertoire favoris inexistant <" + dir.file("nulle-part") + "> ...    ");
    EXPECT_FALSE(browse.copyPanel.visible);
}

TEST_F(FavouritesCopy, SingleCopyShowsThePanelsTextsAndOverwritesWithoutAsking) {
    present("Un", std::string(700000, 'u'), "683,59 Ko");
    dir.write("favoris/Un.avi", "old");
    browse.contextPanel = {true, "Un.avi", folder("films"), "683,59 Ko", {}};
    std::vector<std::string> seen;
    view.onRepaint = [&] {
        if (browse.copyPanel.visible)
            seen.push_back(browse.copyPanel.fileName + "|" + browse.copyPanel.folder + "|" +
                           browse.copyPanel.total + "|" + browse.copyPanel.counter + "|" +
                           (browse.copyPanel.batchBarVisible ? "2" : "1"));
    };
    copyOneToFavourites(program, browse, ui, view, file("Un.avi"));
    EXPECT_EQ(TempFolder::read(inFavourites("Un.avi")), std::string(700000, 'u'));
    EXPECT_TRUE(ui.shown.empty());
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), "Un.avi|" + folder("films") + "|683,59 Ko||1");
    EXPECT_FALSE(browse.contextPanel.visible);
    EXPECT_FALSE(browse.copyPanel.visible);
    EXPECT_EQ(browse.copyPanel.fileBar, 10000);
}

TEST_F(FavouritesCopy, SpeedAndRemainingTimeFollowTheClock) {
    // Three blocks and the end; the clock moves 600 ms at every block.
    present("Un", std::string(3 * 262144, 'u'), "768 Ko");
    present("Deux", std::string(3 * 262144, 'd'), "768 Ko");
    std::vector<std::string> speeds, remaining;
    ui.onProcessEvents = [&] {
        now += 600;
        speeds.push_back(browse.copyPanel.speed);
        remaining.push_back(browse.copyPanel.remaining);
    };
    ui.answers = {DialogButton::Yes};
    copyMarked();
    // File 1: its blocks end at +0, +600, +1200 (past a second: a refresh) and the empty read at
    // +1800. The refresh: 0,75 Mo in 1,2 s, and half of the 1,5 Mo planned took 1200 ms.
    ASSERT_GE(speeds.size(), 4u);
    EXPECT_EQ(speeds[1], "0 Mo/s");
    EXPECT_EQ(remaining[1], "--:--");
    EXPECT_EQ(speeds[2], speedText(0.75 / 1.2) + " Mo/s");
    EXPECT_EQ(remaining[2], FormatDureeHMS(1200));
    // Its average after the loop: 0,75 Mo in 2,4 s.
    EXPECT_EQ(browse.copyPanel.speed, "Vitesse moyenne : " + speedText(0.75 / 2.4) + " Mo/s");
}

TEST(CopyTexts, RemainingTimeRoundsHalvesToEvenAndNeverGoesBelowZero) {
    EXPECT_EQ(remainingTimeText(0, 2000, 1000, 500), FormatDureeHMS(2000));
    EXPECT_EQ(remainingTimeText(0, 1999, 3, 2), FormatDureeHMS(1000));  // 999,5 ms rounds to 1000
    EXPECT_EQ(remainingTimeText(0, 1000, 100, 150), FormatDureeHMS(0)); // real sizes beyond the plan
    EXPECT_EQ(remainingTimeText(0, 1000, 100, 0), "");                  // no estimate before a byte
    // A tick that wrapped still measures the time since the start.
    EXPECT_EQ(remainingTimeText(0xFFFFFC18u, 1000, 2, 1), FormatDureeHMS(2000));
    // An estimate beyond 49 days stays a duration rather than wrapping to a small one.
    EXPECT_EQ(remainingTimeText(0, 1000000, 4'000'000'000'000, 1), FormatDureeHMS(0xFFFFFFFFu));
    const std::string sep = platform::decimalSeparator();
    EXPECT_EQ(speedText(12.345), "12" + sep + "35");
    EXPECT_EQ(speedText(0), "0" + sep + "00");
}

TEST(CopyTexts, SizeTextsInBytesCountInThePlannedTotal) {
    EXPECT_EQ(ParseTaille("512 oct"), 512);
}

TEST(FileCopy, FilesOver4GiBAreCopiedAndCountedWhole) {
    TempFolder dir;
    const std::string source = dir.file("grand.bin");
    const std::int64_t size = (std::int64_t{1} << 32) + 123457;
    { std::ofstream(pathFromUtf8(source), std::ios::binary) << "début"; }
    std::filesystem::resize_file(pathFromUtf8(source), static_cast<std::uintmax_t>(size));
    {
        std::fstream f(pathFromUtf8(source), std::ios::binary | std::ios::in | std::ios::out);
        f.seekp(size - 3);
        f << "fin";
    }
    EXPECT_EQ(FileSize64(source), size);
    std::vector<char> buffer;
    std::int64_t last = 0;
    const std::string destination = dir.file("copie.bin");
    ASSERT_EQ(copyThroughTemporary(source, dir.path(), "copie.bin", buffer,
                                   [&](std::int64_t done) {
                                       last = done;
                                       return true;
                                   }),
              CopyResult::Copied);
    EXPECT_EQ(last, size);
    EXPECT_EQ(FileSize64(destination), size);
    std::ifstream in(pathFromUtf8(destination), std::ios::binary);
    in.seekg(size - 3);
    std::string tail(3, ' ');
    in.read(tail.data(), 3);
    EXPECT_EQ(tail, "fin");
    EXPECT_EQ(FileSize64(dir.path()), -1); // a folder has no size to copy
    EXPECT_EQ(FileSize64(dir.file("absent")), -1);
}

TEST(FileCopy, AnEmptyFileIsCopiedAndAnAbandonedCopyLeavesNothing) {
    TempFolder dir;
    const std::string empty = dir.write("vide.avi", "");
    std::vector<char> buffer;
    int blocks = 0;
    EXPECT_EQ(copyThroughTemporary(empty, dir.path(), "copie.avi", buffer,
                                   [&](std::int64_t) {
                                       ++blocks;
                                       return true;
                                   }),
              CopyResult::Copied);
    EXPECT_EQ(blocks, 1);
    EXPECT_TRUE(platform::isFile(dir.file("copie.avi")));

    const std::string big = dir.write("grand.avi", std::string(600000, 'g'));
    dir.write("ancien.avi", "ancien");
    EXPECT_EQ(copyThroughTemporary(big, dir.path(), "ancien.avi", buffer, [](std::int64_t) { return false; }),
              CopyResult::Abandoned);
    // What the destination held before a stopped copy is still there, and no temporary file stays.
    EXPECT_EQ(TempFolder::read(dir.file("ancien.avi")), "ancien");
    EXPECT_EQ(platform::folderEntries(dir.path()).size(), 4u);
    EXPECT_EQ(copyThroughTemporary(dir.file("absent"), dir.path(), "x", buffer),
              CopyResult::CannotOpenSource);
}

TEST(FileCopy, ProgressComesBlockByBlockAndAFullDiskLeavesNothing) {
    TempFolder dir;
    std::string bytes(4 * 262144 + 5, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 4096);
    const std::string source = dir.write("film.avi", bytes);
    std::vector<char> buffer;
    std::vector<std::int64_t> steps;
    const auto record = [&](std::int64_t done) {
        steps.push_back(done);
        return true;
    };
    ASSERT_EQ(copyThroughTemporary(source, dir.path(), "copie.avi", buffer, record), CopyResult::Copied);
    EXPECT_EQ(TempFolder::read(dir.file("copie.avi")), bytes);
    // A stop must be heard between blocks: never more than one buffer between two calls.
    ASSERT_GE(steps.size(), 6u);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const std::int64_t before = i == 0 ? 0 : steps[i - 1];
        EXPECT_GE(steps[i], before);
        EXPECT_LE(steps[i] - before, static_cast<std::int64_t>(buffer.size()));
    }
    EXPECT_EQ(steps.back(), static_cast<std::int64_t>(bytes.size()));

    // The disk fills up in the second block.
    platform::setWriteFailureAfter(300000);
    const CopyResult full = copyThroughTemporary(source, dir.path(), "plein.avi", buffer);
    platform::setWriteFailureAfter(-1);
    EXPECT_EQ(full, CopyResult::CannotWrite);
    EXPECT_EQ(platform::folderEntries(dir.path()).size(), 2u);
}

#ifdef __linux__
TEST(FileCopy, FilesTheSystemCannotCopyItselfGoThroughTheBuffer) {
    // A /proc file announces no size and lives on another file system: the kernel's own copy
    // refuses it, and every byte must still arrive.
    TempFolder dir;
    std::string expected;
    ASSERT_EQ(platform::readWholeFile("/proc/self/cmdline", expected), platform::ReadStatus::Ok);
    ASSERT_FALSE(expected.empty());
    std::vector<char> buffer;
    ASSERT_EQ(copyThroughTemporary("/proc/self/cmdline", dir.path(), "cmdline", buffer), CopyResult::Copied);
    EXPECT_EQ(TempFolder::read(dir.file("cmdline")), expected);
}
#endif

class ConfirmedCopy : public ::testing::Test {
protected:
    TempFolder dir;
    FakeUi ui;
    std::vector<std::string> status;
    std::string source = dir.write("Alien.avi", "alien");
    void copy(const std::string& folder) {
        CopyFileWithConfirm(ui, source, folder, [&](const std::string& s) { status.push_back(s); });
    }
};

TEST_F(ConfirmedCopy, AsksCreatesTheFolderAndReports) {
    const std::string folder = dir.file("fav/sous");
    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    copy(folder);
    const std::string destination = pathInFolder(folder, "Alien.avi");
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{
                              " Copier Alien.avi\n\n vers le dossier : " + folder + "  ?",
                              " Le répertoire cible n’existe pas : " + folder + "\n\n Créer ce répertoire ? ",
                              "Répertoire créé : " + folder + "\n\n", "Copie réussie : " + destination}));
    EXPECT_EQ(TempFolder::read(destination), "alien");
    EXPECT_EQ(status, (std::vector<std::string>{"Copie en cours ...", ""}));
    EXPECT_EQ(ui.sounds, (std::vector<SystemSound>{SystemSound::Asterisk}));

    // Already there: a No keeps it; a Yes replaces it.
    dir.write("fav/sous/Alien.avi", "old");
    ui.shown.clear();
    ui.answers = {DialogButton::Yes, DialogButton::No};
    copy(folder);
    EXPECT_EQ(ui.shown.back().text, " Le fichier existe déjà \n\n" + destination + "\n\n Continuer ?");
    EXPECT_EQ(TempFolder::read(destination), "old");
    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    copy(folder);
    EXPECT_EQ(TempFolder::read(destination), "alien");

    // Anything but Yes to the first question does nothing.
    ui.shown.clear();
    ui.answers = {DialogButton::Cancel};
    copy(dir.file("autre"));
    EXPECT_EQ(ui.shown.size(), 1u);
    EXPECT_FALSE(platform::exists(dir.file("autre")));
}

TEST_F(ConfirmedCopy, AFailedCopyAndAnUncreatableFolderAreTold) {
    dir.write("fichier", "x");
    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    copy(dir.file("fichier/sous")); // a file stands where a folder should be made
    EXPECT_EQ(ui.shown.back().text, " Impossible de créer le répertoire \n\n");
    EXPECT_EQ(ui.shown.back().type, DialogType::Error);

    platform::createFolders(dir.file("fav"));
    platform::faults::failOperation(2, true);
    ui.answers = {DialogButton::Yes};
    copy(dir.file("fav"));
    platform::faults::failOperation(0);
    EXPECT_EQ(ui.shown.back().text, "Échec de la copie vers : " + pathInFolder(dir.file("fav"), "Alien.avi"));
    EXPECT_TRUE(platform::folderEntries(dir.file("fav")).empty());
}

TEST_F(FavouritesCopy, TitlesAsLongAsTheSystemAllowsAreCopied) {
    // 251 bytes and ".avi": the longest name; its temporary name is shortened, not refused.
    std::string title;
    while (title.size() < 248) title += "é";
    title += "abc";
    ASSERT_EQ(title.size() + 4, 255u);
    present(title, "long");
    ui.answers = {DialogButton::Yes};
    copyMarked();
    EXPECT_EQ(TempFolder::read(inFavourites(title + ".avi")), "long");
    const std::string temp = platform::temporaryName(inFavourites(title + ".avi"));
    EXPECT_LE(temp.size() - favourites().size() - 1, 255u);
    EXPECT_EQ(platform::temporaryNameOwner(temp), platform::currentProcessId());
}

TEST_F(FavouritesCopy, MarksClearedElsewhereDuringTheCopyDoNotCutItShort) {
    present("Un", "u");
    present("Deux", "d");
    present("Trois", "t");
    // The collection window's activation clears every mark while the first file is copied.
    ui.onProcessEvents = [&] { SetAllMarks(list(), ""); };
    ui.answers = {DialogButton::Yes};
    copyMarked();
    EXPECT_EQ(favouriteNames(), (std::vector<std::string>{"Deux.avi", "Trois.avi", "Un.avi"}));
    EXPECT_EQ(ui.shown.back().text, "3 copies effectuées sur 3" + kSummaryTail);
}

// The favourites folder on the file system the tests run on (an exFAT or NTFS image under
// SavesOnRealMounts) and the sources where VERDAN_SOURCE_TMPDIR says (a Linux file system that
// takes any name): a title with ":" and "?" is copied, or refused by that file system alone.
TEST_F(FavouritesCopy, ANameARealFolderRefusesFailsThatFileOnly) {
    const char* sourceDir = std::getenv("VERDAN_SOURCE_TMPDIR");
    std::unique_ptr<TempFolder> elsewhere;
    std::string root = mount();
    if (sourceDir && *sourceDir) {
        elsewhere = std::make_unique<TempFolder>(sourceDir);
        root = elsewhere->path();
    }
    const std::string odd = BrowseFixture::kWindows ? "Deux points" : "Quoi? Deux : points";
    platform::createFolders(root + kSep + "films");
    for (const std::string& t : {std::string("Un"), odd, std::string("Trois")})
        std::ofstream(pathFromUtf8(root + kSep + "films" + kSep + t + ".avi"), std::ios::binary) << t;
    drives = {{BrowseFixture::kWindows ? root.substr(0, 3) : root, "FILMS", "1234ABCD"}};
    const std::string folderForm =
        BrowseFixture::kWindows ? ":" + root.substr(2) + "\\films" : std::string(":\\films");
    for (const std::string& t : {std::string("Un"), odd, std::string("Trois")}) {
        Media m;
        m.title = t;
        m.folder = folderForm;
        m.mark = kMark;
        add(m);
    }
    ui.answers = {DialogButton::Yes};
    copyMarked();
    const std::vector<std::string> names = favouriteNames();
    EXPECT_NE(std::find(names.begin(), names.end(), "Un.avi"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "Trois.avi"), names.end());
    if (names.size() == 3) {
        EXPECT_EQ(marks(), (std::vector<std::string>{"", "", ""}));
        EXPECT_EQ(ui.shown.back().text, "3 copies effectuées sur 3" + kSummaryTail);
    } else {
        EXPECT_EQ(names.size(), 2u); // no temporary file left
        EXPECT_EQ(marks(), (std::vector<std::string>{"", kMark, ""}));
        EXPECT_EQ(ui.shown[1].text,
                  "  Le dossier des favoris refuse le nom de 1 fichier(s), qui restent cochés :\n\n    " +
                      odd + ".avi");
        EXPECT_EQ(ui.shown.back().text, "2 copies effectuées sur 3" + kSummaryTail);
        std::cout << "[          ] the favourites' file system refused \"" << odd << ".avi\"\n";
    }
}

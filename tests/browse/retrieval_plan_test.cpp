#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>

#include "browse/favourites_copy.h"
#include "browse/marks.h"
#include "browse/plan_copy.h"
#include "browse/retrieval_plan.h"
#include "browse_fixture.h"
#include "platform/files.h"
#include "support/foreign_hold.h"
#include "support/unprivileged.h"
#include "util/cp1252.h"
#include "util/error.h"
#include "util/format.h"
#include "util/text.h"

using namespace verdan;
using namespace verdan::test;

namespace {

struct QuietView : CopyView {
    std::function<void()> onRepaint;
    void copyProgressChanged() override {
        if (onRepaint) onRepaint();
    }
};

const std::string kSummaryTail = " demandées  \n\n            les autres existant déjà (ou stop demandé)";

} // namespace

// Disks made of folders of the test ("FILMS", "SERIES", ...), each holding films/<title>.avi, a
// favourites folder and the rows of the global list that name them.
class RetrievalPlanTest : public ::testing::Test, public BrowseFixture {
protected:
    RetrievalPlanTest() {
        platform::createFolders(favourites());
        program.globalList.favouritesCaption = favourites();
        browse.tick = [] { return 5000u; };
    }
    std::string favourites() const { return dir.file("favoris"); }
    std::string inFavourites(const std::string& name) const { return favourites() + kSep + name; }
    std::string planPath() const { return inFavourites(kRetrievalPlanFile); }

    // Windows has one root for all these folders: the rows' folders lead to each one from it.
    std::string rootOf(const std::string& disk) const {
        return kWindows ? dir.file(disk).substr(0, 3) : dir.file(disk);
    }
    std::string folderOn(const std::string& disk) const {
        return (kWindows ? ":" + dir.file(disk).substr(2) + "\\" : std::string(":\\")) + "films";
    }
    void putFile(const std::string& disk, const std::string& title, const std::string& bytes = "x") {
        platform::createFolders(dir.file(disk + "/films"));
        dir.write(disk + "/films/" + title + ".avi", bytes);
    }
    void plug(const std::string& disk, const std::string& serial, const std::string& name = {}) {
        platform::createFolders(dir.file(disk + "/films"));
        drives.push_back({rootOf(disk), name.empty() ? disk : name, serial});
    }
    void unplug(const std::string& disk) {
        std::erase_if(drives, [&](const DriveRow& d) { return d.name == disk; });
    }
    std::size_t marked(const std::string& disk, const std::string& serial, const std::string& title,
                       const std::string& size = "1 Ko") {
        Media m;
        m.disk = disk;
        m.serial = serial;
        m.title = title;
        m.size = size;
        m.folder = folderOn(disk);
        m.mark = kMark;
        return add(m);
    }
    PlannedFile planned(const std::string& disk, const std::string& serial, const std::string& title,
                        const std::string& size = "1 Ko") const {
        return {disk, serial, folderOn(disk), title, ".avi", size};
    }
    void plan(const std::vector<PlannedFile>& files) {
        openRetrievalPlan(browse.plan, favourites(), ui);
        for (const PlannedFile& f : files) browse.plan.add(f);
        ASSERT_TRUE(saveRetrievalPlan(browse.plan, ui));
    }
    std::string planLine(const PlannedFile& f) const {
        return f.disk + "\t" + f.serial + "\t" + f.folder + "\t" + f.title + "\t" + f.ext + "\t" + f.size +
               "\r\n";
    }
    std::string planFile(const std::vector<PlannedFile>& files) const {
        std::string text = "nom-disque\tNS-disque\trépertoire\ttitre\text\ttaille\r\n";
        for (const PlannedFile& f : files) text += planLine(f);
        return cp1252::encode(text);
    }
    std::vector<std::string> plannedTitles() const {
        std::vector<std::string> t;
        for (const PlannedFile& f : browse.plan.files()) t.push_back(f.title);
        return t;
    }
    void copyMarked() { Button_copie_multipleClick(program, browse, ui, view, drives, {}); }
    void arrivals() {
        offerPlannedDisks(program, browse, ui, view, [this] { return drives; });
    }
    std::string question(const std::string& disk, int files, std::int64_t bytes) const {
        return "Le disque " + disk + " est branché : copier ses " + std::to_string(files) + " fichiers (" +
               FormatTaille(bytes) + ") vers les favoris ?";
    }

    DriveRows drives;
    QuietView view;
};

TEST_F(RetrievalPlanTest, AMultipleCopyPlansTheFilesOfAbsentDisksOnceEach) {
    plug("FILMS", "1234ABCD");
    putFile("FILMS", "Alien");
    marked("FILMS", "1234ABCD", "Alien");
    marked("SERIES", "0000AAAA", "Lost", "2 Go");
    marked("CONCERTS", "0000BBBB", "Live");
    marked("SERIES", "0000AAAA", "Dallas", "1,5 Go");
    ui.answers = {DialogButton::Yes};
    copyMarked();

    EXPECT_EQ(TempFolder::read(planPath()), planFile({planned("SERIES", "0000AAAA", "Lost", "2 Go"),
                                                      planned("CONCERTS", "0000BBBB", "Live"),
                                                      planned("SERIES", "0000AAAA", "Dallas", "1,5 Go")}));
    // The file of missing sources stays as it was, beside the plan.
    EXPECT_TRUE(platform::isFile(inFavourites(kMissingSourcesFile)));
    EXPECT_EQ(ui.shown.back().text, "1 copies effectuées sur 4" + kSummaryTail);

    // The same rows copied again (they kept their marks) are not planned twice, whatever the case.
    list().setCell(4, list().indice_col_liste("titre"), "DALLAS");
    ui.answers = {DialogButton::Yes};
    copyMarked();
    EXPECT_EQ(plannedTitles(), (std::vector<std::string>{"Lost", "Live", "Dallas"}));
}

TEST_F(RetrievalPlanTest, TheDiskListCountsSizesAndTellsWhichDisksArePlugged) {
    plan({planned("A", "0000000A", "a1", "1 Go"), planned("B", "0000000B", "b1", "2 Mo"),
          planned("B", "0000000B", "b2", "3 Mo"), planned("C", "0000000C", "c1", "10 oct"),
          planned("B", "0000000B", "b3", "N/A")});
    // C by name and serial; A renamed since it was catalogued, found by its serial alone.
    plug("C", "0000000C");
    plug("A", "0000000A", "A-NEUF");
    const std::vector<PlannedDisk> disks = plannedDisks(browse.plan, drives);
    ASSERT_EQ(disks.size(), 3u);
    EXPECT_EQ(disks[0].name, "B");
    EXPECT_EQ(disks[0].count, 3u);
    EXPECT_EQ(disks[0].bytes, 5 * 1048576);
    EXPECT_EQ(disks[0].root, "");
    EXPECT_EQ(disks[1].name, "A");
    EXPECT_EQ(disks[1].root, driveRoot(rootOf("A")));
    EXPECT_EQ(disks[2].name, "C");
    EXPECT_EQ(disks[2].root, driveRoot(rootOf("C")));
    EXPECT_EQ(planTotalText(disks),
              "Total : 5 fichier(s) sur 3 disque(s), " + FormatTaille(1073741824LL + 5 * 1048576 + 10));
    EXPECT_EQ(planTotalText({}), " Aucun fichier à rapatrier ");
}

TEST(PlannedDisks, OrderedAsMostFilesFirstTiesInThePlansOrderHoweverMany) {
    // The order the list always had: disks as first met, then a stable sort on the count.
    auto reference = [](const RetrievalPlan& plan) {
        std::vector<std::pair<std::string, std::size_t>> disks;
        for (const PlannedFile& f : plan.files()) {
            const std::string id = f.disk + "|" + f.serial;
            auto it = std::find_if(disks.begin(), disks.end(), [&](const auto& d) { return d.first == id; });
            if (it == disks.end()) it = disks.insert(disks.end(), {id, 0});
            ++it->second;
        }
        std::stable_sort(disks.begin(), disks.end(),
                         [](const auto& a, const auto& b) { return a.second > b.second; });
        return disks;
    };
    std::mt19937 rnd(5);
    RetrievalPlan plan;
    plan.reset("plan");
    // Names and serials that differ only in case or in which of the two holds a character are
    // other disks.
    const char* names[] = {"FILMS", "films", "FILM", "SFILM", "Séries", "SÉRIES", ""};
    const char* serials[] = {"0000000A", "0000000a", "A", "", "S0000000"};
    for (int i = 0; i < 4000; ++i)
        plan.add({names[rnd() % 7] + std::to_string(rnd() % 40), serials[rnd() % 5], ":\\x",
                  std::to_string(i), ".avi", std::to_string(1 + rnd() % 9) + " Ko"});
    const auto expected = reference(plan);
    const std::vector<PlannedDisk> disks = plannedDisks(plan, {});
    ASSERT_EQ(disks.size(), expected.size());
    std::size_t files = 0;
    for (std::size_t i = 0; i < disks.size(); ++i) {
        EXPECT_EQ(disks[i].name + "|" + disks[i].serial, expected[i].first) << i;
        EXPECT_EQ(disks[i].count, expected[i].second) << i;
        files += disks[i].count;
    }
    EXPECT_EQ(files, plan.files().size());

    // Fifty thousand disks took seconds at every start, the disks compared with each other.
    RetrievalPlan large;
    large.reset("plan");
    for (int d = 0; d < 50000; ++d)
        large.add(
            {"DISQUE" + std::to_string(d), "ABCD" + std::to_string(d % 10000), ":\\x", "t", ".avi", "1 Ko"});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(plannedDisks(large, {}).size(), 50000u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(RetrievalPlanTest, YesCopiesTheArrivedDisksFilesAndEmptiesItsPartOfThePlan) {
    plan({planned("SERIES", "0000AAAA", "Lost", "2 Ko"), planned("CONCERTS", "0000BBBB", "Live"),
          planned("SERIES", "0000AAAA", "Dallas", "1 Ko")});
    putFile("SERIES", "Lost", "lost bytes");
    putFile("SERIES", "Dallas", "dallas bytes");
    plug("SERIES", "0000AAAA");
    bool lockedDuringCopy = false;
    view.onRepaint = [&] { lockedDuringCopy = lockedDuringCopy || program.copyRunning; };
    ui.answers = {DialogButton::Yes};
    arrivals();

    EXPECT_EQ(TempFolder::read(inFavourites("Lost.avi")), "lost bytes");
    EXPECT_EQ(TempFolder::read(inFavourites("Dallas.avi")), "dallas bytes");
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{question("SERIES", 2, 3072),
                                                    "2 copies effectuées sur 2" + kSummaryTail}));
    EXPECT_EQ(TempFolder::read(planPath()), planFile({planned("CONCERTS", "0000BBBB", "Live")}));
    EXPECT_TRUE(lockedDuringCopy);
    EXPECT_FALSE(program.copyRunning);
    EXPECT_FALSE(browse.copyPanel.visible);

    // The last disk copied takes the plan's file with it.
    putFile("CONCERTS", "Live");
    plug("CONCERTS", "0000BBBB");
    ui.shown.clear();
    ui.answers = {DialogButton::Yes};
    arrivals();
    EXPECT_EQ(ui.shown.front().text, question("CONCERTS", 1, 1024));
    EXPECT_TRUE(browse.plan.files().empty());
    EXPECT_FALSE(platform::exists(planPath()));
}

TEST_F(RetrievalPlanTest, NoIsNotAskedAgainUntilTheDiskComesBack) {
    plan({planned("SERIES", "0000AAAA", "Lost")});
    putFile("SERIES", "Lost");
    plug("SERIES", "0000AAAA");
    ui.answers = {DialogButton::No};
    arrivals();
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{question("SERIES", 1, 1024)}));
    // Other notifications while it stays plugged ask nothing.
    plug("AUTRE", "0000CCCC");
    arrivals();
    arrivals();
    EXPECT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(plannedTitles(), (std::vector<std::string>{"Lost"}));
    EXPECT_FALSE(platform::exists(inFavourites("Lost.avi")));

    unplug("SERIES");
    arrivals();
    plug("SERIES", "0000AAAA");
    ui.answers = {DialogButton::No};
    arrivals();
    EXPECT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown.back().text, question("SERIES", 1, 1024));
}

TEST_F(RetrievalPlanTest, CopyNowTakesAPluggedDiskAfterANoAndSaysWhenItIsAway) {
    plan({planned("SERIES", "0000AAAA", "Lost"), planned("CONCERTS", "0000BBBB", "Live")});
    putFile("SERIES", "Lost");
    plug("SERIES", "0000AAAA");
    ui.answers = {DialogButton::No};
    arrivals();
    const std::vector<PlannedDisk> disks = plannedDisks(browse.plan, drives);
    ASSERT_EQ(disks.size(), 2u);

    // On the shelf: said, nothing asked.
    ui.shown.clear();
    copyPlannedDiskNow(program, browse, ui, view, disks[1], [this] { return drives; });
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{" Le disque CONCERTS (0000BBBB) n'est pas branché "}));

    // Plugged, and declined at its arrival: asked again because the user asks, then copied.
    ui.shown.clear();
    ui.answers = {DialogButton::Yes};
    copyPlannedDiskNow(program, browse, ui, view, disks[0], [this] { return drives; });
    EXPECT_EQ(ui.shown.at(0).text, question("SERIES", 1, 1024));
    EXPECT_TRUE(platform::isFile(inFavourites("Lost.avi")));
    EXPECT_EQ(plannedTitles(), (std::vector<std::string>{"Live"}));
    EXPECT_FALSE(program.copyRunning);
    EXPECT_FALSE(browse.arrivals.offering);
    // The next notification does not ask about it again.
    const std::size_t shown = ui.shown.size();
    arrivals();
    EXPECT_EQ(ui.shown.size(), shown);
}

TEST_F(RetrievalPlanTest, AFileMissingOnThePluggedDiskStaysAndIsReported) {
    plan({planned("SERIES", "0000AAAA", "Lost"), planned("SERIES", "0000AAAA", "Perdu")});
    putFile("SERIES", "Lost");
    plug("SERIES", "0000AAAA");
    ui.answers = {DialogButton::Yes};
    arrivals();

    const std::string missing = nativeFilePath(driveRoot(rootOf("SERIES")), folderOn("SERIES"), "Perdu.avi");
    EXPECT_EQ(ui.shown[1].text,
              " 1 fichier(s) introuvable(s) sur le disque SERIES, qui reste(nt) dans le plan :\n\n    " +
                  missing);
    EXPECT_EQ(ui.shown[1].type, DialogType::Warning);
    EXPECT_EQ(ui.shown[2].text, "1 copies effectuées sur 2" + kSummaryTail);
    EXPECT_EQ(plannedTitles(), (std::vector<std::string>{"Perdu"}));
    EXPECT_EQ(TempFolder::read(planPath()), planFile({planned("SERIES", "0000AAAA", "Perdu")}));
}

TEST_F(RetrievalPlanTest, ExistingDestinationsSkippedLeaveThePlanAndAStopKeepsTheRest) {
    plan({planned("SERIES", "0000AAAA", "Lost"), planned("SERIES", "0000AAAA", "Dallas"),
          planned("SERIES", "0000AAAA", "Wire")});
    for (const char* t : {"Lost", "Dallas", "Wire"}) putFile("SERIES", t, std::string(600000, 'w'));
    dir.write("favoris/Lost.avi", "already");
    plug("SERIES", "0000AAAA");
    // Escape during Dallas: the stop is confirmed, Wire is not reached.
    ui.onProcessEvents = [&] {
        if (browse.copyPanel.fileName == "Dallas") program.StopRequested = true;
    };
    ui.answers = {DialogButton::Yes, DialogButton::Yes, DialogButton::Yes};
    arrivals();
    ui.onProcessEvents = nullptr;

    EXPECT_EQ(ui.shown[1].text, existingDestinationsQuestion(1, 2048, 3072));
    EXPECT_EQ(ui.shown[2].text, " Arrêter la copie ?");
    EXPECT_EQ(TempFolder::read(inFavourites("Lost.avi")), "already");
    EXPECT_FALSE(platform::exists(inFavourites("Dallas.avi")));
    EXPECT_EQ(plannedTitles(), (std::vector<std::string>{"Dallas", "Wire"}));
    EXPECT_EQ(ui.shown.back().text, "0 copies effectuées sur 2" + kSummaryTail);
}

TEST_F(RetrievalPlanTest, ThePlanOnDiskNeverForgetsAFileNotYetInTheFavourites) {
    const std::vector<std::string> titles = {"e1", "e2", "e3", "e4", "e5", "e6"};
    std::vector<PlannedFile> files;
    for (const std::string& t : titles) {
        files.push_back(planned("SERIES", "0000AAAA", t));
        putFile("SERIES", t, std::string(300000, 'e'));
    }
    plan(files);
    plug("SERIES", "0000AAAA");
    // A clock that runs: the plan is rewritten during the copy, not only at its end.
    std::uint32_t clock = 0;
    browse.tick = [&] { return clock += 400; };
    bool shrankMidway = false;
    ui.onProcessEvents = [&] {
        const std::string onDisk = cp1252::decode(TempFolder::read(planPath()));
        std::size_t planned = 0;
        for (const std::string& t : titles) {
            if (onDisk.find("\t" + t + "\t") != std::string::npos)
                ++planned;
            else
                EXPECT_TRUE(platform::isFile(inFavourites(t + ".avi"))) << t;
        }
        shrankMidway = shrankMidway || (planned > 0 && planned < titles.size());
    };
    ui.answers = {DialogButton::Yes};
    arrivals();
    ui.onProcessEvents = nullptr;
    EXPECT_TRUE(shrankMidway);
    EXPECT_FALSE(platform::exists(planPath()));
}

// Whatever file operation fails, a file leaves the plan on disk only once it is whole in the
// favourites; and a copy that cannot be forced to disk stays planned, lest a power cut lose both.
TEST_F(RetrievalPlanTest, AFailureAtAnyStepOfThePlansCopyNeverDropsAFileNotSafelyCopied) {
    const std::vector<std::string> titles = {"e1", "e2"};
    std::vector<PlannedFile> files;
    for (const std::string& t : titles) files.push_back(planned("SERIES", "0000AAAA", t));
    for (const std::string& t : titles) putFile("SERIES", t, "contenu " + t);
    plug("SERIES", "0000AAAA");
    bool keptUnsynced = false;
    for (long long n = 1;; ++n) {
        for (const std::string& t : titles) platform::removeFile(inFavourites(t + ".avi"));
        plan(files);
        ui.shown.clear();
        platform::faults::failOperation(n);
        try {
            copyPlannedDisk(program, browse, ui, view, plannedDisks(browse.plan, drives).at(0));
        } catch (const VerdanError&) {
        }
        const long long seen = platform::faults::operationsSeen();
        platform::faults::failOperation(0);
        const std::string onDisk = cp1252::decode(TempFolder::read(planPath()));
        bool errorShown = false;
        for (const FakeUi::Shown& shown : ui.shown)
            errorShown = errorShown || shown.type == DialogType::Error;
        for (const std::string& t : titles) {
            const bool whole = TempFolder::read(inFavourites(t + ".avi")) == "contenu " + t;
            if (onDisk.find("\t" + t + "\t") == std::string::npos) {
                EXPECT_TRUE(whole) << n << " " << t;
            }
            const bool inMemory = std::any_of(browse.plan.files().begin(), browse.plan.files().end(),
                                              [&](const PlannedFile& f) { return f.title == t; });
            keptUnsynced = keptUnsynced || (whole && inMemory && !errorShown);
        }
        if (seen < n) break; // the whole copy ran without meeting the failure
    }
    EXPECT_TRUE(keptUnsynced) << "no failure to force a copy to disk kept it planned";
}

TEST_F(RetrievalPlanTest, ADiskUnpluggedDuringAMultipleCopyPlansItsRemainingFiles) {
    plug("FILMS", "1234ABCD");
    for (const char* t : {"Un", "Deux", "Trois"}) {
        putFile("FILMS", t);
        marked("FILMS", "1234ABCD", t);
    }
    // The disk goes once the first file is copied; the drive table taken at the click still has it.
    bool unplugged = false;
    ui.onProcessEvents = [&] {
        if (unplugged || !platform::isFile(inFavourites("Un.avi"))) return;
        unplugged = true;
        std::filesystem::remove_all(pathFromUtf8(dir.file("FILMS")));
    };
    ui.answers = {DialogButton::Yes};
    Button_copie_multipleClick(program, browse, ui, view, drives, {},
                               [&] { return unplugged ? DriveRows{} : drives; });
    ui.onProcessEvents = nullptr;
    EXPECT_EQ(plannedTitles(), (std::vector<std::string>{"Deux", "Trois"}));
    EXPECT_EQ(TempFolder::read(planPath()),
              planFile({planned("FILMS", "1234ABCD", "Deux"), planned("FILMS", "1234ABCD", "Trois")}));
    EXPECT_EQ(column(list(), kMark), (std::vector<std::string>{"", kMark, kMark}));
    EXPECT_EQ(browse.markCountCaption, "2");
}

TEST_F(RetrievalPlanTest, ADiskArrivingDuringACopyIsAskedAboutWhenItEnds) {
    plan({planned("SERIES", "0000AAAA", "Lost")});
    putFile("SERIES", "Lost");
    plug("SERIES", "0000AAAA");
    program.copyRunning = true;
    arrivals();
    EXPECT_TRUE(ui.shown.empty());
    program.copyRunning = false;
    ui.answers = {DialogButton::No};
    arrivals();
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{question("SERIES", 1, 1024)}));

    // A notification while the question waits is taken up after it: the disk that came meanwhile
    // is asked about next, once.
    unplug("SERIES");
    arrivals();
    plan({planned("SERIES", "0000AAAA", "Lost"), planned("CONCERTS", "0000BBBB", "Live")});
    plug("SERIES", "0000AAAA");
    ui.shown.clear();
    bool nested = false;
    ui.onAsk = [&] {
        if (nested) return;
        nested = true;
        plug("CONCERTS", "0000BBBB");
        arrivals();
    };
    ui.answers = {DialogButton::No, DialogButton::No};
    arrivals();
    EXPECT_EQ(ui.texts(),
              (std::vector<std::string>{question("SERIES", 1, 1024), question("CONCERTS", 1, 1024)}));
}

TEST_F(RetrievalPlanTest, ADamagedPlanIsReadAsFarAsItIsSoundAndRewritten) {
    const PlannedFile lost = planned("SERIES", "0000AAAA", "Lost");
    const PlannedFile live = planned("CONCERTS", "0000BBBB", "Live");
    const std::string cut = planLine(live).substr(0, 20);
    dir.write("favoris/a_rapatrier.txt", cp1252::encode("nom\tautre chose\r\n" + planLine(lost) +
                                                        std::string("\x01\x02garbage\xff\r\n") +
                                                        planLine(lost) + "\n" + planLine(live) + cut));
    openRetrievalPlan(browse.plan, favourites(), ui);
    EXPECT_EQ(browse.plan.files(), (std::vector<PlannedFile>{lost, live}));
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].type, DialogType::Warning);
    EXPECT_EQ(ui.shown[0].text,
              " Le fichier " + planPath() +
                  " était abîmé : 3 ligne(s) écartée(s). \n\n Le plan est réécrit avec les 2 "
                  "fichier(s) lisible(s). \n\n Le fichier d'origine est gardé sous " +
                  planPath() + ".abime ");
    EXPECT_EQ(TempFolder::read(planPath()), planFile({lost, live}));

    // Read again, the rewritten file is sound: nothing said.
    ui.shown.clear();
    openRetrievalPlan(browse.plan, favourites(), ui);
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(browse.plan.files().size(), 2u);

    // Pure garbage: an empty plan, and its file goes, kept whole beside it.
    const std::string garbage("\x00\x01\x02\x03", 4);
    dir.write("favoris/a_rapatrier.txt", garbage);
    openRetrievalPlan(browse.plan, favourites(), ui);
    EXPECT_TRUE(browse.plan.files().empty());
    EXPECT_FALSE(platform::exists(planPath()));
    EXPECT_EQ(TempFolder::read(planPath() + ".abime"), garbage);
}

TEST_F(RetrievalPlanTest, ThePlanFollowsTheFavouritesFolderAndJoinsThePlanThere) {
    plan({planned("SERIES", "0000AAAA", "Lost"), planned("CONCERTS", "0000BBBB", "Live")});
    const std::string other = dir.file("autres_favoris");
    platform::createFolders(other);
    dir.write("autres_favoris/a_rapatrier.txt",
              planFile({planned("CONCERTS", "0000BBBB", "Live"), planned("VIEUX", "0000DDDD", "Ancien")}));
    program.globalList.favouritesCaption = other;
    followFavouritesFolder(browse.plan, other + kSep, ui);

    EXPECT_EQ(plannedTitles(), (std::vector<std::string>{"Live", "Ancien", "Lost"}));
    EXPECT_EQ(TempFolder::read(other + kSep + kRetrievalPlanFile),
              planFile({planned("CONCERTS", "0000BBBB", "Live"), planned("VIEUX", "0000DDDD", "Ancien"),
                        planned("SERIES", "0000AAAA", "Lost")}));
    EXPECT_FALSE(platform::exists(planPath()));
    // The same folder spelled with its final separator is the same plan: nothing moves or goes.
    followFavouritesFolder(browse.plan, other, ui);
    EXPECT_TRUE(platform::isFile(other + kSep + kRetrievalPlanFile));
    EXPECT_TRUE(ui.shown.empty());

    // A disk arriving now is copied into the new folder.
    putFile("SERIES", "Lost");
    plug("SERIES", "0000AAAA");
    ui.answers = {DialogButton::Yes};
    arrivals();
    EXPECT_TRUE(platform::isFile(other + kSep + "Lost.avi"));
    EXPECT_EQ(plannedTitles(), (std::vector<std::string>{"Live", "Ancien"}));
}

TEST_F(RetrievalPlanTest, RemovingADiskOrClearingThePlanAsksFirst) {
    plan({planned("SERIES", "0000AAAA", "Lost"), planned("CONCERTS", "0000BBBB", "Live"),
          planned("SERIES", "0000AAAA", "Dallas")});
    const std::vector<PlannedDisk> disks = plannedDisks(browse.plan, drives);
    ui.answers = {DialogButton::No, DialogButton::Yes};
    EXPECT_FALSE(removePlannedDisk(browse, ui, disks[0]));
    EXPECT_EQ(browse.plan.files().size(), 3u);
    EXPECT_TRUE(removePlannedDisk(browse, ui, disks[0]));
    EXPECT_EQ(ui.shown[0].text, " Retirer du plan les 2 fichier(s) du disque SERIES (0000AAAA) ?");
    EXPECT_EQ(TempFolder::read(planPath()), planFile({planned("CONCERTS", "0000BBBB", "Live")}));

    ui.answers = {DialogButton::Yes};
    EXPECT_TRUE(clearRetrievalPlan(browse, ui));
    EXPECT_EQ(ui.shown.back().text, " Vider le plan : oublier les 1 fichier(s) à rapatrier de 1 disque(s) ?");
    EXPECT_FALSE(platform::exists(planPath()));
    // An empty plan asks nothing.
    EXPECT_FALSE(clearRetrievalPlan(browse, ui));
}

TEST_F(RetrievalPlanTest, APlanThatCannotBeWrittenIsSaidAndThePreviousFileStaysWhole) {
    plan({planned("SERIES", "0000AAAA", "Lost")});
    const std::string before = TempFolder::read(planPath());
    browse.plan.add(planned("CONCERTS", "0000BBBB", "Live"));
    platform::faults::failOperation(2);
    EXPECT_FALSE(saveRetrievalPlan(browse.plan, ui));
    platform::faults::failOperation(0);
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{"Impossible de créer le fichier " + planPath()}));
    EXPECT_EQ(TempFolder::read(planPath()), before);
}

TEST_F(RetrievalPlanTest, APlanThatCannotBeReadIsNeverWrittenOver) {
    asUnprivileged({dir.path()}, [&] {
        const PlannedFile lost = planned("SERIES", "0000AAAA", "Lost");
        dir.write("favoris/a_rapatrier.txt", planFile({lost}));
        {
            Unreadable lock(planPath());
            if (!lock.whyNot().empty()) GTEST_SKIP() << lock.whyNot();
            openRetrievalPlan(browse.plan, favourites(), ui);
            ASSERT_EQ(ui.shown.size(), 1u);
            EXPECT_EQ(ui.shown[0].text, "Impossible d'ouvrir le fichier " + planPath() +
                                            "\n\n  Le plan n'y sera pas modifié tant qu'il reste illisible.");
            EXPECT_TRUE(browse.plan.files().empty());
            // A copy meanwhile plans another file: the unreadable one is not replaced by it.
            browse.plan.add(planned("CONCERTS", "0000BBBB", "Live"));
            EXPECT_FALSE(saveRetrievalPlan(browse.plan, ui));
            followFavouritesFolder(browse.plan, dir.file("ailleurs"), ui);
        }
        EXPECT_EQ(TempFolder::read(planPath()), planFile({lost}));
        openRetrievalPlan(browse.plan, favourites(), ui);
        EXPECT_EQ(browse.plan.files(), (std::vector<PlannedFile>{lost}));
    });
}

// The favourites folder shared by two programs (two computers, or the same one twice): each
// program's plan is the other's too.
class SharedRetrievalPlan : public ::testing::Test {
protected:
    static PlannedFile entry(const std::string& title) {
        return {"FILMS", "1234ABCD", ":\\films", title, ".avi", "1 Ko"};
    }
    // The other program's write, a moment after this one read the plan.
    void writtenElsewhere(const std::vector<std::string>& titles, const std::string& extra = {}) {
        std::string text = std::string(kRetrievalPlanHeader) + "\r\n";
        for (const std::string& t : titles) text += "FILMS\t1234ABCD\t:\\films\t" + t + "\t.avi\t1 Ko\r\n";
        const std::string path = dir.write(kRetrievalPlanFile, cp1252::encode(text + extra));
        std::filesystem::last_write_time(pathFromUtf8(path), std::filesystem::file_time_type::clock::now() +
                                                                 std::chrono::seconds(++m_writes * 2));
    }
    std::vector<std::string> titlesOnDisk() const {
        std::vector<std::string> titles;
        const std::string text = cp1252::decode(TempFolder::read(dir.file(kRetrievalPlanFile)));
        for (std::string_view line : splitLines(text)) {
            std::vector<std::string> cells;
            std::size_t start = 0;
            for (std::size_t tab; (tab = line.find('\t', start)) != std::string_view::npos; start = tab + 1)
                cells.emplace_back(line.substr(start, tab - start));
            if (cells.size() == 5 && cells[0] == "FILMS") titles.push_back(cells[3]);
        }
        return titles;
    }
    static std::vector<std::string> titles(const RetrievalPlan& plan) {
        std::vector<std::string> t;
        for (const PlannedFile& f : plan.files()) t.push_back(f.title);
        return t;
    }
    TempFolder dir;
    FakeUi ui;
    RetrievalPlan plan;

private:
    int m_writes = 0;
};

TEST_F(SharedRetrievalPlan, EachProgramsAdditionsAndRemovalsSurviveTheOthersSave) {
    writtenElsewhere({"a", "b", "c"});
    openRetrievalPlan(plan, dir.path(), ui);
    // The other program fetched b and planned d; this one fetched a and planned e.
    writtenElsewhere({"a", "c", "d"});
    plan.remove({entry("a")});
    plan.add(entry("e"));
    ASSERT_TRUE(saveRetrievalPlan(plan, ui));
    EXPECT_EQ(titlesOnDisk(), (std::vector<std::string>{"c", "e", "d"}));
    EXPECT_EQ(titles(plan), titlesOnDisk());

    // Saved again with nothing new elsewhere: the file is what this program holds.
    plan.add(entry("f"));
    ASSERT_TRUE(saveRetrievalPlan(plan, ui));
    EXPECT_EQ(titlesOnDisk(), (std::vector<std::string>{"c", "e", "d", "f"}));
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(SharedRetrievalPlan, ADamagedFileSaysNothingOfWhatItLost) {
    writtenElsewhere({"a", "b"});
    openRetrievalPlan(plan, dir.path(), ui);
    writtenElsewhere({"b", "c"}, "FILMS\t1234ABCD\t:\\fil");
    plan.add(entry("d"));
    ASSERT_TRUE(saveRetrievalPlan(plan, ui));
    EXPECT_EQ(titlesOnDisk(), (std::vector<std::string>{"a", "b", "d", "c"}));
}

TEST_F(SharedRetrievalPlan, AFileRemovedElsewhereTookItsEntriesAndAnEmptyPlanRemovesItsFile) {
    writtenElsewhere({"a", "b"});
    openRetrievalPlan(plan, dir.path(), ui);
    platform::removeFile(dir.file(kRetrievalPlanFile)); // the other program fetched them all
    plan.add(entry("c"));
    ASSERT_TRUE(saveRetrievalPlan(plan, ui));
    EXPECT_EQ(titlesOnDisk(), (std::vector<std::string>{"c"}));

    writtenElsewhere({"c", "d"});
    plan.remove({entry("c")});
    ASSERT_TRUE(saveRetrievalPlan(plan, ui));
    EXPECT_EQ(titlesOnDisk(), (std::vector<std::string>{"d"}));
    writtenElsewhere({"d"});
    plan.remove({entry("d")});
    ASSERT_TRUE(saveRetrievalPlan(plan, ui));
    EXPECT_FALSE(platform::exists(dir.file(kRetrievalPlanFile)));
}

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>

#include "browse/batch_copy.h"
#include "browse/marks.h"
#include "browse_fixture.h"
#include "catalogue/contained_paths.h"
#include "platform/files.h"
#include "util/error.h"
#include "util/format.h"

using namespace verdan;
using namespace verdan::test;

namespace {

struct SilentView : CopyView {
    void copyProgressChanged() override {}
};

// The caller's side of a run as a test scripts it: every source is where the file says unless
// told otherwise, and what the run hands back is recorded.
struct ScriptedSteps : BatchSteps {
    std::map<std::size_t, BatchSource> sources;
    std::function<std::optional<std::string>(const BatchFile&)> lost;
    std::vector<std::size_t> doneWith;
    int finishedCount = 0;
    BatchSource locate(const BatchFile& f) override {
        const auto it = sources.find(f.origin);
        return it != sources.end() ? it->second : BatchSteps::locate(f);
    }
    std::optional<std::string> lostDuringCopy(const BatchFile& f) override {
        return lost ? lost(f) : std::nullopt;
    }
    void done(const BatchFile& f) override { doneWith.push_back(f.origin); }
    void finished() override { ++finishedCount; }
};

const BatchWording kMarkedWording{"qui restent cochés", "ne sont pas copiées et restent cochées"};

} // namespace

class BatchCopyTest : public ::testing::Test, public BrowseFixture {
protected:
    BatchCopyTest() {
        platform::createFolders(folder("films"));
        platform::createFolders(favourites());
    }
    std::string favourites() const { return dir.file("favoris"); }
    std::vector<std::string> favouriteNames() const {
        std::vector<std::string> names = platform::folderEntries(favourites());
        std::sort(names.begin(), names.end());
        return names;
    }
    // A file of the disk, holding `bytes`, planned at `planned` bytes.
    BatchFile onDisk(const std::string& title, const std::string& bytes, std::int64_t planned = 1024) {
        BatchFile f;
        f.origin = files.size();
        f.title = title;
        f.name = title + ".avi";
        f.catalogueFolder = folderCell("films");
        f.plannedBytes = planned;
        f.source = dir.write("mnt/films/" + f.name, bytes);
        files.push_back(f);
        return f;
    }
    BatchOutcome run(const BatchOptions& options) {
        const BatchTotals totals = batchTotals(files, favourites());
        BatchCopy batch(program, browse, ui, view, favourites(), totals.count, totals.bytes);
        const BatchOutcome outcome = batch.run(files, options, steps);
        batch.end();
        return outcome;
    }

    std::vector<BatchFile> files;
    ScriptedSteps steps;
    SilentView view;
};

TEST_F(BatchCopyTest, MarkedRowsBecomeFilesWithTheirPlannedSizesAndCraftedNamesRefused) {
    const auto row = [&](const std::string& title, const std::string& ext, const std::string& size,
                         const std::string& mark) {
        Media m;
        m.title = title;
        m.ext = ext;
        m.size = size;
        m.mark = mark;
        return add(m);
    };
    row("Alien", ".avi", "1 Ko", kMark);
    row("Brazil", ".avi", "2 Ko", "");
    row("..", "", "N/A", kMark);
    row("AC", "/DC.avi", "512 oct", kMark);
    const std::vector<BatchFile> marked = markedFiles(GridTable(list()));
    ASSERT_EQ(marked.size(), 3u);
    EXPECT_EQ(marked[0].origin, 1u);
    EXPECT_EQ(marked[0].name, "Alien.avi");
    EXPECT_EQ(marked[0].plannedBytes, 1024);
    EXPECT_EQ(marked[0].refusedLine, "");
    // A size that is no size ("N/A") plans nothing rather than taking from the total.
    EXPECT_EQ(marked[1].plannedBytes, 0);
    EXPECT_EQ(marked[1].refusedLine, refusedRowLine("FILMS", ":\\films", ".."));
    EXPECT_EQ(marked[2].origin, 4u);
    EXPECT_EQ(marked[2].plannedBytes, 512);
    EXPECT_EQ(marked[2].refusedLine, refusedRowLine("FILMS", ":\\films", "AC/DC.avi"));
}

TEST_F(BatchCopyTest, TotalsCountExistingDestinationsAndSkippingThemLeavesTheRest) {
    onDisk("Alien", "a", 1024);
    onDisk("Brazil", "b", 2048);
    dir.write("favoris/Alien.avi", "old");
    // ".." names the favourites' parent, which exists: it is no destination, let alone an existing one.
    BatchFile climbing;
    climbing.name = "..";
    climbing.plannedBytes = 5120;
    files.push_back(climbing);

    const BatchTotals totals = batchTotals(files, favourites());
    EXPECT_EQ(totals.count, 3);
    EXPECT_EQ(totals.bytes, 8192);
    EXPECT_EQ(totals.existing, 1);
    EXPECT_EQ(totals.existingBytes, 1024);
    const BatchTotals skipping = afterChoice(totals, ExistingChoice::Skip);
    EXPECT_EQ(skipping.count, 2);
    EXPECT_EQ(skipping.bytes, 7168);
    EXPECT_EQ(afterChoice(totals, ExistingChoice::Overwrite).bytes, 8192);

    // Asked with those figures; each answer means what its button says.
    const std::string question = existingDestinationsQuestion(1, 7168, 8192);
    ui.answers = {DialogButton::Yes, DialogButton::No, DialogButton::Cancel};
    EXPECT_EQ(askAboutExisting(ui, totals), ExistingChoice::Skip);
    EXPECT_EQ(askAboutExisting(ui, totals), ExistingChoice::Overwrite);
    EXPECT_EQ(askAboutExisting(ui, totals), ExistingChoice::Cancel);
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{question, question, question}));
    // Nothing there: nothing asked, everything copied.
    ui.shown.clear();
    EXPECT_EQ(askAboutExisting(ui, afterChoice(BatchTotals{2, 100, 0, 0}, ExistingChoice::Skip)),
              ExistingChoice::Overwrite);
    EXPECT_TRUE(ui.shown.empty());
}

TEST(BatchReport, AnOutcomeMixingRefusedNamesRowsAndMissingSourcesIsToldInOrder) {
    BatchOutcome outcome;
    outcome.requested = 6;
    outcome.copied = 2;
    outcome.missing = {"ABSENT:\\films\\Loin.avi"};
    outcome.refusedNames = {"a:b.avi"};
    outcome.refusedRows = {"ligne un", "ligne deux"};
    const std::vector<std::string> texts = batchErrorTexts(outcome, kMarkedWording);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0],
              "  Le dossier des favoris refuse le nom de 1 fichier(s), qui restent cochés :\n\n    a:b.avi");
    EXPECT_EQ(texts[1],
              refusedRowsText({"ligne un", "ligne deux"}, "ne sont pas copiées et restent cochées"));

    const std::string summary =
        "2 copies effectuées sur 6 demandées  \n\n            les autres existant déjà "
        "(ou stop demandé)";
    EXPECT_EQ(batchSummaryText(outcome), summary);
    FakeUi ui;
    reportBatch(ui, outcome, kMarkedWording);
    ASSERT_EQ(ui.shown.size(), 3u);
    EXPECT_EQ(ui.shown[0].type, DialogType::Error);
    EXPECT_EQ(ui.shown[1].type, DialogType::Error);
    EXPECT_EQ(ui.shown[2].text, summary);
    EXPECT_FALSE(ui.sounds.empty());

    // Missing sources alone are the caller's to tell: no error box for them here.
    outcome.refusedNames.clear();
    outcome.refusedRows.clear();
    EXPECT_TRUE(batchErrorTexts(outcome, kMarkedWording).empty());
}

TEST_F(BatchCopyTest, AStopInTheMiddleLeavesTheRestAndTheInterruptedFileAsTheCallerAsks) {
    for (const char* t : {"Un", "Deux", "Trois", "Quatre", "Cinq"}) onDisk(t, std::string(700000, t[0]));
    // "Annuler" while the third file is being copied, and the stop confirmed.
    ui.onProcessEvents = [&] {
        if (browse.copyPanel.counter == "3 / 5" && browse.copyPanel.fileBar > 0) program.StopRequested = true;
    };
    for (const bool stoppedIsDone : {false, true}) {
        SCOPED_TRACE(stoppedIsDone);
        for (const std::string& name : favouriteNames()) platform::removeFile(favourites() + kSep + name);
        steps.doneWith.clear();
        steps.finishedCount = 0;
        ui.answers = {DialogButton::Yes};
        BatchOptions options;
        options.stoppedIsDone = stoppedIsDone;
        const BatchOutcome outcome = run(options);
        EXPECT_EQ(favouriteNames(), (std::vector<std::string>{"Deux.avi", "Un.avi"}));
        EXPECT_EQ(steps.doneWith,
                  stoppedIsDone ? (std::vector<std::size_t>{0, 1, 2}) : (std::vector<std::size_t>{0, 1}));
        EXPECT_TRUE(outcome.stopped);
        EXPECT_EQ(outcome.copied, 2);
        EXPECT_EQ(outcome.requested, 5);
        EXPECT_EQ(steps.finishedCount, 1);
        EXPECT_FALSE(program.copyRunning);
        EXPECT_FALSE(browse.copyPanel.visible);
    }
}

TEST_F(BatchCopyTest, MissingAndLostSourcesAreListedAndAnUnreadableFileEndsTheRun) {
    onDisk("Un", "u");
    BatchFile gone = onDisk("Parti", "p");
    platform::removeFile(gone.source);
    // Found there, then gone by the time it is opened: an unplugged disk.
    onDisk("Debranche", "d");
    steps.sources[2] = {BatchSource::Kind::File, dir.file("ailleurs/Debranche.avi")};
    steps.lost = [](const BatchFile& f) { return std::optional<std::string>("SERIES:\\films\\" + f.name); };
    onDisk("Trois", "t");
    BatchOptions options;
    options.showMissing = true;
    const BatchOutcome outcome = run(options);
    EXPECT_EQ(outcome.missing, (std::vector<std::string>{gone.source, "SERIES:\\films\\Debranche.avi"}));
    EXPECT_EQ(browse.missingSources,
              (std::vector<std::string>{" Fichiers inexistants mais listés !", "", gone.source, "",
                                        "SERIES:\\films\\Debranche.avi"}));
    EXPECT_EQ(outcome.copied, 2);
    EXPECT_EQ(steps.doneWith, (std::vector<std::size_t>{0, 3}));
    EXPECT_FALSE(outcome.stopped);

    // The same file unreadable on a disk still there: the run ends with its error, and what comes
    // after it is not touched.
    for (const std::string& name : favouriteNames()) platform::removeFile(favourites() + kSep + name);
    steps.doneWith.clear();
    steps.finishedCount = 0;
    steps.lost = nullptr;
    browse.missingSources.clear();
    try {
        run({});
        ADD_FAILURE() << "no error";
    } catch (const VerdanError& e) {
        EXPECT_EQ(e.text(), copyFailureText(CopyResult::CannotOpenSource, dir.file("ailleurs/Debranche.avi"),
                                            pathInFolder(favourites(), "Debranche.avi")));
    }
    EXPECT_EQ(steps.finishedCount, 1);
    EXPECT_EQ(favouriteNames(), (std::vector<std::string>{"Un.avi"}));
    EXPECT_TRUE(browse.missingSources.empty()) << "only a run that shows them lists them";
    EXPECT_FALSE(program.copyRunning);
}

TEST_F(BatchCopyTest, SkippedAndRefusedFilesAreDoneWithOnlyAsTheCallerSays) {
    BatchFile kept = onDisk("Garde", "nouveau");
    platform::removeFile(kept.source);
    dir.write("favoris/Garde.avi", "ancien");
    onDisk("Refuse", "r");
    steps.sources[1] = {BatchSource::Kind::Refused, "ligne refusée"};
    BatchFile crafted;
    crafted.origin = 2;
    crafted.name = "..";
    crafted.refusedLine = "ligne du nom";
    files.push_back(crafted);

    BatchOptions options;
    options.overwrite = false;
    // A skipped destination whose source is gone: missing when the caller needs the source...
    BatchOutcome outcome = run(options);
    EXPECT_EQ(outcome.missing, (std::vector<std::string>{kept.source}));
    EXPECT_TRUE(steps.doneWith.empty());
    EXPECT_EQ(outcome.refusedRows, (std::vector<std::string>{"ligne refusée", "ligne du nom"}));
    // ... done with when it is not needed (the plan's copy: the file is in the favourites already).
    steps.doneWith.clear();
    options.skippedNeedsSource = false;
    outcome = run(options);
    EXPECT_TRUE(outcome.missing.empty());
    EXPECT_EQ(steps.doneWith, (std::vector<std::size_t>{0}));
    EXPECT_EQ(outcome.copied, 0);
    EXPECT_EQ(TempFolder::read(favourites() + kSep + "Garde.avi"), "ancien");
    EXPECT_EQ(favouriteNames(), (std::vector<std::string>{"Garde.avi"}));
}

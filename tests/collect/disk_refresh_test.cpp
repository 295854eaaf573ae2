#include <gtest/gtest.h>

#include "catalogue/index_keys.h"
#include "collect/disk_refresh.h"
#include "collect/disk_rows.h"
#include "collect/found_line.h"
#include "platform/files.h"
#include "support/temp_folder.h"
#include "util/file_helpers.h"
#include "util/format.h"

#include <filesystem>

using namespace verdan;
using verdan::test::TempFolder;
namespace fs = std::filesystem;

namespace {

constexpr const char* kDate = "2020-05-01 10:30";

// One disk's rows against a scan of its folder "films", worked out without any window or scan.
class RefreshPlanning : public ::testing::Test {
protected:
    TempFolder drive;
    GlobalListState gl;
    ScannedDisk scan;
    FoundList found;
    StagingInput input;

    void SetUp() override {
        input.disk.label = "FILMS";
        input.disk.serial = "0A1B2C3D";
        input.disk.typeText = "USB";
        input.disk.ok = true;
        input.driveText = drive.path();
        input.decimalSeparator = ",";
        input.level = 1;
        scan.disk = input.disk;
        scan.driveRoot = drive.path();
        scan.folders = {path("films")};
    }
    // A path of the drive from a relative one written with "/".
    std::string path(const std::string& rel) const {
        std::string p = drive.path();
        std::size_t at = 0;
        while (at <= rel.size()) {
            const std::size_t end = std::min(rel.find('/', at), rel.size());
            p = joinPath(p, rel.substr(at, end - at));
            at = end + 1;
        }
        return p;
    }
    // A row of the disk: `rel` is "films/a/X.avi".
    void row(const std::string& rel, std::int64_t bytes, const std::string& date = kDate,
             const std::string& serial = "0A1B2C3D") {
        const std::size_t slash = rel.rfind('/');
        const std::string name = rel.substr(slash + 1);
        std::string folder = ":\\" + rel.substr(0, slash);
        std::replace(folder.begin(), folder.end(), '/', '\\');
        const std::size_t dot = name.rfind('.');
        std::vector<std::string> cells = {"1",
                                          "FILMS",
                                          "vidéo",
                                          name.substr(0, dot),
                                          name.substr(dot),
                                          date,
                                          folder,
                                          FormatTaille(bytes, ","),
                                          "E",
                                          "USB",
                                          serial,
                                          "1 Go",
                                          "2 Go",
                                          ""};
        if (gl.table.rowCount() == 2 && gl.table.isEmptyRow(1)) {
            gl.table.setRow(1, cells);
        } else {
            gl.table.appendRow(cells);
        }
    }
    // A file the scan found; `keep` false: the user took it out of the found list since.
    void line(const std::string& rel, std::int64_t bytes, const std::string& date = kDate, bool keep = true) {
        const std::string text = makeFoundLine(date, bytes, path(rel), ",");
        scan.lines.push_back(text);
        if (keep) found.insert(text);
    }
    // A real file of `bytes` bytes behind a line, for what the adding looks up again.
    void file(const std::string& rel, std::int64_t bytes, const std::string& date = kDate) {
        fs::create_directories(test::pathFromUtf8(path(rel)).parent_path());
        std::ofstream(test::pathFromUtf8(path(rel)), std::ios::binary)
            << std::string(static_cast<std::size_t>(bytes), 'x');
        line(rel, bytes, date);
    }
    void startAgain() {
        gl.table.resetToEmptyList();
        gl.keys.clear();
        gl.disks.clear();
        scan.lines.clear();
        found.clear();
    }
    RefreshPlan plan() {
        indexer_liste(gl.table, gl.keys, input.level, false, gl.index);
        return planDiskRefresh(gl.table, gl.keys, scan, found, input);
    }
    std::string linePathOf(std::size_t l) const { return std::string(splitFoundLine(scan.lines[l]).path); }
    std::vector<std::string> titles() const {
        std::vector<std::string> t;
        for (std::size_t r = 1; r < gl.table.rowCount(); ++r)
            t.push_back(std::string(gl.table.cell(r, 6)) + "\\" + std::string(gl.table.cell(r, 3)));
        return t;
    }
};

using Update = RefreshPlan::Update;

} // namespace

TEST_F(RefreshPlanning, LookAlikeFilesPairWithTheClosestPathsAndTheRestIsNew) {
    row("films/a/X.avi", 4000);
    row("films/c/Z.avi", 4000);
    line("films/a/Y.avi", 4000); // a rename beside it
    line("films/b/X.avi", 4000); // the same name one folder over
    line("films/c/W.avi", 4000);
    const RefreshPlan p = plan();
    EXPECT_EQ(p.moved, (std::vector<Update>{{1, 0}, {2, 2}}));
    EXPECT_EQ(p.added, (std::vector<std::size_t>{1}));
    EXPECT_TRUE(p.vanished.empty());

    // Another size, another date or another extension is no move.
    startAgain();
    row("films/X.avi", 4000);
    line("films/Y.avi", 5000);
    line("films/Y2.avi", 4000, "2020-05-01 10:31");
    line("films/X.mkv", 4000);
    const RefreshPlan q = plan();
    EXPECT_TRUE(q.moved.empty());
    EXPECT_EQ(q.vanished, (std::vector<std::size_t>{1}));
    EXPECT_EQ(q.added.size(), 3u);
}

TEST_F(RefreshPlanning, SizeAndDateDecideModifiedAndAnHourIsASummerTimeShift) {
    row("films/A.avi", 4000, "2020-03-01 10:00");
    row("films/B.avi", 4000, "2020-03-01 10:00");
    row("films/C.avi", 4000, "2020-03-01 10:00");
    row("films/D.avi", 4000, "2020-03-01 23:30");
    line("films/A.avi", 4000, "2020-03-01 11:00"); // an hour off: the same date
    line("films/B.avi", 4000, "2020-03-01 11:01");
    line("films/C.avi", 9000, "2020-03-01 10:00");
    line("films/D.avi", 4000, "2020-03-02 00:30"); // across midnight
    const RefreshPlan p = plan();
    EXPECT_EQ(p.unchanged, 2u);
    EXPECT_EQ(p.modified, (std::vector<Update>{{2, 1}, {3, 2}}));
    EXPECT_TRUE(p.added.empty());
    EXPECT_TRUE(p.vanished.empty());
}

TEST_F(RefreshPlanning, ALevelWithoutTheFolderKeepsTheNameOnceAndIdx4TakesBoth) {
    row("films/a/X.avi", 4000);
    line("films/a/X.avi", 4000);
    line("films/b/X.avi", 6000);
    input.level = 0; // idx1: name and disk
    EXPECT_TRUE(plan().added.empty()) << "the key is held by the row that stays";
    input.level = 3;
    EXPECT_EQ(plan().added, (std::vector<std::size_t>{1}));
}

TEST_F(RefreshPlanning, RowsRepeatingAPathKeepTheOneThatAgrees) {
    row("films/X.avi", 4000);
    row("films/X.avi", 9000);
    line("films/X.avi", 9000);
    const RefreshPlan p = plan();
    EXPECT_EQ(p.unchanged, 1u);
    EXPECT_EQ(p.vanished, (std::vector<std::size_t>{1}));
    EXPECT_TRUE(p.modified.empty());
}

// A line the user took out of the found list still names a file that is there.
TEST_F(RefreshPlanning, ALineTakenOutOfTheFoundListIsNeitherNewNorVanished) {
    row("films/X.avi", 4000);
    line("films/X.avi", 4000, kDate, false);
    line("films/Y.avi", 5000, kDate, false);
    const RefreshPlan p = plan();
    EXPECT_TRUE(p.changesNothing());
    EXPECT_EQ(p.unchanged, 1u);
}

TEST_F(RefreshPlanning, OnlyThisDiskUnderTheWalkedFoldersReadToTheEndIsCompared) {
    row("films/X.avi", 4000);
    row("films/locked/Y.avi", 4000);
    row("films/locked/deep/Z.avi", 4000);
    row("series/S.avi", 4000);
    row("films/W.avi", 4000, kDate, "FFFF0000"); // the same name, another serial
    row("filmsbis/V.avi", 4000);                 // a folder whose name only starts alike
    scan.unread = {path("films/locked")};
    const RefreshPlan p = plan();
    EXPECT_EQ(p.vanished, (std::vector<std::size_t>{1}));
    EXPECT_EQ(p.notCompared, 2u);

    const RefreshQuestion q = refreshQuestion(gl.table, scan, p);
    EXPECT_EQ(
        q.text,
        "  Disque FILMS : 0 nouveaux, 1 disparus, 0 déplacés ou renommés, 0 modifiés (taille ou date) "
        "\n\n  2 médias de dossiers illisibles ne sont pas comparés et restent tels quels \n\n  Mettre la "
        "liste à jour ?");
    ASSERT_EQ(q.details.size(), 1u);
    EXPECT_EQ(q.details[0].words, "1 disparus");
    EXPECT_EQ(q.details[0].lines, (std::vector<std::string>{path("films/X.avi")}));
}

TEST_F(RefreshPlanning, ARenameOfTheLetterCaseIsARename) {
    row("films/Film.avi", 4000);
    line("films/film.AVI", 4000);
    const RefreshPlan p = plan();
    EXPECT_EQ(p.moved, (std::vector<Update>{{1, 0}}));
}

// Applied at every level, the key set stays what a rebuild from the rows would make.
TEST_F(RefreshPlanning, ApplyingKeepsTheKeySetAtEveryLevel) {
    for (int level = 0; level < kIndexLevels; ++level) {
        SCOPED_TRACE(level);
        startAgain();
        input.level = level;
        row("films/a/Moved.avi", 4000);
        row("films/Gone.avi", 5000);
        row("films/Changed.avi", 6000);
        row("films/Same.avi", 7000);
        line("films/b/Moved.avi", 4000);
        line("films/Changed.avi", 6500);
        line("films/Same.avi", 7000);
        file("films/New.avi", 8000);
        const RefreshPlan p = plan();
        const RefreshApplied done = applyDiskRefresh(gl, scan, p, input);
        EXPECT_EQ(done.added, 1u);
        EXPECT_EQ(done.removed, 1u);
        EXPECT_EQ(done.updated, 2u);
        EXPECT_EQ(titles(), (std::vector<std::string>{":\\films\\b\\Moved", ":\\films\\Changed",
                                                      ":\\films\\Same", ":\\films\\New"}));
        KeySet rebuilt;
        IndexState index;
        indexer_liste(gl.table, rebuilt, level, false, index);
        EXPECT_EQ(gl.keys.size(), rebuilt.size());
        EXPECT_EQ(gl.keys.rowCount(), rebuilt.rowCount());
        for (std::size_t r = 1; r < gl.table.rowCount(); ++r)
            EXPECT_EQ(gl.keys.countOf(cle_index(gl.table, r, level)), 1u) << r;
        EXPECT_EQ(gl.disks, (std::vector<std::string>{"FILMS-0A1B2C3D"}));
    }
}

// The disk's rows read a slice at a time while a scan runs are those read at once, and a list
// changed meanwhile is read again from its start.
TEST_F(RefreshPlanning, RowsGatheredInSlicesAreThoseGatheredAtOnce) {
    row("films/a/X.avi", 4000);
    row("series/S.avi", 4000);
    row("films/W.avi", 4000, kDate, "FFFF0000");
    row("films/b/Y.avi", 4000);
    row("films/Z.avi", 4000);
    auto rowsOf = [](const DiskRows& d) {
        std::vector<std::pair<std::size_t, std::string>> out;
        for (const DiskRows::Row& r : d.rows()) out.emplace_back(r.row, d.folders()[r.folder]);
        std::sort(out.begin(), out.end());
        return out;
    };
    DiskRows atOnce(gl.table, input.disk, scan.driveRoot, scan.folders);
    atOnce.finish();
    EXPECT_TRUE(atOnce.current());
    EXPECT_EQ(rowsOf(atOnce), (std::vector<std::pair<std::size_t, std::string>>{
                                  {1, ":\\films\\a"}, {4, ":\\films\\b"}, {5, ":\\films"}}));
    EXPECT_EQ(atOnce.firstRow(), 1u);

    DiskRows sliced(gl.table, input.disk, scan.driveRoot, scan.folders);
    sliced.step(2);
    EXPECT_FALSE(sliced.current());
    gl.table.setCell(5, 3, "Z2"); // a title changes half-way: what was read may be stale
    sliced.step(2);
    sliced.step(10);
    EXPECT_TRUE(sliced.current());
    EXPECT_EQ(rowsOf(sliced), rowsOf(atOnce));
    const std::vector<bool> keep{true, false, true, true, true, true};
    gl.table.keepRows(keep);
    EXPECT_FALSE(sliced.current()) << "rows gone since";
    EXPECT_FALSE(atOnce.current());
}

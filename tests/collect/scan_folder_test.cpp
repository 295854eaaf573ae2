#include <gtest/gtest.h>

#include "collect/collection_state.h"
#include "collect/found_line.h"
#include "collect/scan.h"
#include "collect/scan_walk.h"
#include "platform/dir_walk.h"
#include "platform/files.h"
#include "support/child_process.h"
#include "support/fake_ui.h"
#include "support/temp_folder.h"
#include "support/unprivileged.h"
#include "util/file_helpers.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace verdan;
using verdan::test::TempFolder;
namespace fs = std::filesystem;

namespace {

std::string pathOf(const std::string& line) {
    return line.substr(line.find('>') + 5);
}

std::vector<std::string> sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

#ifndef _WIN32
// A chain of `depth` folders all named `name` below `root`, made through folder handles since its
// paths outgrow what the system takes; a media file every `every` levels. Gives the files' paths.
std::vector<std::string> makeChain(const std::string& root, const std::string& name, int depth, int every) {
    std::vector<std::string> files;
    std::string path = root;
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
    for (int level = 1; fd >= 0 && level <= depth; ++level) {
        ::mkdirat(fd, name.c_str(), 0755);
        const int child = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = child;
        path += "/" + name;
        if (level % every == 0) {
            const std::string file = "f" + std::to_string(level) + ".avi";
            const int f = ::openat(fd, file.c_str(), O_CREAT | O_WRONLY, 0644);
            (void)!::write(f, "abc", 3);
            ::close(f);
            files.push_back(path + "/" + file);
        }
    }
    if (fd >= 0) ::close(fd);
    return files;
}

// Removes such a chain a level at a time from the top, so that no path grows long.
void removeChain(const std::string& root, const std::string& name) {
    const int top = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
    for (;;) {
        const int fd = ::openat(top, name.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd < 0) break;
        DIR* dir = ::fdopendir(fd);
        bool deeper = false;
        while (dirent* e = ::readdir(dir)) {
            const std::string n = e->d_name;
            if (n == "." || n == "..") continue;
            if (n == name)
                deeper = ::renameat(fd, n.c_str(), top, "next") == 0;
            else
                ::unlinkat(fd, n.c_str(), 0);
        }
        ::closedir(dir);
        ::unlinkat(top, name.c_str(), AT_REMOVEDIR);
        if (!deeper || ::renameat(top, "next", top, name.c_str()) != 0) break;
    }
    ::close(top);
}
#endif

} // namespace

// The walk of one worker, without threads: every found line is collected as it comes.
class ScanFolderTest : public ::testing::Test {
protected:
    TempFolder root;
    ScanRun run;
    std::vector<std::string> lines;

    void SetUp() override {
        std::array<MediaCategory, 2> media{
            {{"vidéos", "avi, mkv, vob", "10", false}, {"musiques", "mp3", "1", false}}};
        run.settings = makeScanSettings(media, ",");
    }
    void folder(const std::string& rel) { fs::create_directories(test::pathFromUtf8(root.file(rel))); }
    void file(const std::string& rel, const std::string& bytes = "x") { root.write(rel, bytes); }
    std::vector<std::string> scan(const std::string& start) {
        lines.clear();
        ScanFolder(start, run, [&](std::string&& line) { lines.push_back(std::move(line)); });
        return paths();
    }
    std::vector<std::string> paths() const {
        std::vector<std::string> out;
        for (const auto& l : lines) out.push_back(pathOf(l));
        std::sort(out.begin(), out.end());
        return out;
    }
    std::string native(const std::string& rel) const {
        std::string p = root.path();
        std::size_t at = 0;
        while (at <= rel.size()) {
            std::size_t end = rel.find('/', at);
            if (end == std::string::npos) end = rel.size();
            p = joinPath(p, rel.substr(at, end - at));
            at = end + 1;
        }
        return p;
    }
};

TEST_F(ScanFolderTest, WalksDepthFirstAndListsMediaOnly) {
    folder("films/2020/été");
    file("a.avi");
    file("films/b.MKV");
    file("films/2020/été/c.mp3");
    file("films/2020/notes.txt");
    file("films/VIDEO_TS.VOB");
    file("films/VTS_01_1.VOB");
    EXPECT_EQ(scan(root.path()), sorted({native("a.avi"), native("films/2020/été/c.mp3"),
                                         native("films/VTS_01_1.VOB"), native("films/b.MKV")}));
    for (const auto& l : lines) EXPECT_EQ(l.find(std::string(1, '/') + "/"), std::string::npos) << l;
}

TEST_F(ScanFolderTest, SkipsTheThreeSystemFolderNamesExactly) {
    for (auto n : {"Windows", "Program Files", "System Volume Information", "Windows.old"}) {
        folder(n);
        file(std::string(n) + "/x.avi");
    }
    EXPECT_EQ(scan(root.path()), sorted({native("Windows.old/x.avi")}));
#ifndef _WIN32
    // Where letter case makes other names, those are walked.
    for (auto n : {"windows", "PROGRAM FILES"}) {
        folder(n);
        file(std::string(n) + "/x.avi");
    }
    EXPECT_EQ(scan(root.path()),
              sorted({native("PROGRAM FILES/x.avi"), native("Windows.old/x.avi"), native("windows/x.avi")}));
#endif
}

TEST_F(ScanFolderTest, FoundLineCarriesTimeAndSize) {
    file("a.avi", std::string(1536, 'x'));
    const auto when = fs::last_write_time(test::pathFromUtf8(root.file("a.avi")));
    scan(root.path());
    ASSERT_EQ(lines.size(), 1u);
    platform::FolderReader reader(root.path());
    platform::DirEntry e;
    ASSERT_TRUE(reader.next(e));
    const std::string time = platform::localMinuteText(reader.stat(e).modified);
    EXPECT_EQ(lines[0], makeFoundLine(time, 1536, native("a.avi"), ","));
    EXPECT_EQ(lines[0].substr(19, 7), "1,50 Ko");
    (void)when;
}

TEST_F(ScanFolderTest, TimesOutsideTheLegacyRangeNeitherStopNorBreakTheWalk) {
    using namespace std::chrono;
    file("old.avi");
    file("future.avi");
    folder("z");
    file("z/after.avi");
    const auto now = fs::file_time_type::clock::now();
    const auto nowSys = system_clock::now();
    auto at = [&](std::int64_t unixSeconds) {
        return now + duration_cast<fs::file_time_type::duration>(
                         seconds(unixSeconds) - duration_cast<seconds>(nowSys.time_since_epoch()));
    };
    fs::last_write_time(test::pathFromUtf8(root.file("old.avi")), at(0));             // 1970
    fs::last_write_time(test::pathFromUtf8(root.file("future.avi")), at(7258118400)); // 2200
    scan(root.path());
    ASSERT_EQ(lines.size(), 3u);
    for (const auto& l : lines) EXPECT_NE(l.find(" > "), std::string::npos);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.rfind("2200-", 0) == 0; }),
              1);
}

TEST_F(ScanFolderTest, AFiveGigabyteSparseFileKeepsItsSize) {
    file("big.mkv", "");
    fs::resize_file(test::pathFromUtf8(root.file("big.mkv")), 5LL << 30);
    run.settings.minimumOn[0] = true;
    run.settings.minimumSize[0] = 4LL << 30;
    scan(root.path());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(19, 16), "5,00 Go         ");
}

TEST_F(ScanFolderTest, MinimumSizesCountWhatTheyExclude) {
    run.settings.minimumOn = {true, true};
    run.settings.minimumSize = {100, 100};
    file("small.avi", "x");
    file("big.avi", std::string(200, 'x'));
    file("small.mp3", "x");
    file("s2.mp3", "x");
    EXPECT_EQ(scan(root.path()), sorted({native("big.avi")}));
    EXPECT_EQ(run.counters.tooSmall1, 1);
    EXPECT_EQ(run.counters.tooSmall2, 2);
}

TEST_F(ScanFolderTest, AStopEndsTheWalkAtTheNextEntry) {
    for (int i = 0; i < 50; ++i) file("f" + std::to_string(i) + ".avi");
    ScanFolder(root.path(), run, [&](std::string&& line) {
        lines.push_back(std::move(line));
        run.stopRequested = true;
    });
    EXPECT_EQ(lines.size(), 1u);
    scan(root.path());
    EXPECT_TRUE(lines.empty()) << "a stopped scan walks nothing more";
}

TEST_F(ScanFolderTest, AMissingStartContributesNothing) {
    EXPECT_TRUE(scan(root.file("absent")).empty());
    file("plain.avi");
    EXPECT_TRUE(scan(root.file("plain.avi")).empty());
}

TEST_F(ScanFolderTest, AFolderDeletedWhileItIsScanned) {
    for (auto d : {"a", "b", "c"}) {
        folder(std::string(d) + "/deep/er");
        for (int i = 0; i < 20; ++i) file(std::string(d) + "/deep/er/" + std::to_string(i) + ".avi");
        file(std::string(d) + "/top.avi");
    }
    bool removed = false;
    ScanFolder(root.path(), run, [&](std::string&& line) {
        lines.push_back(std::move(line));
        if (!removed) {
            // Windows refuses to delete the folder being listed; the others go.
            std::error_code ec;
            for (auto d : {"a", "b", "c"}) fs::remove_all(test::pathFromUtf8(root.file(d)), ec);
            removed = true;
        }
    });
    EXPECT_GE(lines.size(), 1u);
    EXPECT_LE(lines.size(), 21u) << "what was gone was not listed";
}

#ifndef _WIN32
TEST_F(ScanFolderTest, LinksAreNeverFollowedSoALoopEnds) {
    folder("a/b");
    file("a/b/x.avi");
    fs::create_directory_symlink(test::pathFromUtf8(root.file("a")),
                                 test::pathFromUtf8(root.file("a/b/loop")));
    fs::create_directory_symlink("..", test::pathFromUtf8(root.file("a/up")));
    fs::create_symlink(test::pathFromUtf8(root.file("a/b/x.avi")), test::pathFromUtf8(root.file("link.avi")));
    EXPECT_EQ(scan(root.path()), sorted({native("a/b/x.avi")}));
}

TEST_F(ScanFolderTest, NamesACatalogueCannotHoldTakeTheUnreadableRoad) {
    folder("Фильмы");
    file("Фильмы/a.avi");
    file("tab\there.avi");
    file("line\nfeed.mp3");
    file("caf\xE9.avi");
    file("ok.avi", "12");
    scan(root.path());
    EXPECT_EQ(paths(), sorted({native("caf?.avi"), native("line?feed.mp3"), native("ok.avi"),
                               native("tab?here.avi"), native(std::string(6, '?') + "/a.avi")}));
    for (const auto& l : lines) {
        EXPECT_EQ(l.find('\t'), std::string::npos);
        EXPECT_EQ(l.find('\n'), std::string::npos);
        EXPECT_EQ(hasUnreadableSize(l), pathOf(l) != native("ok.avi")) << l;
    }
    EXPECT_EQ(run.counters.unreadable, 4);

    run.settings.minimumOn[0] = true; // with a minimum they are too small instead
    run.settings.minimumSize[0] = 0;
    run.counters.unreadable = 0;
    scan(root.path());
    EXPECT_EQ(run.counters.tooSmall1, 3);
    EXPECT_EQ(run.counters.unreadable, 1) << "the music file has no minimum";
}

TEST_F(ScanFolderTest, TheDriveRootsOwnNameNeverCounts) {
    folder("Фильмы/films");
    file("Фильмы/films/a.avi");
    run.driveRoot = root.file("Фильмы");
    scan(run.driveRoot);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(pathOf(lines[0]), joinPath(joinPath(run.driveRoot, "films"), "a.avi"));
    EXPECT_FALSE(hasUnreadableSize(lines[0]));
    // A folder below the root is stored in the catalogue, so its name counts.
    run.driveRoot = root.path();
    scan(root.file("Фильмы"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(hasUnreadableSize(lines[0]));
}

TEST_F(ScanFolderTest, UnreadableFoldersContributeNothing) {
    verdan::test::asUnprivileged({root.path()}, [&] {
        folder("closed");
        file("closed/x.avi");
        file("open.avi");
        fs::permissions(test::pathFromUtf8(root.file("closed")), fs::perms::none);
        EXPECT_EQ(scan(root.path()), sorted({native("open.avi")}));
        fs::permissions(test::pathFromUtf8(root.file("closed")), fs::perms::owner_all);
    });
}

TEST_F(ScanFolderTest, OtherMountedFileSystemsAreNotEntered) {
    // /dev/shm is a file system of its own inside /dev on Linux systems.
    platform::FolderReader dev("/dev"), shm("/dev/shm");
    if (!dev.isOpen() || !shm.isOpen() || dev.device() == shm.device())
        GTEST_SKIP() << "/dev/shm is not a separate mount here";
    const std::string name = fs::path(root.path()).filename().string() + ".avi";
    std::string shmFile = "/dev/shm/" + name;
    { std::ofstream(shmFile) << "x"; }
    scan("/dev");
    fs::remove(shmFile);
    for (const auto& p : paths()) EXPECT_EQ(p.find(name), std::string::npos) << p;
}
#endif

#ifndef _WIN32
TEST_F(ScanFolderTest, TreesDeeperOrLongerThanThePathLimitAreWalkedWhole) {
    // In memory where it can be: ten thousand folders cost a disk-backed folder seconds.
    char inMemory[] = "/dev/shm/verdan_deep_XXXXXX";
    const std::string base = ::mkdtemp(inMemory) ? std::string(inMemory) : root.path();
    // 10,000 one-letter folders: most of the 20 files lie beyond the 4,096 bytes a path may have.
    auto deep = makeChain(base, "d", 10000, 500);
    // Folders named with 250 bytes: the path passes the limit at the 17th.
    auto longNames = makeChain(base, std::string(250, 'n'), 33, 16);
    ASSERT_EQ(deep.size(), 20u);
    ASSERT_EQ(longNames.size(), 2u);
    std::vector<std::string> expected = deep;
    expected.insert(expected.end(), longNames.begin(), longNames.end());
    EXPECT_EQ(scan(base), sorted(expected));
    for (const auto& l : lines) EXPECT_FALSE(hasUnreadableSize(l)) << l.substr(0, 60);
    EXPECT_EQ(run.counters.inaccessibleFolders, 0);
    // Adding looks each file up again by its path.
    platform::EntrySizes sizes;
    EXPECT_EQ(sizes(deep.back()), 3);
    EXPECT_EQ(sizes(longNames.back()), 3);
    EXPECT_EQ(sizes(deep.back() + "x"), -1);
    removeChain(base, "d");
    removeChain(base, std::string(250, 'n'));
    if (base != root.path()) ::rmdir(base.c_str());
}

TEST_F(ScanFolderTest, ABackslashInALinuxNameCannotComeBackFromTheCatalogue) {
    folder("a\\b");
    file("a\\b/film.avi");
    file("x\\y.avi");
    scan(root.path());
    EXPECT_EQ(paths(), sorted({native("a?b/film.avi"), native("x?y.avi")}));
    for (const auto& l : lines) EXPECT_TRUE(hasUnreadableSize(l)) << l;
}

TEST_F(ScanFolderTest, ATickedFolderOnAnotherMountIsNotWalked) {
    platform::FolderReader dev("/dev"), shm("/dev/shm");
    if (!dev.isOpen() || !shm.isOpen() || dev.device() == shm.device())
        GTEST_SKIP() << "/dev/shm is not a separate mount here";
    const std::string name = fs::path(root.path()).filename().string() + ".avi";
    const std::string shmFile = "/dev/shm/" + name;
    { std::ofstream(shmFile) << "x"; }
    run.driveRoot = "/dev";
    scan("/dev/shm");
    fs::remove(shmFile);
    EXPECT_TRUE(lines.empty());
}

TEST_F(ScanFolderTest, RefusedFilesAndFoldersAreToldForWhatTheyAre) {
    // A folder that may be listed but not looked into, one that may not even be listed.
    folder("listed");
    file("listed/x.avi");
    folder("closed");
    file("closed/y.avi");
    file("open.avi");
    fs::permissions(test::pathFromUtf8(root.path()),
                    fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(test::pathFromUtf8(root.file("listed")), fs::perms::owner_all | fs::perms::others_read);
    fs::permissions(test::pathFromUtf8(root.file("closed")), fs::perms::owner_all);
    const auto out = test::runAsNobody([&] {
        DriveTable drives;
        CollectionState state{drives};
        test::FakeUi ui;
        state.tick = [] { return 0u; };
        ScanRun summed;
        summed.settings = run.settings;
        std::vector<std::string> lines;
        ScanFolder(root.path(), summed, [&](std::string&& line) { lines.push_back(std::move(line)); });
        addToFoundList(state, std::move(lines));
        summarizeScan(state, ui, summed);
        return state.unreadablePanel.caption + "|" + ui.shown.back().text;
    });
    ASSERT_TRUE(out.has_value()) << "no child as nobody";
    const std::string caption = out->substr(0, out->find('|'));
    const std::string message = out->substr(out->find('|') + 1);
    EXPECT_EQ(caption,
              "  1 fichier(s) illisible(s)  =>  accès refusé (droits insuffisants) d'où taille = N/A");
    EXPECT_NE(message.find(" Listage terminé,   2 médias retenus"), std::string::npos) << message;
    EXPECT_NE(message.find("\n\n  1 fichier(s) illisible(s), accès refusé  => taille = N/A"),
              std::string::npos)
        << message;
    EXPECT_NE(message.find("\n\n  1 dossier(s) inaccessible(s)  =>  leurs fichiers ne sont pas listés"),
              std::string::npos)
        << message;
    EXPECT_EQ(message.find("introuvable"), std::string::npos) << message;
}
#endif

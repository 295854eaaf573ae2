// Times the multiple copy to the favourites folder ("Copie multiple (x)") against cp of the same
// sources to the same folder, in the same run: one 2 GiB file, then 2,000 small files. The sources
// are made once (random bytes) in CACHE_FOLDER and kept; both sides copy from a warm page cache
// (every source is read once first), into an emptied destination, after a sync so that neither
// inherits the other's pending writeback. Each time is the best of RUNS, the two taking turns.
// Prints "name=value" lines for scripts/bench-copy.
// Usage: verdan_copy_bench CACHE_FOLDER WORK_FOLDER [RUNS]
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "browse/browse_state.h"
#include "browse/favourites_copy.h"
#include "browse/marks.h"
#include "catalogue/program_state.h"
#include "platform/files.h"
#include "support/answering_ui.h"
#include "util/error.h"
#include "util/format.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::int64_t kBigSize = std::int64_t{2} << 30;
constexpr int kSmallCount = 2000;
constexpr const char* kComplete = ".complete-1";

double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Random {
    std::uint64_t state;
    std::uint64_t next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
};

void fail(const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    std::exit(1);
}

// Writes `size` random bytes under a temporary name, renamed once whole.
void makeFile(const fs::path& path, std::int64_t size, Random& random) {
    const fs::path temp = path.string() + ".part";
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    std::vector<std::uint64_t> chunk(1 << 20);
    for (std::int64_t left = size; left > 0;) {
        for (auto& word : chunk) word = random.next();
        const std::int64_t n = std::min<std::int64_t>(left, static_cast<std::int64_t>(chunk.size() * 8));
        out.write(reinterpret_cast<const char*>(chunk.data()), n);
        left -= n;
    }
    out.close();
    if (!out) fail("cannot write " + temp.string());
    fs::rename(temp, path);
}

std::string smallName(int i) {
    char name[32];
    // Photos and songs, as a favourites folder holds them.
    std::snprintf(name, sizeof name, i % 3 == 0 ? "chanson_%04d" : "photo_%04d", i);
    return name;
}
const char* smallExt(int i) {
    return i % 3 == 0 ? ".mp3" : ".jpg";
}

// Sizes spread evenly on a log scale from 4 KB to 600 KB.
std::vector<std::int64_t> smallSizes() {
    Random random{42};
    std::vector<std::int64_t> sizes;
    for (int i = 0; i < kSmallCount; ++i) {
        const double u = static_cast<double>(random.next() >> 11) / 9007199254740992.0;
        sizes.push_back(static_cast<std::int64_t>(4000 * std::pow(150.0, u)));
    }
    return sizes;
}

void makeSources(const fs::path& disk) {
    if (fs::exists(disk / kComplete)) return;
    std::fprintf(stderr, "making the sources in %s (once)\n", disk.c_str());
    fs::remove_all(disk);
    fs::create_directories(disk / "films");
    fs::create_directories(disk / "divers");
    Random random{7};
    makeFile(disk / "films" / "grand_film.mkv", kBigSize, random);
    const std::vector<std::int64_t> sizes = smallSizes();
    for (int i = 0; i < kSmallCount; ++i)
        makeFile(disk / "divers" / (smallName(i) + smallExt(i)), sizes[static_cast<std::size_t>(i)], random);
    std::ofstream(disk / kComplete) << "ok\n";
}

// Reads a file to its end, so that it sits in the page cache.
void readThrough(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail("cannot open " + path.string());
    std::vector<char> buffer(1 << 20);
    while (::read(fd, buffer.data(), buffer.size()) > 0) {
    }
    ::close(fd);
}

bool sameBytes(const fs::path& a, const fs::path& b) {
    std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
    std::vector<char> ba(1 << 20), bb(1 << 20);
    for (;;) {
        fa.read(ba.data(), static_cast<std::streamsize>(ba.size()));
        fb.read(bb.data(), static_cast<std::streamsize>(bb.size()));
        if (fa.gcount() != fb.gcount()) return false;
        if (fa.gcount() == 0) return true;
        if (!std::equal(ba.begin(), ba.begin() + fa.gcount(), bb.begin())) return false;
    }
}

// An empty destination folder and no writeback pending from the previous run.
void emptyDestination(const fs::path& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    ::sync();
}

double timeCp(const std::vector<std::string>& sources, const fs::path& folder) {
    std::vector<std::string> args = {"cp"};
    args.insert(args.end(), sources.begin(), sources.end());
    args.push_back(folder.string() + "/");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const auto start = Clock::now();
    pid_t pid = 0;
    if (::posix_spawnp(&pid, "cp", nullptr, nullptr, argv.data(), environ) != 0) fail("cannot start cp");
    int status = 0;
    ::waitpid(pid, &status, 0);
    const double seconds = since(start);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) fail("cp failed");
    return seconds;
}

// What a pass of the window's event loop costs at the least: a call the compiler cannot see
// through.
class EventLoop {
public:
    virtual ~EventLoop() = default;
    virtual void handlePending() { ++passes; }
    long long passes = 0;
};

class BenchUi : public verdan::test::AnsweringUi {
public:
    explicit BenchUi(EventLoop& loop) : m_loop(loop) {}
    void processEvents() override { m_loop.handlePending(); }

private:
    EventLoop& m_loop;
};

class BenchView : public verdan::CopyView {
public:
    void copyProgressChanged() override { ++repaints; }
    long long repaints = 0;
};

struct Batch {
    std::string name;
    std::vector<std::string> sources; // full paths
    std::vector<std::string> titles;  // without extension
    std::vector<std::string> exts;
    std::vector<std::int64_t> sizes;
    std::string catalogueFolder;
    std::int64_t bytes = 0;
};

struct Result {
    double cp = 1e300;
    double ours = 1e300;
    long long passes = 0;
    bool same = true;
};

Result run(const Batch& batch, const fs::path& disk, const fs::path& work, int runs) {
    const fs::path favourites = work / "favoris";
    Result result;
    for (int r = 0; r < runs; ++r) {
        for (int side = 0; side < 2; ++side) {
            // Turn about, so that neither always follows the other.
            const bool cpTurn = (side == 0) == (r % 2 == 0);
            emptyDestination(favourites);
            if (cpTurn) {
                result.cp = std::min(result.cp, timeCp(batch.sources, favourites));
                continue;
            }
            verdan::ProgramState program;
            program.programFolder = work.string();
            program.globalList.favouritesCaption = favourites.string();
            verdan::BrowseState browse;
            verdan::GlobalList& table = program.globalList.table;
            for (std::size_t i = 0; i < batch.titles.size(); ++i) {
                const std::vector<std::string> cells = {std::to_string(i + 1),
                                                        "BENCH",
                                                        batch.exts[i] == ".mp3" ? "audio" : "vidéo",
                                                        batch.titles[i],
                                                        batch.exts[i],
                                                        "2020-01-01 10:00",
                                                        batch.catalogueFolder,
                                                        verdan::FormatTaille(batch.sizes[i]),
                                                        "E",
                                                        "USB",
                                                        "1234ABCD",
                                                        "1,00 Go",
                                                        "2,00 Go",
                                                        verdan::kMark};
                if (table.rowCount() == 2 && table.isEmptyRow(1))
                    table.setRow(1, cells);
                else
                    table.appendRow(cells);
            }
            const verdan::DriveRows drives = {{disk.string(), "BENCH", "1234ABCD"}};
            EventLoop loop;
            BenchUi ui(loop);
            BenchView view;
            const auto start = Clock::now();
            verdan::Button_copie_multipleClick(program, browse, ui, view, drives, {});
            result.ours = std::min(result.ours, since(start));
            result.passes = loop.passes;
            for (std::size_t i = 0; i < batch.sources.size(); ++i)
                if (verdan::platform::entrySize((favourites / (batch.titles[i] + batch.exts[i])).string()) !=
                    batch.sizes[i])
                    result.same = false;
            if (r == runs - 1)
                for (const std::string& source : batch.sources)
                    if (!sameBytes(source, favourites / fs::path(source).filename())) result.same = false;
        }
    }
    emptyDestination(favourites);
    return result;
}

void print(const Batch& batch, const Result& r) {
    const double mb = static_cast<double>(batch.bytes) / 1e6;
    std::printf("%s_bytes=%lld\n", batch.name.c_str(), static_cast<long long>(batch.bytes));
    std::printf("%s_files=%zu\n", batch.name.c_str(), batch.sources.size());
    std::printf("%s_cp_seconds=%.4f\n", batch.name.c_str(), r.cp);
    std::printf("%s_ours_seconds=%.4f\n", batch.name.c_str(), r.ours);
    std::printf("%s_cp_mbps=%.1f\n", batch.name.c_str(), mb / r.cp);
    std::printf("%s_ours_mbps=%.1f\n", batch.name.c_str(), mb / r.ours);
    std::printf("%s_ratio=%.3f\n", batch.name.c_str(), r.cp / r.ours);
    std::printf("%s_event_passes=%lld\n", batch.name.c_str(), r.passes);
    std::printf("%s_identical=%s\n", batch.name.c_str(), r.same ? "yes" : "NO");
}

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string a, b, c;
    in >> a >> b >> c;
    return a + " " + b + " " + c;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: %s CACHE_FOLDER WORK_FOLDER [RUNS]\n", argv[0]);
        return 2;
    }
    const int runs = argc == 4 ? std::max(1, std::atoi(argv[3])) : 5;
    try {
        const fs::path disk = fs::absolute(fs::path(argv[1]) / "disque");
        const fs::path work = fs::absolute(argv[2]);
        fs::create_directories(work);
        makeSources(disk);

        Batch big;
        big.name = "big";
        big.sources = {(disk / "films" / "grand_film.mkv").string()};
        big.titles = {"grand_film"};
        big.exts = {".mkv"};
        big.sizes = {kBigSize};
        big.catalogueFolder = ":\\films";
        big.bytes = kBigSize;

        Batch small;
        small.name = "small";
        small.sizes = smallSizes();
        small.catalogueFolder = ":\\divers";
        for (int i = 0; i < kSmallCount; ++i) {
            small.titles.push_back(smallName(i));
            small.exts.push_back(smallExt(i));
            small.sources.push_back((disk / "divers" / (smallName(i) + smallExt(i))).string());
            small.bytes += small.sizes[static_cast<std::size_t>(i)];
        }

        for (const Batch* batch : {&big, &small})
            for (const std::string& source : batch->sources) readThrough(source);

        std::printf("runs=%d\nload_before=%s\n", runs, loadAverage().c_str());
        print(big, run(big, disk, work, runs));
        print(small, run(small, disk, work, runs));
        std::printf("load_after=%s\n", loadAverage().c_str());
    } catch (const verdan::VerdanError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

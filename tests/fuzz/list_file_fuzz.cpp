// libFuzzer target for the list-file reader: any bytes must load into a well-formed table, survive
// a save and a reload, and the line splitter must agree with the plain one at every block size.
// Built with clang and -DVERDAN_BUILD_FUZZ=ON (scripts/fuzz).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/line_reader.h"
#include "catalogue/list_file.h"
#include "support/answering_ui.h"
#include "util/error.h"
#include "util/text.h"

namespace {

using verdan::test::AnsweringUi;

class MemoryInput : public verdan::platform::InputFile {
public:
    MemoryInput(std::string_view bytes, std::size_t piece) : m_bytes(bytes), m_piece(piece) {}
    long long read(char* buffer, std::size_t size) override {
        const std::size_t n = std::min({size, m_piece, m_bytes.size() - m_pos});
        m_bytes.copy(buffer, n, m_pos);
        m_pos += n;
        return static_cast<long long>(n);
    }

private:
    std::string_view m_bytes;
    std::size_t m_piece;
    std::size_t m_pos = 0;
};

// Memory-backed when there is one: every run saves a file, and a disk would set the pace.
// Removed when the fuzzer ends.
struct WorkFolder {
    std::string path;
    WorkFolder() {
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        const auto p = base / ("verdan_fuzz_" + std::to_string(std::rand()));
        std::filesystem::create_directories(p);
        path = p.string();
    }
    ~WorkFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

const std::string& folder() {
    static const WorkFolder work;
    return work.path;
}

void check(bool ok) {
    if (!ok) std::abort();
}

void checkTable(const verdan::GlobalList& t) {
    check(t.rowCount() >= 2);
    for (std::size_t r = 0; r < t.rowCount(); ++r) {
        const std::string_view text = t.rowText(r);
        check(std::count(text.begin(), text.end(), '\t') == verdan::kListColumns - 1);
        check(text.find_first_of("\r\n") == std::string_view::npos);
    }
}

// The reader's lines against the plain splitter, with tiny blocks so that line ends straddle them.
void checkLineReader(std::string_view bytes, std::size_t block, std::size_t piece) {
    MemoryInput input(bytes, piece);
    verdan::LineReader reader(input, 16, block);
    std::string_view line;
    for (std::string_view expected : verdan::splitLines(bytes)) {
        check(reader.next(line) == verdan::LineReader::Status::Line);
        check(line == expected.substr(0, 16));
    }
    check(reader.next(line) == verdan::LineReader::Status::End);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (size > 0) checkLineReader(bytes.substr(1), 1 + data[0] % 40, 1 + data[0] % 7);

    const std::string path = folder() + "/in.txt";
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(size));
    AnsweringUi ui;
    verdan::GlobalList table;
    try {
        verdan::lire_liste(table, path, verdan::ListMode::Replace, ui, folder());
        checkTable(table);
        verdan::lire_liste(table, path, verdan::ListMode::Append, ui, folder());
        checkTable(table);
        const std::string saved = folder() + "/out.txt";
        verdan::ecrire_liste(table, saved);
        verdan::GlobalList again;
        verdan::lire_liste(again, saved, verdan::ListMode::Replace, ui, folder());
        checkTable(again);
        check(again.rowCount() <= table.rowCount());
    } catch (const verdan::VerdanError&) {
        std::abort(); // a readable file in a writable folder must never fail
    }
    return 0;
}

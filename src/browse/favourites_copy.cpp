#include "browse/favourites_copy.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <vector>

#include "browse/marks.h"
#include "browse/opening.h"
#include "browse/retrieval_plan.h"
#include "catalogue/contained_paths.h"
#include "catalogue/file_copy.h"
#include "platform/files.h"
#include "platform/system.h"
#include "util/cp1252.h"
#include "util/dialogs.h"
#include "util/error.h"
#include "util/file_helpers.h"
#include "util/format.h"
#include "util/text.h"

namespace verdan {
namespace {

constexpr std::size_t kBlockSize = 262144;
constexpr int kBarMaximum = 10000;

int barPosition(std::int64_t done, std::int64_t whole) {
    if (whole <= 0 || done <= 0) return 0;
    // In long double: a 4 GiB file times 10000 is still exact, and nothing overflows.
    const long double position =
        static_cast<long double>(done) * kBarMaximum / static_cast<long double>(whole);
    return position >= kBarMaximum ? kBarMaximum : static_cast<int>(position);
}

// Puts the panel, the pointer and the lock back however the copy ends, an error included.
class CopyScope {
public:
    CopyScope(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view, bool busy)
        : m_program(program), m_browse(browse), m_ui(ui), m_view(view), m_busy(busy) {
        m_program.copyRunning = true;
        if (m_busy) m_ui.setBusy(true);
    }
    ~CopyScope() { end(); }
    CopyScope(const CopyScope&) = delete;
    CopyScope& operator=(const CopyScope&) = delete;
    void end() {
        if (m_ended) return;
        m_ended = true;
        if (m_busy) m_ui.setBusy(false);
        m_browse.copyPanel.visible = false;
        m_browse.missingSourcesShown = false;
        m_program.copyRunning = false;
        m_view.copyProgressChanged();
    }

private:
    ProgramState& m_program;
    BrowseState& m_browse;
    Ui& m_ui;
    CopyView& m_view;
    bool m_busy;
    bool m_ended = false;
};

// One block buffer for every copy of the run.
std::vector<char>& copyBuffer() {
    static std::vector<char> buffer(kBlockSize);
    return buffer;
}

CopyResult copyWithProgress(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view,
                            const std::string& source, const std::string& folder, std::string_view name,
                            const std::int64_t& total, std::int64_t before, std::int64_t& size,
                            platform::FileFailure& why) {
    CopyProgressPanel& panel = browse.copyPanel;
    size = FileSize64(source);
    const std::uint32_t t0 = browse.tick();
    std::uint32_t tLast = t0;
    panel.speed = "0 Mo/s";
    panel.fileBar = 0;
    view.copyProgressChanged();
    std::int64_t copied = 0;
    const CopyResult result = copyThroughTemporary(
        source, folder, name, copyBuffer(),
        [&](std::int64_t done) {
            copied = done;
            const std::uint32_t now = browse.tick();
            if (now - tLast > 1000 && now - t0 > 0) {
                panel.speed =
                    speedText(static_cast<double>(done) / 1024 / 1024 / ((now - t0) / 1000.0)) + " Mo/s";
                tLast = now;
                const std::string remaining =
                    remainingTimeText(browse.batchStartTick, now, total, before + done);
                if (!remaining.empty()) panel.remaining = remaining;
            }
            if (size > 0) panel.fileBar = barPosition(done, size);
            view.copyProgressChanged();
            ui.processEvents();
            if (program.StopRequested) {
                if (ui.ask(DialogType::Confirmation, " Arrêter la copie ?",
                           {DialogButton::Yes, DialogButton::No}) == DialogButton::Yes)
                    return false;
                program.StopRequested = false;
            }
            return true;
        },
        &why);
    if (result == CopyResult::Copied) {
        const std::uint32_t elapsed = browse.tick() - t0;
        if (elapsed > 0)
            panel.speed = "Vitesse moyenne : " +
                          speedText(static_cast<double>(copied) / 1024 / 1024 / (elapsed / 1000.0)) + " Mo/s";
        // A file that grew since its size was read is counted as copied.
        size = std::max(size, copied);
        view.copyProgressChanged();
    }
    return result;
}

std::int64_t plannedSize(std::string_view sizeText) {
    return std::max<std::int64_t>(0, ParseTaille(sizeText));
}

void writeMissingSources(Ui& ui, const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    if (platform::writeFileAtomically(path, cp1252::encode(text)) != platform::WriteResult::Ok) {
        showError(ui, msg::cannotCreate(path));
        return;
    }
    ui.showInfo(
        "  ==== certains fichier(s) source sont inexistant(s) ===== \n\n       liste enregistrée dans : " +
        path);
}

} // namespace

std::string speedText(double megabytesPerSecond) {
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, megabytesPerSecond, std::chars_format::fixed, 2);
    std::string text = ec == std::errc() ? std::string(buffer, end) : std::string("0.00");
    const std::size_t dot = text.find('.');
    if (dot != std::string::npos) text.replace(dot, 1, platform::decimalSeparator());
    return text;
}

std::string remainingTimeText(std::uint32_t start, std::uint32_t now, std::int64_t total,
                              std::int64_t copied) {
    if (copied == 0) return {};
    const long double remaining = static_cast<long double>(total) - static_cast<long double>(copied);
    if (remaining <= 0) return FormatDureeHMS(0);
    const long double ms = std::nearbyint(static_cast<long double>(now - start) * remaining / copied);
    const long double most = std::numeric_limits<std::uint32_t>::max();
    return FormatDureeHMS(static_cast<std::uint32_t>(ms > most ? most : ms));
}

std::string existingDestinationsQuestion(std::int64_t existing, std::int64_t skipping, std::int64_t all) {
    return " " + toText(existing) + " fichier(s) de destination déjà existant(s) : \n\n" +
           " (Oui) sauter les existants  : " + FormatTaille(skipping) + "\n\n" +
           " (Non) écraser tous          : " + FormatTaille(all);
}

CopyEnd CopyFileWithProgress(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view,
                             const std::string& source, const std::string& folder, std::string_view name,
                             const std::int64_t& total, std::int64_t before, std::int64_t& size) {
    platform::FileFailure why{};
    const CopyResult result =
        copyWithProgress(program, browse, ui, view, source, folder, name, total, before, size, why);
    if (result == CopyResult::Copied) return CopyEnd::Copied;
    if (result == CopyResult::Abandoned) return CopyEnd::Stopped;
    throw VerdanError(copyFailureText(result, source, pathInFolder(folder, name), why));
}

void copyOneToFavourites(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view,
                         const std::string& source) {
    if (program.copyRunning) return;
    const std::string folder = program.globalList.favouritesCaption;
    if (!platform::isFolder(folder)) {
        ui.showInfo(" Répertoire favoris inexistant <" + folder + "> ...    ");
        return;
    }
    removeStaleTemporaries(folder);
    program.StopRequested = false;
    CopyProgressPanel& panel = browse.copyPanel;
    panel.fileName = browse.contextPanel.fileName;
    panel.folder = browse.contextPanel.folder;
    panel.total = browse.contextPanel.sizeText;
    panel.counter.clear();
    browse.contextPanel.visible = false;
    panel.batchBarVisible = false;
    panel.remaining = "--:--";
    panel.visible = true;
    browse.batchStartTick = browse.tick();
    CopyScope scope(program, browse, ui, view, false);
    // The planned total is the real size, known once the copy has read it.
    std::int64_t size = 0;
    CopyFileWithProgress(program, browse, ui, view, source, folder, fileNameOfPath(source), size, 0, size);
}

void BitBtn_copie_un_par_unClick(ProgramState& program, BrowseState& browse, Ui& ui, Shell& shell,
                                 CopyView& view, const DriveRows& drives, std::size_t current) {
    BusyScope busy(ui);
    const std::string path = lancer_explorateur_ou_copie_StringGrid(program, browse, ui, shell, drives,
                                                                    current, RowAction::CopyToFavourites);
    browse.contextPanel.visible = false;
    if (!path.empty()) copyOneToFavourites(program, browse, ui, view, path);
}

namespace {

// The cells of the visible table that a copy reads, by header.
struct CopyColumns {
    explicit CopyColumns(const GridTable& table)
        : mark(table.indice_col_liste(kMark)), size(table.indice_col_liste("taille")),
          title(table.indice_col_liste("titre")), ext(table.indice_col_liste("ext")),
          folder(table.indice_col_liste("répertoire")), serial(table.indice_col_liste("NS-disque")),
          disk(table.indice_col_liste("nom-disque")) {}
    int mark, size, title, ext, folder, serial, disk;
};

} // namespace

std::string refusedRowsText(const std::vector<std::string>& rows, const std::string& whatBecomes) {
    return "  " + toText(static_cast<long long>(rows.size())) +
           " ligne(s) refusée(s) : leur nom ou leur répertoire mènerait hors de son dossier (un « / », un "
           "« \\ », « .. »...) ; elles " +
           whatBecomes + " :\n" + listedLines(rows);
}

void Button_copie_multipleClick(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view,
                                const DriveRows& drives, const RowSet& selection,
                                const std::function<DriveRows()>& recheckDrives) {
    if (program.copyRunning) return;
    const std::string folder = program.globalList.favouritesCaption;
    if (!platform::isFolder(folder)) {
        ui.showInfo(" Répertoire <" + folder + "> inexistant ");
        return;
    }
    GridTable table = visibleTable(program, browse);
    CopyProgressPanel& panel = browse.copyPanel;
    const CopyColumns col(table);
    const auto isMarked = [&](std::size_t row) {
        return col.mark >= 0 && table.cell(row, col.mark) == kMark;
    };
    const auto fileName = [&](std::size_t row) {
        return std::string(table.cell(row, col.title)) + std::string(table.cell(row, col.ext));
    };
    // The plan takes a row's cells from the list itself, which a result row refers to.
    const auto plannedFile = [&](std::size_t row) {
        return plannedFileOfRow(program.globalList.table,
                                browse.filterShown ? browse.filter.listRow(row) : row);
    };

    std::int64_t n = 0, total = 0, existing = 0, existingSize = 0;
    // The rows confirmed for the copy: marks cleared meanwhile elsewhere (an activation of the
    // collection window clears them all) do not cut the copy short.
    std::vector<std::size_t> marked;
    for (std::size_t row = 1; row < table.rowCount(); ++row) {
        if (!isMarked(row)) continue;
        ++n;
        marked.push_back(row);
        const std::int64_t planned = plannedSize(table.cell(row, col.size));
        total += planned;
        if (isPlainFileName(fileName(row)) && platform::exists(pathInFolder(folder, fileName(row)))) {
            ++existing;
            existingSize += planned;
        }
    }
    // The pass ends on the last marked row, as if it had walked the table row by row.
    if (!marked.empty()) table.selectRow(marked.back());

    if (n == 0) {
        if (ui.ask(DialogType::Confirmation,
                   "  Aucun fichier de coché pour la copie           \n\n   Cocher et copier les fichiers "
                   "sélectionnés ?   ",
                   {DialogButton::Yes, DialogButton::No}) == DialogButton::Yes) {
            toggleMarks(table, selection);
            CountMarks(program, browse);
            // Nothing highlighted marks nothing: asking again would go round in circles.
            if (countMarkedRows(table) > 0)
                Button_copie_multipleClick(program, browse, ui, view, drives, selection, recheckDrives);
        }
        panel.visible = false;
        view.copyProgressChanged();
        return;
    }

    panel.total = "Total  " + FormatTaille(total);
    if (ui.ask(DialogType::Confirmation,
               "Copier les " + toText(n) + " fichiers cochés vers les favoris ? \n\n" +
                   "   représentant au " + panel.total + "\n\n" + "   et sans les doublons  " +
                   FormatTaille(total - existingSize),
               {DialogButton::Yes, DialogButton::No}) != DialogButton::Yes) {
        panel.visible = false;
        view.copyProgressChanged();
        return;
    }
    bool overwrite = true;
    if (existing > 0) {
        const DialogButton answer = ui.ask(
            DialogType::Confirmation, existingDestinationsQuestion(existing, total - existingSize, total),
            {DialogButton::Yes, DialogButton::No, DialogButton::Cancel});
        if (answer == DialogButton::Yes) {
            overwrite = false;
            n -= existing;
            total -= existingSize;
        } else if (answer != DialogButton::No) {
            ui.setBusy(false);
            panel.visible = false;
            view.copyProgressChanged();
            return;
        }
    }

    // The rows of disks on the shelf go into the retrieval plan before anything is copied, so that
    // the plan holds them whatever becomes of the copy.
    followFavouritesFolder(browse.plan, folder, ui);
    removeStaleTemporaries(folder);
    bool planChanged = false;
    for (const std::size_t row : marked)
        if (FindDriveBySerial(drives, table.cell(row, col.serial)).empty())
            planChanged = browse.plan.add(plannedFile(row)) || planChanged;
    if (planChanged) saveRetrievalPlan(browse.plan, ui);
    planChanged = false;

    BatchCopy batch(program, browse, ui, view, folder, n, total);
    browse.missingSourcesShown = false;
    browse.missingSources.clear();
    std::vector<std::string> refused, unsafe;
    view.copyProgressChanged();
    // The drives as they were at the click, asked again when a disk stops answering. A disk
    // found there with files missing is asked about at most once a second, not once per file.
    DriveRows present = drives;
    std::map<std::string, std::uint32_t, std::less<>> answered;
    const auto diskStillThere = [&](std::string_view serial, bool now) {
        const auto seen = answered.find(serial);
        if (!now && seen != answered.end() && browse.tick() - seen->second <= 1000) return true;
        if (recheckDrives) present = recheckDrives();
        const bool there = !FindDriveBySerial(present, serial).empty();
        if (there) answered[std::string(serial)] = browse.tick();
        return there;
    };
    // However the pass ends, an error included, the counter says what is marked and the plan
    // holds the disks that went.
    const auto passEnd = [&] {
        CountMarks(program, browse);
        if (planChanged) saveRetrievalPlan(browse.plan, ui);
        planChanged = false;
    };
    try {
        for (const std::size_t row : marked) {
            table.selectRow(row);
            const std::string name = fileName(row);
            const std::string_view serial = table.cell(row, col.serial);
            const std::string_view rowFolder = table.cell(row, col.folder);
            std::string drive = FindDriveBySerial(present, serial);
            // The name makes the destination; the folder makes a source only on a plugged disk (a DVD
            // of the shelf has its number there).
            if (!isPlainFileName(name) || (!drive.empty() && !staysOnItsDisk(rowFolder))) {
                unsafe.push_back(refusedRowLine(table.cell(row, col.disk), rowFolder, name));
                continue;
            }
            std::string source = fileOnDisk(drive, rowFolder, name);
            // A disk unplugged since the click is found gone here, and joins the plan.
            if (!drive.empty() && !platform::isFile(source) && !diskStillThere(serial, false)) drive.clear();
            const auto listMissing = [&] {
                // An absent disk: its name before the catalogue's folder form (":\\films"), which reads
                // as the disk to plug in ("FILMS:\\films\\a.avi") and names no file here.
                if (drive.empty()) {
                    source = std::string(table.cell(row, col.disk)) +
                             std::string(table.cell(row, col.folder)) + "\\" + name;
                    planChanged = browse.plan.add(plannedFile(row)) || planChanged;
                }
                SignalSonore(ui);
                browse.missingSourcesShown = true;
                if (browse.missingSources.empty())
                    browse.missingSources.push_back(" Fichiers inexistants mais listés !");
                browse.missingSources.push_back("");
                browse.missingSources.push_back(source);
                view.copyProgressChanged();
            };
            if (drive.empty() || !platform::isFile(source)) {
                listMissing();
                continue;
            }
            if (overwrite || !platform::exists(pathInFolder(folder, name))) {
                const BatchCopy::Outcome outcome =
                    batch.copy(source, name, std::string(table.cell(row, col.title)),
                               std::string(table.cell(row, col.folder)));
                if (outcome == BatchCopy::Outcome::NameRefused) {
                    // Only this name is refused: the file stays marked and the others go on.
                    refused.push_back(name);
                    continue;
                }
                if (outcome == BatchCopy::Outcome::SourceFailed) {
                    // Unplugged during its copy: planned with the rest of its disk; otherwise the
                    // file itself cannot be read, which ends the copy as any input error does.
                    if (diskStillThere(serial, true)) throw VerdanError(batch.sourceFailure());
                    drive.clear();
                    listMissing();
                    continue;
                }
            }
            table.setCell(row, col.mark, "");
            view.copyProgressChanged();
            ui.processEvents();
            if (program.StopRequested) break;
        }
    } catch (...) {
        passEnd();
        throw;
    }
    passEnd();

    if (!browse.missingSources.empty())
        writeMissingSources(ui, pathInFolder(folder, kMissingSourcesFile), browse.missingSources);
    if (!refused.empty())
        showError(ui, "  Le dossier des favoris refuse le nom de " +
                          toText(static_cast<long long>(refused.size())) +
                          " fichier(s), qui restent cochés :\n" + listedLines(refused));
    if (!unsafe.empty()) showError(ui, refusedRowsText(unsafe, "ne sont pas copiées et restent cochées"));
    SignalSonore(ui);
    ui.showInfo(toText(batch.copiedCount()) + " copies effectuées sur " + toText(n) + " demandées  \n\n" +
                "            les autres existant déjà (ou stop demandé)");
    batch.end();
}

struct BatchCopy::Scope {
    Scope(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view)
        : scope(program, browse, ui, view, true) {}
    CopyScope scope;
};

BatchCopy::BatchCopy(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view, std::string folder,
                     std::int64_t count, std::int64_t total)
    : m_program(program), m_browse(browse), m_ui(ui), m_view(view), m_folder(std::move(folder)),
      m_count(count), m_total(total) {
    CopyProgressPanel& panel = browse.copyPanel;
    panel.total = "Total  " + FormatTaille(total);
    panel.visible = true;
    program.StopRequested = false;
    m_scope = std::make_unique<Scope>(program, browse, ui, view);
    panel.batchBarVisible = true;
    panel.batchBar = 0;
    panel.counter = "-- / " + toText(count);
    browse.batchStartTick = browse.tick();
    panel.remaining = "--:--";
}

BatchCopy::~BatchCopy() = default;

BatchCopy::Outcome BatchCopy::copy(const std::string& source, std::string_view name, const std::string& title,
                                   const std::string& catalogueFolder) {
    CopyProgressPanel& panel = m_browse.copyPanel;
    panel.fileName = title;
    panel.folder = catalogueFolder;
    panel.counter = toText(m_copiedCount + 1) + " / " + toText(m_count);
    std::int64_t size = 0;
    platform::FileFailure why{};
    const CopyResult result = copyWithProgress(m_program, m_browse, m_ui, m_view, source, m_folder, name,
                                               m_total, m_copiedTotal, size, why);
    switch (result) {
    case CopyResult::Copied:
        m_copiedTotal += size;
        ++m_copiedCount;
        break;
    case CopyResult::Abandoned:
        break;
    case CopyResult::NameRefused:
        return Outcome::NameRefused;
    case CopyResult::CannotOpenSource:
    case CopyResult::CannotReadSource:
        m_sourceFailure = copyFailureText(result, source, pathInFolder(m_folder, name));
        return Outcome::SourceFailed;
    case CopyResult::UnsafeName:
    case CopyResult::CannotCreate:
    case CopyResult::CannotWrite:
        throw VerdanError(copyFailureText(result, source, pathInFolder(m_folder, name), why));
    }
    if (m_total > 0) panel.batchBar = barPosition(m_copiedTotal, m_total);
    return result == CopyResult::Copied ? Outcome::Copied : Outcome::Stopped;
}

void BatchCopy::end() {
    m_scope->scope.end();
}

void BitBtn3Click(ProgramState& program) {
    program.StopRequested = true;
}

} // namespace verdan

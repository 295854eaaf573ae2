#include "browse/batch_copy.h"

#include <algorithm>

#include "browse/marks.h"
#include "catalogue/contained_paths.h"
#include "catalogue/file_copy.h"
#include "platform/files.h"
#include "util/dialogs.h"
#include "util/error.h"
#include "util/format.h"
#include "util/text.h"

namespace verdan {
namespace {

std::int64_t plannedSize(std::string_view sizeText) {
    return std::max<std::int64_t>(0, ParseTaille(sizeText));
}

std::string count(std::size_t n) {
    return toText(static_cast<long long>(n));
}

} // namespace

std::vector<BatchFile> markedFiles(const GridTable& table) {
    const int mark = table.indice_col_liste(kMark), size = table.indice_col_liste("taille"),
              title = table.indice_col_liste("titre"), ext = table.indice_col_liste("ext"),
              folder = table.indice_col_liste("répertoire"), disk = table.indice_col_liste("nom-disque");
    std::vector<BatchFile> files;
    if (mark < 0) return files;
    for (std::size_t row = 1; row < table.rowCount(); ++row) {
        if (table.cell(row, mark) != kMark) continue;
        BatchFile f;
        f.origin = row;
        f.title = table.cell(row, title);
        f.name = f.title + std::string(table.cell(row, ext));
        f.catalogueFolder = table.cell(row, folder);
        f.plannedBytes = plannedSize(table.cell(row, size));
        // The name makes the destination whatever the disk; the folder is checked once the disk
        // is known to be plugged in (a DVD of the shelf has its number there).
        if (!isPlainFileName(f.name))
            f.refusedLine = refusedRowLine(table.cell(row, disk), f.catalogueFolder, f.name);
        files.push_back(std::move(f));
    }
    return files;
}

std::vector<BatchFile> plannedFilesToCopy(const std::vector<PlannedFile>& planned, std::string_view root) {
    std::vector<BatchFile> files;
    files.reserve(planned.size());
    for (std::size_t i = 0; i < planned.size(); ++i) {
        const PlannedFile& p = planned[i];
        BatchFile f;
        f.origin = i;
        f.title = p.title;
        f.name = p.title + p.ext;
        f.catalogueFolder = p.folder;
        f.plannedBytes = plannedSize(p.size);
        f.source = fileOnDisk(root, p.folder, f.name);
        if (f.source.empty()) f.refusedLine = refusedRowLine(p.disk, p.folder, f.name);
        files.push_back(std::move(f));
    }
    return files;
}

BatchTotals batchTotals(const std::vector<BatchFile>& files, const std::string& folder) {
    BatchTotals totals;
    for (const BatchFile& f : files) {
        ++totals.count;
        totals.bytes += f.plannedBytes;
        if (isPlainFileName(f.name) && platform::exists(pathInFolder(folder, f.name))) {
            ++totals.existing;
            totals.existingBytes += f.plannedBytes;
        }
    }
    return totals;
}

ExistingChoice askAboutExisting(Ui& ui, const BatchTotals& totals) {
    if (totals.existing == 0) return ExistingChoice::Overwrite;
    const DialogButton answer = ui.ask(
        DialogType::Confirmation,
        existingDestinationsQuestion(totals.existing, totals.bytes - totals.existingBytes, totals.bytes),
        {DialogButton::Yes, DialogButton::No, DialogButton::Cancel});
    if (answer == DialogButton::Yes) return ExistingChoice::Skip;
    return answer == DialogButton::No ? ExistingChoice::Overwrite : ExistingChoice::Cancel;
}

BatchTotals afterChoice(BatchTotals totals, ExistingChoice choice) {
    if (choice == ExistingChoice::Skip) {
        totals.count -= totals.existing;
        totals.bytes -= totals.existingBytes;
    }
    return totals;
}

std::string existingDestinationsQuestion(std::int64_t existing, std::int64_t skipping, std::int64_t all) {
    return " " + toText(existing) + " fichier(s) de destination déjà existant(s) : \n\n" +
           " (Oui) sauter les existants  : " + FormatTaille(skipping) + "\n\n" +
           " (Non) écraser tous          : " + FormatTaille(all);
}

std::string refusedRowsText(const std::vector<std::string>& rows, const std::string& whatBecomes) {
    return "  " + count(rows.size()) +
           " ligne(s) refusée(s) : leur nom ou leur répertoire mènerait hors de son dossier (un « / », un "
           "« \\ », « .. »...) ; elles " +
           whatBecomes + " :\n" + listedLines(rows);
}

std::vector<std::string> batchErrorTexts(const BatchOutcome& outcome, const BatchWording& wording) {
    std::vector<std::string> texts;
    if (!outcome.refusedNames.empty())
        texts.push_back("  Le dossier des favoris refuse le nom de " + count(outcome.refusedNames.size()) +
                        " fichier(s), " + wording.namesKept + " :\n" + listedLines(outcome.refusedNames));
    if (!outcome.refusedRows.empty()) texts.push_back(refusedRowsText(outcome.refusedRows, wording.rowsKept));
    return texts;
}

std::string batchSummaryText(const BatchOutcome& outcome) {
    return toText(outcome.copied) + " copies effectuées sur " + toText(outcome.requested) +
           " demandées  \n\n" + "            les autres existant déjà (ou stop demandé)";
}

void reportBatch(Ui& ui, const BatchOutcome& outcome, const BatchWording& wording) {
    for (const std::string& text : batchErrorTexts(outcome, wording)) showError(ui, text);
    SignalSonore(ui);
    ui.showInfo(batchSummaryText(outcome));
}

BatchSource BatchSteps::locate(const BatchFile& file) {
    return {platform::isFile(file.source) ? BatchSource::Kind::File : BatchSource::Kind::Missing,
            file.source};
}

BatchCopy::BatchCopy(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view, std::string folder,
                     std::int64_t count, std::int64_t total)
    : m_program(program), m_browse(browse), m_ui(ui), m_view(view), m_folder(std::move(folder)),
      m_count(count), m_total(total) {
    CopyProgressPanel& panel = browse.copyPanel;
    panel.total = "Total  " + FormatTaille(total);
    panel.visible = true;
    program.StopRequested = false;
    m_scope.emplace(program, browse, ui, view, true);
    panel.batchBarVisible = true;
    panel.batchBar = 0;
    panel.counter = "-- / " + toText(count);
    browse.batchStartTick = browse.tick();
    panel.remaining = "--:--";
}

BatchOutcome BatchCopy::run(const std::vector<BatchFile>& files, const BatchOptions& options,
                            BatchSteps& steps) {
    BatchOutcome outcome;
    outcome.requested = m_count;
    if (options.showMissing) {
        m_browse.missingSourcesShown = false;
        m_browse.missingSources.clear();
    }
    m_view.copyProgressChanged();
    try {
        for (const BatchFile& file : files)
            if (!runOne(file, options, steps, outcome)) break;
    } catch (...) {
        steps.finished();
        throw;
    }
    steps.finished();
    outcome.copied = m_copiedCount;
    return outcome;
}

bool BatchCopy::runOne(const BatchFile& file, const BatchOptions& options, BatchSteps& steps,
                       BatchOutcome& outcome) {
    steps.starting(file);
    if (!file.refusedLine.empty()) {
        outcome.refusedRows.push_back(file.refusedLine);
        return true;
    }
    const bool skipped = !options.overwrite && platform::exists(pathInFolder(m_folder, file.name));
    if (!skipped || options.skippedNeedsSource) {
        const BatchSource source = steps.locate(file);
        if (source.kind == BatchSource::Kind::Refused) {
            outcome.refusedRows.push_back(source.text);
            return true;
        }
        if (source.kind == BatchSource::Kind::Missing) {
            noteMissing(source.text, options, outcome);
            return true;
        }
        if (!skipped) {
            switch (copy(source.text, file)) {
            case Outcome::Copied:
                break;
            case Outcome::NameRefused:
                // Only this name is refused: the others go on.
                outcome.refusedNames.push_back(file.name);
                return true;
            case Outcome::SourceFailed: {
                const std::optional<std::string> lost = steps.lostDuringCopy(file);
                if (!lost) throw VerdanError(m_sourceFailure);
                noteMissing(*lost, options, outcome);
                return true;
            }
            case Outcome::Stopped:
                outcome.stopped = true;
                if (!options.stoppedIsDone) return false;
                break;
            }
        }
    }
    steps.done(file);
    m_view.copyProgressChanged();
    m_ui.processEvents();
    if (!m_program.StopRequested) return true;
    outcome.stopped = true;
    return false;
}

void BatchCopy::noteMissing(const std::string& text, const BatchOptions& options, BatchOutcome& outcome) {
    outcome.missing.push_back(text);
    if (!options.showMissing) return;
    SignalSonore(m_ui);
    m_browse.missingSourcesShown = true;
    if (m_browse.missingSources.empty())
        m_browse.missingSources.push_back(" Fichiers inexistants mais listés !");
    m_browse.missingSources.push_back("");
    m_browse.missingSources.push_back(text);
    m_view.copyProgressChanged();
}

BatchCopy::Outcome BatchCopy::copy(const std::string& source, const BatchFile& file) {
    CopyProgressPanel& panel = m_browse.copyPanel;
    panel.fileName = file.title;
    panel.folder = file.catalogueFolder;
    panel.counter = toText(m_copiedCount + 1) + " / " + toText(m_count);
    std::int64_t size = 0;
    platform::FileFailure why{};
    const CopyResult result = copyWithProgress(m_program, m_browse, m_ui, m_view, source, m_folder, file.name,
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
        m_sourceFailure = copyFailureText(result, source, pathInFolder(m_folder, file.name));
        return Outcome::SourceFailed;
    case CopyResult::UnsafeName:
    case CopyResult::CannotCreate:
    case CopyResult::CannotWrite:
        throw VerdanError(copyFailureText(result, source, pathInFolder(m_folder, file.name), why));
    }
    if (m_total > 0) panel.batchBar = progressBarPosition(m_copiedTotal, m_total);
    return result == CopyResult::Copied ? Outcome::Copied : Outcome::Stopped;
}

} // namespace verdan

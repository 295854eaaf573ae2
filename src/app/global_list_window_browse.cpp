// The global-list window's search, sort, opening, deletion, marks, keyboard and favourites: each
// handler calls the core and shows the state it leaves.
#include "global_list_model.h"
#include "global_list_window.h"

#include "handler_guard.h"
#include "presentation.h"
#include "qt_ui.h"

#include "browse/deletion.h"
#include "browse/favourites_copy.h"
#include "browse/keyboard.h"
#include "browse/marks.h"
#include "browse/opening.h"
#include "browse/search.h"
#include "catalogue/drive_lookup.h"
#include "catalogue/keys_in_making.h"
#include "catalogue/shared_actions.h"
#include "platform/system.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

using namespace verdan;

namespace {

// Long enough that a text typed at speed is searched once, short enough to feel immediate.
constexpr int kTypingPauseMs = 120;

// The key codes the table's keyboard handling knows; 0 for any other key.
int gridKeyOf(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Space:
        return kKeySpace;
    case Qt::Key_PageUp:
        return kKeyPageUp;
    case Qt::Key_PageDown:
        return kKeyPageDown;
    case Qt::Key_End:
        return kKeyEnd;
    case Qt::Key_Home:
        return kKeyHome;
    case Qt::Key_Up:
        return kKeyUp;
    case Qt::Key_Down:
        return kKeyDown;
    case Qt::Key_A:
        return kKeyA;
    default:
        return 0;
    }
}

} // namespace

void TForm2::connectBrowse() {
    connect(Button_rechercher, &QPushButton::clicked, this, [this] { Button_rechercherClick(); });
    connect(Button_init_filtre, &QPushButton::clicked, this, [this] { Button_init_filtreClick(); });
    connect(Edit1, &QLineEdit::returnPressed, this, [this] { Edit1Enter(); });
    m_typingPause = new QTimer(this);
    m_typingPause->setObjectName("typingPause");
    m_typingPause->setSingleShot(true);
    m_typingPause->setInterval(kTypingPauseMs);
    connect(Edit1, &QLineEdit::textEdited, m_typingPause, qOverload<>(&QTimer::start));
    connect(m_typingPause, &QTimer::timeout, this, [this] { Edit1Typed(); });
    for (Grid grid : {Grid::Full, Grid::Filter}) {
        QTableView* table = grid == Grid::Full ? StringGrid1 : StringGrid_filter;
        connect(table->horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
                [this, grid](int column) { sortOnHeader(grid, column); });
        connect(table, &QAbstractItemView::doubleClicked, this,
                [this, grid](const QModelIndex& cell) { StringGrid1DblClick(grid, cell); });
        // The right click on the rows, and the keys before the table sees them.
        table->viewport()->installEventFilter(this);
        table->installEventFilter(this);
    }
    connect(StringGrid1, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& cell) { StringGrid1Click(cell); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
    connect(BitBtn_copie_un_par_un, &QPushButton::clicked, this, [this] { BitBtn_copie_un_par_unClick(); });
    connect(Button_copie_multiple, &QPushButton::clicked, this, [this] { Button_copie_multipleClick(); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
    connect(BitBtn5, &QPushButton::clicked, this, [this] { BitBtn5Click(); });
    connect(BitBtn4, &QPushButton::clicked, this, [this] { BitBtn4Click(); });
    connect(Button_del, &QPushButton::clicked, this, [this] { Button_delClick(); });
    connect(Button_effacer_liste_un_hd, &QPushButton::clicked, this,
            [this] { Button_effacer_liste_un_hdClick(); });
    connect(Button_vider_bd, &QPushButton::clicked, this, [this] { Button_vider_bdClick(); });
    connect(ListBox_hd_referencer, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) ListBox_hd_referencerClick(row);
    });
    connect(BitBtn_tout_cocher, &QPushButton::clicked, this, [this] { BitBtn_tout_cocherClick(); });
    connect(BitBtn_tout_decocher, &QPushButton::clicked, this, [this] { BitBtn_tout_decocherClick(); });
    connect(BitBtn_coche_selection, &QPushButton::clicked, this, [this] { BitBtn_coche_selectionClick(); });
    connect(BitBtn_rep_favori, &QPushButton::clicked, this, [this] { BitBtn_rep_favoriClick(); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(BitBtn_help, &QPushButton::clicked, this, [this] { BitBtn_helpClick(); });
}

void TForm2::refreshBrowse() {
    // The result comes up with the columns as the user left them on the full table.
    if (m_browse.filterShown && gridStack->currentWidget() != StringGrid_filter)
        for (int c = 0; c < kListColumns; ++c)
            StringGrid_filter->setColumnWidth(c, StringGrid1->columnWidth(c));
    gridStack->setCurrentWidget(m_browse.filterShown ? StringGrid_filter : StringGrid1);
    Label10->setText(qs(m_browse.markCountCaption));
    Label_hd_selectionner->setText(qs(m_browse.chosenDiskCaption));
    const ContextPanel& panel = m_browse.contextPanel;
    Label11->setText(qs(panel.fileName));
    Label12->setText(qs(panel.folder));
    Label9->setText(qs(panel.sizeText));
    Panel1->setVisible(panel.visible);
    if (panel.visible) Panel1->raise();
}

void TForm2::copyProgressChanged() {
    const CopyProgressPanel& p = m_browse.copyPanel;
    Label15->setText(qs(p.fileName));
    Label16->setText(qs(p.folder));
    Label17->setText(qs(p.total));
    Label18->setText(qs(p.counter));
    LabelSpeed->setText(qs(p.speed));
    LabelETA->setText(qs(p.remaining));
    ProgressBar1->setValue(p.fileBar);
    ProgressBar2->setVisible(p.batchBarVisible);
    ProgressBar2->setValue(p.batchBar);
    // A copy of the plan offered at a disk's arrival may start with this window hidden.
    if (p.visible && !isVisible()) emit globalListAsked();
    if (p.visible && !Panel3->isVisible()) {
        // Centred across the window, 100 pixels above its bottom edge.
        QWidget* host = Panel3->parentWidget();
        Panel3->move((host->width() - Panel3->width()) / 2,
                     host->height() - Panel3->height() - pixels::kCopyPanelAboveBottom);
    }
    Panel3->setVisible(p.visible);
    if (p.visible) Panel3->raise();
    QStringList lines;
    for (const std::string& line : m_browse.missingSources) lines << qs(line);
    const QString text = lines.join('\n');
    if (Memo1->toPlainText() != text) Memo1->setPlainText(text);
    Memo1->setVisible(m_browse.missingSourcesShown);
    refreshBrowse();
    applyCopyLock();
}

void TForm2::applyCopyLock() {
    const bool locked = m_program.copyRunning;
    if (locked == m_copyLockShown) return;
    m_copyLockShown = locked;
    for (QWidget* w : std::initializer_list<QWidget*>{
             BitBtn1, BitBtn_choix_lst, Button_charger_bd, Button_undo, Button_vider_bd, Button_exit, Edit1,
             Button_rechercher, Button_init_filtre, Button_del, Button_effacer_liste_un_hd,
             Button_copie_multiple, BitBtn_copie_un_par_un, BitBtn_rep_favori, Button_vider_plan})
        w->setEnabled(!locked);
    if (locked) Button_retirer_disque->setEnabled(false);
    // The collection window adds to the list and switches catalogues: it follows.
    m_app.changed();
    if (!locked) {
        refreshPlanPanel();
        // A disk plugged in during the copy was not asked about: it is now.
        QTimer::singleShot(0, this, [this] { offerPlannedDisks(); });
    }
}

void TForm2::Button_copie_multipleClick() {
    guarded(m_ui, [&] {
        verdan::Button_copie_multipleClick(m_program, m_browse, m_ui, *this, presentDrives(),
                                           selectionOf(visibleView()), [this] {
                                               if (m_program.checkDrives) m_program.checkDrives();
                                               return presentDrives();
                                           });
    });
    refreshBrowse();
}

void TForm2::BitBtn3Click() {
    verdan::BitBtn3Click(m_program);
}

DriveRows TForm2::presentDrives() const {
    return driveRowsOf(m_program.drives);
}

QTableView* TForm2::visibleView() const {
    return m_browse.filterShown ? StringGrid_filter : StringGrid1;
}

std::size_t TForm2::currentRowOf(QTableView* table) const {
    const QModelIndex current = table->currentIndex();
    return current.isValid() ? static_cast<std::size_t>(current.row()) + 1 : 0;
}

RowSet TForm2::selectionOf(QTableView* table) const {
    // What is highlighted, range by range: never the current row alone, which shows nothing.
    RowSet rows;
    for (const QItemSelectionRange& range : table->selectionModel()->selection())
        for (int r = range.top(); r <= range.bottom(); ++r) rows.push_back(static_cast<std::size_t>(r) + 1);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void TForm2::selectRows(QTableView* table, RowRange rows) {
    QAbstractItemModel* model = table->model();
    const int last = model->rowCount();
    if (last == 0) return;
    // A table that takes one row at a time keeps its current row alone.
    if (table->selectionMode() == QAbstractItemView::SingleSelection) {
        const std::size_t row = std::max<std::size_t>(1, currentRowOf(table));
        rows = {row, row};
    }
    const int top = std::clamp(static_cast<int>(rows.top), 1, last) - 1;
    const int bottom = std::clamp(static_cast<int>(rows.bottom), 1, last) - 1;
    const QItemSelection selection(model->index(top, 0), model->index(bottom, model->columnCount() - 1));
    table->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void TForm2::Button_rechercherClick() {
    m_typingPause->stop();
    if (!m_app.search(ss(Edit1->text()))) return;
    refreshBrowse();
}

void TForm2::Button_init_filtreClick() {
    m_typingPause->stop();
    m_app.clearSearch();
    Edit1->setText(qs(m_browse.searchText));
    refreshBrowse();
}

void TForm2::Edit1Enter() {
    m_typingPause->stop();
    const bool wasShown = m_browse.filterShown;
    m_app.searchEntered(ss(Edit1->text()));
    if (wasShown && !m_browse.filterShown) Edit1->setText(qs(m_browse.searchText));
    refreshBrowse();
}

void TForm2::Edit1Typed() {
    // The result shows later, through the program's views; a blank text gives the table back now.
    guarded(m_ui, [&] { m_app.typeSearch(ss(Edit1->text())); });
}

void TForm2::sortOnHeader(Grid grid, int column) {
    if (m_program.copyRunning) return;
    guarded(m_ui, [&] {
        verdan::StringGrid1DblClick(m_program, m_browse, m_ui, m_shell, presentDrives(), grid,
                                    currentRowOf(visibleView()), GridCell{0, column});
    });
    refreshBrowse();
}

void TForm2::StringGrid1DblClick(Grid grid, const QModelIndex& cell) {
    if (!cell.isValid()) return;
    guarded(m_ui, [&] {
        verdan::StringGrid1DblClick(m_program, m_browse, m_ui, m_shell, presentDrives(), grid,
                                    currentRowOf(visibleView()),
                                    GridCell{static_cast<std::size_t>(cell.row()) + 1, cell.column()});
    });
    refreshBrowse();
}

void TForm2::StringGrid1Click(const QModelIndex& cell) {
    if (!cell.isValid()) return;
    const std::size_t row = static_cast<std::size_t>(cell.row()) + 1;
    const Qt::KeyboardModifiers modifiers = m_pressModifiers;
    const bool extend = modifiers.testFlag(Qt::ShiftModifier);
    const std::size_t anchor = m_browse.keyboard.AnchorRow;
    guarded(m_ui, [&] { verdan::StringGrid1Click(m_program, m_browse, m_ui, row, extend); });
    // Shift+click spans from the same fixed end as Shift+arrows, wherever that end came from.
    if (extend && !modifiers.testFlag(Qt::ControlModifier) && anchor >= 1 &&
        StringGrid1->selectionMode() == QAbstractItemView::ExtendedSelection)
        selectRows(StringGrid1, {std::min(anchor, row), std::max(anchor, row)});
    refreshBrowse();
}

void TForm2::StringGrid1MouseDown(Grid grid, const QPoint& pos) {
    QTableView* table = grid == Grid::Full ? StringGrid1 : StringGrid_filter;
    const QModelIndex cell = table->indexAt(pos);
    std::optional<std::size_t> row;
    if (cell.isValid()) row = static_cast<std::size_t>(cell.row()) + 1;
    const QPoint at = table->viewport()->mapTo(table, pos);
    PanelSurroundings around;
    around.x = at.x();
    around.y = at.y();
    around.labelLeft = panel1LabelLeft();
    around.minButtonWidth = panel1ButtonWidth();
    around.tableWidth = table->width();
    around.tableTop = 0;
    around.tableHeight = table->height();
    around.panelHeight = Panel1->height();
    const QFontMetrics metrics(Label11->font());
    bool shown = false;
    guarded(m_ui, [&] {
        shown = verdan::StringGrid1MouseDown(
            m_program, m_browse, m_ui, presentDrives(), grid, row, around,
            [&](const std::string& text) { return metrics.horizontalAdvance(qs(text)); });
    });
    if (shown) {
        const PanelPlacement& p = m_browse.contextPanel.placement;
        placePanel1(p);
        Panel1->move(table->mapTo(centralWidget(), QPoint(p.left, p.top)));
    }
    refreshBrowse();
}

void TForm2::BitBtn2Click() {
    guarded(m_ui, [&] {
        verdan::BitBtn2Click(m_program, m_browse, m_ui, m_shell, presentDrives(),
                             currentRowOf(visibleView()));
    });
    refreshBrowse();
}

void TForm2::BitBtn_copie_un_par_unClick() {
    guarded(m_ui, [&] {
        verdan::BitBtn_copie_un_par_unClick(m_program, m_browse, m_ui, m_shell, *this, presentDrives(),
                                            currentRowOf(visibleView()));
    });
    refreshBrowse();
}

void TForm2::BitBtn5Click() {
    guarded(m_ui, [&] { verdan::viewContextRow(m_program, m_browse, m_ui, m_shell); });
    refreshBrowse();
}

void TForm2::BitBtn4Click() {
    verdan::BitBtn4Click(m_browse);
    refreshBrowse();
}

void TForm2::Button_delClick() {
    QTableView* table = visibleView();
    const RowSet selection = selectionOf(table);
    const int top = table->rowAt(0);
    const std::size_t topVisible = top < 0 ? 1 : static_cast<std::size_t>(top) + 1;
    std::optional<GridPosition> position;
    guarded(m_ui, [&] { position = m_app.deleteRows(selection, topVisible); });
    if (position && table->model()->rowCount() > 0) {
        table->selectRow(static_cast<int>(position->currentRow) - 1);
        table->scrollTo(table->model()->index(static_cast<int>(position->topVisibleRow) - 1, 0),
                        QAbstractItemView::PositionAtTop);
    }
}

void TForm2::Button_effacer_liste_un_hdClick() {
    std::size_t deleted = 0;
    guarded(m_ui, [&] { deleted = m_app.deleteDisk(); });
    // The arrow keys start again from the top: no row stays highlighted that they would not extend.
    if (deleted > 0) StringGrid1->clearSelection();
}

void TForm2::Button_vider_bdClick() {
    guarded(m_ui, [&] { m_app.emptyList(); });
}

void TForm2::ListBox_hd_referencerClick(int index) {
    // The disk chosen is one of the disks as made, even while the keys are still in the making.
    verdan::finishDisks(m_program.globalList);
    verdan::ListBox_hd_referencerClick(m_program, m_browse, static_cast<std::size_t>(index));
    refreshBrowse();
}

void TForm2::BitBtn_tout_cocherClick() {
    verdan::BitBtn_tout_cocherClick(m_program, m_browse);
    refreshBrowse();
}

void TForm2::BitBtn_tout_decocherClick() {
    verdan::BitBtn_tout_decocherClick(m_program, m_browse);
    refreshBrowse();
}

void TForm2::listMarksCleared() {
    refreshBrowse();
}

void TForm2::BitBtn_coche_selectionClick() {
    verdan::BitBtn_coche_selectionClick(m_program, m_browse, selectionOf(visibleView()));
    refreshBrowse();
}

bool TForm2::StringGrid1KeyDown(QKeyEvent* event) {
    const bool advanced = m_program.settings.advancedMode;
    if (m_program.copyRunning && event->key() == Qt::Key_Delete) return true;
    // The help text of the advanced mode promises the Delete key for the selection.
    if (event->key() == Qt::Key_Delete && advanced) {
        Button_delClick();
        return true;
    }
    KeyPress key;
    key.key = gridKeyOf(event->key());
    key.shift = event->modifiers().testFlag(Qt::ShiftModifier);
    key.ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    GridKeyContext context;
    context.gridActive = true;
    context.currentRow = std::max<std::size_t>(1, currentRowOf(StringGrid1));
    context.rowCount = m_program.globalList.table.rowCount();
    const int rowHeight = std::max(1, StringGrid1->verticalHeader()->defaultSectionSize());
    context.visibleRows = std::max(1, StringGrid1->viewport()->height() / rowHeight);
    context.selection = selectionOf(StringGrid1);
    context.advancedMode = advanced;
    KeyOutcome outcome;
    guarded(m_ui, [&] { outcome = verdan::StringGrid1KeyDown(m_program, m_browse, key, context); });
    applyKeyOutcome(outcome);
    refreshBrowse();
    return outcome.swallowed;
}

void TForm2::applyKeyOutcome(const KeyOutcome& outcome) {
    const int column = std::max(0, StringGrid1->currentIndex().column());
    if (outcome.currentRow && *outcome.currentRow >= 1)
        StringGrid1->selectionModel()->setCurrentIndex(
            m_model->index(static_cast<int>(*outcome.currentRow) - 1, column), QItemSelectionModel::NoUpdate);
    if (outcome.selection) selectRows(StringGrid1, *outcome.selection);
    if (outcome.scroll == ScrollRequest::None || outcome.scrollRow < 1) return;
    StringGrid1->scrollTo(m_model->index(static_cast<int>(outcome.scrollRow) - 1, column),
                          outcome.scroll == ScrollRequest::ToTop ? QAbstractItemView::PositionAtTop
                                                                 : QAbstractItemView::EnsureVisible);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == gridStack && event->type() == QEvent::Resize && Panel_a_rapatrier->isVisibleTo(this))
        placePlanPanel();
    const bool onTable = watched == StringGrid1 || watched == StringGrid_filter;
    if (onTable && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // The window sees Escape before either table, so that it stops a copy.
        if (key->key() == Qt::Key_Escape) {
            keyPressEvent(key);
            return true;
        }
        // The search result moves its selection in the ordinary way.
        if (watched == StringGrid1) return StringGrid1KeyDown(key);
        return false;
    }
    const bool onRows = watched == StringGrid1->viewport() || watched == StringGrid_filter->viewport();
    if (onRows && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        m_pressModifiers = mouse->modifiers();
        if (mouse->button() == Qt::RightButton) {
            StringGrid1MouseDown(watched == StringGrid1->viewport() ? Grid::Full : Grid::Filter,
                                 mouse->position().toPoint());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm2::BitBtn_rep_favoriClick() {
    guarded(m_ui, [&] { verdan::BitBtn_rep_favoriClick(m_program, m_ui); });
    m_app.changed();
}

void TForm2::SpeedButton1Click() {
    guarded(m_ui, [&] { verdan::SpeedButton1Click(m_program.globalList.favouritesCaption, m_shell); });
}

void TForm2::BitBtn_helpClick() {
    guarded(m_ui, [&] { verdan::BitBtn_helpClick(m_shell, m_program.installedFiles()); });
}

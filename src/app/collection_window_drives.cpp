// The collection window's drive table, folder lists, scan and found list: each handler calls the
// core and shows the state again.
#include "collection_window.h"

#include "collect/add_media.h"
#include "collect/drive_survey.h"
#include "collect/folders.h"
#include "collect/scan.h"
#include "found_list_model.h"
#include "handler_guard.h"
#include "qt_ui.h"
#include "widget_factory.h"

#include <QButtonGroup>
#include <QCursor>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolTip>

using namespace verdan;

void TForm1::connectCollection() {
    m_foundModel = new FoundListModel(m_state.found, this);
    ListBox_media_un_hd->setModel(m_foundModel);
    m_state.onScanChanged = [this] { refreshScanView(); };

    connect(StringGrid_hd, &QTableWidget::cellClicked, this,
            [this](int row, int) { StringGrid_hdClick(row + 1); });
    connect(Button_actualiser_hd, &QPushButton::clicked, this, [this] { Button_actualiser_hdClick(); });
    connect(CheckListBox_rep, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (!m_fillingFolders)
            CheckListBox_repClick(CheckListBox_rep->row(item), item->checkState() == Qt::Checked);
    });
    connect(widgets::buttonsOf(RadioGroup1), &QButtonGroup::idClicked, this,
            [this](int id) { RadioGroup1Click(id); });
    connect(BitBtn_lister_media, &QPushButton::clicked, this, [this] { BitBtn_lister_mediaClick(); });
    connect(BitBtn_rajout_bd, &QPushButton::clicked, this, [this] { BitBtn_rajout_bdClick(); });
    connect(BitBtn_maj_disque, &QPushButton::clicked, this, [this] { BitBtn_maj_disqueClick(); });
    CheckListBox_rep->viewport()->installEventFilter(this);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (foundListEvent(watched, event) || filterBoxEvent(watched, event)) return true;
    if (watched == CheckListBox_rep->viewport()) {
        if (event->type() == QEvent::MouseMove) {
            auto* e = static_cast<QMouseEvent*>(event);
            const int itemHeight = qMax(1, CheckListBox_rep->sizeHintForRow(0));
            const int top = CheckListBox_rep->indexAt(QPoint(1, 1)).row();
            if (CheckListBox_repMouseMove(m_state.folders, static_cast<int>(e->position().y()), itemHeight,
                                          qMax(0, top))) {
                CheckListBox_rep->setCurrentRow(m_state.folders.hoveredItem, QItemSelectionModel::NoUpdate);
                CheckListBox_rep->setToolTip(qs(m_state.folders.hint));
                QToolTip::showText(e->globalPosition().toPoint(), CheckListBox_rep->toolTip(),
                                   CheckListBox_rep);
            }
        } else if (event->type() == QEvent::MouseButtonPress) {
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() == Qt::RightButton) {
                guarded(m_ui, [this] { CheckListBox_repMouseDown(m_state, m_ui, true); });
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::refreshDriveTable() {
    const DriveTable& t = m_state.drives;
    StringGrid_hd->setRowCount(qMax(0, t.rowCount() - 1));
    for (int r = 1; r < t.rowCount(); ++r) {
        for (int c = 0; c < DriveTable::kColumns; ++c) {
            auto* item = StringGrid_hd->item(r - 1, c);
            if (!item) {
                item = new QTableWidgetItem;
                StringGrid_hd->setItem(r - 1, c, item);
            }
            item->setText(qs(t.cell(r, c)));
            // Mount points share their parents' folders: the cell keeps both ends, the hint all.
            if (c == 0) item->setToolTip(item->text());
        }
    }
    StringGrid_hd->setSelectionBehavior(m_state.driveRowSelect ? QAbstractItemView::SelectRows
                                                               : QAbstractItemView::SelectItems);
    if (t.currentRow() <= 0)
        StringGrid_hd->clearSelection();
    else if (m_state.driveRowSelect)
        StringGrid_hd->selectRow(t.currentRow() - 1);
    Memo2->setPlainText(qs(joinLines(m_state.driveLog)));
}

void TForm1::refreshFolderLists() {
    m_fillingFolders = true;
    const FolderLists& f = m_state.folders;
    if (CheckListBox_rep->count() != static_cast<int>(f.items.size())) CheckListBox_rep->clear();
    for (std::size_t i = 0; i < f.items.size(); ++i) {
        QListWidgetItem* item = CheckListBox_rep->item(static_cast<int>(i));
        if (!item) {
            item = new QListWidgetItem(CheckListBox_rep);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        }
        item->setText(qs(f.items[i].name));
        item->setCheckState(f.items[i].checked ? Qt::Checked : Qt::Unchecked);
    }
    ListBoxSel->clear();
    for (const std::string& name : f.selected) ListBoxSel->addItem(qs(name));
    QButtonGroup* group = widgets::buttonsOf(RadioGroup1);
    // No choice shown after a single tick: the group lets go of its checked button for a moment.
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) b->setChecked(group->id(b) == f.radioIndex);
    group->setExclusive(true);
    m_fillingFolders = false;
}

void TForm1::refreshScanView() {
    m_foundModel->changed();
    Label6->setText(qs(m_state.foundCountCaption));
    Label_attente->setText(qs(m_state.scanStatus));
    BitBtn_rajout_bd->setEnabled(m_state.addButtonEnabled);
    BitBtn_maj_disque->setVisible(m_app.refreshOffered());
    BitBtn_maj_disque->setEnabled(m_state.addButtonEnabled);
    const bool locked = scanLocked(m_state);
    for (QWidget* w :
         std::initializer_list<QWidget*>{StringGrid_hd, CheckListBox_rep, RadioGroup1, BitBtn_lister_media})
        w->setEnabled(!locked);
    const UnreadablePanel& na = m_state.unreadablePanel;
    Label8->setText(qs(na.caption));
    // A scan refreshes the view after every batch: what did not change is left alone.
    if (na.lines != m_shownNaLines) {
        ListBox_na->clear();
        for (const std::string& line : na.lines) ListBox_na->addItem(qs(line));
        m_shownNaLines = na.lines;
    }
    if (na.visible) {
        // As wide as the found list, over its lower half.
        const QRect r(ListBox_media_un_hd->mapTo(centralWidget(), QPoint(0, 0)), ListBox_media_un_hd->size());
        Panel_na->setGeometry(r.left(), r.top() + r.height() / 2, r.width(), r.height() / 2);
        Panel_na->raise();
    }
    Panel_na->setVisible(na.visible);
    showRenamePanel();
    const std::string& lastLog = m_state.scanLog.empty() ? std::string() : m_state.scanLog.back();
    if (m_state.scanLog.size() != m_shownScanLogLines || lastLog != m_shownScanLogLast) {
        Memo3->setPlainText(qs(joinLines(m_state.scanLog)));
        m_shownScanLogLines = m_state.scanLog.size();
        m_shownScanLogLast = lastLog;
    }
}

void TForm1::refreshCollection() {
    refreshDriveTable();
    refreshFolderLists();
    refreshScanView();
}

void TForm1::RefreshDrives() {
    guarded(m_ui, [this] { verdan::RefreshDrives(m_state, m_drives, m_ui); });
    refreshCollection();
}

void TForm1::Button_actualiser_hdClick() {
    guarded(m_ui, [this] { verdan::Button_actualiser_hdClick(m_state, m_drives, m_ui); });
    refreshCollection();
    emit drivesChanged();
}

void TForm1::StringGrid_hdClick(int tableRow) {
    if (scanLocked(m_state)) return;
    m_state.drives.setCurrentRow(tableRow);
    guarded(m_ui, [this] { verdan::StringGrid_hdClick(m_state, m_ui); });
    refreshCollection();
    if (m_state.driveRowSelect && tableRow >= 1) StringGrid_hd->selectRow(tableRow - 1);
}

void TForm1::CheckListBox_repClick(int item, bool ticked) {
    guarded(m_ui, [&] { verdan::CheckListBox_repClick(m_state, m_ui, item, ticked); });
    refreshCollection();
}

void TForm1::RadioGroup1Click(int choice) {
    verdan::RadioGroup1Click(m_state, choice);
    refreshCollection();
}

void TForm1::BitBtn_lister_mediaClick() {
    guarded(m_ui, [this] { m_app.listMedia(); });
    refreshCollection();
}

void TForm1::BitBtn_rajout_bdClick() {
    guarded(m_ui, [this] { m_app.addToGlobalList(); });
    refreshCollection();
}

void TForm1::BitBtn_maj_disqueClick() {
    guarded(m_ui, [this] { m_app.refreshDisk(); });
    refreshCollection();
}

void TForm1::onDevicesChanged() {
    guarded(m_ui, [this] { verdan::followDeviceChange(m_state, m_drives, m_ui); });
    refreshCollection();
    emit drivesChanged();
}

std::string TForm1::joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines) {
        text += l;
        text += '\n';
    }
    return text;
}

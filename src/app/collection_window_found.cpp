// The collection window's actions on single found files (the found list, its context panel, the
// rename help, the deletion of lines) and the small controls of the parameter band.
#include "collection_window.h"

#include "catalogue/shared_actions.h"
#include "collect/category_edits.h"
#include "collect/found_actions.h"
#include "handler_guard.h"
#include "presentation.h"
#include "qt_ui.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>
#include <QToolTip>

#include <algorithm>

using namespace verdan;

void TForm1::connectFoundActions() {
    ListBox_media_un_hd->setMouseTracking(true);
    ListBox_media_un_hd->installEventFilter(this);
    ListBox_media_un_hd->viewport()->installEventFilter(this);
    connect(ListBox_media_un_hd, &QListView::doubleClicked, this,
            [this](const QModelIndex& index) { ListBox_media_un_hdDblClick(index.row()); });
    connect(ListBox_na, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { ListBox_naDblClick(ListBox_na->row(item)); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
    connect(BitBtn4, &QPushButton::clicked, this, [this] { BitBtn4Click(); });
    connect(BitBtn_delete, &QPushButton::clicked, this, [this] { BitBtn_deleteClick(); });
    connect(BitBtn6, &QPushButton::clicked, this, [this] { BitBtn6Click(); });
    connect(BitBtn_rep_favori, &QPushButton::clicked, this, [this] { BitBtn_rep_favoriClick(); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
}

bool TForm1::foundListEvent(QObject* watched, QEvent* event) {
    QWidget* viewport = ListBox_media_un_hd->viewport();
    if (watched != ListBox_media_un_hd && watched != viewport) return false;
    switch (event->type()) {
    case QEvent::ToolTip:
        // The hints stay quiet while the context panel is open; otherwise they name the line.
        if (m_state.foundHintsOn && !ListBox_media_un_hd->toolTip().isEmpty())
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), ListBox_media_un_hd->toolTip(),
                               ListBox_media_un_hd);
        return true;
    case QEvent::KeyPress:
        // Only the list's own keys: Delete in a category box edits the box.
        if (watched == ListBox_media_un_hd && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
            BitBtn_deleteClick();
            return true;
        }
        return false;
    case QEvent::MouseMove:
        if (watched == viewport)
            ListBox_media_un_hdMouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
        return false;
    case QEvent::MouseButtonPress: {
        if (watched != viewport) return false;
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->buttons() & Qt::RightButton) {
            // The selection stays what it was: the panel acts on the line under the pointer.
            ListBox_media_un_hdMouseDown(e->position().toPoint());
            return true;
        }
        if (e->button() == Qt::LeftButton) ListBox_media_un_hdClick();
        return false;
    }
    case QEvent::MouseButtonDblClick: {
        // Only the left button opens a file; a quick second right press is one more right press.
        if (watched != viewport) return false;
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() == Qt::LeftButton) return false;
        if (e->buttons() & Qt::RightButton) ListBox_media_un_hdMouseDown(e->position().toPoint());
        return true;
    }
    default:
        return false;
    }
}

bool TForm1::filterBoxEvent(QObject* watched, QEvent* event) {
    if (watched != Edit_filtre_ext_1_ && watched != Edit_filtre_ext_2_) return false;
    auto* box = static_cast<QLineEdit*>(watched);
    const int category = box == Edit_filtre_ext_1_ ? 0 : 1;
    if (event->type() == QEvent::KeyPress) {
        auto* e = static_cast<QKeyEvent*>(event);
        if (e->text().size() != 1 || e->text().at(0).unicode() > 0x7f) return false;
        const char typed = static_cast<char>(e->text().at(0).unicode());
        const char kept = filterBoxCharacter(typed);
        if (kept == typed) return false;
        // The box gets the comma as a key of its own: selection, undo and textEdited as for any key.
        QKeyEvent comma(QEvent::KeyPress, Qt::Key_Comma, e->modifiers(), QString(QChar(kept)));
        QCoreApplication::sendEvent(box, &comma);
        return true;
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        box->setText(QString::fromUtf8(defaultFilter(category)));
        editCategory(m_program.catalogue, category, CategoryField::Filter, defaultFilter(category));
        return true;
    }
    return false;
}

void TForm1::ListBox_media_un_hdMouseMove(QPoint at) {
    const QModelIndex index = ListBox_media_un_hd->indexAt(at);
    if (!index.isValid()) return;
    ListBox_media_un_hd->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    ListBox_media_un_hd->setToolTip(qs(foundListHint(m_state, static_cast<std::size_t>(index.row()))));
    if (m_state.foundHintsOn)
        QToolTip::showText(ListBox_media_un_hd->viewport()->mapToGlobal(at), ListBox_media_un_hd->toolTip(),
                           ListBox_media_un_hd);
}

void TForm1::ListBox_media_un_hdMouseDown(QPoint at) {
    const QModelIndex index = ListBox_media_un_hd->indexAt(at);
    std::optional<std::size_t> line;
    if (index.isValid()) line = static_cast<std::size_t>(index.row());
    FoundListSurroundings around;
    const QPoint inList = at + ListBox_media_un_hd->viewport()->pos();
    around.x = inList.x();
    around.y = inList.y();
    const QPoint listAt = ListBox_media_un_hd->mapTo(centralWidget(), QPoint(0, 0));
    around.listLeft = listAt.x();
    around.listTop = listAt.y();
    around.listWidth = ListBox_media_un_hd->width();
    around.listHeight = ListBox_media_un_hd->height();
    around.panelHeight = Panel1->height();
    around.labelLeft = Label11->x();
    for (QPushButton* b : {BitBtn1, BitBtn2, BitBtn4, BitBtn3})
        around.minButtonWidth = std::max(around.minButtonWidth, b->sizeHint().width());
    const QFontMetrics metrics(font());
    const auto textWidth = [&metrics](const std::string& text) {
        return metrics.horizontalAdvance(qs(text));
    };
    if (!openFoundFilePanel(m_state, line, around, textWidth)) return;
    QToolTip::hideText();
    showFoundPanel();
}

void TForm1::ListBox_media_un_hdClick() {
    hideFoundFilePanel(m_state);
    showFoundPanel();
}

void TForm1::showFoundPanel() {
    const FoundFilePanel& p = m_state.foundPanel;
    if (!p.visible) {
        Panel1->hide();
        return;
    }
    Label11->setText(qs(p.fileName));
    Label12->setText(qs(p.folder));
    for (QLabel* l : {Label11, Label12}) l->resize(p.width - 2 * l->x(), l->sizeHint().height());
    Panel1->setGeometry(p.left, p.top, p.width, Panel1->height());
    QPushButton* const buttons[] = {BitBtn1, BitBtn2, BitBtn4, BitBtn3};
    for (std::size_t i = 0; i < 4; ++i) {
        QPushButton* b = buttons[i];
        b->setGeometry(p.buttonLefts[i], b->y(), p.buttonWidth, b->sizeHint().height());
    }
    Panel1->show();
    Panel1->raise();
}

void TForm1::showRenamePanel() {
    if (!m_state.renamePanelVisible) {
        Panel3->hide();
        return;
    }
    Label1->setText(qs(m_state.renamePanelName));
    Panel3->setGeometry(pixels::kRenamePanelOffset, pixels::kRenamePanelOffset,
                        width() - pixels::kRenamePanelNarrowing, Panel3->sizeHint().height());
    Panel3->show();
    Panel3->raise();
}

void TForm1::BitBtn1Click() {
    guarded(m_ui, [this] { showFoundFileFolder(m_state, m_shell); });
    showFoundPanel();
}

void TForm1::BitBtn2Click() {
    // Label_attente tells of the copy while it runs, then shows again what it showed before.
    bool statusShown = false;
    const auto status = [this, &statusShown](const std::string& text) {
        if (!text.empty()) {
            if (!statusShown) m_statusBeforeCopy = Label_attente->text();
            statusShown = true;
            Label_attente->setText(qs(text));
            Label_attente->repaint();
        } else if (statusShown) {
            Label_attente->setText(m_statusBeforeCopy);
            statusShown = false;
        }
    };
    guarded(m_ui, [&] { copyFoundFileToFavourites(m_state, m_program, m_ui, status); });
    // A failed copy ends before its own "": the label is not left saying a copy runs.
    if (statusShown) Label_attente->setText(m_statusBeforeCopy);
    showFoundPanel();
}

void TForm1::BitBtn3Click() {
    hideFoundFilePanel(m_state);
    showFoundPanel();
}

void TForm1::BitBtn4Click() {
    guarded(m_ui, [this] {
        playFoundFile(m_state, m_ui, m_shell, [this] {
            showFoundPanel();
            showRenamePanel();
            repaint();
        });
    });
    showFoundPanel();
    showRenamePanel();
}

void TForm1::ListBox_media_un_hdDblClick(int line) {
    if (line < 0 || static_cast<std::size_t>(line) >= m_state.found.size()) return;
    // A copy: a scan may change the list while the question waits.
    const std::string text = m_state.found.at(static_cast<std::size_t>(line));
    guarded(m_ui, [&] {
        openFoundLine(m_state, m_ui, m_shell, text, FoundSource::FoundList, [this] {
            showRenamePanel();
            repaint();
        });
    });
    showRenamePanel();
}

void TForm1::ListBox_naDblClick(int line) {
    QListWidgetItem* item = ListBox_na->item(line);
    if (!item || item->text().isEmpty()) return;
    const std::string text = unreadableListLine(ss(item->text()));
    guarded(m_ui, [&] { openFoundLine(m_state, m_ui, m_shell, text, FoundSource::UnreadableList, {}); });
    showRenamePanel();
}

void TForm1::BitBtn_deleteClick() {
    // Exactly the lines highlighted on screen, whatever line has the focus mark.
    std::vector<std::size_t> selected;
    for (const QModelIndex& i : ListBox_media_un_hd->selectionModel()->selectedRows())
        selected.push_back(static_cast<std::size_t>(i.row()));
    std::sort(selected.begin(), selected.end());
    guarded(m_ui, [&] { deleteFoundLines(m_state, m_ui, selected); });
    refreshScanView();
}

void TForm1::BitBtn6Click() {
    guarded(m_ui, [this] { saveCategories(m_program.catalogue, m_ui); });
}

void TForm1::BitBtn_rep_favoriClick() {
    guarded(m_ui, [this] { verdan::BitBtn_rep_favoriClick(m_program, m_ui); });
    m_app.changed();
}

void TForm1::SpeedButton1Click() {
    guarded(m_ui, [this] { verdan::SpeedButton1Click(m_program.settings.favouritesFolder, m_shell); });
}

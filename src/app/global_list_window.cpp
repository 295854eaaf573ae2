#include "global_list_window.h"

#include "global_list_model.h"
#include "handler_guard.h"
#include "hint_style.h"
#include "presentation.h"
#include "qt_ui.h"
#include "uniform_row_header.h"
#include "widget_factory.h"

#include "browse/search.h"
#include "catalogue/catalogue_access.h"
#include "window_geometry.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

using namespace verdan;

TForm2::TForm2(Program& app, std::function<QuitOutcome(QuitSender)> quit, QWidget* parent)
    : QMainWindow(parent), m_app(app), m_program(app.state()), m_ui(app.ui()), m_shell(app.shell()),
      m_quit(std::move(quit)), m_browse(app.browse()) {
    m_app.addView(*this);
    setObjectName("Form2");
    setWindowTitle(QString::fromUtf8(kProductTitle));
    widgets::fillWith(this, colours::kGlobalListWindow);

    auto* central = new QWidget(this);
    central->setObjectName("Form2_client");
    setCentralWidget(central);
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(pixels::kWindowMargins);
    auto* band = new QFrame(central);
    band->setObjectName("Form2_band");
    buildTopBand(band);
    v->addWidget(band);

    auto* body = new QHBoxLayout;
    gridStack = new QStackedWidget(central);
    StringGrid1 = new QTableView(gridStack);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid_filter = new QTableView(gridStack);
    StringGrid_filter->setObjectName("StringGrid_filter");
    for (QTableView* t : {StringGrid1, StringGrid_filter}) {
        t->setVerticalHeader(new UniformRowHeader(t));
        t->verticalHeader()->hide();
        t->setEditTriggers(QAbstractItemView::NoEditTriggers);
        t->setSelectionBehavior(QAbstractItemView::SelectRows);
        t->setWordWrap(false);
        t->horizontalHeader()->setHighlightSections(false);
        gridStack->addWidget(t);
    }
    m_model = new GlobalListModel(m_program.globalList.table, this);
    StringGrid1->setModel(m_model);
    m_filterModel = new GlobalListModel(m_browse.filter, this);
    StringGrid_filter->setModel(m_filterModel);
    for (QTableView* t : {StringGrid1, StringGrid_filter}) {
        // The style's minimum would widen the narrow columns (" x" is 22 pixels).
        t->horizontalHeader()->setMinimumSectionSize(1);
        for (int c = 0; c < kListColumns; ++c)
            t->setColumnWidth(c, kColumnWidths[static_cast<std::size_t>(c)]);
    }
    body->addWidget(gridStack, 1);
    auto* side = new QWidget(central);
    buildSidePanel(side);
    body->addWidget(side);
    v->addLayout(body, 1);
    buildFloatingPanels();
    resize(fitOnScreen(*this, pixels::kWindowSize));

    widgets::fillWith(Panel1, colours::kFilePanel);
    widgets::fillWith(Panel2, colours::kHelpPanel);
    applyFontSize(8);
    // The table's look at creation, until a parameter file sets the font.
    for (QTableView* t : {StringGrid1, StringGrid_filter}) t->verticalHeader()->setDefaultSectionSize(15);
    m_fontApplied = false;
    ApplyModeAvance(CheckBox_mode_avancer->isChecked());
    applyHintTimings(*this);

    connect(Button_charger_bd, &QPushButton::clicked, this, [this] { Button_charger_bdClick(); });
    connect(Button_enregistrer_liste, &QPushButton::clicked, this,
            [this] { Button_enregistrer_listeClick(); });
    connect(Button_undo, &QPushButton::clicked, this, [this] { Button_undoClick(); });
    connect(Button_exit, &QPushButton::clicked, this, [this] { Button_exitClick(); });
    connect(Button_debut, &QPushButton::clicked, this, [this] { Button_debutClick(); });
    connect(Button_fin, &QPushButton::clicked, this, [this] { Button_finClick(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn_choix_lst, &QPushButton::clicked, this, [this] { BitBtn_choix_lstClick(); });
    connect(CheckBox_mode_avancer, &QCheckBox::clicked, this, [this] { CheckBox_mode_avancerClick(); });
    connect(ComboBox1, qOverload<int>(&QComboBox::activated), this, [this] { ComboBox1Change(); });
    connect(Button_son, &QPushButton::clicked, this, [this] { SignalSonore(m_ui); });
    connect(m_model, &GlobalListModel::currentRowChanged, this, [this](int row) {
        if (row >= 1) StringGrid1->selectRow(row - 1);
    });
    connect(m_filterModel, &GlobalListModel::currentRowChanged, this, [this](int row) {
        if (row >= 1) StringGrid_filter->selectRow(row - 1);
    });
    connectBrowse();
}

TForm2::~TForm2() {
    m_app.removeView(*this);
    // The search result outlives the window in the program: its model leaves it now.
    delete m_filterModel;
}

// Rebuilt only when the disks differ: a rebuild repaints the list and loses the disk the user
// highlighted there, which most changes of the rows (a row deleted, a mark) leave as they were.
void TForm2::refreshDiskList() {
    const std::vector<std::string>& disks = m_program.globalList.disks;
    bool same = static_cast<std::size_t>(ListBox_hd_referencer->count()) == disks.size();
    for (std::size_t i = 0; same && i < disks.size(); ++i)
        same = ListBox_hd_referencer->item(static_cast<int>(i))->text() == qs(disks[i]);
    if (same) return;
    ListBox_hd_referencer->clear();
    for (const std::string& d : disks) ListBox_hd_referencer->addItem(qs(d));
}

void TForm2::refreshView() {
    const GlobalListState& globalList = m_program.globalList;
    const CatalogueParams& p = m_program.catalogue.params;
    const std::string access = accessCaption(m_program);
    setWindowTitle(
        qs(access.empty() ? std::string(kProductTitle) : std::string(kProductTitle) + "      " + access));
    Label_n->setText(qs(globalList.mediaCountCaption));
    Label_nf_media->setText(qs(globalList.listFileCaption));
    Label_media_1_->setText(qs(p.media[0].name));
    Label_media_2_->setText(qs(p.media[1].name));
    Label_date_der_maj->setText(qs(p.dateLabel));
    Label_rep_favori->setText(qs(globalList.favouritesCaption));
    Label6->setText(qs(globalList.helpText));
    StringGrid1->setToolTip(Label6->text());
    Label_idx->setText(qs(globalList.index.levelCaption));
    Label_n_idx->setText(qs(globalList.index.keyCountCaption));
    refreshDiskList();
    if (CheckBox_mode_avancer->isChecked() != m_program.settings.advancedMode) {
        CheckBox_mode_avancer->setChecked(m_program.settings.advancedMode);
        ApplyModeAvance(m_program.settings.advancedMode);
    }
    if ((p.fontRead && !m_fontApplied) || ComboBox1->currentIndex() != p.fontIndex) {
        ComboBox1->setCurrentIndex(p.fontIndex >= 0 && p.fontIndex < ComboBox1->count() ? p.fontIndex : -1);
        applyFontSize(fontSizeOfIndex(p.fontIndex));
    }
    BitBtn_choix_lst->setToolTip(QString::fromUtf8(hints::kListChoice));
    BitBtn_rep_favori->setToolTip(QString::fromUtf8(hints::kFavourites));
    for (QWidget* w : {static_cast<QWidget*>(Label4), static_cast<QWidget*>(Edit1),
                       static_cast<QWidget*>(Bevel3), static_cast<QWidget*>(Button_rechercher)})
        w->setToolTip(QString::fromUtf8(hints::kSearch));
    Button_copie_multiple->setToolTip(QString::fromUtf8(hints::kMultipleCopy));
    refreshBrowse();
    // The favourites folder may have changed in either window: the plan goes with it.
    refreshPlanPanel();
}

void TForm2::showPanel4(bool shown, int overWidth, int overHeight) {
    if (!shown) {
        Panel4->hide();
        return;
    }
    Panel4->move((overWidth - Panel4->width()) / 2,
                 (overHeight - Panel4->height()) / 2 + pixels::kWaitingPanelBelowCentre);
    Panel4->show();
    Panel4->raise();
    Panel4->repaint();
}

void TForm2::showLoadingPanel(bool shown) {
    showPanel4(shown, width(), height());
    if (shown) m_ui.processEvents();
}

void TForm2::Button_charger_bdClick() {
    guarded(m_ui, [this] { m_app.loadList(*this); });
    Panel4->hide();
}

void TForm2::BitBtn_choix_lstClick() {
    emit catalogueChoiceAsked();
}

void TForm2::changeCatalogue(const std::function<void()>& command) {
    guarded(m_ui, command);
    Panel4->hide();
}

void TForm2::Button_enregistrer_listeClick() {
    guarded(m_ui, [this] { m_app.saveList(); });
}

void TForm2::Button_undoClick() {
    guarded(m_ui, [this] { m_app.undo(); });
}

void TForm2::quit(QuitSender sender) {
    if (QScreen* s = screen())
        QCursor::setPos(s->geometry().width() / 2 - 50, s->geometry().height() / 2 - 30);
    QuitOutcome outcome = QuitOutcome::Stay;
    guarded(m_ui, [&] { outcome = m_quit(sender); });
    if (outcome == QuitOutcome::ExitNow) QApplication::exit(0);
}

void TForm2::Button_exitClick() {
    quit(QuitSender::Button);
}

void TForm2::Button_debutClick() {
    if (m_model->rowCount() == 0) return;
    m_browse.keyboard.restartAt(1);
    StringGrid1->selectRow(0);
    StringGrid1->scrollToTop();
}

void TForm2::Button_finClick() {
    const int last = m_model->rowCount() - 1;
    if (last < 0) return;
    m_browse.keyboard.restartAt(static_cast<std::size_t>(last) + 1);
    StringGrid1->selectRow(last);
    StringGrid1->scrollTo(m_model->index(last, 0));
}

void TForm2::BitBtn1Click() {
    emit collectionAsked();
}

void TForm2::ApplyModeAvance(bool on) {
    for (QWidget* w : advancedControls) w->setVisible(on);
    StringGrid1->setSelectionMode(on ? QAbstractItemView::ExtendedSelection
                                     : QAbstractItemView::SingleSelection);
    StringGrid_filter->setSelectionMode(on ? QAbstractItemView::ExtendedSelection
                                           : QAbstractItemView::SingleSelection);
    if (!m_program.HelpTextAdvanced.empty())
        m_program.globalList.helpText = on ? m_program.HelpTextAdvanced : m_program.HelpTextSimple;
    Label6->setText(qs(m_program.globalList.helpText));
    StringGrid1->setToolTip(Label6->text());
}

void TForm2::CheckBox_mode_avancerClick() {
    m_program.settings.advancedMode = CheckBox_mode_avancer->isChecked();
    ApplyModeAvance(m_program.settings.advancedMode);
    m_program.catalogue.ParamsModified = true;
}

void TForm2::ComboBox1Change() {
    const int chosen = ComboBox1->currentIndex();
    bool ok = false;
    int size = ComboBox1->currentText().toInt(&ok);
    applyFontSize(ok ? size : 8);
    // The same size chosen again changes nothing to write.
    if (m_program.catalogue.params.fontIndex == chosen) return;
    m_program.catalogue.params.fontIndex = chosen;
    m_program.catalogue.ParamsModified = true;
}

void TForm2::applyFontSize(int size) {
    for (QTableView* t : {StringGrid1, StringGrid_filter}) {
        QFont f = t->font();
        f.setPointSize(size);
        t->setFont(f);
        t->verticalHeader()->setMinimumSectionSize(1);
        t->verticalHeader()->setDefaultSectionSize(rowHeightOfFontSize(size));
        // Row numbers up to 7 digits stay whole, whatever the font makes of the column's width.
        const int margins = 2 * (t->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, t) + 1);
        const int numbers = QFontMetrics(f).horizontalAdvance(QStringLiteral("0000000")) + margins + 2;
        t->setColumnWidth(0, std::max(kColumnWidths[0], numbers));
        t->viewport()->update();
    }
    m_fontApplied = true;
}

void TForm2::closeEvent(QCloseEvent* event) {
    if (m_program.copyRunning) {
        // The copy's panel is in this window: it is asked to stop (with its question) first.
        m_program.StopRequested = true;
        event->ignore();
        return;
    }
    if (CheckBox_mode_avancer->isChecked()) {
        event->accept(); // closing only hides the window in advanced mode
        return;
    }
    event->ignore();
    quit(QuitSender::Form2Closing);
}

void TForm2::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        m_program.StopRequested = true;
        // Without a copy to stop, Escape ends the search as "X" does.
        const bool searching = m_browse.filterShown || m_app.typedSearch().pending() ||
                               m_typingPause->isActive() || !Edit1->text().isEmpty();
        if (!m_program.copyRunning && searching) Button_init_filtreClick();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

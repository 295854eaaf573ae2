#include "collection_window.h"

#include "browse/list_commands.h"
#include "catalogue/shared_actions.h"
#include "collect/category_edits.h"
#include "collect/dvd_import.h"
#include "collect/index_level.h"
#include "collect/scan.h"
#include "device_watcher.h"
#include "handler_guard.h"
#include "hint_style.h"
#include "platform/system.h"
#include "presentation.h"
#include "qt_ui.h"
#include "widget_factory.h"
#include "window_geometry.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using namespace verdan;

TForm1::TForm1(Program& app, StartupView& startup, std::function<QuitOutcome(QuitSender)> quit,
               QWidget* parent)
    : QMainWindow(parent), m_app(app), m_program(app.state()), m_ui(app.ui()), m_shell(app.shell()),
      m_drives(app.drives()), m_startup(startup), m_quit(std::move(quit)), m_state(app.collection()) {
    m_app.addView(*this);
    setObjectName("Form1");
    setWindowTitle(QString::fromUtf8(kProductTitle));
    widgets::fillWith(this, colours::kCollectionWindow);

    auto* central = new QWidget(this);
    central->setObjectName("Form1_client");
    setCentralWidget(central);
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(pixels::kWindowMargins);
    auto* band = new QFrame(central);
    band->setObjectName("Form1_band");
    band->setFrameShape(QFrame::StyledPanel);
    buildParameterBand(band);
    v->addWidget(band);

    auto* columns = new QHBoxLayout;
    auto* driveColumn = new QWidget(central);
    auto* folderColumn = new QWidget(central);
    auto* foundColumn = new QWidget(central);
    buildDriveColumn(driveColumn);
    buildFolderColumn(folderColumn);
    buildFoundColumn(foundColumn);
    columns->addWidget(driveColumn, 3);
    columns->addWidget(folderColumn, 2);
    columns->addWidget(foundColumn, 5);
    v->addLayout(columns, 1);
    buildFloatingPanels();
    resize(fitOnScreen(*this, pixels::kWindowSize));

    connect(BitBtn_form2_bis, &QPushButton::clicked, this, [this] { BitBtn_form2_bisClick(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    // The state says what is shown: a panel hidden here only would come back at the next refresh.
    connect(SpeedButton3, &QToolButton::clicked, this, [this] {
        m_state.unreadablePanel.visible = false;
        m_state.renamePanelVisible = false;
        refreshScanView();
    });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] {
        m_state.renamePanelVisible = false;
        refreshScanView();
    });
    bindEdits();
    connectCollection();
    connectFoundActions();
    applyHintTimings(*this);
    auto* watcher = new DeviceWatcher(this);
    connect(watcher, &DeviceWatcher::devicesChanged, this, [this] { onDevicesChanged(); });
    RefreshDrives();
}

void TForm1::bindEdits() {
    // The edit boxes are the live copy of the categories: a typed change is the catalogue's at once
    // and waits for Enter, BitBtn6 or the quit to be written. Only what the user types counts
    // (textEdited, clicked): the values shown after reading a parameter file save nothing.
    auto bind = [this](QLineEdit* e, CategoryField field, int category) {
        connect(e, &QLineEdit::textEdited, this, [this, field, category](const QString& text) {
            editCategory(m_program.catalogue, category, field, ss(text));
            if (field != CategoryField::Name) return;
            // The category's name heads its labels in both windows: they follow the typing (the box
            // itself is not shown again, which would move the cursor under the user's hand).
            const CatalogueParams& p = m_program.catalogue.params;
            Label_media_1_->setText(qs(p.media[0].name));
            Label_media_2_->setText(qs(p.media[1].name));
            m_app.changed(this);
        });
        connect(e, &QLineEdit::returnPressed, this,
                [this] { guarded(m_ui, [this] { saveCategories(m_program.catalogue, m_ui); }); });
    };
    bind(Edit_type_media_1_, CategoryField::Name, 0);
    bind(Edit_type_media_2_, CategoryField::Name, 1);
    bind(Edit_filtre_ext_1_, CategoryField::Filter, 0);
    bind(Edit_filtre_ext_2_, CategoryField::Filter, 1);
    bind(Edit_taille_mini_1_, CategoryField::MinimumSize, 0);
    bind(Edit_taille_mini_2_, CategoryField::MinimumSize, 1);
    connect(CheckBox_mini_1_, &QCheckBox::clicked, this, [this](bool on) {
        guarded(m_ui, [&] { CheckBox_miniClick(m_program.catalogue, m_ui, 0, on); });
    });
    connect(CheckBox_mini_2_, &QCheckBox::clicked, this, [this](bool on) {
        guarded(m_ui, [&] { CheckBox_miniClick(m_program.catalogue, m_ui, 1, on); });
    });
    for (QLineEdit* e : {Edit_filtre_ext_1_, Edit_filtre_ext_2_}) e->installEventFilter(this);
    // The index level: the user's clicks only (`clicked`), never a value shown from a file.
    connect(CheckBox1, &QCheckBox::clicked, this, [this](bool ticked) { CheckBox1Click(ticked); });
    connect(widgets::buttonsOf(RadioGroup_index), &QButtonGroup::idClicked, this,
            [this](int item) { RadioGroup_indexClick(item); });
    connect(BitBtn_reinit, &QPushButton::clicked, this, [this] { BitBtn_reinitClick(); });
    connect(BitBtn5, &QPushButton::clicked, this, [this] { BitBtn5Click(); });
    connect(BitBtn_nomfic_media, &QPushButton::clicked, this, [this] { BitBtn_nomfic_mediaClick(); });
    connect(Edit_nom_fic_media_sans_ext, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_program.settings.listName = ss(text); });
    connect(Edit_nom_fic_media_sans_ext, &QLineEdit::returnPressed, this,
            [this] { Edit_nom_fic_media_sans_extKeyDown(); });
    connect(BitBtn_fic_lst, &QPushButton::clicked, this, [this] { BitBtn_fic_lstClick(); });
}

void TForm1::CheckBox1Click(bool ticked) {
    verdan::CheckBox1Click(m_state, ticked);
    refreshView();
}

void TForm1::RadioGroup_indexClick(int item) {
    m_app.chooseIndexLevel(item); // Label_idx of both windows
}

void TForm1::BitBtn_reinitClick() {
    guarded(m_ui, [&] { m_app.reindex(); });
}

void TForm1::BitBtn5Click() {
    guarded(m_ui, [&] { verdan::importDvdList(m_state, m_ui, todayText()); });
    refreshCollection();
}

void TForm1::BitBtn_nomfic_mediaClick() {
    guarded(m_ui, [this] { verdan::BitBtn_nomfic_mediaClick(m_program, m_ui); });
    refreshView();
}

void TForm1::BitBtn_fic_lstClick() {
    emit catalogueChoiceAsked();
}

void TForm1::Edit_nom_fic_media_sans_extKeyDown() {
    emit listNameEntered(Edit_nom_fic_media_sans_ext->text());
}

void TForm1::applyHints() {
    BitBtn5->setToolTip(QString::fromUtf8(hints::kDvdImport));
    Label10->setToolTip(QString::fromUtf8(hints::kDvdImport));
    BitBtn_fic_lst->setToolTip(QString::fromUtf8(hints::kListChoice));
    BitBtn_rep_favori->setToolTip(QString::fromUtf8(hints::kFavourites));
    Edit_nom_fic_media_sans_ext->setToolTip(QString::fromUtf8(hints::kListName));
    RadioGroup_index->setToolTip(QString::fromUtf8(hints::kIndexLevel));
    BitBtn_reinit->setToolTip(QString::fromUtf8(hints::kReindex));
}

TForm1::~TForm1() {
    m_app.removeView(*this);
    // The scan's workers outlive the window in the program: they stop before what they report to
    // goes.
    m_state.onScanChanged = nullptr;
    m_state.scanWorkers.stopAndWait();
}

void TForm1::programChanged() {
    setEnabled(!m_program.copyRunning);
    refreshView();
}

void TForm1::refreshView() {
    const SettingsState& s = m_program.settings;
    const CatalogueParams& p = m_program.catalogue.params;
    Label_repfic_media->setText(qs(s.listFolder));
    Edit_nom_fic_media_sans_ext->setText(qs(s.listName));
    Label_rep_favori->setText(qs(s.favouritesFolder));
    Label_nf_media->setText(qs(m_program.collectionListFileCaption));
    BitBtn_form2_bis->setText(qs(m_program.globalListButtonCaption));
    Label_media_1_->setText(qs(p.media[0].name));
    Label_media_2_->setText(qs(p.media[1].name));
    Edit_type_media_1_->setText(qs(p.media[0].name));
    Edit_type_media_2_->setText(qs(p.media[1].name));
    Edit_filtre_ext_1_->setText(qs(p.media[0].extensionFilter));
    Edit_filtre_ext_2_->setText(qs(p.media[1].extensionFilter));
    Edit_taille_mini_1_->setText(qs(p.media[0].minimumSize));
    Edit_taille_mini_2_->setText(qs(p.media[1].minimumSize));
    {
        // Showing the values read is not the user's click: it must not trigger a save.
        QSignalBlocker b1(CheckBox_mini_1_), b2(CheckBox_mini_2_);
        CheckBox_mini_1_->setChecked(p.media[0].minimumSizeOn);
        CheckBox_mini_2_->setChecked(p.media[1].minimumSizeOn);
    }
    const IndexLevelControls& ic = m_state.indexControls;
    if (QAbstractButton* item = widgets::buttonsOf(RadioGroup_index)->button(p.indexLevel))
        item->setChecked(true);
    RadioGroup_index->setEnabled(ic.radioGroupEnabled);
    BitBtn_reinit->setEnabled(ic.reinitEnabled);
    CheckBox1->setChecked(ic.modificationAllowed);
    Label3->setText(qs(m_program.globalList.index.collectionKeyCountCaption));
    Label17->setText(qs(m_state.helpPanelText));
}

void TForm1::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Without a window manager (or when another program keeps the focus) the window is never
    // activated: the opening sequence must not wait for that.
    if (m_state.FirstActivation) {
        QTimer::singleShot(0, this, [this] {
            if (m_state.FirstActivation && !m_failedAt) FormActivate();
        });
    }
}

void TForm1::FormActivate() {
    // The boxes of the opening sequence take the activation away and give it back.
    if (m_activating) return;
    m_activating = true;
    // An error leaves FirstActivation set: the next activation runs the sequence again. The
    // activation that the closing error box itself gives back is not one the user asked for.
    const bool justFailed = m_failedAt && platform::tickCount() - *m_failedAt < 1000;
    if (m_state.FirstActivation && !justFailed) {
        if (!guarded(m_ui, [this] { m_app.openingSequence(m_startup); })) {
            m_failedAt = platform::tickCount();
        }
    }
    setWindowTitle(qs(m_app.activate()));
    emit activated();
    m_activating = false;
}

void TForm1::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Button2Click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (m_closingAccepted) {
        event->accept();
        return;
    }
    QScreen* s = QMainWindow::screen();
    if (s) QCursor::setPos(s->geometry().width() / 2 - 50, s->geometry().height() / 2 - 30);
    const QuitOutcome outcome = m_quit(QuitSender::Form1Closing);
    if (outcome == QuitOutcome::Stay) {
        event->ignore();
        return;
    }
    m_closingAccepted = true;
    event->accept();
    // Not quit(): that closes the other window too, and in basic mode its closing runs the quit
    // procedure a second time, which could ask again and keep the program open.
    QApplication::exit(0);
}

void TForm1::BitBtn_form2_bisClick() {
    emit globalListAsked();
}

void TForm1::Button3Click() {
    QScreen* s = QMainWindow::screen();
    if (s) QCursor::setPos(s->geometry().width() / 2 - 50, s->geometry().height() / 2 - 30);
    const QuitOutcome outcome = m_quit(QuitSender::Button);
    if (outcome == QuitOutcome::ExitNow) {
        m_closingAccepted = true;
        QApplication::exit(0);
    }
}

void TForm1::Button2Click() {
    verdan::Button2Click(m_state, m_ui);
    refreshScanView();
}

ScreenInfo TForm1::screenInfo() const {
    ScreenInfo info;
    if (QScreen* s = QMainWindow::screen()) {
        info.width = s->geometry().width();
        info.height = s->geometry().height();
        QRect a = s->availableGeometry();
        info.workArea = {a.left(), a.top(), a.left() + a.width(), a.top() + a.height()};
    }
    return info;
}

void TForm1::applyState() {
    widgets::fillWith(Panel2, colours::kHelpPanel);
    applyHints();
    refreshView();
}

void TForm1::placeOverCentre(QWidget* panel, const QWidget* over) {
    panel->move((over->width() - panel->width()) / 2,
                (over->height() - panel->height()) / 2 + pixels::kWaitingPanelBelowCentre);
}

void TForm1::showLoadingPanel(bool shown) {
    if (shown) {
        placeOverCentre(Panel_attendre, this);
        Panel_attendre->show();
        Panel_attendre->raise();
        Panel_attendre->repaint();
        m_ui.processEvents();
    } else {
        Panel_attendre->hide();
    }
}

void TForm1::focusGlobalListButton() {
    BitBtn_form2_bis->setFocus();
}

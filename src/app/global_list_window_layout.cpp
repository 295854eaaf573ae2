// Builds the global-list window: the list's name, counts and commands along the top, the table in
// the middle, the disks, deletion, marking and favourites on the right, panels on top.
#include "global_list_window.h"
#include "presentation.h"
#include "widget_factory.h"

#include "browse/opening.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStackedWidget>
#include <QStyle>
#include <QTableView>

#include <algorithm>

using namespace widgets;

namespace {
const char* kSearchHint = "  de la troisième colonne [média] à  la colonne [taille]    ";
} // namespace

void TForm2::buildTopBand(QWidget* band) {
    auto* grid = new QGridLayout(band);
    grid->setContentsMargins(pixels::kBandMargins);
    grid->setHorizontalSpacing(pixels::kCellSpacing);
    grid->setVerticalSpacing(pixels::kRowSpacing);

    Label1 = label(band, "Label1", "Liste globale des médias");
    QFont title = Label1->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.3);
    Label1->setFont(title);
    grid->addWidget(Label1, 0, 0, 1, 2);
    grid->addWidget(label(band, "Label13", "Nom fichier liste médias"), 0, 2);
    Label_nf_media = elidedLabel(band, "Label_nf_media", "");
    QFont bold = Label_nf_media->font();
    bold.setBold(true);
    Label_nf_media->setFont(bold);
    grid->addWidget(Label_nf_media, 0, 3);
    Label_n = label(band, "Label_n", "0 média");
    Label_n->setFont(bold);
    grid->addWidget(Label_n, 0, 4);
    Label_media_1_ = label(band, "Label_media_1_", "médias 1");
    Label_media_2_ = label(band, "Label_media_2_", "médias 2");
    grid->addWidget(Label_media_1_, 0, 5);
    grid->addWidget(Label_media_2_, 0, 6);
    Label_date_der_maj = label(band, "Label_date_der_maj", "Date de la modification");
    grid->addWidget(Label_date_der_maj, 0, 7, 1, 2);

    BitBtn1 = button(band, "BitBtn1", "<= Ajouter des médias", "  écran de gestion des listes  ");
    BitBtn_choix_lst = button(band, "BitBtn_choix_lst", "Choisir => ");
    Button_charger_bd =
        button(band, "Button_charger_bd", "Lecture de la liste", " Rechargement de la liste  courante ");
    Button_enregistrer_liste = button(band, "Button_enregistrer_liste", "Enregistrer la liste");
    Button_undo = button(band, "Button_undo", "Undo", " permet de revenir à la sauvegarde précédente  ");
    Button_vider_bd = button(band, "Button_vider_bd", "Vider la liste");
    Button_debut = button(band, "Button_debut", "début");
    Button_fin = button(band, "Button_fin", "fin");
    Button_exit = button(band, "Button_exit", "Quitter");
    auto* commands = new QHBoxLayout;
    for (QPushButton* b : {BitBtn1, BitBtn_choix_lst, Button_charger_bd, Button_enregistrer_liste,
                           Button_undo, Button_vider_bd, Button_debut, Button_fin})
        commands->addWidget(b);
    commands->addStretch();
    grid->addLayout(commands, 1, 0, 1, 7);

    CheckBox_mode_avancer =
        check(band, "CheckBox_mode_avancer", "mode avancé", true, "  permet la modification  de la liste   ");
    ComboBox1 = named(new QComboBox(band), "ComboBox1");
    ComboBox1->addItems({"8", "10", "12", "15"});
    auto* options = new QHBoxLayout;
    options->addWidget(CheckBox_mode_avancer);
    options->addWidget(ComboBox1);
    options->addWidget(Button_exit);
    grid->addLayout(options, 1, 7, 1, 2);

    // Search.
    Label4 = label(band, "Label4", "Rechercher", "  de la colonne [média] à  la colonne [taille]  ");
    Edit1 = edit(band, "Edit1", "", kSearchHint);
    Edit1->setMinimumWidth(pixels::kSearchEditWidth);
    Button_rechercher = button(band, "Button_rechercher", "rechercher", kSearchHint);
    Button_init_filtre = button(band, "Button_init_filtre", "X", "réinitialiser le tableau ");
    Bevel3 = named(new QFrame(band), "Bevel3");
    Bevel3->setFrameShape(QFrame::StyledPanel);
    auto* search = new QHBoxLayout(Bevel3);
    search->setContentsMargins(pixels::kSearchBoxMargins);
    search->addWidget(Label4);
    search->addWidget(Edit1, 1);
    search->addWidget(Button_rechercher);
    search->addWidget(Button_init_filtre);
    grid->addWidget(Bevel3, 2, 0, 1, 5);
    Label_idx = label(band, "Label_idx", "idx");
    Label_n_idx = label(band, "Label_n_idx", "n-idx");
    grid->addWidget(Label_idx, 2, 5);
    grid->addWidget(Label_n_idx, 2, 6);
    grid->setColumnStretch(4, 1);
}

void TForm2::buildSidePanel(QWidget* side) {
    auto* v = new QVBoxLayout(side);
    v->setContentsMargins(pixels::kSidePanelMargins);

    Panel2 = named(new QFrame(side), "Panel2");
    Panel2->setFrameShape(QFrame::StyledPanel);
    Panel2->setAutoFillBackground(true);
    auto* help = new QVBoxLayout(Panel2);
    Label6 = label(Panel2, "Label6", "");
    Label6->setWordWrap(true);
    help->addWidget(Label6);
    v->addWidget(Panel2);

    // What the advanced mode shows besides the panel's own controls.
    advancedControls = {BitBtn1,     Button_charger_bd,  Button_vider_bd, Button_enregistrer_liste,
                        Button_undo, Label_date_der_maj, Label_idx,       Label_n_idx};
    buildDiskControls(side, v);
    buildMarkControls(side, v);
    buildFavouritesRow(side, v);
    side->setFixedWidth(pixels::kSidePanelWidth);
}

// The disks of the list, the copy's missing sources in their place, and the deletions.
void TForm2::buildDiskControls(QWidget* side, QBoxLayout* v) {
    v->addWidget(label(side, "Label3", "disques présents dans la liste"));
    ListBox_hd_referencer = listBox(side, "ListBox_hd_referencer");
    v->addWidget(ListBox_hd_referencer, 1);
    // The sources a multiple copy does not find, under the disks they belong to, while it runs.
    Memo1 = named(new QPlainTextEdit(side), "Memo1");
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->hide();
    v->addWidget(Memo1, 1);
    auto* chosen = new QHBoxLayout;
    auto* l2 = label(side, "Label2", "disque sélectionné");
    Label_hd_selectionner = label(side, "Label_hd_selectionner", "-/-");
    chosen->addWidget(l2);
    chosen->addWidget(Label_hd_selectionner, 1);
    v->addLayout(chosen);
    auto* l5 = label(side, "Label5", "Effacement par disque",
                     " juste effacer de la liste, sélectionner  le disque  incriminé");
    v->addWidget(l5);
    Button_effacer_liste_un_hd = button(side, "Button_effacer_liste_un_hd",
                                        "effacer tous les médias de la liste relatifs au disque sélectionné");
    v->addWidget(Button_effacer_liste_un_hd);
    auto* bevel1 = bevel(side, "Bevel1");
    v->addWidget(bevel1);
    Button_del = button(side, "Button_del", "Effacer (supp)");
    v->addWidget(Button_del);
    auto* bevel2 = bevel(side, "Bevel2");
    v->addWidget(bevel2);

    advancedControls +=
        {l2, Label_hd_selectionner, l5, Button_effacer_liste_un_hd, bevel1, Button_del, bevel2};
}

// The marks, their counter and what copies or plans the marked files.
void TForm2::buildMarkControls(QWidget* side, QBoxLayout* v) {
    BitBtn_tout_cocher = button(side, "BitBtn_tout_cocher", "tout cocher");
    BitBtn_tout_decocher = button(side, "BitBtn_tout_decocher", "tout décocher");
    BitBtn_coche_selection = button(side, "BitBtn_coche_selection", "(dé)cocher sélection");
    BitBtn_coche_selection->hide();
    auto* marks = new QHBoxLayout;
    marks->addWidget(BitBtn_tout_cocher);
    marks->addWidget(BitBtn_tout_decocher);
    v->addLayout(marks);
    auto* l7 = label(side, "Label7", "Barre Espace pour cocher");
    auto* l8 = label(side, "Label8", "et décocher la sélection");
    Label10 = label(side, "Label10", "nb");
    auto* markText = new QHBoxLayout;
    auto* markLines = new QVBoxLayout;
    markLines->addWidget(l7);
    markLines->addWidget(l8);
    markText->addLayout(markLines, 1);
    markText->addWidget(Label10);
    v->addLayout(markText);
    Button_copie_multiple = button(side, "Button_copie_multiple", "Copie multiple (x)",
                                   " copie tous les fichiers cochés dans les favoris  ");
    v->addWidget(Button_copie_multiple);
    Button_disques_a_brancher = button(side, "Button_disques_a_brancher", "Disques à brancher");
    v->addWidget(Button_disques_a_brancher);
    auto* bevel4 = bevel(side, "Bevel4");
    v->addWidget(bevel4);

    advancedControls +=
        {BitBtn_tout_cocher, BitBtn_tout_decocher, l7, l8, Label10, Button_copie_multiple, bevel4};
}

void TForm2::buildFavouritesRow(QWidget* side, QBoxLayout* v) {
    BitBtn_rep_favori = button(side, "BitBtn_rep_favori", "Dossier des favoris");
    SpeedButton1 = speedButton(side, "SpeedButton1", "", " ouvrir le dossier des favoris ");
    SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    BitBtn_help = button(side, "BitBtn_help", "?", " fichier d'aide ");
    BitBtn_help->setMaximumWidth(pixels::kHelpButtonWidth);
    auto* fav = new QHBoxLayout;
    fav->addWidget(BitBtn_rep_favori);
    fav->addWidget(SpeedButton1);
    fav->addStretch();
    fav->addWidget(BitBtn_help);
    v->addLayout(fav);
    Label_rep_favori = elidedLabel(side, "Label_rep_favori", "---");
    v->addWidget(Label_rep_favori);
    Button_son = button(side, "Button_son", "son");
    Button_son->hide();
}

void TForm2::buildFloatingPanels() {
    QWidget* host = centralWidget();

    // Panel1 is sized and its buttons placed for each file name (placePanel1): no layout.
    Panel1 = panel(host, "Panel1", colours::kFilePanel);
    Label11 = label(Panel1, "Label11", "");
    Label12 = label(Panel1, "Label12", "");
    Label9 = label(Panel1, "Label9", "");
    BitBtn2 = button(Panel1, "BitBtn2", "Ouvrir le dossier");
    BitBtn_copie_un_par_un = button(Panel1, "BitBtn_copie_un_par_un", "Copier vers les favoris");
    BitBtn5 = button(Panel1, "BitBtn5", "Visionner/écouter");
    BitBtn4 = button(Panel1, "BitBtn4", "Annuler");
    verdan::PanelSurroundings around;
    around.minButtonWidth = panel1ButtonWidth();
    placePanel1(verdan::placeContextPanel(0, around));

    Panel3 = panel(host, "Panel3", colours::kNotice);
    {
        auto* g = new QGridLayout(Panel3);
        g->addWidget(label(Panel3, "Label14", "Copie"), 0, 0);
        Label18 = label(Panel3, "Label18", "");
        g->addWidget(Label18, 0, 1);
        Label15 = label(Panel3, "Label15", "");
        Label16 = label(Panel3, "Label16", "");
        g->addWidget(Label15, 1, 0, 1, 3);
        g->addWidget(Label16, 2, 0, 1, 3);
        ProgressBar1 = named(new QProgressBar(Panel3), "ProgressBar1");
        ProgressBar2 = named(new QProgressBar(Panel3), "ProgressBar2");
        for (QProgressBar* p : {ProgressBar1, ProgressBar2}) {
            p->setRange(0, 10000);
            p->setTextVisible(false);
        }
        g->addWidget(ProgressBar1, 3, 0, 1, 3);
        g->addWidget(ProgressBar2, 4, 0, 1, 3);
        Label17 = label(Panel3, "Label17", "");
        LabelSpeed = label(Panel3, "LabelSpeed", "0 Mo/s");
        LabelETA = label(Panel3, "LabelETA", "--:--");
        g->addWidget(Label17, 5, 0);
        g->addWidget(LabelSpeed, 5, 1);
        g->addWidget(LabelETA, 5, 2);
        BitBtn3 = button(Panel3, "BitBtn3", "Annuler");
        g->addWidget(BitBtn3, 6, 2);
        Panel3->resize(pixels::kCopyPanel);
    }

    buildPlanPanel();

    Panel4 = panel(host, "Panel4", colours::kNotice);
    {
        auto* h = new QHBoxLayout(Panel4);
        auto* text = label(Panel4, "Label_chargement", "chargement en cours ...");
        QFont f = text->font();
        f.setBold(true);
        f.setPixelSize(pixels::kLoadingTextPixels);
        text->setFont(f);
        h->addWidget(text);
        Panel4->resize(pixels::kLoadingPanel);
    }
}

int TForm2::panel1LabelLeft() const {
    return pixels::kListFilePanelLabelLeft;
}

int TForm2::panel1ButtonWidth() const {
    int widest = 0;
    for (const QPushButton* b : {BitBtn2, BitBtn_copie_un_par_un, BitBtn5, BitBtn4})
        widest = std::max(widest, b->sizeHint().width());
    return widest;
}

void TForm2::placePanel1(const verdan::PanelPlacement& placement) {
    using namespace pixels;
    Panel1->resize(placement.width, kListFilePanelHeight);
    int top = kListFilePanelLabelsTop;
    for (QLabel* l : {Label11, Label12, Label9}) {
        l->setGeometry(kListFilePanelLabelLeft, top, placement.width - 2 * kListFilePanelLabelLeft,
                       kListFilePanelLine);
        top += kListFilePanelLine;
    }
    QPushButton* const buttons[] = {BitBtn2, BitBtn_copie_un_par_un, BitBtn5, BitBtn4};
    for (std::size_t i = 0; i < placement.buttons.size(); ++i) {
        const verdan::ButtonSpan& span = placement.buttons[i];
        buttons[i]->setGeometry(span.left, kListFilePanelButtonsTop, span.width, kListFilePanelButtonHeight);
    }
}

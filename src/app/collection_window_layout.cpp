// Builds the collection window: a band of catalogue parameters along the top, the drive table on
// the left, the folder lists in the middle, the found list on the right, notice panels on top.
#include "collection_window.h"
#include "presentation.h"
#include "widget_factory.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListView>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>

using namespace widgets;

namespace {
// Cuts texts in the middle: two mount points under the same parent folder still differ.
class ElideMiddleDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->textElideMode = Qt::ElideMiddle;
    }
};

const char* kFilterHint1 = "un double click => avi, mp4, mkv, mov, wmv, flv, vob, ts";
} // namespace

void TForm1::buildParameterBand(QWidget* band) {
    // Two rows, so that the window fits a 1366-pixel screen: the list, its index and its level
    // above; the media categories and the favourites folder below. Paths are cut to fit.
    auto* rows = new QVBoxLayout(band);
    rows->setContentsMargins(pixels::kBandMargins);
    rows->setSpacing(pixels::kRowSpacing);
    auto* top = new QHBoxLayout;
    top->setSpacing(pixels::kParameterGroupSpacing);
    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(pixels::kParameterGroupSpacing);
    rows->addLayout(top);
    rows->addLayout(bottom);

    buildListGroup(band, top);
    buildIndexGroup(band, top);
    buildMediaGroup(band, bottom);
    buildFavouritesGroup(band, bottom);
}

// The list, its folder, its parameter file and the date of its last save.
void TForm1::buildListGroup(QWidget* band, QBoxLayout* row) {
    auto* list = new QGridLayout;
    list->setHorizontalSpacing(pixels::kCellSpacing);
    list->setVerticalSpacing(pixels::kRowSpacing);
    auto* title = label(band, "Label18", "PaRaMètres");
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    list->addWidget(title, 0, 0);

    BitBtn_nomfic_media = button(band, "BitBtn_nomfic_media", "Répertoire listes médias");
    Label_repfic_media = elidedLabel(band, "Label_repfic_media", "-/-");
    list->addWidget(BitBtn_nomfic_media, 1, 0);
    list->addWidget(Label_repfic_media, 1, 1, 1, 3);

    BitBtn_fic_lst = button(band, "BitBtn_fic_lst", "Choisir *.prm => ");
    list->addWidget(BitBtn_fic_lst, 2, 0);
    list->addWidget(label(band, "Label15", "Liste en cours"), 2, 1);
    Edit_nom_fic_media_sans_ext = edit(band, "Edit_nom_fic_media_sans_ext", "liste_globale_vidéos_truc");
    Edit_nom_fic_media_sans_ext->setMinimumWidth(pixels::kListNameEditWidth);
    list->addWidget(Edit_nom_fic_media_sans_ext, 2, 2);
    Label_nf_media = elidedLabel(band, "Label_nf_media", "*12345.txt");
    list->addWidget(Label_nf_media, 2, 3);

    Label_date_der_maj = label(band, "Label_date_der_maj", "Date de la dernière modification");
    list->addWidget(Label_date_der_maj, 3, 1, 1, 3);
    BitBtn6 = button(band, "BitBtn6", "Enregistrer lee paramétres ", " Enregistrer les paramètres");
    list->addWidget(BitBtn6, 3, 0);
    list->setColumnStretch(2, 1);
    list->setColumnStretch(3, 1);
    row->addLayout(list, 1);
}

void TForm1::buildIndexGroup(QWidget* band, QBoxLayout* row) {
    CheckBox1 = check(band, "CheckBox1", "modif de l'index", false,
                      " protection de la modification accidentelle de l'index   ");
    Label3 = label(band, "Label3", "nb idx");
    RadioGroup_index =
        radioGroup(band, "RadioGroup_index", "3.5-   index",
                   {u("idx1 = nom_fichier + disque/NS"), u("idx2 = idx1 + taille"),
                    u("idx3 = idx1 + taille + date"), u("idx4 = idx1 + taille + date + répertoire")},
                   1);
    BitBtn_reinit = button(band, "BitBtn_reinit", "Réindexer la liste globale");
    auto* indexColumn = new QVBoxLayout;
    indexColumn->addWidget(CheckBox1);
    indexColumn->addWidget(Label3);
    indexColumn->addWidget(BitBtn_reinit);
    indexColumn->addStretch();
    row->addLayout(indexColumn);
    row->addWidget(RadioGroup_index);
}

void TForm1::buildMediaGroup(QWidget* band, QBoxLayout* row) {
    Label_media_1_ = label(band, "Label_media_1_", "médias 1");
    Label_media_2_ = label(band, "Label_media_2_", "médias 2");
    Edit_type_media_1_ = edit(band, "Edit_type_media_1_", "vidéos");
    Edit_type_media_2_ = edit(band, "Edit_type_media_2_", "musiques");
    Edit_filtre_ext_1_ =
        edit(band, "Edit_filtre_ext_1_", "avi, mp4, mkv, mov, wmv, flv, vob, ts", kFilterHint1);
    Edit_filtre_ext_2_ = edit(band, "Edit_filtre_ext_2_", "mp3, ogg, mp4a");
    CheckBox_mini_1_ = check(band, "CheckBox_mini_1_", "Taille minimale en Mo", false);
    CheckBox_mini_2_ = check(band, "CheckBox_mini_2_", "Taille minimale en Mo", false);
    Edit_taille_mini_1_ = edit(band, "Edit_taille_mini_1_", "10");
    Edit_taille_mini_2_ = edit(band, "Edit_taille_mini_2_", "10");
    for (QLineEdit* e : {Edit_taille_mini_1_, Edit_taille_mini_2_})
        e->setMaximumWidth(pixels::kMinimumSizeEditWidth);
    for (QLineEdit* e : {Edit_type_media_1_, Edit_type_media_2_})
        e->setMinimumWidth(pixels::kMediaKindEditWidth);
    for (QLineEdit* e : {Edit_filtre_ext_1_, Edit_filtre_ext_2_})
        e->setMinimumWidth(pixels::kExtensionFilterEditWidth);
    auto* media = new QGridLayout;
    media->setHorizontalSpacing(pixels::kCellSpacing);
    media->setVerticalSpacing(pixels::kRowSpacing);
    media->addWidget(Label_media_1_, 0, 0);
    media->addWidget(Edit_type_media_1_, 0, 1);
    media->addWidget(label(band, "Label9", "Filtre", "avi, mp4, mkv, mov, wmv, flv, vob, ts"), 0, 2);
    media->addWidget(Edit_filtre_ext_1_, 0, 3);
    media->addWidget(CheckBox_mini_1_, 0, 4);
    media->addWidget(Edit_taille_mini_1_, 0, 5);
    media->addWidget(Label_media_2_, 1, 0);
    media->addWidget(Edit_type_media_2_, 1, 1);
    media->addWidget(label(band, "Label16", "Filtre"), 1, 2);
    media->addWidget(Edit_filtre_ext_2_, 1, 3);
    media->addWidget(CheckBox_mini_2_, 1, 4);
    media->addWidget(Edit_taille_mini_2_, 1, 5);
    media->setColumnStretch(3, 1);
    row->addLayout(media, 3);
}

void TForm1::buildFavouritesGroup(QWidget* band, QBoxLayout* row) {
    BitBtn_rep_favori = button(band, "BitBtn_rep_favori", "Répertoire des favoris");
    SpeedButton1 = speedButton(band, "SpeedButton1", "", " ouvrir le dossier des favoris ");
    SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    Label_rep_favori = elidedLabel(band, "Label_rep_favori", "-/-");
    auto* fav = new QHBoxLayout;
    fav->addWidget(BitBtn_rep_favori);
    fav->addWidget(SpeedButton1);
    fav->addWidget(Label_rep_favori, 1);
    auto* favColumn = new QVBoxLayout;
    favColumn->addLayout(fav);
    favColumn->addStretch();
    row->addLayout(favColumn, 2);
}

void TForm1::buildDriveColumn(QWidget* column) {
    auto* v = new QVBoxLayout(column);
    v->setContentsMargins(pixels::kBandMargins);
    auto* heading = label(column, "Label13", "ajout");
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    v->addWidget(heading);
    BitBtn_form2_bis = button(column, "BitBtn_form2_bis", "Liste globale des médias =>",
                              "  écran d'utilsation de la liste globale  ");
    BitBtn_form2_bis->setMinimumHeight(pixels::kStepButtonHeight);
    v->addWidget(BitBtn_form2_bis);
    v->addWidget(label(column, "Label2", "Pour compléter la liste des média  ..."));
    const char* adviceHint =
        "  Conseil : Donner de suite un nom  différentiable aux partitions et disques durs  ";
    v->addWidget(label(column, "Label4", "1- sélectionner un disque, une partition", adviceHint));

    StringGrid_hd = named(new QTableWidget(1, 6, column), "StringGrid_hd");
    StringGrid_hd->setHorizontalHeaderLabels(
        {"drive", "nom-disque", "type-disque", "NS-disque", "libre", "total"});
    StringGrid_hd->verticalHeader()->hide();
    StringGrid_hd->verticalHeader()->setDefaultSectionSize(pixels::kDriveRowHeight);
    StringGrid_hd->setRowCount(0);
    StringGrid_hd->setColumnWidth(0, pixels::kDriveColumnWidth);
    StringGrid_hd->setItemDelegateForColumn(0, new ElideMiddleDelegate(StringGrid_hd));
    for (int c = 1; c < 6; ++c) StringGrid_hd->setColumnWidth(c, pixels::kDriveDetailColumnWidth);
    StringGrid_hd->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid_hd->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid_hd->setSelectionBehavior(QAbstractItemView::SelectItems);
    StringGrid_hd->setMinimumWidth(pixels::kDriveTableMinWidth);
    v->addWidget(StringGrid_hd, 1);
    Button_actualiser_hd = button(column, "Button_actualiser_hd", "actualiser USB après branchement");
    v->addWidget(Button_actualiser_hd);

    Panel2 = named(new QFrame(column), "Panel2");
    Panel2->setFrameShape(QFrame::StyledPanel);
    Panel2->setAutoFillBackground(true);
    auto* p2 = new QVBoxLayout(Panel2);
    Label17 = label(Panel2, "Label17", "");
    Label17->setWordWrap(true);
    p2->addWidget(Label17);
    Label10 = label(Panel2, "Label10", "Fichier texte (séparateur : tabulation )  (*.txt) + ligne de titre");
    Label10->setWordWrap(true);
    BitBtn5 = button(Panel2, "BitBtn5", "A- rajout de liste de DVD");
    p2->addWidget(Label10);
    p2->addWidget(BitBtn5);
    v->addWidget(Panel2);
}

void TForm1::buildFolderColumn(QWidget* column) {
    auto* v = new QVBoxLayout(column);
    v->setContentsMargins(pixels::kBandMargins);
    v->addWidget(label(column, "Label5", "2- cocher les répertoires ciblés"));
    RadioGroup1 =
        radioGroup(column, "RadioGroup1", "", {u("tout sélectionner"), u("tout déselectionner")}, -1);
    v->addWidget(RadioGroup1);
    CheckListBox_rep = listBox(column, "CheckListBox_rep");
    CheckListBox_rep->setMouseTracking(true);
    v->addWidget(CheckListBox_rep, 3);
    v->addWidget(label(column, "Label7", "répertoires sélectionnés"));
    ListBoxSel = listBox(column, "ListBoxSel");
    v->addWidget(ListBoxSel, 2);
    BitBtn_lister_media =
        button(column, "BitBtn_lister_media", "3- lister les médias des répertoires cochés  ==> ");
    BitBtn_lister_media->setMinimumHeight(pixels::kStepButtonHeight);
    v->addWidget(BitBtn_lister_media);
}

void TForm1::buildFoundColumn(QWidget* column) {
    auto* v = new QVBoxLayout(column);
    v->setContentsMargins(pixels::kBandMargins);
    auto* status = new QHBoxLayout;
    Label6 = label(column, "Label6", "n");
    Label_attente = label(column, "Label_attente", "---");
    Button2 = button(column, "Button2", "stop (Esc) ",
                     " la touche Echap permet également de stopper la recherche   ");
    Button3 = button(column, "Button3", "Quitter");
    status->addWidget(Label6);
    status->addWidget(Label_attente, 1);
    status->addWidget(Button2);
    status->addWidget(Button3);
    v->addLayout(status);
    BitBtn_rajout_bd = button(column, "BitBtn_rajout_bd", "4- rajouter dans la liste globale");
    BitBtn_rajout_bd->setMinimumHeight(pixels::kStepButtonHeight);
    // Offered after a scan of a disk the list already has rows of.
    BitBtn_maj_disque = button(column, "BitBtn_maj_disque", "Mettre à jour ce disque",
                               " comparer les répertoires listés avec la liste globale : nouveaux, disparus, "
                               "déplacés, modifiés ");
    BitBtn_maj_disque->setMinimumHeight(pixels::kStepButtonHeight);
    BitBtn_maj_disque->hide();
    auto* steps = new QHBoxLayout;
    steps->addWidget(BitBtn_rajout_bd, 1);
    steps->addWidget(BitBtn_maj_disque);
    v->addLayout(steps);
    ListBox_media_un_hd =
        named(new QListView(column), "ListBox_media_un_hd", "  double click pour lancer le média  ");
    ListBox_media_un_hd->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListBox_media_un_hd->setUniformItemSizes(true);
    QFont mono("monospace");
    mono.setStyleHint(QFont::TypeWriter);
    ListBox_media_un_hd->setFont(mono);
    v->addWidget(ListBox_media_un_hd, 1);
    BitBtn_delete =
        button(column, "BitBtn_delete", "Effacer [suppr]", "  effacer les lignes sélectionnées   ");
    v->addWidget(BitBtn_delete, 0, Qt::AlignRight);

    Memo2 = named(new QPlainTextEdit(column), "Memo2");
    Memo3 = named(new QPlainTextEdit(column), "Memo3");
    Memo2->hide();
    Memo3->hide();
}

void TForm1::buildFloatingPanels() {
    QWidget* host = centralWidget();

    Panel1 = panel(host, "Panel1", colours::kFilePanel);
    {
        // No layout: the right click gives the panel its width and the buttons theirs.
        Label11 = label(Panel1, "Label11", "Fichier");
        Label12 = label(Panel1, "Label12", "Dossier");
        BitBtn1 = button(Panel1, "BitBtn1", "Ouvrir le dossier");
        BitBtn2 = button(Panel1, "BitBtn2", "Copier vers les favoris",
                         " la ligne sélectionnée ou toutes les cochées ");
        BitBtn4 = button(Panel1, "BitBtn4", "Visionner/écouter");
        BitBtn3 = button(Panel1, "BitBtn3", "Annuler");
        const int lineHeight = Label11->sizeHint().height();
        const int buttonHeight = BitBtn1->sizeHint().height();
        using namespace pixels;
        const int secondLineTop = kFilePanelMargin + lineHeight + kFilePanelLineGap;
        const int buttonsTop = secondLineTop + lineHeight + kFilePanelButtonGap;
        Label11->move(kFilePanelMargin, kFilePanelMargin);
        Label12->move(kFilePanelMargin, secondLineTop);
        for (QPushButton* b : {BitBtn1, BitBtn2, BitBtn4, BitBtn3}) b->move(kFilePanelMargin, buttonsTop);
        Panel1->resize(kFilePanelWidth, buttonsTop + buttonHeight + kFilePanelMargin);
    }

    Panel_na = panel(host, "Panel_na", colours::kNotice);
    {
        auto* g = new QGridLayout(Panel_na);
        Label8 = label(Panel_na, "Label8", "Fichier N/A");
        SpeedButton3 = speedButton(Panel_na, "SpeedButton3", "X");
        g->addWidget(Label8, 0, 0);
        g->addWidget(SpeedButton3, 0, 1, Qt::AlignRight);
        g->addWidget(
            label(
                Panel_na, "Label14",
                "Double-clik pour renommer manuellement  et ensuite  => [3- lister les répertoires cochés]"),
            1, 0, 1, 2);
        ListBox_na = listBox(Panel_na, "ListBox_na");
        g->addWidget(ListBox_na, 2, 0, 1, 2);
    }

    Panel3 = panel(host, "Panel3", colours::kNotice);
    {
        auto* h = new QHBoxLayout(Panel3);
        Label1 = label(Panel3, "Label1", "nom");
        SpeedButton2 = speedButton(Panel3, "SpeedButton2", "X");
        h->addWidget(Label1, 1);
        h->addWidget(SpeedButton2);
    }

    Panel_attendre = panel(host, "Panel_attendre", colours::kNotice);
    {
        auto* h = new QHBoxLayout(Panel_attendre);
        auto* text = label(Panel_attendre, "Label_attendre", "Chargement en cours ...");
        QFont f = text->font();
        f.setBold(true);
        f.setPixelSize(pixels::kLoadingTextPixels);
        text->setFont(f);
        h->addWidget(text);
        Panel_attendre->resize(pixels::kLoadingPanel);
    }
}

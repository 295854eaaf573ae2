// The retrieval plan in the global-list window: the panel "Disques à brancher", and the offer of
// the planned disks when one is plugged in or at start-up.
#include "global_list_window.h"
#include "handler_guard.h"
#include "presentation.h"
#include "qt_ui.h"
#include "widget_factory.h"

#include "browse/plan_copy.h"
#include "util/format.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

using namespace verdan;

namespace {
enum PlanColumn { Name, Serial, Files, Size, Plugged, ColumnCount };
} // namespace

void TForm2::buildPlanPanel() {
    using namespace widgets;
    Panel_a_rapatrier = panel(centralWidget(), "Panel_a_rapatrier", colours::kPlanPanel);
    auto* v = new QVBoxLayout(Panel_a_rapatrier);
    auto* title = label(Panel_a_rapatrier, "Label_a_rapatrier", "Disques à brancher");
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    v->addWidget(title);
    ListView_disques = named(new QTreeWidget(Panel_a_rapatrier), "ListView_disques");
    ListView_disques->setRootIsDecorated(false);
    ListView_disques->setColumnCount(ColumnCount);
    ListView_disques->setHeaderLabels(
        {u("nom-disque"), u("NS-disque"), u("fichiers"), u("taille"), u("état")});
    ListView_disques->header()->setStretchLastSection(true);
    ListView_disques->setColumnWidth(Name, pixels::kPlanNameColumnWidth);
    ListView_disques->setColumnWidth(Serial, pixels::kPlanSerialColumnWidth);
    ListView_disques->setColumnWidth(Files, pixels::kPlanFilesColumnWidth);
    ListView_disques->setColumnWidth(Size, pixels::kPlanSizeColumnWidth);
    v->addWidget(ListView_disques, 1);
    Label_total_plan = label(Panel_a_rapatrier, "Label_total_plan", "");
    Label_total_plan->setFont(bold);
    v->addWidget(Label_total_plan);
    Button_copier_disque =
        button(Panel_a_rapatrier, "Button_copier_disque", "Copier maintenant",
               " copier vers les favoris les fichiers du disque sélectionné, s'il est branché ");
    Button_retirer_disque = button(Panel_a_rapatrier, "Button_retirer_disque", "Retirer ce disque du plan",
                                   " oublier les fichiers à rapatrier du disque sélectionné ");
    Button_vider_plan = button(Panel_a_rapatrier, "Button_vider_plan", "Vider le plan",
                               " oublier tous les fichiers à rapatrier ");
    Button_fermer_plan = button(Panel_a_rapatrier, "Button_fermer_plan", "Fermer");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button_copier_disque);
    buttons->addWidget(Button_retirer_disque);
    buttons->addWidget(Button_vider_plan);
    buttons->addStretch();
    buttons->addWidget(Button_fermer_plan);
    // The style's hint cuts the longest caption short on some platforms.
    for (QPushButton* b :
         {Button_copier_disque, Button_retirer_disque, Button_vider_plan, Button_fermer_plan})
        b->setMinimumWidth(b->sizeHint().width() + pixels::kPlanButtonSlack);
    v->addLayout(buttons);
    // Placed again whenever the table's size changes.
    gridStack->installEventFilter(this);
    Button_disques_a_brancher->setToolTip(u(hints::kPlannedDisks));

    connect(Button_disques_a_brancher, &QPushButton::clicked, this,
            [this] { Button_disques_a_brancherClick(); });
    connect(Button_retirer_disque, &QPushButton::clicked, this, [this] { Button_retirer_disqueClick(); });
    connect(Button_copier_disque, &QPushButton::clicked, this, [this] { Button_copier_disqueClick(); });
    connect(Button_vider_plan, &QPushButton::clicked, this, [this] { Button_vider_planClick(); });
    connect(Button_fermer_plan, &QPushButton::clicked, Panel_a_rapatrier, &QWidget::hide);
    connect(ListView_disques, &QTreeWidget::itemSelectionChanged, this, [this] { enablePlanButtons(); });
}

void TForm2::placePlanPanel() {
    // Over the table, by its right edge, so that the side panel stays in view.
    const QRect table = gridStack->geometry();
    using namespace pixels;
    Panel_a_rapatrier->resize(
        std::min(kPlanPanelMaxWidth, std::max(kPlanPanelMinWidth, table.width() - 2 * kPlanPanelGap)),
        kPlanPanelHeight);
    Panel_a_rapatrier->move(std::max(0, table.right() - Panel_a_rapatrier->width() - kPlanPanelGap),
                            table.top() + kPlanPanelBelowTableTop);
}

void TForm2::refreshPlanPanel() {
    if (m_browse.plan.isOpen())
        guarded(m_ui,
                [&] { followFavouritesFolder(m_browse.plan, m_program.globalList.favouritesCaption, m_ui); });
    if (!Panel_a_rapatrier->isVisibleTo(this)) return;
    m_plannedDisks = plannedDisks(m_browse.plan, presentDrives());
    // The disk chosen stays chosen while it is listed.
    const QTreeWidgetItem* chosen = ListView_disques->currentItem();
    const QString chosenSerial = chosen ? chosen->text(Serial) : QString();
    const QString chosenName = chosen ? chosen->text(Name) : QString();
    ListView_disques->clear();
    for (const PlannedDisk& d : m_plannedDisks) {
        auto* item = new QTreeWidgetItem(ListView_disques);
        item->setText(Name, qs(d.name));
        item->setText(Serial, qs(d.serial));
        item->setText(Files, qs(toText(static_cast<long long>(d.count))));
        item->setTextAlignment(Files, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(Size, qs(FormatTaille(d.bytes)));
        item->setTextAlignment(Size, Qt::AlignRight | Qt::AlignVCenter);
        // A Windows drive is known by its letter alone.
        const std::string where = d.root.size() == 1 ? d.root + ":\\" : d.root;
        item->setText(Plugged, d.root.empty() ? QString() : qs("branché : " + where));
        item->setToolTip(Plugged, item->text(Plugged));
        if (!d.root.empty()) {
            QFont f = item->font(Name);
            f.setBold(true);
            for (int c = 0; c < ColumnCount; ++c) item->setFont(c, f);
        }
        if (item->text(Serial) == chosenSerial && item->text(Name) == chosenName)
            ListView_disques->setCurrentItem(item);
    }
    Label_total_plan->setText(qs(planTotalText(m_plannedDisks)));
    enablePlanButtons();
}

const PlannedDisk* TForm2::chosenPlannedDisk() const {
    QTreeWidgetItem* item = ListView_disques->currentItem();
    if (!item || ListView_disques->selectedItems().isEmpty()) return nullptr;
    const int row = ListView_disques->indexOfTopLevelItem(item);
    return row >= 0 && static_cast<std::size_t>(row) < m_plannedDisks.size()
               ? &m_plannedDisks[static_cast<std::size_t>(row)]
               : nullptr;
}

void TForm2::enablePlanButtons() {
    const bool free = !m_program.copyRunning;
    const PlannedDisk* chosen = chosenPlannedDisk();
    Button_copier_disque->setEnabled(free && chosen && !chosen->root.empty());
    Button_retirer_disque->setEnabled(free && chosen);
    Button_vider_plan->setEnabled(free && !m_plannedDisks.empty());
}

void TForm2::Button_disques_a_brancherClick() {
    if (Panel_a_rapatrier->isVisibleTo(this)) {
        Panel_a_rapatrier->hide();
        return;
    }
    // A plan not opened yet (no start-up ran) is that of the favourites folder.
    if (!m_browse.plan.isOpen())
        guarded(m_ui,
                [&] { openRetrievalPlan(m_browse.plan, m_program.globalList.favouritesCaption, m_ui); });
    Panel_a_rapatrier->show();
    placePlanPanel();
    Panel_a_rapatrier->raise();
    refreshPlanPanel();
}

void TForm2::Button_retirer_disqueClick() {
    const PlannedDisk* chosen = chosenPlannedDisk();
    if (m_program.copyRunning || !chosen) return;
    const PlannedDisk disk = *chosen;
    guarded(m_ui, [&] { removePlannedDisk(m_browse, m_ui, disk); });
    refreshPlanPanel();
}

void TForm2::Button_copier_disqueClick() {
    const PlannedDisk* chosen = chosenPlannedDisk();
    if (m_program.copyRunning || !chosen) return;
    const PlannedDisk disk = *chosen;
    guarded(m_ui, [&] {
        copyPlannedDiskNow(m_program, m_browse, m_ui, *this, disk, [this] { return presentDrives(); });
    });
    refreshPlanPanel();
}

void TForm2::Button_vider_planClick() {
    if (m_program.copyRunning) return;
    guarded(m_ui, [&] { clearRetrievalPlan(m_browse, m_ui); });
    refreshPlanPanel();
}

void TForm2::startRetrievalPlan() {
    guarded(m_ui, [&] { openRetrievalPlan(m_browse.plan, m_program.globalList.favouritesCaption, m_ui); });
    offerPlannedDisks();
}

void TForm2::offerPlannedDisks() {
    guarded(m_ui, [&] {
        verdan::offerPlannedDisks(m_program, m_browse, m_ui, *this, [this] { return presentDrives(); });
    });
    refreshPlanPanel();
}

#include "global_list_window.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

TForm2::TForm2(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Form2");
    setWindowTitle(QString::fromUtf8("V E R D A N   v 1 . 9"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(255, 250, 217));
    setPalette(pal);
    setAutoFillBackground(true);

    auto* central = new QWidget(this);
    central->setObjectName("Form2_client");
    setCentralWidget(central);
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(4, 4, 4, 4);
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
        t->verticalHeader()->hide();
        t->setEditTriggers(QAbstractItemView::NoEditTriggers);
        t->setSelectionBehavior(QAbstractItemView::SelectRows);
        t->setWordWrap(false);
        gridStack->addWidget(t);
    }
    body->addWidget(gridStack, 1);
    auto* side = new QWidget(central);
    buildSidePanel(side);
    body->addWidget(side);
    v->addLayout(body, 1);
    buildFloatingPanels();
    resize(1561, 751);
}

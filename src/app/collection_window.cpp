#include "collection_window.h"

#include "global_list_window.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Form1");
    setWindowTitle(QString::fromUtf8(verdan::kProductTitle));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(243, 244, 235));
    setPalette(pal);
    setAutoFillBackground(true);

    auto* central = new QWidget(this);
    central->setObjectName("Form1_client");
    setCentralWidget(central);
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(4, 4, 4, 4);
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

    resize(1561, 751);
}

void TForm1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
    QMainWindow::changeEvent(event);
}

void TForm1::keyPressEvent(QKeyEvent* event) {
    QMainWindow::keyPressEvent(event);
}

void TForm1::FormActivate() {
    m_state.FirstActivation = false;
    setWindowTitle(QString::fromStdString(m_state.windowTitle(Label_nf_media->text().toStdString())));
}

#include "collection_window.h"

#include "global_list_window.h"

#include <QEvent>
#include <QLabel>

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Form1");
    setWindowTitle(QString::fromUtf8(verdan::kProductTitle));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(243, 244, 235));
    setPalette(pal);
    setAutoFillBackground(true);
    resize(1561, 751);
    auto* label = new QLabel(QString::fromUtf8("Pour compléter la liste des média  ..."), this);
    label->setObjectName("Label2");
    label->setMargin(12);
    setCentralWidget(label);
}

void TForm1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
    QMainWindow::changeEvent(event);
}

void TForm1::FormActivate() {
    m_state.FirstActivation = false;
    setWindowTitle(QString::fromStdString(m_state.windowTitle(m_state.catalogue.paths.ListName)));
}

#include "global_list_window.h"

TForm2::TForm2(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Form2");
    setWindowTitle(QString::fromUtf8("V E R D A N   v 1 . 9"));
    resize(1561, 751);
}

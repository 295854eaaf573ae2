#include "collection_window.h"
#include "global_list_window.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    TForm1 form1;
    TForm2 form2;
    form1.setGlobalListWindow(&form2);
    form1.show();
    return app.exec();
}

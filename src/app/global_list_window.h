#pragma once
#include <QMainWindow>

#include "browse/browse_state.h"

// The global-list window; created hidden, shown from the collection window.
class TForm2 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

private:
    verdan::BrowseState m_state;
};

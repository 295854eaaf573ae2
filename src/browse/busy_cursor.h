#pragma once
#include "util/ui.h"

namespace verdan {

// The hourglass for as long as the scope lasts, also when it is left by an exception.
class BusyCursor {
public:
    explicit BusyCursor(Ui& ui) : m_ui(ui) { m_ui.setBusy(true); }
    ~BusyCursor() { m_ui.setBusy(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    Ui& m_ui;
};

} // namespace verdan

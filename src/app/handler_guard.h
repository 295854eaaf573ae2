#pragma once
#include <exception>
#include <new>
#include <string>
#include <utility>

#include "util/dialogs.h"
#include "util/error.h"
#include "util/ui.h"

// The handler boundary: an error of the core ends the user's action in the standard error box.
// So does any other failure the standard library reports: an exception escaping a Qt slot ends
// the program, and with it every change not yet saved.
template <class Fn> bool guarded(verdan::Ui& ui, Fn&& fn) {
    try {
        std::forward<Fn>(fn)();
        return true;
    } catch (const verdan::VerdanError& e) {
        verdan::showError(ui, e.text());
    } catch (const std::bad_alloc&) {
        verdan::showError(ui, "Mémoire insuffisante");
    } catch (const std::exception& e) {
        verdan::showError(ui, verdan::msg::unexpected(e.what()));
    }
    return false;
}

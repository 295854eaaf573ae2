#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <system_error>

#include "handler_guard.h"
#include "support/fake_ui.h"

using namespace verdan;
using verdan::test::FakeUi;

// Whatever a handler throws ends in the standard error box, and the program goes on.
TEST(HandlerBoundary, EveryStandardFailureEndsInTheErrorBox) {
    struct Case {
        std::function<void()> fail;
        std::string text;
    };
    const std::vector<Case> cases = {
        {[] { throw VerdanError("Impossible d'ouvrir le fichier x"); }, "Impossible d'ouvrir le fichier x"},
        {[] { throw std::bad_alloc(); }, "Mémoire insuffisante"},
        {[] { throw std::length_error("row too long"); },
         " Erreur inattendue : row too long \n\n L'opération est abandonnée ; le programme continue. "},
        {[] {
             throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again),
                                     "thread");
         },
         " Erreur inattendue : thread: " +
             std::make_error_code(std::errc::resource_unavailable_try_again).message() +
             " \n\n L'opération est abandonnée ; le programme continue. "},
    };
    for (const Case& c : cases) {
        FakeUi ui;
        EXPECT_FALSE(guarded(ui, c.fail));
        ASSERT_EQ(ui.shown.size(), 1u);
        EXPECT_EQ(ui.shown[0].type, DialogType::Error);
        EXPECT_EQ(ui.shown[0].buttons, std::vector<DialogButton>{DialogButton::Ok});
        EXPECT_EQ(ui.shown[0].text, c.text);
    }
    FakeUi ui;
    bool ran = false;
    EXPECT_TRUE(guarded(ui, [&] { ran = true; }));
    EXPECT_TRUE(ran);
    EXPECT_TRUE(ui.shown.empty());
}

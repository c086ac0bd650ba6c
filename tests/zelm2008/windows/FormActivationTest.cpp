// Window activation as the trainer windows know it: a window is activated when it becomes the
// program's active window, not when the program comes back to the same window.
#include "zelm2008/windows/FormActivation.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>

namespace {
class CountingForm : public QWidget, public zelm::TrainerForm {
public:
    void FormActivate() override { ++activations; }
    int activations = 0;
};

void activate(QWidget &w) {
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
}
} // namespace

TEST(FormActivation, RunsWhenAnotherWindowOfTheProgramWasActiveBefore) {
    zelm::FormActivation tracker;
    CountingForm main;
    CountingForm input;
    QWidget popup; // a window that is no trainer form
    main.show();
    input.show();
    popup.show();
    activate(popup);
    const int mainBefore = main.activations;
    const int inputBefore = input.activations;

    activate(main);
    activate(input);
    activate(main);
    EXPECT_EQ(main.activations - mainBefore, 2);
    EXPECT_EQ(input.activations - inputBefore, 1);
    EXPECT_EQ(tracker.activeForm(), &main);

    // Through a window that is not a form (a list's pop-up, say) and back: no activation.
    activate(popup);
    activate(main);
    EXPECT_EQ(main.activations - mainBefore, 2);
}

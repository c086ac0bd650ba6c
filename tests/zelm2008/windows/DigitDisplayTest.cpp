// The digit display: arrows, keys and wheel step the digit inside its range.
#include "zelm2008/windows/DigitDisplay.h"
#include "zelm2008/windows/Twips.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using zelm::DigitDisplay;

TEST(DigitDisplay, ArrowsStepWithinTheRangeAndReportEachChange) {
    DigitDisplay digit(0, 2, QStringLiteral("Text_Speed_0"));
    digit.resize(33, 97);
    QSignalSpy changed(&digit, &DigitDisplay::valueChanged);
    ASSERT_EQ(digit.box()->objectName(), QStringLiteral("Text_Speed_0"));

    for (int i = 0; i < 4; ++i)
        QTest::mouseClick(digit.upButton(), Qt::LeftButton);
    EXPECT_EQ(digit.value(), 2);
    EXPECT_EQ(digit.box()->text(), QStringLiteral("2"));
    EXPECT_EQ(changed.count(), 2); // stopping at the top is no change

    QTest::mouseClick(digit.downButton(), Qt::LeftButton);
    EXPECT_EQ(digit.value(), 1);
    QTest::keyClick(&digit, Qt::Key_Down);
    QTest::keyClick(&digit, Qt::Key_Down);
    EXPECT_EQ(digit.value(), 0);
    QTest::keyClick(&digit, Qt::Key_Home);
    EXPECT_EQ(digit.value(), 2);

    digit.setValue(7);
    EXPECT_EQ(digit.value(), 2);
    digit.setValue(-3);
    EXPECT_EQ(digit.value(), 0);
    EXPECT_EQ(digit.box()->text(), QStringLiteral("0"));
}

TEST(DigitDisplay, DigitBoxSitsBetweenTheArrows) {
    DigitDisplay digit(0, 9, QStringLiteral("Text_Number_0"));
    const zelm::TwipsScale s(96);
    digit.setArrowHeight(s.px(240));
    digit.resize(s.size(495, 1455));
    digit.show(); // a hidden widget lays out only when shown
    EXPECT_EQ(digit.upButton()->geometry(), QRect(0, 0, 33, 16));
    EXPECT_EQ(digit.box()->geometry(), QRect(0, 16, 33, 65));
    EXPECT_EQ(digit.downButton()->geometry(), QRect(0, 81, 33, 16));
    EXPECT_TRUE(digit.box()->isReadOnly());
}

TEST(TwipsScale, FifteenTwipsAPixelAt96Dpi) {
    EXPECT_EQ(zelm::TwipsScale(96).px(1440), 96);
    EXPECT_EQ(zelm::TwipsScale(96).rect(120, 2640, 9975, 2175), QRect(8, 176, 665, 145));
    EXPECT_EQ(zelm::TwipsScale(144).px(5625), 563);
    EXPECT_EQ(zelm::TwipsScale(120).twips(100), 1200);
}

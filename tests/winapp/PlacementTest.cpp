//===- PlacementTest.cpp - Where the dialogs are placed -------------------===//

#include "winapp/DlgsPlus.h"

#include <gtest/gtest.h>

using namespace qm::win;

TEST(Placement, AFileDialogStandsCentredAtOneThirdOfTheFreeHeight) {
    const POINT at = CentredOver({100, 100, 700, 500}, {400, 300});
    EXPECT_EQ(at.x, 200);
    EXPECT_EQ(at.y, 133);
    // Wider than the window: the negative share truncates towards zero.
    EXPECT_EQ(CentredOver({50, 0, 350, 400}, {425, 100}).x, -12);
}

TEST(Placement, TheCodesPlaceAcrossAndDown) {
    const RECT screen{0, 0, 1024, 768};
    const POINT upperThird = PlacedPosition(screen, {464, 350}, 5);
    EXPECT_EQ(upperThird.x, 280);
    EXPECT_EQ(upperThird.y, 139);
    const POINT centred = PlacedPosition({244, 103, 842, 501}, {470, 349}, 4);
    EXPECT_EQ(centred.x, 308);
    EXPECT_EQ(centred.y, 127);
    const POINT bottomRight = PlacedPosition(screen, {100, 50}, 9, 3, -2);
    EXPECT_EQ(bottomRight.x, 927);
    EXPECT_EQ(bottomRight.y, 716);
}

// Where a window goes on a screen too small for its fixed place.
#include <gtest/gtest.h>

#include "ScreenPlacementUnit.h"
#include "TestNames.h"

namespace {

struct TPlaceCase {
    const char* Label;
    QRect Available;
    QSize Frame;
    QPoint Wanted, Expected;
};

void PrintTo(const TPlaceCase& Case, std::ostream* Out) {
    *Out << Case.Label;
}

class PlaceInsideCases : public testing::TestWithParam<TPlaceCase> {};

TEST_P(PlaceInsideCases, MovedJustFarEnough) {
    EXPECT_EQ(PlaceInside(GetParam().Available, GetParam().Frame, GetParam().Wanted), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, PlaceInsideCases,
    testing::Values(
        TPlaceCase{"fits", {0, 0, 1280, 1024}, {392, 344}, {736, 284}, {736, 284}},
        TPlaceCase{"touches the right and bottom edges", {0, 0, 1128, 628}, {392, 344}, {736, 284}, {736, 284}},
        TPlaceCase{"one pixel past the right edge", {0, 0, 1127, 628}, {392, 344}, {736, 284}, {735, 284}},
        TPlaceCase{"past the right edge of 1024x768", {0, 0, 1024, 768}, {392, 344}, {736, 284}, {632, 284}},
        TPlaceCase{"past the right and bottom edges", {0, 0, 800, 600}, {683, 593}, {141, 104}, {117, 7}},
        TPlaceCase{"under a panel at the top", {0, 27, 1024, 741}, {392, 344}, {100, 0}, {100, 27}},
        TPlaceCase{"left of and above the screen", {0, 0, 1024, 768}, {392, 344}, {-50, -20}, {0, 0}},
        TPlaceCase{"on a second screen", {1024, 0, 1280, 1024}, {392, 344}, {2200, 900}, {1912, 680}},
        TPlaceCase{"larger than the screen", {0, 0, 640, 480}, {683, 593}, {141, 104}, {0, 0}},
        TPlaceCase{"larger than a second screen", {1024, 100, 640, 480}, {683, 593}, {1200, 200}, {1024, 100}}),
    testsupport::LabelName());

}  // namespace

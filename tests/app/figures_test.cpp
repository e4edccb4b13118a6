// The bug figures, the backdrop and the scare figures, checked through the lines the runtime
// writes for each drawing call while logging is on.
#include <cctype>
#include <climits>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/app_test_support.h"
#include "backdrop.h"
#include "bug_figures.h"
#include "kd508.h"

namespace bugwalk {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::SizeIs;
using Lines = std::vector<std::string>;

constexpr int size_unit = 16;
constexpr int odd_step = 11;
constexpr int even_step = 0;

class FiguresTest : public ::testing::Test {
protected:
    testing::OpenedRuntime runtime;
    testing::LogReader log;
};

// Reads what text holds at position at, moving at past it: an integer (an optional minus sign
// and digits), or the one character wanted.
bool take_integer(const std::string& text, std::size_t& at, int& value) {
    const std::size_t start = at;
    if (at < text.size() && text[at] == '-') ++at;
    const std::size_t digits = at;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) ++at;
    if (at == digits) return false;
    value = std::stoi(text.substr(start, at - start));
    return true;
}

bool take_char(const std::string& text, std::size_t& at, char wanted) {
    if (at >= text.size() || text[at] != wanted) return false;
    ++at;
    return true;
}

// Every (x,y) pair of a log line with dy added to y; radii and widths stay as they are. Read by
// hand: the standard regular expressions draw a false warning from the compiler in the sanitizer
// build.
std::string raised(const std::string& line, int dy) {
    std::string result;
    std::size_t at = 0;
    while (at < line.size()) {
        std::size_t next = at;
        int x = 0, y = 0;
        if (take_char(line, next, '(') && take_integer(line, next, x) && take_char(line, next, ',') &&
            take_integer(line, next, y) && take_char(line, next, ')')) {
            result += "(" + std::to_string(x) + "," + std::to_string(y + dy) + ")";
            at = next;
        } else {
            result += line[at++];
        }
    }
    return result;
}

TEST_F(FiguresTest, WalkingBugOddPoseReachesForwardWithArmAndLeg) {
    draw_walking_bug(280, -90, size_unit, KD508_RED, odd_step);
    EXPECT_THAT(log.take(), ElementsAre(
        "red circle at (280,-18), radius 16",
        "black line from (280,-2) to (280,8), width 2",
        "black circle at (280,8), radius 4",
        "white circle at (272,-14), radius 5",
        "black circle at (270,-14), radius 3",
        "black line from (270,-26) to (276,-26), width 2",
        "red rectangle with bounding box (276,-32) to (284,-38), filled",
        "red circle at (280,-48), radius 12",
        "black line from (284,-59) to (284,-70), width 2",
        "black line from (284,-70) to (293,-86), width 2",
        "black circle at (293,-86), radius 2",
        "black line from (280,-59) to (272,-70), width 2",
        "black line from (272,-70) to (284,-86), width 2",
        "black circle at (284,-86), radius 2",
        "black line from (280,-43) to (301,-50), width 2",
        "black circle at (301,-50), radius 2"));
}

TEST_F(FiguresTest, WalkingBugEvenPoseSwingsLegAndArmBack) {
    draw_walking_bug(280, -90, size_unit, KD508_RED, even_step);
    const Lines lines = log.take();
    ASSERT_THAT(lines, SizeIs(15));
    EXPECT_THAT(Lines(lines.begin() + 8, lines.end()), ElementsAre(
        "black line from (284,-59) to (276,-86), width 2",
        "black circle at (276,-86), radius 2",
        "black line from (280,-59) to (272,-70), width 2",
        "black line from (272,-70) to (284,-86), width 2",
        "black circle at (284,-86), radius 2",
        "black line from (280,-43) to (259,-50), width 2",
        "black circle at (259,-50), radius 2"));
}

TEST_F(FiguresTest, ScaredBugOddPoseSpreadsLegsAndRaisesArms) {
    draw_scared_bug(280, -90, size_unit, KD508_RED, odd_step);
    EXPECT_THAT(log.take(), ElementsAre(
        "red circle at (280,-18), radius 16",
        "black line from (280,-2) to (272,8), width 2",
        "black circle at (272,8), radius 4",
        "black line from (280,-2) to (288,8), width 2",
        "black circle at (288,8), radius 4",
        "white circle at (275,-14), radius 5",
        "white circle at (285,-14), radius 5",
        "black circle at (275,-14), radius 2",
        "black circle at (285,-14), radius 2",
        "black circle at (280,-26), radius 2",
        "red rectangle with bounding box (276,-32) to (284,-38), filled",
        "red circle at (280,-48), radius 12",
        "black line from (276,-59) to (264,-86), width 2",
        "black circle at (264,-86), radius 2",
        "black line from (284,-59) to (296,-86), width 2",
        "black circle at (296,-86), radius 2",
        "black line from (292,-43) to (312,-28), width 2",
        "black circle at (312,-28), radius 2",
        "black line from (268,-43) to (248,-28), width 2",
        "black circle at (248,-28), radius 2"));
}

TEST_F(FiguresTest, ScaredBugEvenPoseCrossesBentLegsAndDropsArms) {
    draw_scared_bug(280, -90, size_unit, KD508_RED, even_step);
    const Lines lines = log.take();
    ASSERT_THAT(lines, SizeIs(22));
    EXPECT_THAT(Lines(lines.begin() + 12, lines.end()), ElementsAre(
        "black line from (276,-59) to (272,-70), width 2",
        "black line from (272,-70) to (284,-86), width 2",
        "black circle at (284,-86), radius 2",
        "black line from (284,-59) to (284,-70), width 2",
        "black line from (284,-70) to (272,-86), width 2",
        "black circle at (272,-86), radius 2",
        "black line from (292,-43) to (312,-50), width 2",
        "black circle at (312,-50), radius 2",
        "black line from (268,-43) to (248,-50), width 2",
        "black circle at (248,-50), radius 2"));
}

// At a size unit divisible by every denominator of the figure, no fraction rounds, so each one
// shows in the coordinates: the unit of 16 above makes a sixth and a seventh alike.
TEST_F(FiguresTest, ScaredBugHeadAtASizeWhereNoFractionRounds) {
    draw_scared_bug(0, 0, 840, KD508_RED, odd_step);
    const Lines lines = log.take();
    ASSERT_THAT(lines, SizeIs(20));
    EXPECT_THAT(Lines(lines.begin(), lines.begin() + 10), ElementsAre(
        "red circle at (0,3780), radius 840",
        "black line from (0,4620) to (-420,5180), width 2",
        "black circle at (-420,5180), radius 210",
        "black line from (0,4620) to (420,5180), width 2",
        "black circle at (420,5180), radius 210",
        "white circle at (-280,3990), radius 280",
        "white circle at (280,3990), radius 280",
        "black circle at (-280,3990), radius 140",
        "black circle at (280,3990), radius 140",
        "black circle at (0,3360), radius 105"));
}

TEST_F(FiguresTest, PoseFollowsParityOfStepCountNegativeCountsIncluded) {
    draw_walking_bug(0, -90, size_unit, KD508_RED, odd_step);
    const Lines odd = log.take();
    draw_walking_bug(0, -90, size_unit, KD508_RED, -1);
    EXPECT_EQ(log.take(), odd);
    draw_scared_bug(0, -90, size_unit, KD508_RED, -1);
    EXPECT_THAT(log.take(), SizeIs(20));
    draw_scared_bug(0, -90, size_unit, KD508_RED, -2);
    EXPECT_THAT(log.take(), SizeIs(22));
}

TEST_F(FiguresTest, DrawBugChoosesTheFigureByAnyNonZeroScaredFlag) {
    draw_scared_bug(100, -90, size_unit, KD508_BLUE, even_step);
    const Lines scared = log.take();
    draw_walking_bug(100, -90, size_unit, KD508_BLUE, even_step);
    const Lines walking = log.take();

    draw_bug(100, -90, size_unit, KD508_BLUE, 7, even_step);
    EXPECT_EQ(log.take(), scared);
    draw_bug(100, -90, size_unit, KD508_BLUE, 0, even_step);
    EXPECT_EQ(log.take(), walking);
}

TEST_F(FiguresTest, HopRaisesEveryPointTwentyAndKeepsRadii) {
    for (int step : {odd_step, even_step}) {
        draw_scared_bug(150, -90, size_unit, KD508_RED, step);
        Lines expected = log.take();
        for (std::string& line : expected) {
            line = raised(line, 20);
        }
        draw_scared_bug(150, -70, size_unit, KD508_RED, step);
        EXPECT_EQ(log.take(), expected) << "step " << step;
    }
}

TEST_F(FiguresTest, OddSizeUnitTruncatesTheSumNotTheProduct) {
    // 15 × 4.5 is 67.5: -90 + 67.5 truncates to -22, while truncating 67.5 first would give -23.
    draw_walking_bug(0, -90, 15, KD508_RED, even_step);
    const Lines lines = log.take();
    ASSERT_THAT(lines, SizeIs(15));
    EXPECT_EQ(lines[0], "red circle at (0,-22), radius 15");
    EXPECT_EQ(lines[1], "black line from (0,-7) to (0,3), width 2");
    EXPECT_EQ(lines[2], "black circle at (0,3), radius 3");
    EXPECT_EQ(bug_head_y(-90, 15), -22);
    EXPECT_EQ(bug_head_y(90, 15), 157);
}

TEST_F(FiguresTest, ExtremePositionsAndSizesAreClampedNotOverflowed) {
    draw_scared_bug(INT_MAX, INT_MAX, INT_MAX, KD508_RED, even_step);
    Lines lines = log.take();
    ASSERT_THAT(lines, SizeIs(22));
    EXPECT_EQ(lines[0], "red circle at (2147483647,2147483647), radius 2147483647");

    draw_walking_bug(INT_MIN, INT_MIN, INT_MAX, KD508_RED, odd_step);
    lines = log.take();
    ASSERT_THAT(lines, SizeIs(16));
    EXPECT_EQ(lines[2], "black circle at (-2147483648,2147483647), radius 536870911");
}

TEST_F(FiguresTest, BackdropIsSeventeenCallsInPaintingOrder) {
    draw_backdrop();
    EXPECT_THAT(log.take(), ElementsAre(
        "navy blue rectangle with bounding box (-300,250) to (300,-250), filled",
        "forest green rectangle with bounding box (-300,-90) to (300,-250), filled",
        "sea green rectangle with bounding box (-300,-85) to (300,-95), filled",
        "white text at (-285,-220), \"Click a button to control the bug.\"",
        "yellow circle at (150,187), radius 30",
        "20% gray rectangle with bounding box (-240,-120) to (-200,-170), filled",
        "20% gray circle at (-220,-120), radius 20",
        "20% gray rectangle with bounding box (-150,-120) to (-110,-170), filled",
        "20% gray circle at (-130,-120), radius 20",
        "50% gray line from (-143,-130) to (-116,-130), width 2",
        "50% gray line from (-143,-135) to (-116,-135), width 2",
        "50% gray line from (-143,-140) to (-116,-140), width 2",
        "50% gray rectangle with bounding box (-200,250) to (-100,-85), filled",
        "brown rectangle with bounding box (-50,250) to (25,-85), filled",
        "50% gray rectangle with bounding box (50,250) to (100,-85), filled",
        "brown rectangle with bounding box (175,250) to (300,-85), filled",
        "brown rectangle with bounding box (-300,250) to (-240,-85), filled"));
}

TEST_F(FiguresTest, ScareFigureIsDiscSkirtLineAndMouth) {
    draw_scare_figure(-220, -135, size_unit);
    EXPECT_THAT(log.take(), ElementsAre(
        "white circle at (-220,-135), radius 16",
        "white triangle at (-236,-135), (-204,-135), (-204,-175)",
        "white triangle at (-236,-135), (-204,-135), (-236,-175)",
        "white triangle at (-236,-135), (-204,-135), (-220,-183)",
        "black line from (-228,-135) to (-212,-135), width 2",
        "black circle at (-220,-151), radius 4"));
}

// The first line of each figure is its disc, at the figure's reference point.
Lines discs(const Lines& lines) {
    Lines result;
    for (std::size_t i = 0; i < lines.size(); i += 6) {
        result.push_back(lines[i]);
    }
    return result;
}

TEST_F(FiguresTest, ScareFiguresRiseAsSlotZeroWalksAndTheSecondAppearsAtOneHundredTwelve) {
    struct Case {
        int first_x;
        Lines expected_discs;
    };
    const Case cases[] = {
        {280, {"white circle at (-220,-135), radius 16"}},
        {113, {"white circle at (-220,74), radius 16"}},
        {112, {"white circle at (-220,75), radius 16", "white circle at (-130,-125), radius 16"}},
        {0, {"white circle at (-220,215), radius 16", "white circle at (-130,15), radius 16"}},
        // Truncating division: 5 × -3 / 4 is -3, not -4.
        {-3, {"white circle at (-220,218), radius 16", "white circle at (-130,18), radius 16"}},
        {-280, {"white circle at (-220,565), radius 16", "white circle at (-130,365), radius 16"}},
    };
    for (const Case& c : cases) {
        draw_scare_figures(c.first_x, size_unit);
        const Lines lines = log.take();
        EXPECT_EQ(lines.size(), 6 * c.expected_discs.size()) << "first_x " << c.first_x;
        EXPECT_THAT(discs(lines), ElementsAreArray(c.expected_discs)) << "first_x " << c.first_x;
    }
}

TEST_F(FiguresTest, ScareFiguresForExtremeFirstXStayInRange) {
    draw_scare_figures(INT_MIN, size_unit);
    EXPECT_THAT(discs(log.take()), ElementsAre("white circle at (-220,2147483647), radius 16",
                                               "white circle at (-130,2147483647), radius 16"));
    draw_scare_figures(INT_MAX, size_unit);
    EXPECT_THAT(discs(log.take()), ElementsAre("white circle at (-220,-2147483648), radius 16"));
}

}  // namespace
}  // namespace bugwalk

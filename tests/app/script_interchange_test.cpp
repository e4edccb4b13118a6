// Scripts move between the builds: one recorded by the Windows program (text mode, so CR LF line
// ends) plays back here to the frame the Windows program showed, and one recorded here (LF line
// ends) is the one the Windows program is given to play under Wine.
//
// "The same frame" is judged on the walk area: the full width of the drawing from just below the
// control panel down to just above the caption. Text is left out because the builds draw it with
// different faces; every other shape follows the same rasterization rules on both, so that area
// matches to the pixel when the walk is in the same state. It also holds every bug and the
// scare figures' bodies, so no part of the state that the frame shows is missed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "runtime_state.h"
#include "golden_image.h"
#include "headless/headless_driver.h"
#include "walk_state.h"

namespace {

namespace fs = std::filesystem;
using bugwalk::testing::Image;

constexpr const char* script_name = "KD508.SCR";
const fs::path fixtures = KD508_WINE_FIXTURES_DIR;

// The walk area in logical coordinates (y upward), corners included.
struct LogicalRectangle {
    int left, top, right, bottom;
};
constexpr LogicalRectangle walk_area{-297, 10, 297, -200};

// The control panel's buttons, counted from the top, and where a click hits each.
enum Button { go, stop, faster, slower, walking, scare, new_color, add_bug, delete_bug };
constexpr int button_centre_logical_x = -257;
int button_centre_logical_y(Button button) { return 232 - 25 * button; }

constexpr int max_bugs = 11;
// Presses of "Faster" that take the start speed of 5 past 560, where one step sends every bug to
// the wrap limit; the Windows recording used as many.
constexpr int speed_presses = 600;

std::string read_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool updating_fixtures() {
    const char* update = std::getenv("KD508_UPDATE_GOLDEN");
    return update != nullptr && std::string(update) == "1";
}

fs::path output_path(const std::string& name) {
    const char* configured = std::getenv("KD508_TEST_OUTPUT");
    fs::path directory = configured != nullptr && *configured != '\0' ? fs::path(configured) : fs::temp_directory_path();
    fs::create_directories(directory);
    return directory / name;
}

// The real main loop on the headless presenter, in a fresh current directory, since the script
// file is relative to it.
class MainLoop : public ::testing::Test {
protected:
    MainLoop() {
        std::string pattern = (fs::temp_directory_path() / "kd508-interchange-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary directory");
        directory_ = pattern;
        previous_ = fs::current_path();
        fs::current_path(directory_);
        kd508::reset_runtime_state();
    }
    ~MainLoop() override {
        std::error_code ignored;
        fs::current_path(previous_, ignored);
        fs::remove_all(directory_, ignored);
    }

    HWND graphics() const { return kd508::runtime_state().graphics_window; }

    void click(int logical_x, int logical_y, int times = 1) {
        const auto& state = kd508::runtime_state();
        for (int i = 0; i < times; ++i) {
            driver_.click(graphics(), state.origin_x + logical_x, state.origin_y - logical_y);
        }
    }
    void click(Button button, int times = 1) { click(button_centre_logical_x, button_centre_logical_y(button), times); }

    // The walk area as the window shows it now.
    Image shown_walk_area() const {
        const auto& state = kd508::runtime_state();
        Image image;
        image.width = walk_area.right - walk_area.left + 1;
        image.height = walk_area.top - walk_area.bottom + 1;
        for (int logical_y = walk_area.top; logical_y >= walk_area.bottom; --logical_y) {
            for (int logical_x = walk_area.left; logical_x <= walk_area.right; ++logical_x) {
                image.pixels.push_back(
                    driver_.client_pixel(graphics(), state.origin_x + logical_x, state.origin_y - logical_y));
            }
        }
        return image;
    }

    // Runs the program with the script in place, starts playback at once and returns the walk
    // area after the end of the script, which the runtime announces in its text window.
    Image play(const fs::path& script) {
        fs::copy_file(script, directory_ / script_name);
        Image end;
        driver_.at_ms(50, [&] { driver_.press_ctrl_letter(graphics(), 'P'); });
        driver_.at_ms(1000, [&] {
            EXPECT_EQ(kd508::runtime_state().playing_back, 0) << "the script should have been played to its end";
            end = shown_walk_area();
            driver_.close(graphics());
        });
        EXPECT_EQ(bugwalk::run_bug_walk(nullptr, nullptr, const_cast<char*>(""), SW_SHOWNORMAL), 0);
        return end;
    }

    // The walk area must match the other build's frame pixel for pixel: both builds rasterize
    // every shape in it by the same rules, so any pixel that differs is a fault, or a walk in
    // another state: a bug one step off, another colour, a hop or a figure that rose further.
    ::testing::AssertionResult same_frame(const Image& actual, const fs::path& expected_png) {
        Image expected;
        if (!bugwalk::testing::read_png(expected_png.string(), expected)) {
            return ::testing::AssertionFailure() << "cannot read " << expected_png;
        }
        if (actual.width != expected.width || actual.height != expected.height) {
            return ::testing::AssertionFailure() << "the frame is " << actual.width << "x" << actual.height << ", "
                                                 << expected_png << " " << expected.width << "x" << expected.height;
        }
        int differing = 0;
        for (std::size_t i = 0; i < actual.pixels.size(); ++i) {
            if (actual.pixels[i] != expected.pixels[i]) ++differing;
        }
        if (differing == 0) return ::testing::AssertionSuccess();
        const fs::path written = output_path(expected_png.stem().string() + ".actual.png");
        bugwalk::testing::write_png(written.string(), actual);
        return ::testing::AssertionFailure() << differing << " pixels differ from " << expected_png
                                             << "; this run's frame is " << written;
    }

    kd508::headless::Driver driver_;
    fs::path directory_;
    fs::path previous_;
};

TEST_F(MainLoop, AScriptRecordedUnderWinePlaysToTheFrameWineShowed) {
    const fs::path script = fixtures / "recorded-under-wine.scr";
    const std::string text = read_bytes(script);
    ASSERT_NE(text.find("\r\n"), std::string::npos) << "the Windows program writes its text files with CR LF";
    ASSERT_EQ(text.find('\n'), text.find("\r\n") + 1);

    EXPECT_TRUE(same_frame(play(script), fixtures / "recorded-under-wine.png"));
}

TEST_F(MainLoop, AScriptRecordedHereIsTheOneWinePlaysAndItsFrameTheOneWineMustShow) {
    // The same kind of session as the Windows recording: bring every bug to the wrap limit at a
    // speed above 560, go back to the start speed, then a second bug, a new colour, SCARE, two
    // typed characters (one beyond ASCII, written as a negative number) and a stop.
    Image end;
    driver_.at_ms(20, [&] {
        driver_.press_ctrl_letter(graphics(), 'R');
        click(add_bug, max_bugs - 1);
        click(faster, speed_presses);
    });
    driver_.at_ms(350, [&] {
        click(delete_bug, max_bugs - 1);
        click(slower, speed_presses);
        click(add_bug);
        click(new_color);
        click(scare);
        driver_.type(graphics(), "h\xe9");
    });
    driver_.at_ms(1550, [&] { click(stop); });
    driver_.at_ms(1850, [&] { driver_.press_ctrl_letter(graphics(), 'R'); });
    driver_.at_ms(1900, [&] {
        end = shown_walk_area();
        driver_.close(graphics());
    });
    ASSERT_EQ(bugwalk::run_bug_walk(nullptr, nullptr, const_cast<char*>(""), SW_SHOWNORMAL), 0);

    const std::string recorded = read_bytes(script_name);
    EXPECT_EQ(recorded.find('\r'), std::string::npos) << "the Linux build writes LF line ends";
    EXPECT_NE(recorded.find("KD508_KBD(-23);\n"), std::string::npos);
    const fs::path script_fixture = fixtures / "recorded-on-linux.scr";
    const fs::path frame_fixture = fixtures / "recorded-on-linux.png";
    if (updating_fixtures()) {
        fs::copy_file(script_name, script_fixture, fs::copy_options::overwrite_existing);
        ASSERT_TRUE(bugwalk::testing::write_png(frame_fixture.string(), end));
        GTEST_SKIP() << "rewrote " << script_fixture << " and " << frame_fixture;
    }
    EXPECT_EQ(recorded, read_bytes(script_fixture)) << "the fixture that Wine plays is what this build records";
    EXPECT_TRUE(same_frame(end, frame_fixture));
}

TEST_F(MainLoop, TheScriptRecordedHerePlaysBackHereToTheSameFrame) {
    EXPECT_TRUE(same_frame(play(fixtures / "recorded-on-linux.scr"), fixtures / "recorded-on-linux.png"));
}

// SIGTERM, SIGINT and SIGHUP end the program as the close box does: through the message queue,
// so that the recording's held-back run still reaches the file and the status is 0.
class TerminationSignal : public MainLoop, public ::testing::WithParamInterface<int> {};

TEST_P(TerminationSignal, EndsTheProgramAsTheCloseBoxDoes) {
    bool destroyed_by_close = false;
    driver_.at_ms(20, [&] {
        driver_.press_ctrl_letter(graphics(), 'R');
        click(add_bug);
    });
    driver_.at_ms(400, [&] { std::raise(GetParam()); });
    // Had the signal not ended the program, the close box would.
    driver_.at_ms(5000, [&] {
        destroyed_by_close = true;
        driver_.close(graphics());
    });
    ASSERT_EQ(bugwalk::run_bug_walk(nullptr, nullptr, const_cast<char*>(""), SW_SHOWNORMAL), 0);
    EXPECT_FALSE(destroyed_by_close);
    EXPECT_LT(driver_.now_ms(), 1000);

    const std::string recorded = read_bytes(script_name);
    const std::size_t run = recorded.find("KD508_PERIODIC(");
    ASSERT_EQ(recorded.rfind("KD508_MOUSE(", 0), 0u) << recorded;
    ASSERT_NE(run, std::string::npos) << "the held-back run is missing: " << recorded;
    EXPECT_GT(std::atoi(recorded.c_str() + run + 15), 0);
    EXPECT_EQ(recorded.back(), '\n');
}

INSTANTIATE_TEST_SUITE_P(Posix, TerminationSignal, ::testing::Values(SIGTERM, SIGINT, SIGHUP));

// A program stuck outside its event wait never takes the first signal; the second ends it.
TEST(TerminationSignalTwice, EndsAProgramThatHasNotTakenTheFirst) {
    EXPECT_EXIT(
        {
            kd508::headless::Driver driver;
            std::raise(SIGTERM);
            std::raise(SIGTERM);
            std::_Exit(0);
        },
        ::testing::KilledBySignal(SIGTERM), "");
}

}  // namespace

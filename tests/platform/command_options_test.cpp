// The runtime's options as the entry reads them from KD508_OPTIONS and the arguments.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "../../runtime/platform/command_options.h"

namespace kd508::platform {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

OptionsParse parse(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {}) {
    return parse_command_options(environment, arguments);
}

TEST(CommandOptions, TakesItsOwnOptionsInBothSpellingsAndPassesTheRestOnInOrder) {
    const OptionsParse result = parse({"-style", "fusion", "--play", "a.scr", "word", "--headless", "--run-for=250",
                                       "--screenshot=s.png", "--transcript", "t.txt", "-reverse"});
    ASSERT_THAT(result.error, IsEmpty());
    const CommandOptions& options = result.options;
    EXPECT_EQ(options.play, "a.scr");
    EXPECT_TRUE(options.headless);
    EXPECT_EQ(options.run_for_ms, 250);
    EXPECT_EQ(options.screenshot, "s.png");
    EXPECT_EQ(options.transcript, "t.txt");
    EXPECT_FALSE(options.help);
    EXPECT_THAT(options.passed_on, ElementsAre("-style", "fusion", "word", "-reverse"));
}

TEST(CommandOptions, AValueMayLookLikeAnOptionAndTwoDashesEndTheOptions) {
    const OptionsParse result = parse({"--play", "--headless", "--", "--version", "-x", "--"});
    ASSERT_THAT(result.error, IsEmpty());
    EXPECT_EQ(result.options.play, "--headless");
    EXPECT_FALSE(result.options.headless);
    EXPECT_FALSE(result.options.version);
    EXPECT_THAT(result.options.passed_on, ElementsAre("--version", "-x", "--"));
}

TEST(CommandOptions, TheArgumentsWinOverTheEnvironment) {
    const OptionsParse result = parse({"--play", "b.scr"}, {"--play", "a.scr", "--headless"});
    ASSERT_THAT(result.error, IsEmpty());
    EXPECT_EQ(result.options.play, "b.scr");
    EXPECT_TRUE(result.options.headless);
}

TEST(CommandOptions, NamesEachMistake) {
    EXPECT_THAT(parse({"--frobnicate"}).error, HasSubstr("unknown option --frobnicate"));
    EXPECT_THAT(parse({"--frobnicate=1"}).error, HasSubstr("unknown option --frobnicate"));
    EXPECT_THAT(parse({"--transcript"}).error, HasSubstr("--transcript needs a value"));
    EXPECT_THAT(parse({"--screenshot="}).error, HasSubstr("non-empty"));
    EXPECT_THAT(parse({"--help=yes"}).error, HasSubstr("--help takes no value"));
    EXPECT_THAT(parse({}, {"-reverse"}).error, HasSubstr("no option of the runtime"));
    EXPECT_THAT(parse({}, {"--"}).error, HasSubstr("no option of the runtime"));
}

TEST(CommandOptions, RunForTakesPlainMillisecondsWithinItsRange) {
    EXPECT_EQ(parse({"--run-for", "0"}).options.run_for_ms, 0);
    EXPECT_EQ(parse({"--run-for", "2000000000"}).options.run_for_ms, 2000000000);
    for (const char* bad : {"-1", "+5", "1.5", "10ms", " 5", "2000000001", "99999999999999999999999", "0x10"}) {
        EXPECT_THAT(parse({"--run-for", bad}).error, HasSubstr("--run-for takes")) << bad;
    }
}

TEST(OptionWords, SplitAtBlanksWithQuotesKeepingBlanks) {
    std::string error;
    EXPECT_THAT(split_option_words("  --play 'my script.scr'\t--screenshot=\"a b.png\" x''y ''  ", error),
                ElementsAre("--play", "my script.scr", "--screenshot=a b.png", "xy", ""));
    EXPECT_THAT(error, IsEmpty());
    EXPECT_THAT(split_option_words("", error), IsEmpty());
    EXPECT_THAT(split_option_words("--play \"open", error), IsEmpty());
    EXPECT_THAT(error, HasSubstr("unclosed quote"));
}

}  // namespace
}  // namespace kd508::platform

// The capture's command line: defaults, every option, and the mistakes it refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture_options.h"

namespace {

struct Parsed {
    bool ok;
    CaptureOptions options;
    std::string error;
};

Parsed parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "zelvaro-capture");
    Parsed result;
    result.ok = parseCaptureOptions(int(arguments.size()), arguments.data(), &result.options,
                                    &result.error);
    return result;
}

TEST(CaptureOptionsTest, DefaultsAreSixtyFramesFromTheStartToTheEnd) {
    const Parsed parsed = parse({"--trace"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.fps, 60);
    EXPECT_FALSE(parsed.options.hasAt || parsed.options.hasFrom || parsed.options.hasTo);
    EXPECT_EQ(parsed.options.maxFrames, 0);
    EXPECT_EQ(parsed.options.size, 0);
    EXPECT_TRUE(parsed.options.out.empty());
}

TEST(CaptureOptionsTest, EveryOptionIsRead) {
    const Parsed parsed = parse({"--fps", "30", "--from", "15.5", "--to", "64.25", "--out",
                                 "show.mp4", "--size", "640", "--trace", "--frames", "900"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.fps, 30);
    EXPECT_TRUE(parsed.options.hasFrom);
    EXPECT_DOUBLE_EQ(parsed.options.from, 15.5);
    EXPECT_TRUE(parsed.options.hasTo);
    EXPECT_DOUBLE_EQ(parsed.options.to, 64.25);
    EXPECT_EQ(parsed.options.out, "show.mp4");
    EXPECT_TRUE(outputIsVideo(parsed.options));
    EXPECT_EQ(parsed.options.size, 640);
    EXPECT_TRUE(parsed.options.trace);
    EXPECT_EQ(parsed.options.maxFrames, 900);

    const Parsed at = parse({"--at", "112.2", "--out", "frames"});
    ASSERT_TRUE(at.ok) << at.error;
    EXPECT_TRUE(at.options.hasAt);
    EXPECT_DOUBLE_EQ(at.options.at, 112.2);
    EXPECT_FALSE(outputIsVideo(at.options)) << "a folder of PNG files";
}

TEST(CaptureOptionsTest, MistakesAreRefusedWithTheReason) {
    const struct {
        std::vector<const char*> arguments;
        const char* reason;
    } mistakes[] = {
        {{"--trace", "--colour"}, "unknown option \"--colour\""},
        {{"--trace", "--fps"}, "--fps needs a value"},
        {{"--trace", "--fps", "ten"}, "--fps takes a whole number"},
        {{"--trace", "--fps", "10"}, "from 11 to 1000"},
        {{"--trace", "--fps", "29.97"}, "--fps takes a whole number"},
        {{"--trace", "--at", "-1"}, "--at takes a music time"},
        {{"--trace", "--to", "12abc"}, "--to takes a music time"},
        {{"--trace", "--from", "nan"}, "--from takes a music time"},
        {{"--trace", "--size", "800"}, "--size takes 640 or 1024"},
        {{"--trace", "--frames", "0"}, "--frames takes a whole number"},
        {{"--trace", "--at", "20", "--from", "10"}, "does not go with"},
        {{"--trace", "--from", "20", "--to", "10"}, "--to comes before --from"},
        {{"--fps", "30"}, "nothing to write"},
        {{"--out", ""}, "--out needs"},
    };
    for (const auto& mistake : mistakes) {
        const Parsed parsed = parse(mistake.arguments);
        EXPECT_FALSE(parsed.ok) << mistake.reason;
        EXPECT_NE(parsed.error.find(mistake.reason), std::string::npos)
            << "got \"" << parsed.error << "\", wanted \"" << mistake.reason << "\"";
    }
}

TEST(CaptureOptionsTest, ProfileIsEnoughToWrite) {
    const Parsed parsed = parse({"--profile"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_TRUE(parsed.options.profile);
    EXPECT_FALSE(parsed.options.trace);
}

TEST(CaptureOptionsTest, HelpNeedsNothingElse) {
    const Parsed parsed = parse({"--help"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_TRUE(parsed.options.help);
}

}  // namespace

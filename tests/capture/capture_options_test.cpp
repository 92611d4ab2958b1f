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
    EXPECT_TRUE(parsed.options.at.empty());
    EXPECT_FALSE(parsed.options.hasFrom || parsed.options.hasTo);
    EXPECT_EQ(parsed.options.maxFrames, 0);
    EXPECT_EQ(parsed.options.width, 0) << "the program's own size";
    EXPECT_EQ(parsed.options.supersample, 1);
    EXPECT_EQ(parsed.options.frameWidth, 0);
    EXPECT_EQ(parsed.options.crf, -1);
    EXPECT_TRUE(parsed.options.out.empty());
}

TEST(CaptureOptionsTest, EveryOptionIsRead) {
    const Parsed parsed = parse({"--fps", "30", "--from", "15.5", "--to", "64.25", "--out",
                                 "show.mp4", "--size", "1440x1080", "--trace", "--frames", "900",
                                 "--supersample", "2", "--frame", "1920x1080", "--crf", "12"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.fps, 30);
    EXPECT_TRUE(parsed.options.hasFrom);
    EXPECT_DOUBLE_EQ(parsed.options.from, 15.5);
    EXPECT_TRUE(parsed.options.hasTo);
    EXPECT_DOUBLE_EQ(parsed.options.to, 64.25);
    EXPECT_EQ(parsed.options.out, "show.mp4");
    EXPECT_TRUE(outputIsVideo(parsed.options));
    EXPECT_EQ(parsed.options.width, 1440);
    EXPECT_EQ(parsed.options.height, 1080);
    EXPECT_EQ(parsed.options.supersample, 2);
    EXPECT_EQ(parsed.options.frameWidth, 1920);
    EXPECT_EQ(parsed.options.frameHeight, 1080);
    EXPECT_EQ(parsed.options.crf, 12);
    EXPECT_FALSE(outputIsLossless(parsed.options));
    EXPECT_TRUE(parsed.options.trace);
    EXPECT_EQ(parsed.options.maxFrames, 900);

    const Parsed at = parse({"--at", "112.2", "--out", "frames"});
    ASSERT_TRUE(at.ok) << at.error;
    EXPECT_EQ(at.options.at, std::vector<double>{112.2});
    EXPECT_FALSE(outputIsVideo(at.options)) << "a folder of PNG files";

    const Parsed lossless = parse({"--from", "10", "--out", "show.mkv"});
    ASSERT_TRUE(lossless.ok) << lossless.error;
    EXPECT_TRUE(outputIsVideo(lossless.options));
    EXPECT_TRUE(outputIsLossless(lossless.options));
}

TEST(CaptureOptionsTest, TheBuildsSizesGoByTheirWidth) {
    const Parsed small = parse({"--size", "640", "--trace"});
    ASSERT_TRUE(small.ok) << small.error;
    EXPECT_EQ(small.options.width, 640);
    EXPECT_EQ(small.options.height, 480);
    const Parsed large = parse({"--size", "1024", "--trace"});
    ASSERT_TRUE(large.ok) << large.error;
    EXPECT_EQ(large.options.width, 1024);
    EXPECT_EQ(large.options.height, 768);
}

TEST(CaptureOptionsTest, AtTakesSeveralTimesInOrderEachOnce) {
    const Parsed parsed = parse({"--at", "40,9", "--at", "22.5", "--at", "9.0", "--out", "stills"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.at, (std::vector<double>{9, 22.5, 40}));
    // With --to the show plays on after the last one.
    const Parsed onward = parse({"--at", "1,2", "--to", "30", "--trace"});
    ASSERT_TRUE(onward.ok) << onward.error;
    EXPECT_TRUE(onward.options.hasTo);
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
        {{"--trace", "--at", "-1"}, "--at takes music times"},
        {{"--trace", "--at", "1,,2"}, "--at takes music times"},
        {{"--trace", "--at", "1,"}, "--at takes music times"},
        {{"--trace", "--to", "12abc"}, "--to takes a music time"},
        {{"--trace", "--from", "nan"}, "--from takes a music time"},
        {{"--trace", "--size", "800"}, "--size takes WIDTHxHEIGHT"},
        {{"--trace", "--size", "800x"}, "--size takes WIDTHxHEIGHT"},
        {{"--trace", "--size", "0x600"}, "--size takes WIDTHxHEIGHT"},
        {{"--trace", "--size", "20000x600"}, "--size takes WIDTHxHEIGHT"},
        {{"--trace", "--size", "800.5x600"}, "--size takes WIDTHxHEIGHT"},
        {{"--trace", "--frame", "1920"}, "--frame takes WIDTHxHEIGHT"},
        {{"--trace", "--size", "1440x1080", "--frame", "1280x720"}, "is smaller than the picture"},
        {{"--trace", "--supersample", "5"}, "--supersample takes a whole number from 1 to 4"},
        {{"--trace", "--supersample", "0"}, "--supersample takes"},
        {{"--crf", "60", "--out", "a.mp4"}, "--crf takes a whole number from 0 to 51"},
        {{"--crf", "20", "--out", "frames"}, "--crf sets the quality of a .mp4 file"},
        {{"--crf", "20", "--out", "a.mkv"}, "--crf sets the quality of a .mp4 file"},
        {{"--at", "1,2", "--out", "a.mp4"}, "several --at times make PNG files"},
        {{"--trace", "--at", "20", "--to", "10"}, "--to comes before the last --at time"},
        {{"--trace", "--frames", "0"}, "--frames takes a whole number"},
        {{"--trace", "--at", "20", "--from", "10"}, "does not go with"},
        {{"--trace", "--from", "20", "--to", "10"}, "--to comes before --from"},
        {{"--fps", "30"}, "nothing to write"},
        {{"--out", ""}, "--out needs"},
        {{"--trace-calls", ""}, "--trace-calls needs a file name"},
        {{"--trace-calls", "t", "--trace-at", "5,x"}, "--trace-at takes music times"},
        {{"--trace-calls", "t", "--trace-at", "5,,6"}, "--trace-at takes music times"},
        {{"--trace-at", "5"}, "--trace-at goes with --trace-calls"},
        {{"--trace-calls", "t", "--trace-at", "5", "--at", "6"}, "--trace-at goes with"},
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

TEST(CaptureOptionsTest, CallTracesAreAnOutputOfTheirOwn) {
    const Parsed one = parse({"--at", "40", "--trace-calls", "frame.d8t"});
    ASSERT_TRUE(one.ok) << one.error;
    EXPECT_EQ(one.options.traceCalls, "frame.d8t");
    EXPECT_TRUE(one.options.traceAt.empty());

    const Parsed many = parse({"--trace-calls", "traces", "--trace-at", "73,1.5,200.25"});
    ASSERT_TRUE(many.ok) << many.error;
    EXPECT_EQ(many.options.traceAt, (std::vector<double>{1.5, 73, 200.25})) << "in rising order";
}

TEST(CaptureOptionsTest, HelpNeedsNothingElse) {
    const Parsed parsed = parse({"--help"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_TRUE(parsed.options.help);
}

}  // namespace

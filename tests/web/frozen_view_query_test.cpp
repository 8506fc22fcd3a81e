// The frozen view's query: a still frame's meanings and ranges, and one clear
// line for anything else.
#include <gtest/gtest.h>

#include <string>

#include "platform/web/frozen_view_query.h"

namespace {

struct Parsed {
    bool ok;
    StillFrame view;
    std::string error;
};

Parsed parse(const std::string& query) {
    Parsed p{};
    p.ok = parse_frozen_view_query(query, p.view, p.error);
    return p;
}

}  // namespace

TEST(FrozenViewQuery, ReadsTheCaptureProgramsValues) {
    const Parsed p = parse("at-ms=18600&seed=2008&warmup-frames=200");
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.view.at_ms, 18600);
    EXPECT_EQ(p.view.seed, 2008u);
    EXPECT_EQ(p.view.warmup_frames, 200);

    const Parsed order = parse("seed=7&at-ms=0");
    ASSERT_TRUE(order.ok) << order.error;
    EXPECT_EQ(order.view.seed, 7u);
    EXPECT_EQ(order.view.warmup_frames, 0);
}

TEST(FrozenViewQuery, DefaultsAreTheCaptureProgramsDefaults) {
    const Parsed p = parse("at-ms=5");
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.view.seed, default_seed);
    EXPECT_EQ(p.view.warmup_frames, 0);
}

TEST(FrozenViewQuery, AcceptsTheEdgesOfEachRange) {
    const Parsed high = parse("at-ms=2147483647&seed=4294967295&warmup-frames=100000");
    ASSERT_TRUE(high.ok) << high.error;
    EXPECT_EQ(high.view.at_ms, max_elapsed_ms);
    EXPECT_EQ(high.view.seed, max_seed);
    EXPECT_EQ(high.view.warmup_frames, max_warmup_frames);
}

TEST(FrozenViewQuery, RefusesValuesOutsideTheRanges) {
    EXPECT_EQ(parse("at-ms=2147483648").error, "at-ms must be 0 to 2147483647, got 2147483648");
    EXPECT_EQ(parse("at-ms=-1").error, "at-ms must not be negative, got -1");
    EXPECT_EQ(parse("at-ms=1&seed=4294967296").error, "seed must be 0 to 4294967295, got 4294967296");
    EXPECT_EQ(parse("at-ms=1&warmup-frames=100001").error, "warmup-frames must be 0 to 100000, got 100001");
}

TEST(FrozenViewQuery, RefusesMalformedValues) {
    for (const char* query : {"at-ms=", "at-ms=12ms", "at-ms=+5", "at-ms=1.5", "at-ms=%31", "at-ms=1=2"}) {
        const Parsed p = parse(query);
        EXPECT_FALSE(p.ok) << query;
        EXPECT_NE(p.error.find("at-ms needs a whole number"), std::string::npos) << query << ": " << p.error;
    }
}

TEST(FrozenViewQuery, RefusesUnknownRepeatedAndMissingParameters) {
    EXPECT_EQ(parse("at-ms=1&size=800x600").error,
              "unknown parameter 'size' (the view takes at-ms, seed and warmup-frames)");
    EXPECT_EQ(parse("at-ms").error, "unknown parameter 'at-ms' (the view takes at-ms, seed and warmup-frames)");
    EXPECT_FALSE(parse("at-ms=1&").ok);
    EXPECT_FALSE(parse("").ok);
    EXPECT_EQ(parse("at-ms=1&at-ms=2").error, "at-ms is given twice");
    EXPECT_EQ(parse("seed=3").error, "the frozen view needs at-ms");
    // A value that looks like one of the capture program's options is only a value.
    EXPECT_EQ(parse("seed=--at-ms&at-ms=5").error, "seed needs a whole number, got '--at-ms'");
    EXPECT_FALSE(parse("at-ms=1&out=x.png").ok);
}

TEST(FrozenViewQuery, LongQueriesAreRefusedWithoutEchoingThem) {
    const Parsed p = parse("at-ms=" + std::string(5000, '1'));
    EXPECT_FALSE(p.ok);
    EXPECT_LT(p.error.size(), 100u);
}

TEST(FrozenViewQuery, AFailedParseLeavesNoPartialView) {
    StillFrame view{123, 456, 789};
    std::string error;
    EXPECT_FALSE(parse_frozen_view_query("at-ms=5&seed=x", view, error));
    EXPECT_EQ(view.at_ms, 0);
    EXPECT_EQ(view.warmup_frames, 0);
}

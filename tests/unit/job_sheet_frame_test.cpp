// Electrode placements in the datum frame: the C rotation must come out exact for the quarter
// turns a shop types into the EDM machine, and the flags must say when the numbers are no use.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "drawing/job_sheet_frame.h"

namespace {

const double kCos30 = 0.86602540378443865, kSin30 = 0.5;

// A frame at origin turned by degrees about Z.
job_frame turned(double degrees, double x, double y, double z) {
    double r = degrees * M_PI / 180.0;
    job_frame f = {{x, y, z}, {std::cos(r), std::sin(r), 0, -std::sin(r), std::cos(r), 0, 0, 0, 1}};
    return f;
}

job_frame absolute() {
    job_frame f;
    absolute_frame(&f);
    return f;
}

std::string fixed3(double v) {
    char text[32];
    EXPECT_EQ(0, format_fixed3(v, text, sizeof text));
    return text;
}

TEST(JobSheetFrame, QuarterTurnsGiveExactC) {
    const job_frame datum = absolute();
    // Quarter turns as a part file holds them (exact matrices) and as computed with cos/sin.
    const double exact[4][9] = {{1, 0, 0, 0, 1, 0, 0, 0, 1},
                                {0, 1, 0, -1, 0, 0, 0, 0, 1},
                                {-1, 0, 0, 0, -1, 0, 0, 0, 1},
                                {0, -1, 0, 1, 0, 0, 0, 0, 1}};
    for (int q = 0; q < 4; ++q) {
        job_frame ecs = {{5, -7, 12}, {}};
        for (int i = 0; i < 9; ++i) ecs.matrix[i] = exact[q][i];
        job_placement p;
        ASSERT_EQ(0, place_electrode(&datum, &ecs, &p));
        EXPECT_EQ(KV_PLACE_SET, p.kind);
        EXPECT_EQ(90.0 * q, p.c) << q;
        job_frame computed = turned(90.0 * q, 5, -7, 12);
        ASSERT_EQ(0, place_electrode(&datum, &computed, &p));
        EXPECT_EQ(90.0 * q, p.c) << q;
        EXPECT_EQ(KV_PLACE_SET, p.kind) << q;
        EXPECT_EQ("5.000", fixed3(p.position[0]));
        EXPECT_EQ("-7.000", fixed3(p.position[1]));
    }
    // Just short of a full turn rounds to 0, never to 360.
    job_frame almost = turned(359.99996, 0, 0, 0);
    job_placement p;
    ASSERT_EQ(0, place_electrode(&datum, &almost, &p));
    EXPECT_EQ(0.0, p.c);
    EXPECT_FALSE(std::signbit(p.c));
}

TEST(JobSheetFrame, DatumOffsetAndTurnedFromTheAbsoluteFrame) {
    // The datum at (100, 50, 10) turned 30 degrees; an ECS turned 120 degrees sits 90 degrees
    // from it, 20 along the datum's X and 10 along its Y, 5 above.
    const job_frame datum = turned(30, 100, 50, 10);
    double ax = 100 + 20 * kCos30 - 10 * kSin30, ay = 50 + 20 * kSin30 + 10 * kCos30;
    job_frame ecs = turned(120, ax, ay, 15);
    job_placement p;
    ASSERT_EQ(0, place_electrode(&datum, &ecs, &p));
    EXPECT_EQ(KV_PLACE_SET, p.kind);
    EXPECT_EQ("20.000", fixed3(p.position[0]));
    EXPECT_EQ("10.000", fixed3(p.position[1]));
    EXPECT_EQ("5.000", fixed3(p.position[2]));
    EXPECT_EQ(90.0, p.c);
    // An ECS turned less than the datum: C wraps into [0, 360).
    job_frame behind = turned(0, 100, 50, 10);
    ASSERT_EQ(0, place_electrode(&datum, &behind, &p));
    EXPECT_EQ(330.0, p.c);
    // A datum that is no rotation is refused rather than used.
    job_frame bad = datum;
    bad.matrix[8] = -1;
    EXPECT_EQ(-1, place_electrode(&bad, &ecs, &p));
    EXPECT_EQ(0, p.kind);
}

TEST(JobSheetFrame, TiltMirrorAndMissingEcsAreFlagged) {
    const job_frame datum = absolute();
    // Tilted 10 degrees about X: Z leans towards -Y.
    double r = 10 * M_PI / 180;
    job_frame tilted = {{1, 2, 3}, {1, 0, 0, 0, std::cos(r), std::sin(r), 0, -std::sin(r), std::cos(r)}};
    job_placement p;
    ASSERT_EQ(0, place_electrode(&datum, &tilted, &p));
    EXPECT_EQ(KV_PLACE_TILT, p.kind);
    EXPECT_EQ("0.000", fixed3(p.z_dir[0]));
    EXPECT_EQ("-0.174", fixed3(p.z_dir[1]));
    EXPECT_EQ("0.985", fixed3(p.z_dir[2]));
    // Below the 0.01 degree limit it is a plain placement, above it a tilt.
    for (double deg : {0.005, 0.02}) {
        r = deg * M_PI / 180;
        job_frame slight = {{0, 0, 0}, {1, 0, 0, 0, std::cos(r), std::sin(r), 0, -std::sin(r), std::cos(r)}};
        ASSERT_EQ(0, place_electrode(&datum, &slight, &p));
        EXPECT_EQ(deg < KV_TILT_LIMIT_DEG ? KV_PLACE_SET : KV_PLACE_TILT, p.kind) << deg;
    }
    job_frame mirrored = {{1, 2, 3}, {1, 0, 0, 0, 1, 0, 0, 0, -1}};
    ASSERT_EQ(0, place_electrode(&datum, &mirrored, &p));
    EXPECT_EQ(KV_PLACE_MIRRORED, p.kind);
    EXPECT_EQ(0.0, p.position[0]);
    ASSERT_EQ(0, place_electrode(&datum, nullptr, &p));
    EXPECT_EQ(KV_PLACE_NO_ECS, p.kind);
}

// The map's view of a frame: origin and X, Y axes in a datum turned 30 degrees and moved, for a
// system of either hand (a mirrored one keeps its axes as they are).
TEST(JobSheetFrame, FramesSeenFromATurnedDatum) {
    const job_frame datum = turned(30, 10, 20, 5);
    job_frame ecs = turned(120, 10 + kCos30 * 4, 20 + kSin30 * 4, 35);
    job_axes a;
    ASSERT_EQ(0, frame_in_datum(&datum, &ecs, &a));
    EXPECT_NEAR(4, a.origin[0], 1e-12);
    EXPECT_NEAR(0, a.origin[1], 1e-12);
    EXPECT_NEAR(30, a.origin[2], 1e-12);
    EXPECT_NEAR(0, a.x[0], 1e-12);  // 90 degrees on from the datum's X
    EXPECT_NEAR(1, a.x[1], 1e-12);
    EXPECT_NEAR(-1, a.y[0], 1e-12);
    EXPECT_NEAR(0, a.y[1], 1e-12);
    for (int i = 6; i < 9; ++i) ecs.matrix[i] = -ecs.matrix[i];
    ASSERT_EQ(0, frame_in_datum(&datum, &ecs, &a));
    EXPECT_NEAR(1, a.x[1], 1e-12);
    EXPECT_NEAR(-1, a.y[0], 1e-12);
    // A datum that is not a rotation places nothing.
    job_frame bad = datum;
    bad.matrix[8] = -1;
    EXPECT_EQ(-1, frame_in_datum(&bad, &ecs, &a));
    EXPECT_EQ(0, a.x[1]);
    EXPECT_EQ(-1, frame_in_datum(&datum, nullptr, &a));
}

TEST(JobSheetFrame, FixedThreeDecimalsNeverNegativeZero) {
    EXPECT_EQ("0.000", fixed3(-0.0));
    EXPECT_EQ("0.000", fixed3(-0.0004));
    EXPECT_EQ("-0.001", fixed3(-0.0006));
    EXPECT_EQ("12.346", fixed3(12.3456));
    EXPECT_EQ("-150.250", fixed3(-150.25));
    char small[5];
    EXPECT_EQ(-1, format_fixed3(123.5, small, sizeof small));
    EXPECT_STREQ("", small);
    EXPECT_EQ(-1, format_fixed3(NAN, small, sizeof small));
}

}  // namespace

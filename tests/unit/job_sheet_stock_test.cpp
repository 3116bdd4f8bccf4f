// The blank chosen for an electrode: fits straight or turned, the smallest by volume, ties to
// the shorter and then the first listed, and malformed stock items skipped rather than guessed.
#include <gtest/gtest.h>

#include <string>

#include "drawing/job_sheet_stock.h"

namespace {

job_stock_list stock(const char* text) {
    job_stock_list list;
    parse_stock_list(text, &list);
    return list;
}

std::string size_text(const double v[3]) {
    char text[KV_SIZE_TEXT_SIZE];
    EXPECT_EQ(0, format_size(v, text, sizeof text));
    return text;
}

TEST(JobSheetStock, MalformedItemsAreSkipped) {
    job_stock_list list = stock("30x,axbxc,-10x20x30,0x10x10,10x10x10x10,1e3x2x3,x10x10,10xx10,"
                                "40X30X60,12.5x10x50,10.5.1x2x3,+5x5x5,20x20x50,30x30x60");
    // The text after the last comma is no item.
    ASSERT_EQ(3, list.count);
    EXPECT_EQ(40.0, list.blanks[0].a);
    EXPECT_EQ(60.0, list.blanks[0].l);
    EXPECT_EQ(12.5, list.blanks[1].a);
    EXPECT_EQ(20.0, list.blanks[2].b);
    job_blank b;
    EXPECT_EQ(-1, parse_blank("", &b));
    EXPECT_EQ(-1, parse_blank(nullptr, &b));
    EXPECT_EQ(0, stock("").count);
    // An item too long to read whole is not read cut.
    EXPECT_EQ(0, stock(("10x10x1" + std::string(80, '0') + ",").c_str()).count);
}

// The first KV_STOCK_MAX well-formed items are kept; one more (malformed ones do not count)
// marks the list cut, so that the user hears of it.
TEST(JobSheetStock, ItemsBeyondTheLimitMarkTheListCut) {
    std::string text = "bad,";
    for (int i = 1; i <= KV_STOCK_MAX; ++i) text += "10x10x" + std::to_string(i) + ",";
    job_stock_list full = stock(text.c_str());
    EXPECT_EQ(KV_STOCK_MAX, full.count);
    EXPECT_EQ(0, full.cut);
    EXPECT_EQ(0, stock((text + "x,").c_str()).cut);
    job_stock_list more = stock((text + "x,20x20x20,30x30x30,").c_str());
    EXPECT_EQ(KV_STOCK_MAX, more.count);
    EXPECT_EQ(1, more.cut);
    EXPECT_EQ(double(KV_STOCK_MAX), more.blanks[KV_STOCK_MAX - 1].l);
}

TEST(JobSheetStock, SmallestFittingBlankStraightOrTurned) {
    job_stock_list list = stock("20x20x50,40x30x60,50x40x80,60x50x80,");
    const double box[3] = {36, 26, 45};  // needs 38 x 28 x 55
    job_stock_choice c;
    ASSERT_EQ(0, choose_stock(&list, box, 1.0, 10.0, &c));
    EXPECT_EQ(1, c.index);
    EXPECT_EQ(0, c.turned);
    EXPECT_EQ("38x28x55", size_text(c.need));
    // The same electrode lying across: only turned does it fit the 40 x 30.
    const double across[3] = {26, 36, 45};
    ASSERT_EQ(0, choose_stock(&list, across, 1.0, 10.0, &c));
    EXPECT_EQ(1, c.index);
    EXPECT_EQ(1, c.turned);
    // Exactly the clearance and the clamp still fit.
    const double exact[3] = {38, 28, 50};
    ASSERT_EQ(0, choose_stock(&list, exact, 1.0, 10.0, &c));
    EXPECT_EQ(1, c.index);
    // A blank that fits straight is not reported turned even when it also fits turned.
    job_stock_list square = stock("40x40x60,");
    const double small[3] = {10, 10, 10};
    ASSERT_EQ(0, choose_stock(&square, small, 1.0, 10.0, &c));
    EXPECT_EQ(0, c.turned);
}

TEST(JobSheetStock, TiesGoToTheShorterThenTheFirstListed) {
    const double box[3] = {10, 10, 10};
    job_stock_choice c;
    // Same volume: 60 x 40 x 30 is shorter than 40 x 30 x 60.
    job_stock_list list = stock("40x30x60,60x40x30,");
    ASSERT_EQ(0, choose_stock(&list, box, 1.0, 10.0, &c));
    EXPECT_EQ(1, c.index);
    // Same volume and length: the first listed, whichever way it lies.
    list = stock("30x40x60,40x30x60,");
    ASSERT_EQ(0, choose_stock(&list, box, 1.0, 10.0, &c));
    EXPECT_EQ(0, c.index);
    // Volumes that differ only by rounding are a tie too.
    // (0.11 x 0.5 is 0.055 but 0.1 x 0.55 is 0.05500000000000001.)
    list = stock("0.11x0.5x100,0.1x0.55x100,");
    const double tiny[3] = {0.05, 0.05, 1};
    ASSERT_EQ(0, choose_stock(&list, tiny, 0.01, 1.0, &c));
    EXPECT_EQ(0, c.index);
    list = stock("0.1x0.55x100,0.11x0.5x100,");
    ASSERT_EQ(0, choose_stock(&list, tiny, 0.01, 1.0, &c));
    EXPECT_EQ(0, c.index);
}

TEST(JobSheetStock, NoFitGivesTheSizeNeeded) {
    job_stock_list list = stock("20x20x50,40x30x60,");
    const double box[3] = {40.5, 12, 55.25};
    job_stock_choice c;
    EXPECT_EQ(-1, choose_stock(&list, box, 1.0, 10.0, &c));
    EXPECT_EQ(-1, c.index);
    EXPECT_EQ("42.5x14x65.25", size_text(c.need));
    // Long enough across but too short: no fit either.
    const double long_box[3] = {10, 10, 51};
    EXPECT_EQ(-1, choose_stock(&list, long_box, 1.0, 10.0, &c));
    job_stock_list empty = stock("");
    EXPECT_EQ(-1, choose_stock(&empty, box, 1.0, 10.0, &c));
}

}  // namespace

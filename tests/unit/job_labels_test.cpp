// Code 128 and the labels: symbol values, code sets and check values against vectors worked by
// hand, the bars against an independent encoder (zint), and the labels' page rendered by headless
// Chromium with every barcode read back by an independent decoder (zbarimg). A tool that is
// missing skips its test, and fails it under CI.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "config_fixture.h"
#include "drawing/code128.h"
#include "drawing/job_labels.h"
#include "drawing/job_ops.h"

namespace {

using V = std::vector<int>;

V values(const char* data) {
    int v[256];
    int n = code128_values(data, v, 256);
    return n < 0 ? V{} : V(v, v + n);
}

TEST(Code128, CodeSetsAndCheckValuesOfKnownVectors) {
    // Set C from the start for four digits or more, or for two digits alone.
    EXPECT_EQ((V{105, 12, 34, 82, 106}), values("1234"));
    EXPECT_EQ((V{105, 12, 14, 106}), values("12"));
    // An odd leading run: its last digit in set B.
    EXPECT_EQ((V{105, 12, 34, 100, 21, 54, 106}), values("12345"));
    // Three digits are shorter in set B.
    EXPECT_EQ((V{104, 17, 18, 19, 8, 106}), values("123"));
    // An odd run inside keeps its first digit in set B, then C, then back to B.
    EXPECT_EQ((V{104, 33, 17, 99, 23, 45, 100, 34, 78, 106}), values("A12345B"));
    EXPECT_EQ((V{104, 45, 99, 23, 1, 100, 13, 37, 16, 17, 13, 50, 17, 53, 106}), values("M2301-E01-R1"));
    // A run at the end needs no switch back.
    EXPECT_EQ((V{104, 33, 99, 12, 34, 95, 106}), values("A1234"));
    EXPECT_EQ((V{104, 0, 94, 86, 106}), values(" ~"));
    // Only printable ASCII, and never an empty symbol.
    int v[256];
    EXPECT_EQ(-1, code128_values("", v, 256));
    EXPECT_EQ(-1, code128_values("A\tB", v, 256));
    EXPECT_EQ(-1, code128_values("\xb5\xe7", v, 256));
    EXPECT_EQ(-1, code128_values("\x7f", v, 256));
    EXPECT_EQ(-1, code128_values("ABCDEF", v, 5));
}

TEST(Code128, ModulesAreElevenPerValueAndThirteenForTheStop) {
    char bars[2048];
    EXPECT_EQ(5 * 11 + 2, code128_modules("1234", bars, sizeof bars));
    // Start C is 211232; the stop 2331112 ends the symbol.
    EXPECT_EQ(0, strncmp(bars, "11010011100", 11));
    EXPECT_STREQ("1100011101011", bars + strlen(bars) - 13);
    EXPECT_EQ(-1, code128_modules("1234", bars, 57));
    EXPECT_STREQ("", bars);
    EXPECT_EQ(57, code128_modules("1234", bars, 58));
}

// Runs argv, its standard output into *out. The exit status, -1 when it could not run.
int run(const std::vector<std::string>& argv, std::string* out) {
    int fd[2];
    if (pipe(fd) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fd[1], 1);
        freopen("/dev/null", "w", stderr);
        close(fd[0]);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(fd[1]);
    char buf[4096];
    for (ssize_t n; (n = read(fd[0], buf, sizeof buf)) > 0;) out->append(buf, (size_t)n);
    close(fd[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool have_tool(const std::string& name) {
    std::string out;
    return run({"sh", "-c", "command -v " + name}, &out) == 0 && !out.empty();
}

bool under_ci() {
    const char* ci = getenv("CI");
    return ci && (strcmp(ci, "true") == 0 || strcmp(ci, "1") == 0);
}

#define NEED_TOOL(name)                                                                 \
    do {                                                                                \
        if (have_tool(name)) break;                                                     \
        if (under_ci()) FAIL() << name << " is not installed (scripts/install-deps.sh)"; \
        GTEST_SKIP() << "skipped: " << name << " is not installed";                     \
    } while (0)

// zint's dump of a Code 128 symbol: its modules as hexadecimal digits, the last padded with 0s.
std::string zint_modules(const std::string& data) {
    std::string out, bits;
    EXPECT_EQ(0, run({"zint", "-b", "20", "--dump", "-d", data}, &out)) << data;
    for (char c : out) {
        int v = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        for (int b = 3; v >= 0 && b >= 0; --b) bits += (v >> b) & 1 ? '1' : '0';
    }
    return bits;
}

TEST(Code128, BarsMatchAnIndependentEncoderOnEveryCharacterClass) {
    NEED_TOOL("zint");
    std::vector<std::string> data = {"M2301-E01-R1", "core-E02-F1", "E01-S12", "1", "12", "123", "1234", "12345",
                                     "123456", "1234567", "A1234B", "A12345B", "A123456B", "AB1234", "AB12345",
                                     "12AB", "1234AB", "12345AB", "x0000000y", "9-9-9", "a b c"};
    std::string printable, pairs;
    for (int c = 0x20; c <= 0x7e; ++c) printable += (char)c;
    for (size_t i = 0; i < printable.size(); i += 19) data.push_back(printable.substr(i, 19));
    for (int p = 0; p < 100; ++p) pairs += std::to_string(p / 10) + std::to_string(p % 10);
    // Every pair of set C, in symbols of the length zint accepts.
    for (size_t i = 0; i < pairs.size(); i += 50) data.push_back(pairs.substr(i, 50));
    data.push_back("-" + pairs.substr(0, 11) + "-");
    for (const std::string& d : data) {
        char bars[4096];
        int n = code128_modules(d.c_str(), bars, sizeof bars);
        ASSERT_GT(n, 0) << d;
        std::string z = zint_modules(d);
        ASSERT_GE(z.size(), (size_t)n) << d;
        EXPECT_EQ(std::string(bars), z.substr(0, (size_t)n)) << d;
        EXPECT_EQ(std::string::npos, z.find('1', (size_t)n)) << d;
    }
}

// Labels of 26 operations (two sheets) whose IDs hold every class of character a mould number or
// a name brings: letters of both cases, digit runs odd and even, punctuation, spaces, and GBK
// characters that are left out.
class LabelsRender : public ::testing::Test {
protected:
    void SetUp() override {
        memset(&sheet_, 0, sizeof sheet_);
        memset(data_, 0, sizeof data_);
        memset(rows_, 0, sizeof rows_);
        strcpy(sheet_.part_name, "core");
        const char* moulds[] = {"M2301", "模具m-7", "a b", "!#$%&", "'()*+,./", ":;<=>?@", "[\\]^_`", "{|}~",
                                "0987654321", "12345"};
        const char* names[] = {"E01", "E02", "e3x", "E\"4\"", "电极E5", "E0006", "E7", "E8", "E9", "E10"};
        for (int i = 0; i < 10; ++i) {
            strcpy(data_[i].mould_no, moulds[i]);
            strcpy(data_[i].electrode_name, names[i]);
            data_[i].coarse_gap = 0.3, data_[i].supr_coarse_gap = 0.15, data_[i].fine_gap = 0.05;
            data_[i].coarse_count = i < 6 ? 1 : 0, data_[i].supr_coarse_count = 1, data_[i].fine_count = 1;
            rows_[i].data = &data_[i];
            rows_[i].stock.index = -1;
        }
        sheet_.rows = rows_;
        sheet_.count = 10;
        ASSERT_EQ(0, make_job_ops(&sheet_, nullptr, 0));
        ASSERT_EQ(26, sheet_.op_count);
    }
    void TearDown() override { free(sheet_.ops); }
    job_sheet sheet_;
    electrode_data data_[10];
    job_row rows_[10];
    kv_test::TempDir tmp_;
};

TEST_F(LabelsRender, EveryLabelsBarcodeDecodesToItsId) {
    NEED_TOOL("chromium");
    NEED_TOOL("zbarimg");
    std::string html = tmp_ / "labels.html", png = tmp_ / "labels.png";
    FILE* f = fopen(html.c_str(), "wb");
    ASSERT_EQ(0, write_job_labels_html(f, &sheet_));
    fclose(f);
    // Two A4 sheets of 296 mm at 96 px per inch, drawn at three times that.
    std::string out;
    int rc = run({"chromium", "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                  "--user-data-dir=" + (tmp_ / "profile"), "--force-device-scale-factor=3", "--window-size=794,2240",
                  "--screenshot=" + png, "file://" + html},
                 &out);
    ASSERT_EQ(0, rc) << out;
    out.clear();
    ASSERT_EQ(0, run({"zbarimg", "--raw", "-q", png}, &out));
    std::vector<std::string> decoded, expected;
    std::istringstream lines(out);
    for (std::string l; std::getline(lines, l);) decoded.push_back(l);
    for (int i = 0; i < sheet_.op_count; ++i) expected.push_back(sheet_.ops[i].id);
    std::sort(decoded.begin(), decoded.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, decoded);
    EXPECT_NE(expected.end(), std::find(expected.begin(), expected.end(), "m-7-E02-R1"));
    EXPECT_NE(expected.end(), std::find(expected.begin(), expected.end(), "[\\]^_`-E7-F1"));
}

TEST_F(LabelsRender, SheetsOfTwentyFourLabelsOnTheLabelGrid) {
    std::string html = tmp_ / "labels.html";
    FILE* f = fopen(html.c_str(), "wb");
    ASSERT_EQ(0, write_job_labels_html(f, &sheet_));
    fclose(f);
    std::ifstream in(html, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    std::string text = s.str();
    auto count = [&](const std::string& what) {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(2u, count("<div class=\"page\">"));
    EXPECT_EQ(26u, count("<div class=\"label\""));
    EXPECT_EQ(26u, count("<svg class=\"bc\""));
    // The 24th label sits in the last cell of the first sheet, the 25th in the first of the next.
    EXPECT_EQ(1u, count("style=\"left:140mm;top:259mm\""));
    EXPECT_NE(std::string::npos, text.find("</div>\n<div class=\"page\">\n<div class=\"label\" style=\"left:0mm;top:0mm\">"));
    EXPECT_NE(std::string::npos, text.find("<div class=\"id\">!#$%&amp;-E&quot;4&quot;-R1</div>"));
    // No operations: a page without labels.
    sheet_.op_count = 0;
    f = fopen(html.c_str(), "wb");
    ASSERT_EQ(0, write_job_labels_html(f, &sheet_));
    fclose(f);
    std::ifstream again(html, std::ios::binary);
    std::stringstream t;
    t << again.rdbuf();
    EXPECT_EQ(std::string::npos, t.str().find("class=\"label\""));
}

}  // namespace

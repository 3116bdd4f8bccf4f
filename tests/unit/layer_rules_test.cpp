// The proposal of the layer dialog (next number, first free layer, name) and the category that
// makes an electrode.
#include <climits>
#include <cstring>

#include "create_fixture.h"
#include "layer/layer_rules.h"

namespace {

// TOOLS comes first in NX's order and holds 102, so E02 does not count there.
const char kRange[] = R"({ "format": "nxsim-part", "version": 1, "objects": [
  { "id": 1, "type": "category", "name": "TOOLS", "layers": [5, 102] },
  { "id": 2, "type": "category", "name": "E07", "layers": [107] },
  { "id": 3, "type": "category", "name": "e01", "layers": [101] },
  { "id": 4, "type": "category", "name": "E02", "layers": [102] },
  { "id": 5, "type": "category", "name": "E90", "layers": [90] } ] })";

class LayerRules : public kv_test::CreateHost {
protected:
    void SetUp() override {
        CreateHost::SetUp();
        open_part("core.prt", kRange);
    }
    std::string name_of(int n, size_t size = 64) {
        std::vector<char> buf(size, 'x');
        last_rc_ = make_electrode_name(n, buf.data(), size);
        return buf.data();
    }
    int free_layer() {
        int layer = -5;
        last_rc_ = first_free_layer(&layer);
        return layer;
    }
    std::vector<std::string> category_names() {
        std::vector<std::string> out;
        for (tag_t t : of_type(work(), 12)) out.push_back(object(t).name);
        return out;
    }
    int last_rc_ = 0;
};

TEST_F(LayerRules, ProposesTheNumberAfterTheHighestAndTheFirstLayerWithoutAnElectrode) {
    EXPECT_EQ(8, next_electrode_number());  // E90 lies outside 101-200
    EXPECT_EQ(102, free_layer());           // TOOLS, not E02, is 102's category
    EXPECT_EQ(0, last_rc_);
    EXPECT_EQ("E08", name_of(8));

    config("ELECTRODE_PREFIX_NAME=E\nELECTRODE_START_LAYER=90\nELECTRODE_END_LAYER=101\n");
    EXPECT_EQ(91, next_electrode_number());
    EXPECT_EQ(91, free_layer());
    // Nothing configured: the range is 1 to 0, no electrode is found, and layer 1 is proposed.
    config("");
    EXPECT_EQ(1, next_electrode_number());
    EXPECT_EQ(1, free_layer());
    EXPECT_EQ("N01", name_of(1));
}

TEST_F(LayerRules, AFullRangeProposesTheLayerAboveItUnlessThatIsPast256) {
    config("ELECTRODE_PREFIX_NAME=E\nELECTRODE_START_LAYER=101\nELECTRODE_END_LAYER=101\n");
    EXPECT_EQ(102, free_layer());
    config("ELECTRODE_PREFIX_NAME=E\nELECTRODE_START_LAYER=120\nELECTRODE_END_LAYER=110\n");
    EXPECT_EQ(120, free_layer());
    UF_LAYER_category_info_t info{};
    strcpy(info.name, "E05");
    info.layer_mask[255] = true;
    tag_t cat = NULL_TAG;
    ASSERT_EQ(0, UF_LAYER_create_category(&info, &cat));
    config("ELECTRODE_PREFIX_NAME=E\nELECTRODE_START_LAYER=256\nELECTRODE_END_LAYER=999\n");
    EXPECT_EQ(1, free_layer());
    EXPECT_EQ(-1, last_rc_);
}

TEST_F(LayerRules, NamesArePaddedToTheWidthButNeverCut) {
    EXPECT_EQ("E123", name_of(123));
    config("ELECTRODE_PREFIX_NAME=EL\nELECTRODE_NUMBER_LENGTH=4\n");
    EXPECT_EQ("EL0007", name_of(7));
    config("ELECTRODE_PREFIX_NAME=E\nELECTRODE_NUMBER_LENGTH=-3\n");
    EXPECT_EQ("E07", name_of(7));
    EXPECT_EQ("", name_of(0));
    EXPECT_EQ(-1, last_rc_);
    EXPECT_EQ("", name_of(7, 3));  // "E07" needs 4 bytes
    EXPECT_EQ(-2, last_rc_);
    EXPECT_EQ("E07", name_of(7, 4));
    config("ELECTRODE_PREFIX_NAME=E\nELECTRODE_NUMBER_LENGTH=5000\n");
    EXPECT_EQ("", name_of(1, 1024));
    EXPECT_EQ(-2, last_rc_);
}

TEST_F(LayerRules, HugeNumbersDoNotOverflow) {
    UF_LAYER_category_info_t info{};
    strcpy(info.name, "E99999999999999999999");
    info.layer_mask[150] = true;
    tag_t cat = NULL_TAG;
    ASSERT_EQ(0, UF_LAYER_create_category(&info, &cat));
    EXPECT_EQ(INT_MAX, next_electrode_number());
}

TEST_F(LayerRules, CategoriesHoldTheirOneLayerAndWholeNamesOnly) {
    EXPECT_EQ(-1, create_electrode_category(nullptr, nullptr, 101));
    EXPECT_EQ(-1, create_electrode_category(nullptr, "", 101));
    EXPECT_EQ(-1, create_electrode_category(nullptr, "E09", 0));
    EXPECT_EQ(-1, create_electrode_category(nullptr, "E09", 257));
    std::string longest = "E" + std::string(29, '9');
    EXPECT_EQ(-2, create_electrode_category(nullptr, (longest + "9").c_str(), 130));
    EXPECT_EQ(0, create_electrode_category(nullptr, longest.c_str(), 130));
    EXPECT_EQ(0, create_electrode_category(nullptr, "E09", 256));
    EXPECT_EQ((std::vector<std::string>{"ALL", "TOOLS", "E07", "e01", "E02", "E90", longest, "E09"}),
              category_names());
    UF_LAYER_category_info_t info{};
    tag_t cat = NULL_TAG;
    UF_LAYER_ask_category_tag((char*)"E09", &cat);
    UF_LAYER_ask_category_info(cat, &info);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(i == 255, info.layer_mask[i]) << i;
}

}  // namespace

namespace {

// propose_electrode's answer, and its result in rc.
std::pair<int, int> proposal(layer_proposal* p, int* rc = nullptr) {
    int number = -5, layer = -5;
    int r = propose_electrode(p, &number, &layer);
    if (rc) *rc = r;
    return {number, layer};
}

TEST_F(LayerRules, AKeptProposalAnswersAsAFreshReadingWould) {
    // E03 made on 103, and e08 on 102, which TOOLS holds first: 102 stays free of electrodes,
    // and the number follows E07, not e08.
    layer_proposal p{};
    keep_proposal(&p, 1);
    EXPECT_EQ(0, check_electrode_layer(&p, 103, "E03", nullptr, 0));
    EXPECT_EQ(0, create_electrode_category(&p, "E03", 103));
    EXPECT_EQ(0, create_electrode_category(&p, "e08", 102));  // TOOLS keeps 102
    int rc = -9;
    const std::pair<int, int> kept = proposal(&p, &rc);
    EXPECT_EQ(0, rc);
    keep_proposal(&p, 0);
    EXPECT_EQ(kept, proposal(&p));
    EXPECT_EQ(std::make_pair(8, 102), kept);

    // A category NX did not make: the proposal reads afresh, and a reading that fails says so.
    keep_proposal(&p, 1);
    EXPECT_EQ(0, check_electrode_layer(&p, 104, "E04", nullptr, 0));
    nxsim::fail("UF_LAYER_create_category", nxsim::FaultMode::Once);
    EXPECT_EQ(0, create_electrode_category(&p, "E04", 104));
    nxsim::fail("UF_LAYER_ask_category_info", nxsim::FaultMode::Always);
    proposal(&p, &rc);
    EXPECT_EQ(-2, rc);
    nxsim::clear_faults();
    EXPECT_EQ(std::make_pair(8, 102), proposal(&p));
    keep_proposal(&p, 0);
}

}  // namespace

// Malformed part files, and dialogs that do not match the plug-in: each is refused with the file
// named, recorded as a refused input, and leaves the session as it was.
#include <gtest/gtest.h>

#include <fstream>

#include "nx.h"
#include "nxsim/nxsim.h"
#include "test_support.h"

namespace {

std::string write_file(const std::string& name, const std::string& text) {
    std::string path = std::string(KV_BINARY_DIR) + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// A part document holding the given objects (and any further top-level fields).
std::string part_with(const std::string& objects, const std::string& more = "") {
    return R"({"format": "nxsim-part", "version": 1, "objects": [)" + objects + "]" + more + "}";
}

struct BadPart {
    const char* objects;
    const char* more;
    const char* field;  // the JSON path the refusal must name
};

class InputRefusal : public ::testing::Test {
protected:
    void SetUp() override { nxsim::reset(); }
};

TEST_F(InputRefusal, PartFieldsOfTheWrongKindOrOutOfRangeNameTheFieldAndLeaveNoPart) {
    const BadPart cases[] = {
        {R"({"id": 1, "type": {}})", "", "objects[0].type"},
        {R"({"id": 1, "type": 3})", "", "objects[0].type"},
        {R"({"id": 1.5, "type": "point"})", "", "objects[0].id"},
        {R"({"id": 1, "type": "point", "coords": [0, "1", 0]})", "", "objects[0].coords"},
        {R"({"id": 1, "type": "point", "coords": [0, 1e308, 0]})", "", "objects[0].coords"},
        {R"({"id": 1, "type": "line", "start": [0, 0, 0], "end": [-100001, 0, 0]})", "", "objects[0].end"},
        {R"({"id": 1, "type": "point", "name": 7})", "", "objects[0].name"},
        {R"({"id": 1, "type": "point", "coords": [0, 0, 0], "attributes": {"A": true}})", "", "objects[0].attributes.A"},
        {R"({"id": 1, "type": "point", "coords": [0, 0, 0], "attributes": {"A": 3000000000}})", "", "objects[0].attributes.A"},
        {R"({"id": 1, "type": "solid", "shape": {"cylinder": {"origin": [1e308, 0, 0], "radius": 5, "height": 9}}})", "",
         "objects[0].shape.cylinder.origin"},
        {R"({"id": 1, "type": "solid", "shape": {"union": [{"box": {"origin": [0, 0, 0], "size": [1, 1, 1]}},
            {"box": {"origin": [-1e308, 0, 0], "size": [1, 1, 1]}}]}})", "", "objects[0].shape.union[1].box.origin"},
        {R"({"id": 1, "type": "solid", "shape": {"place": {"origin": [0, 0, 0], "x": [1, 0, 0], "y": [0, 1, 0]},
            "shape": {"box": {"origin": [0, 0, 0], "size": [1, 2e5, 1]}}}})", "", "objects[0].shape.shape.box.size"},
        {R"({"id": 1, "type": "solid", "shape": {"box": {"origin": [0, 0, "x"], "size": [1, 1, 1]}}})", "",
         "objects[0].shape.box.origin"},
        {R"({"id": 1, "type": "solid", "shape": {"step": "/dev/zero"}})", "", "objects[0].shape.step"},
        {R"({"id": 1, "type": "matrix", "values": [1e200, 0, 0, -1e200, 1, 0, 0, 0, 1]})", "", "objects[0].values"},
        {R"({"id": 1, "type": "matrix", "values": [1, 0, 0, 0, 1, 0, 0, 0, 1]},
            {"id": 2, "type": "arc", "matrix": 1, "center": [0, 0, 0], "radius": 5, "start_angle": 1, "end_angle": 0})", "",
         "objects[1].end_angle"},
        {R"({"id": 1, "type": "matrix", "values": [1, 0, 0, 0, 1, 0, 0, 0, 1]},
            {"id": 2, "type": "arc", "matrix": 1, "center": [0, 0, 0], "radius": 5, "start_angle": 0, "end_angle": 1e300})", "",
         "objects[1].end_angle"},
        {R"({"id": 1, "type": "note", "text": ["A"], "height": 1e9})", "", "objects[0].height"},
        {R"({"id": 1, "type": "datum_plane", "origin": [0, 0, 0], "normal": [1e200, 0, 0]})", "", "objects[0].normal"},
        {R"({"id": 1, "type": "category", "name": "C", "layers": ["5-3"]})", "", "objects[0].layers[0]"},
        {R"({"id": 1, "type": "group", "members": [2]})", "", "objects[0].members[0]"},
        {"", R"(, "format": 1)", "format"},
        {"", R"(, "drawings": [{"name": "S", "size": [1e308, 200]}])", "drawings[0].size"},
        {"", R"(, "views": [{"name": "V", "matrix": [1,0,0, 0,1,0, 0,0,1], "centre": [0, 0, 1e300]}])", "views[0].centre"},
        {"", R"(, "wcs": {"origin": [0, 0, 1e6], "matrix": [1,0,0, 0,1,0, 0,0,1]})", "wcs.origin"},
    };
    std::string first;
    ASSERT_EQ(0, nxsim::open_part(write_file("refusal_good.prt", part_with("")), &first)) << first;
    size_t objects = nxsim::S().objects.size();
    for (const BadPart& c : cases) {
        std::string path = write_file("refusal_bad.prt", part_with(c.objects, c.more));
        std::string err;
        tag_t t = 7;
        EXPECT_NE(0, nxsim::load_part_file(path, &t, &err)) << c.field;
        EXPECT_EQ(0u, t);
        EXPECT_EQ(0u, err.rfind(path + ": " + c.field + ": ", 0)) << err;
        EXPECT_EQ(err, nxsim::refused_inputs().back());
        EXPECT_EQ(1u, nxsim::parts().size()) << c.field;  // the part read before, alone
        EXPECT_EQ(objects, nxsim::S().objects.size()) << c.field;
    }
}

TEST_F(InputRefusal, PartsAtTheEdgeOfTheMouldRangeAreTaken) {
    std::string path = write_file("refusal_edge.prt", part_with(R"(
        {"id": 1, "type": "point", "coords": [100000, -100000, 0]},
        {"id": 2, "type": "solid", "shape": {"box": {"origin": [-100000, 0, 0], "size": [100000, 1, 1]}}},
        {"id": 3, "type": "matrix", "values": [1, 0, 0, 0, 1, 0, 0, 0, 1]},
        {"id": 4, "type": "arc", "matrix": 3, "center": [0, 0, 0], "radius": 5, "start_angle": -3.14159,
         "end_angle": 3.14159})"));
    std::string err;
    tag_t t = 0;
    EXPECT_EQ(0, nxsim::load_part_file(path, &t, &err)) << err;
    EXPECT_TRUE(nxsim::refused_inputs().empty());
}

TEST_F(InputRefusal, DeeplyNestedPartDocumentsAreRefusedNotWalked) {
    std::string deep = std::string(100000, '[') + std::string(100000, ']');
    std::string path = write_file("refusal_deep.prt", part_with(R"({"id": 1, "type": "group", "x": )" + deep + "}"));
    std::string err;
    tag_t t = 0;
    EXPECT_NE(0, nxsim::load_part_file(path, &t, &err));
    EXPECT_NE(std::string::npos, err.find("nested deeper")) << err;
}

TEST_F(InputRefusal, AMissingPartFileIsNoMalformedInput) {
    std::string err;
    tag_t t = 0;
    EXPECT_NE(0, nxsim::load_part_file(std::string(KV_BINARY_DIR) + "/no_such.prt", &t, &err));
    EXPECT_TRUE(nxsim::refused_inputs().empty());
}

// A real object the description declares as text: the plug-in's real is not read as an address.
TEST_F(InputRefusal, AValueOfAnotherKindThanDeclaredIsRefusedAsTheDescriptionsFault) {
    static std::vector<int> codes;
    codes.clear();
    nxsim::set_dialog_folder(std::string(KV_BINARY_DIR));
    ASSERT_EQ("", kv_test::write_dialog(std::string(KV_BINARY_DIR) + "/mismatch.dlg",
                                        "DIALOG d callbacks=constructor\nOBJECT GAP_REAL STRING value=x\nOBJECT N_INT INTEGER\n"));
    auto ctor = [](int id, void*, UF_STYLER_item_value_type_p_t) {
        UF_STYLER_item_value_type_t v{};
        v.item_id = (char*)"GAP_REAL";
        v.item_attr = UF_STYLER_VALUE;
        v.indicator = UF_STYLER_REAL_VALUE;
        v.value.real = 0.15;
        codes.push_back(UF_STYLER_set_value(id, &v));
        v.item_id = (char*)"N_INT";
        v.indicator = UF_STYLER_INTEGER_VALUE;
        v.value.integer = 4;
        codes.push_back(UF_STYLER_set_value(id, &v));
        return UF_UI_CB_EXIT_DIALOG;
    };
    UF_STYLER_callback_info_t table[] = {
        {(char*)UF_STYLER_DIALOG_INDEX, UF_STYLER_CONSTRUCTOR_CB, 0, ctor},
        {(char*)UF_STYLER_NULL_OBJECT, UF_STYLER_NO_CB, 0, nullptr},
    };
    UF_initialize();
    int response = 0;
    EXPECT_EQ(0, UF_STYLER_create_dialog((char*)"mismatch.dlg", table, 2, nullptr, &response));
    UF_terminate();
    ASSERT_EQ(2u, codes.size());
    EXPECT_NE(0, codes[0]);
    EXPECT_EQ(0, codes[1]);
    ASSERT_EQ(1u, nxsim::refused_inputs().size());
    EXPECT_EQ(std::string(KV_BINARY_DIR) + "/mismatch.dlg: GAP_REAL: declared STRING, but the plug-in sets a real value: "
                                           "the description does not match the dialog",
              nxsim::refused_inputs()[0]);
}

}  // namespace

// The shared helpers of util.h.
#include "util.h"

namespace nxsim {

bool orthonormal(const double* m, int rows) {
    for (int a = 0; a < rows; ++a)
        for (int b = a; b < rows; ++b) {
            double dot = 0;
            for (int k = 0; k < 3; ++k) dot += m[3 * a + k] * m[3 * b + k];
            if (!(std::fabs(dot - (a == b ? 1.0 : 0.0)) <= 1e-6)) return false;
        }
    return true;
}

json rounded(const double* v, int n, double unit) {
    json a = json::array();
    for (int i = 0; i < n; ++i) {
        double x = std::round(v[i] * unit) / unit;
        if (x == 0) x = 0;  // no "-0"
        a.push_back(x);
    }
    return a;
}

std::string leaf_name(const std::string& path) {
    size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool same_nocase(const char* a, size_t alen, const char* b, size_t blen) {
    if (alen != blen) return false;
    for (size_t i = 0; i < alen; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = (char)(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = (char)(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

tag_t* tag_array(const std::vector<tag_t>& tags, const char* call) {
    if (tags.empty()) return nullptr;
    tag_t* arr = (tag_t*)alloc(sizeof(tag_t) * tags.size(), call);
    for (size_t i = 0; i < tags.size(); ++i) arr[i] = tags[i];
    return arr;
}

}  // namespace nxsim

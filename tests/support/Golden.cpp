#include "Golden.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace qvr::test {

std::string CompareGolden(const std::string& name, const std::string& actual) {
    const std::string path = std::string(QVR_GOLDEN_DIR) + "/" + name;
    const char* update = std::getenv("QVR_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        std::ofstream out(path, std::ios::binary);
        out << actual;
        return out ? std::string() : "cannot write " + path;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return "missing golden file " + path + " (run with QVR_UPDATE_GOLDEN=1 to create it)";
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string expected = buffer.str();
    if (expected == actual) return {};

    std::istringstream e(expected), a(actual);
    std::string el, al;
    for (int line = 1;; ++line) {
        const bool he = static_cast<bool>(std::getline(e, el));
        const bool ha = static_cast<bool>(std::getline(a, al));
        if (!he && !ha) break;
        if (!he || !ha || el != al) {
            return path + " differs at line " + std::to_string(line) + "\n  expected: " + (he ? el : "<end>") +
                   "\n  actual:   " + (ha ? al : "<end>");
        }
    }
    return path + " differs (line ends)";
}

} // namespace qvr::test

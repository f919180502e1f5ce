#pragma once
#include <string>

namespace qvr::test {

// Compares a rendered transcript with the checked-in file tests/golden/NAME.
// With QVR_UPDATE_GOLDEN=1 in the environment the file is rewritten instead
// (and the comparison passes). Returns an empty string when they match, else
// a description of the first difference.
std::string CompareGolden(const std::string& name, const std::string& actual);

} // namespace qvr::test

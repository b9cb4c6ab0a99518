// The skips a build tree is allowed, each with the reason it cannot run there. Any other skip
// fails its test program (test_main.cpp).
#pragma once

#include <string>

namespace qvtest {

// The recorded reason when `test` ("Suite.Name") may skip in this build tree, else null.
const char* ExpectedSkipReason(const std::string& test);

} // namespace qvtest

#include "tests/support/ci.h"

#include <cstdlib>
#include <cstring>

bool runningUnderCi() {
    const char* ci = std::getenv("CI");
    return ci && *ci && std::strcmp(ci, "0") != 0 && std::strcmp(ci, "false") != 0;
}

// The version text both programs print for --version: "1.2.3", or "1.2.3 (git 0123456789)" when built
// from a checkout (", modified" when it had uncommitted changes).
#pragma once

const char* velmoraVersion();

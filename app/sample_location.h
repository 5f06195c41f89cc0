// Where the installed sample production lives, for the line that helps someone who started the player
// where there is no production.
#pragma once
#include <string>

// share/velmora beside the program's own bin/ (relocatable: the same for /usr, /usr/local or a scratch
// prefix), or the build's own production beside a player in the build folder, else the folder the build
// installs to.
std::string sampleProductionDir();
// One line for standard error when dataDir holds no demo.dat: where the player looked, how to point it at
// a production, where the sample is.
std::string missingPackageHint(const std::string& dataDir, const std::string& sampleDir);

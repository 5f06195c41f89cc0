#include "app/sample_location.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::string sampleProductionDir() {
    std::error_code error;
    fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (!error) {
        // Installed: PREFIX/bin/velmora and PREFIX/share/velmora. In the build: build/production.
        const fs::path candidates[] = {program.parent_path().parent_path() / "share" / "velmora",
                                       program.parent_path() / "production"};
        for (const fs::path& dir : candidates)
            if (fs::exists(dir / "demo.dat", error)) return dir.string();
    }
    return VELMORA_INSTALLED_DATA_DIR;
}

std::string missingPackageHint(const std::string& dataDir, const std::string& sampleDir) {
    std::error_code error;
    fs::path looked = fs::absolute(dataDir, error);
    if (error) looked = dataDir;
    looked = looked.lexically_normal();
    if (looked.filename().empty() && looked.has_parent_path()) looked = looked.parent_path();  // "dir/." gives "dir/"
    return "velmora: looked for demo.dat in " + looked.string() +
           "; start it in a production's folder or name one with --data DIR (the sample production: --data " +
           sampleDir + ")\n";
}

#include "tests/support/test_package.h"

#include <gtest/gtest.h>

#include "data/package.h"

std::vector<unsigned char> buildTestPackage(const TestFiles& files, bool compress) {
    std::vector<PackageSource> sources;
    for (const auto& f : files)
        sources.push_back({f.first.c_str(), f.second.data(), static_cast<uint32_t>(f.second.size())});
    return packageBuild(sources.data(), static_cast<int>(sources.size()), compress);
}

void loadTestPackage(const TestFiles& files, bool compress) {
    packageRelease();
    std::vector<unsigned char> bytes = buildTestPackage(files, compress);
    ASSERT_TRUE(packageLoadBytes(bytes.data(), bytes.size(), "test package"));
}

#include "platform/platform.h"

// Tests never wait for a person: message boxes go to standard error.
static const bool gBatch = (platformSetInteractive(false), true);

// Loading a package and reading a scene-sized text through the token reader.
#include <benchmark/benchmark.h>

#include <string>

#include "data/package.h"
#include "platform/platform.h"

namespace {

std::string sceneLikeText() {
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "Key 0.125 " + std::to_string(i) + ".5 0 0 0 0 0 0 0\n";
    return text;
}

std::vector<uint8_t> packageOf(const std::string& text, bool compress) {
    PackageSource source = {"Demo/Scene.lws", text.data(), static_cast<uint32_t>(text.size())};
    return packageBuild(&source, 1, compress);
}

void BM_PackageLoadCompressed(benchmark::State& state) {
    platformSetInteractive(false);
    std::vector<uint8_t> bytes = packageOf(sceneLikeText(), true);
    for (auto _ : state) benchmark::DoNotOptimize(packageLoadBytes(bytes.data(), bytes.size(), "bench"));
    packageRelease();
}
BENCHMARK(BM_PackageLoadCompressed);

void BM_FileScanWords(benchmark::State& state) {
    platformSetInteractive(false);
    std::vector<uint8_t> bytes = packageOf(sceneLikeText(), false);
    packageLoadBytes(bytes.data(), bytes.size(), "bench");
    DemoFile f = fileOpen("Demo/Scene.lws", "r");
    char word[128];
    for (auto _ : state) {
        fileClose(f);
        int words = 0;
        while (fileScan(f, "%127s", word) == 1) ++words;
        benchmark::DoNotOptimize(words);
    }
    packageRelease();
}
BENCHMARK(BM_FileScanWords)->Unit(benchmark::kMillisecond);

}  // namespace

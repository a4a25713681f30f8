// Loading and writing back a big registry.reg (500,000 values in about 50,000 keys),
// beside plainly reading the same file, which is the yardstick.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/emulated/emulated_registry.h"
#include "tests/bench/registry_sample.h"

namespace morvel::bench {
namespace {

using platform::emulated::EmulatedRegistry;

constexpr int kKeys = 50000;
constexpr int kValues = 500000;

// The sample file on disk, made once per encoding.
const std::filesystem::path& SampleFile(bool utf16) {
  static const auto make = [](bool wide) {
    auto path = std::filesystem::temp_directory_path() /
                (wide ? "morvel-bench-utf16.reg" : "morvel-bench-utf8.reg");
    std::ofstream(path, std::ios::binary) << MakeSampleRegistry(kKeys, kValues, wide);
    return path;
  };
  static const std::filesystem::path utf16_file = make(true);
  static const std::filesystem::path utf8_file = make(false);
  return utf16 ? utf16_file : utf8_file;
}

void SetBytes(benchmark::State& state, bool utf16) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(std::filesystem::file_size(SampleFile(utf16))));
}

void BM_ReadFile(benchmark::State& state) {
  const bool utf16 = state.range(0) != 0;
  const std::string name = SampleFile(utf16).string();
  std::vector<char> buffer(128 * 1024);
  for (auto _ : state) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(name.c_str(), "rb"),
                                                       &std::fclose);
    std::size_t total = 0, got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), in.get())) > 0) total += got;
    benchmark::DoNotOptimize(total);
  }
  SetBytes(state, utf16);
}

void BM_Load(benchmark::State& state) {
  const bool utf16 = state.range(0) != 0;
  for (auto _ : state) {
    auto registry = EmulatedRegistry::Load(SampleFile(utf16));
    benchmark::DoNotOptimize(registry.get());
  }
  SetBytes(state, utf16);
}

void BM_WriteBackUnchanged(benchmark::State& state) {
  const bool utf16 = state.range(0) != 0;
  auto registry = EmulatedRegistry::Load(SampleFile(utf16));
  for (auto _ : state) benchmark::DoNotOptimize(registry->Serialize());
  SetBytes(state, utf16);
}

void BM_WriteBackChanged(benchmark::State& state) {
  const bool utf16 = state.range(0) != 0;
  auto registry = EmulatedRegistry::Load(SampleFile(utf16));
  (void)registry->WriteValue(platform::RootKey::CurrentUser, "Software\\Morvel",
                             platform::RegistryValue::MakeDword("Changed", 1));
  for (auto _ : state) benchmark::DoNotOptimize(registry->Serialize());
  SetBytes(state, utf16);
}

BENCHMARK(BM_ReadFile)->ArgName("utf16")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->ArgName("utf16")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteBackUnchanged)->ArgName("utf16")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteBackChanged)->ArgName("utf16")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace morvel::bench

BENCHMARK_MAIN();

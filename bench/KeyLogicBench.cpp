// Speed of the key logic: scoring grows linearly with the key, and a key of 255 characters is
// made well within a millisecond from the operating system's random source.

#include "Module1.h"
#include "SystemRandomServices.h"
#include "modCheckKey.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>

namespace {

std::string RandomLetters(std::size_t n) {
  std::mt19937 engine(12345);  // NOLINT(cert-msc51-cpp): the same input on every run
  std::uniform_int_distribution<int> letter('a', 'z');
  std::string key(n, 'a');
  for (char& c : key) c = static_cast<char>(letter(engine));
  return key;
}

std::string AllButLastEqual(std::size_t n) {
  return std::string(n - 1, 'a') + 'b';
}

std::string ExactRepetition(std::size_t n) {
  std::string key;
  key.reserve(n);
  while (key.size() < n) key.append("Ab1!");
  key.resize(n - n % 4);
  return key;
}

template <std::string (*MakeInput)(std::size_t)>
void ScoreKey(benchmark::State& state) {
  const std::string key = MakeInput(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(morvane::CheckKey(key));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(key.size()));
  state.SetComplexityN(state.range(0));
}

BENCHMARK(ScoreKey<RandomLetters>)
    ->Name("CheckKey/random_letters")
    ->RangeMultiplier(10)
    ->Range(100, 10'000'000)
    ->Complexity();
BENCHMARK(ScoreKey<AllButLastEqual>)
    ->Name("CheckKey/a_then_b")
    ->RangeMultiplier(10)
    ->Range(100, 10'000'000)
    ->Complexity();
BENCHMARK(ScoreKey<ExactRepetition>)
    ->Name("CheckKey/exact_repetition")
    ->RangeMultiplier(10)
    ->Range(100, 10'000'000)
    ->Complexity();

void MakeKey255(benchmark::State& state) {
  const auto class_code = static_cast<morvane::ClassCode>(state.range(0));
  morvane::SystemRandomServices services;
  morvane::RandomizeFromTimer(services);
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the benchmark loop idiom
    benchmark::DoNotOptimize(morvane::MakeKey(services, 255, class_code));
  }
}

BENCHMARK(MakeKey255)
    ->Name("MakeKey/255")
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Arg(12)
    ->Arg(13)
    ->Arg(23)
    ->Arg(123)
    ->Arg(66)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

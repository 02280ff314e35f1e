#include "core/family/EmcyTable.h"
#include "core/family/EmcyWords.h"

#include <benchmark/benchmark.h>
#include <random>

namespace {
// Worst case for the save order: many IDs, many of them equal, in random order.
void BM_EmcySaveOrder(benchmark::State& state) {
    std::mt19937 rng(7);
    std::vector<std::string> ids;
    for (int i = 0; i < state.range(0); ++i)
        ids.push_back(std::to_string(rng() % 128));
    for (auto _ : state)
        benchmark::DoNotOptimize(EmcySaveOrder(ids));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_EmcySaveOrder)->Arg(127)->Arg(10000);

// A whole emcyword.xml: 52 attributes per word, both lists.
void BM_WordDocument(benchmark::State& state) {
    WordLists lists;
    for (int i = 0; i < state.range(0); ++i) {
        TClWEmcy w;
        w.devid = std::to_string(i % 127 + 1);
        w.index_addrm = "0x2000";
        w.subindex = std::to_string(i);
        for (auto& b : w.Bits)
            b = {"255", "0", "33"};
        lists.side(i % 2).push_back(w);
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(WordDocumentText(lists));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WordDocument)->Arg(254)->Arg(5000);
} // namespace

// In-process cost of the engine's steps: generating a text, building a run's timeline, and
// rendering it to samples (what --wav and the sound device do).
#include "zelm2008/engine/KeyingRun.h"
#include "zelm2008/engine/TextGenerator.h"
#include "zelm2008/engine/ToneRenderer.h"

#include <benchmark/benchmark.h>

using namespace zelm;

namespace {

QByteArray practiceText(int kgt) {
    TextGenerator g;
    TextRequest r;
    r.currentSet = QByteArray(LatinSet) + DigitSet + SymbolSet;
    r.KGT = kgt;
    r.TextType = 10;
    return g.GenerateText(r);
}

void BM_GenerateText300Groups(benchmark::State &state) {
    TextGenerator g;
    TextRequest r;
    r.KGT = 300;
    r.KZG = 10;
    r.currentSet = LatinSet;
    for (auto _ : state)
        benchmark::DoNotOptimize(g.GenerateText(r));
}
BENCHMARK(BM_GenerateText300Groups);

void BM_Timeline50Groups(benchmark::State &state) {
    const QByteArray text = practiceText(50);
    MorseTable codes = builtInBaseAlphabet();
    const RunCount rc = countRun(text, "VVV=", rebuildCodeUnits(codes), 3, 7);
    for (auto _ : state)
        benchmark::DoNotOptimize(buildTimeline(rc.B, {text, codes, 120, 3, 7, 10}));
}
BENCHMARK(BM_Timeline50Groups);

/// One second of device audio at 48 kHz from 18 kHz image samples (resampling path).
void BM_RenderOneSecondResampled(benchmark::State &state) {
    const ToneSamples tone = [] {
        ToneImage img = ToneImage::builtIn();
        img.ApplyPitch(750);
        return img.samples();
    }();
    for (auto _ : state) {
        ToneRenderer r(48000);
        r.startRun(0);
        for (int t = 0; t < 1000; t += 100) {
            r.keyDown(tone, t);
            r.keyUp(t + 60);
        }
        benchmark::DoNotOptimize(r.render(48000));
    }
}
BENCHMARK(BM_RenderOneSecondResampled);

} // namespace

BENCHMARK_MAIN();

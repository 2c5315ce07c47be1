// One benchmark per conversion routine on everyday input, plus 100,000-character
// texts for the two routines that take text of any length.
#include "conversion.h"

#include <benchmark/benchmark.h>

namespace {

using rt::Text;

template <class F, class Arg> void run(benchmark::State& state, F f, const Arg& arg)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(f(arg));
}

void BM_PadBinary(benchmark::State& s) { run(s, conv::PadBinary, Text("1000001")); }
void BM_DenToBin(benchmark::State& s) { run(s, conv::DenToBin, Text("200")); }
void BM_BinToDen(benchmark::State& s) { run(s, conv::BinToDen, Text("11001000")); }
void BM_DenToHex(benchmark::State& s) { run(s, conv::DenToHex, Text("200")); }
void BM_HexToDen(benchmark::State& s) { run(s, conv::HexToDen, Text("c8")); }
void BM_DenToAscii(benchmark::State& s) { run(s, conv::DenToAscii, rt::Integer{65}); }
void BM_AsciiToDen(benchmark::State& s) { run(s, conv::AsciiToDen, Text("A")); }
void BM_DigitToHexLetter(benchmark::State& s) { run(s, conv::DigitToHexLetter, Text("12")); }
void BM_HexLetterToDigit(benchmark::State& s) { run(s, conv::HexLetterToDigit, Text("c")); }

// Only the rightmost 32,767 characters are read; past the 16th every weight
// step and every overflowing sum is a skipped failure.
void BM_BinToDen_100k(benchmark::State& s) { run(s, conv::BinToDen, Text(100000, '1')); }

// Too long to pad: the count leaves the Integer range and raises overflow.
void BM_PadBinary_100k(benchmark::State& state)
{
    const Text text(100000, '1');
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(conv::PadBinary(text));
        } catch (const rt::Error&) {
        }
    }
}

} // namespace

BENCHMARK(BM_PadBinary);
BENCHMARK(BM_DenToBin);
BENCHMARK(BM_BinToDen);
BENCHMARK(BM_DenToHex);
BENCHMARK(BM_HexToDen);
BENCHMARK(BM_DenToAscii);
BENCHMARK(BM_AsciiToDen);
BENCHMARK(BM_DigitToHexLetter);
BENCHMARK(BM_HexLetterToDigit);
BENCHMARK(BM_BinToDen_100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PadBinary_100k);

// The whole headless cascade of one keystroke, and sweeps that enter all 256
// values through each field. Only the keystroke itself is timed: the state it
// starts from is rebuilt outside the clock.
#include "frmMain.h"
#include "headless.h"
#include "product.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

struct Window {
    rt::HeadlessHost host;
    rt::Application app{host, kProduct};
    frmMain& f = app.defaultInstance<frmMain>();
    Window() { f.show(); }
};

constexpr rt::Integer kBackspace = 8;

// Types `before` into a cleared window, then times the single key `key`.
void keystroke(benchmark::State& state, rt::TextBox frmMain::*field, const char* before,
               rt::Integer key)
{
    Window w;
    rt::TextBox& box = w.f.*field;
    for (auto _ : state) {
        w.f.txtDen.typeKey(kBackspace);
        rt::typeKeys(box, before);
        const auto t0 = Clock::now();
        box.typeKey(key);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
    }
    if (w.app.ended())
        state.SkipWithError("the program ended");
}

void BM_Key_DecimalDigit(benchmark::State& s) { keystroke(s, &frmMain::txtDen, "6", '5'); }
void BM_Key_Character(benchmark::State& s) { keystroke(s, &frmMain::txtASCII, "", 'A'); }
void BM_Key_EighthBinaryDigit(benchmark::State& s)
{
    keystroke(s, &frmMain::txtBin, "0100000", '1');
}
void BM_Key_SecondHexDigit(benchmark::State& s) { keystroke(s, &frmMain::txtHex, "4", 'a'); }
void BM_Key_Backspace(benchmark::State& s) { keystroke(s, &frmMain::txtDen, "65", kBackspace); }

const char kHexDigits[] = "0123456789abcdef";

// Backspace, then the keys that enter `v` in that field.
void enterDecimal(frmMain& f, int v)
{
    f.txtDen.typeKey(kBackspace);
    rt::typeKeys(f.txtDen, std::to_string(v));
}
void enterCharacter(frmMain& f, int v)
{
    // Control characters cannot be typed (Backspace, Escape...): paste them.
    f.txtASCII.typeKey(kBackspace);
    f.txtASCII.paste(rt::Text(1, static_cast<char>(v)));
}
void enterHex(frmMain& f, int v)
{
    f.txtHex.typeKey(kBackspace);
    const char keys[] = {kHexDigits[v >> 4], kHexDigits[v & 15], 0};
    rt::typeKeys(f.txtHex, keys);
}
void enterBinary(frmMain& f, int v)
{
    f.txtBin.typeKey(kBackspace);
    char keys[9] = {};
    for (int bit = 0; bit < 8; ++bit)
        keys[bit] = (v >> (7 - bit)) & 1 ? '1' : '0';
    rt::typeKeys(f.txtBin, keys);
}

void sweep(benchmark::State& state, void (*enter)(frmMain&, int))
{
    Window w;
    for (auto _ : state)
        for (int v = 0; v < 256; ++v)
            enter(w.f, v);
    if (w.app.ended())
        state.SkipWithError("the program ended");
    state.SetItemsProcessed(state.iterations() * 256);
}

void BM_Sweep256_Decimal(benchmark::State& s) { sweep(s, enterDecimal); }
void BM_Sweep256_Character(benchmark::State& s) { sweep(s, enterCharacter); }
void BM_Sweep256_Hex(benchmark::State& s) { sweep(s, enterHex); }
void BM_Sweep256_Binary(benchmark::State& s) { sweep(s, enterBinary); }

} // namespace

BENCHMARK(BM_Key_DecimalDigit)->UseManualTime();
BENCHMARK(BM_Key_Character)->UseManualTime();
BENCHMARK(BM_Key_EighthBinaryDigit)->UseManualTime();
BENCHMARK(BM_Key_SecondHexDigit)->UseManualTime();
BENCHMARK(BM_Key_Backspace)->UseManualTime();
BENCHMARK(BM_Sweep256_Decimal)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Sweep256_Character)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Sweep256_Hex)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Sweep256_Binary)->Unit(benchmark::kMicrosecond);

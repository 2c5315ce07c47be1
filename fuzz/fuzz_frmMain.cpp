// Drives the converter window through the headless backend with a stream of
// user events decoded from the fuzz input. Bytes below 0xF0 are keystrokes
// into the current field, so plain keystroke scripts ("65", "1\r", "\x1b")
// are valid inputs; 0xF0..0xFF introduce the other events.
//
// Checked besides the sanitizers: Change handlers nest less deep than
// kChangeDepthBound. libFuzzer's -timeout catches an event that never returns.
#include "frmAbout.h"
#include "frmMain.h"
#include "headless.h"
#include "product.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

// Change handlers nest at most 7 deep (a 30-minute campaign and its corpus:
// a junk eight-character binary paste, then the four fields settling); any
// deeper cascade is a finding.
constexpr int kChangeDepthBound = 8; // depth stays under this
// The deepest seen in this process, logged as it grows.
int deepest = 0;

constexpr std::size_t kMaxPaste = 100000;

enum Op : std::uint8_t {
    Focus = 0xF0,       // n: field n % 4 (decimal, character, hex, binary)
    Key16 = 0xF1,       // lo hi: any signed 16-bit key code
    Paste = 0xF2,       // lo hi, bytes: paste that many of the following bytes
    PasteRepeat = 0xF3, // a b c, n, pattern[n]: pattern repeated to (abc % 100001) bytes
    Delete = 0xF4,
    Cut = 0xF5,
    Select = 0xF6,  // start[4] length[4], signed little-endian
    Advance = 0xF7, // lo hi: milliseconds on the clock
    About = 0xF8,
    OK = 0xF9,
    ActivateMain = 0xFA,
    ActivateAbout = 0xFB,
    Tab = 0xFC,
    Literal = 0xFD, // b: key code b (to type 0xF0..0xFF themselves)
};

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : p_(data), end_(data + size) {}
    bool done() const { return p_ == end_; }
    std::size_t left() const { return static_cast<std::size_t>(end_ - p_); }
    std::uint8_t byte() { return p_ == end_ ? 0 : *p_++; }
    std::uint32_t uint(int bytes)
    {
        std::uint32_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v |= static_cast<std::uint32_t>(byte()) << (8 * i);
        return v;
    }
    rt::Text bytes(std::size_t n)
    {
        n = n < left() ? n : left();
        rt::Text out(reinterpret_cast<const char*>(p_), n);
        p_ += n;
        return out;
    }

private:
    const std::uint8_t* p_;
    const std::uint8_t* end_;
};

// How deep the Change handlers of a window's text fields nest, now and at
// most; it wraps the handlers the window has set, so make it after the window.
class ChangeDepth {
public:
    explicit ChangeDepth(rt::Form& form)
    {
        for (rt::Control* c : form.controls()) {
            if (c->kind() != rt::Control::Kind::TextBox)
                continue;
            auto& box = static_cast<rt::TextBox&>(*c);
            box.onChange = [this, inner = std::move(box.onChange)] {
                // Unwound by End and by errors alike.
                struct Level {
                    int& depth;
                    ~Level() { --depth; }
                } level{++now_};
                deepest_ = std::max(deepest_, now_);
                if (inner)
                    inner();
            };
        }
    }
    int now() const { return now_; }
    int deepest() const { return deepest_; }

private:
    int now_ = 0;
    int deepest_ = 0;
};

// The focus to the next control in tab order, wrapping, as Tab moves it.
void focusNext(rt::Form& form)
{
    const auto order = form.tabOrder();
    if (order.empty())
        return;
    const auto it = std::find(order.begin(), order.end(), form.focused());
    form.setFocus(it == order.end() || it + 1 == order.end() ? *order.front() : **(it + 1));
}

[[noreturn]] void fail(const char* what, int value)
{
    std::fprintf(stderr, "fuzz_frmMain: %s (%d)\n", what, value);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    rt::HeadlessHost host;
    rt::Application app(host, kProduct);
    auto& main = app.defaultInstance<frmMain>();
    main.show();
    const ChangeDepth depth(main);
    rt::TextBox* const fields[] = {&main.txtDen, &main.txtASCII, &main.txtHex, &main.txtBin};
    rt::TextBox* field = &main.txtDen;

    Reader in(data, size);
    while (!in.done() && !app.ended()) {
        const std::uint8_t op = in.byte();
        switch (op) {
        case Focus:
            field = fields[in.byte() % 4];
            main.setFocus(*field);
            break;
        case Key16:
            field->typeKey(static_cast<rt::Integer>(in.uint(2)));
            break;
        case Paste:
            field->paste(in.bytes(in.uint(2)));
            break;
        case PasteRepeat: {
            const std::size_t n = in.uint(3) % (kMaxPaste + 1);
            rt::Text pattern = in.bytes(in.byte());
            if (pattern.empty())
                pattern = "1";
            rt::Text clip;
            clip.reserve(n);
            while (clip.size() < n)
                clip.append(pattern, 0, n - clip.size());
            field->paste(clip);
            break;
        }
        case Delete:
            field->pressDelete();
            break;
        case Cut:
            field->cut();
            break;
        case Select: {
            const auto start = static_cast<rt::Long>(in.uint(4));
            field->select(start, static_cast<rt::Long>(in.uint(4)));
            break;
        }
        case Advance:
            host.advance(in.uint(2));
            break;
        case About:
            main.cmdAbout.click();
            break;
        case OK:
            app.defaultInstance<frmAbout>().cmdOK.click();
            break;
        case ActivateMain:
            main.userActivate();
            break;
        case ActivateAbout:
            app.defaultInstance<frmAbout>().userActivate();
            break;
        case Tab:
            focusNext(main);
            if (main.focused() && main.focused()->kind() == rt::Control::Kind::TextBox)
                field = static_cast<rt::TextBox*>(main.focused());
            break;
        case Literal:
            field->typeKey(in.byte());
            break;
        default:
            if (op >= 0xF0)
                break; // unassigned
            field->typeKey(op);
            break;
        }
        if (depth.now() != 0)
            fail("Change depth left non-zero after an event", depth.now());
        if (depth.deepest() > deepest) {
            deepest = depth.deepest();
            std::fprintf(stderr, "fuzz_frmMain: Change depth %d reached\n", deepest);
        }
        if (depth.deepest() >= kChangeDepthBound)
            fail("Change handlers nested as deep as the bound", depth.deepest());
    }
    return 0;
}

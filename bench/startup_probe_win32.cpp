// numberwell.exe's own start-up, with the same libraries and the same start-up
// function as app/main.cpp; it reports its first painted frame and leaves.
#include "first_frame_win32.h"
#include "frmMain.h"
#include "product.h"
#include "win32host.h"

int main()
{
    bench::started();
    return rtwin::run<frmMain>(kProduct, [](HWND top) { bench::firstFrame(top); });
}

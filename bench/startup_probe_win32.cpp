// numberwell.exe's own start-up, with the same libraries and the same start-up
// function as app/main.cpp; a hook of the probe's own sees the first painted
// frame, reports it and leaves.
#include "first_frame_win32.h"
#include "frmMain.h"
#include "product.h"
#include "win32host.h"

int main()
{
    bench::started();
    return rtwin::run<frmMain>(kProduct);
}

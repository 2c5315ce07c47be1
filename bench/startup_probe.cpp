// The program's own start-up, with the same libraries and the same start-up
// function as app/main.cpp; it reports its first painted frame and leaves.
#include "first_frame.h"
#include "frmMain.h"
#include "product.h"
#include "qthost.h"

int main(int argc, char** argv)
{
    return rtqt::run<frmMain>(argc, argv, kProduct, [](QWidget*) { bench::firstFrame(); });
}

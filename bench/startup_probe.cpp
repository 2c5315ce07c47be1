// The program's own start-up, with the same libraries and the same start-up
// function as app/main.cpp; a watch of the probe's own reports its first
// painted frame and leaves.
#include "first_frame.h"
#include "frmMain.h"
#include "product.h"
#include "qthost.h"

using bench::watchFirstFrame;
Q_COREAPP_STARTUP_FUNCTION(watchFirstFrame)

int main(int argc, char** argv) { return rtqt::run<frmMain>(argc, argv, kProduct); }

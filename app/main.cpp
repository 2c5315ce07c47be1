#include "frmMain.h"
#include "product.h"
#include "qthost.h"

int main(int argc, char** argv) { return rtqt::run<frmMain>(argc, argv, kProduct); }

#include "frmMain.h"
#include "product.h"

#ifdef _WIN32
#include "win32host.h"

int main() { return rtwin::run<frmMain>(kProduct); }
#elif defined(__EMSCRIPTEN__)
#include "webhost.h"

int main() { return rtweb::run<frmMain>(kProduct); }
#else
#include "qthost.h"

int main(int argc, char** argv) { return rtqt::run<frmMain>(argc, argv, kProduct); }
#endif

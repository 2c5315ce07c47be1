// A program linked the compiler's default way, against the C++ runtime's
// DLLs, with no resources: what test_winexe.py's checks must refuse.
#include <iostream>
#include <string>

int main(int argc, char**) { std::cout << std::string(static_cast<std::size_t>(argc), 'x') << '\n'; }

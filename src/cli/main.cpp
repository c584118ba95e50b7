#include "cli/Ovixctl.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
    // Whatever goes wrong inside, the tool ends with a word and a failure status rather
    // than an abort.
    try {
        std::vector<std::string> args(argv + 1, argv + argc);
        return ovix::cli::Run(args, std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "ovixctl: internal error: " << e.what() << '\n';
    } catch (...) {
        std::cout.flush();
        std::cerr << "ovixctl: internal error: unknown exception\n";
    }
    return ovix::cli::kExitFailure;
}

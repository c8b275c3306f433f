// diagsconfig: shows and changes the host's log configuration from a console or a script.
#include <iostream>
#include <string>
#include <vector>

#include "tools/diagsconfig/Commands.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return diags::tools::RunDiagsConfig(args, std::cout, std::cerr);
}

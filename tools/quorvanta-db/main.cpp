// quorvanta-db: builds, dumps, describes and checks the laser-line catalogue file.
#include <iostream>
#include <string_view>
#include <vector>

#include "commands.h"

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return quorvanta::dbtool::runCommand(args, std::cout, std::cerr);
}

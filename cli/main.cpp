#include "cli/CliApp.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> words(argv + 1, argv + argc);
    return tolvane::runCli(words, std::cout, std::cerr);
}

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "CsvTool.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return orvane::RunCsvTool(args, STDOUT_FILENO, stdout, stderr);
}

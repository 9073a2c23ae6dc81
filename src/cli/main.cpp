// quellbit-cli: the core and the standard library, no desktop libraries.

#include "cli/command_line.h"
#include "common/output_file.h"

#include <cstdio>

int main(int argc, char **argv)
{
    quellbit::guardTemporaryFiles();
    return quellbit::cli::run(argc, argv, stdout, stderr);
}

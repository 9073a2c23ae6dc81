// quellbit-cli: the core and the standard library, no desktop libraries.

#include "cli/command_line.h"
#include "common/output_file.h"

#include <malloc.h>

#include <cstdio>

int main(int argc, char **argv)
{
    // The memory of one picture is kept for the next one instead of going
    // back to the system after each: a batch of a thousand asks for it once.
    ::mallopt(M_TRIM_THRESHOLD, 16 * 1024 * 1024);
    quellbit::guardTemporaryFiles();
    return quellbit::cli::run(argc, argv, stdout, stderr);
}

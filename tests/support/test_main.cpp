#include "support/test_main.h"

int main(int argc, char **argv)
{
    return testsupport::runTests(argc, argv);
}

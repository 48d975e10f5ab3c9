// Verimark: asks the management agent to evaluate a compliance document and lists what
// each check found.
#include "tool/CommandLine.h"

int main(int argc, char** argv)
{
    return RunCommandLine(argc, argv);
}

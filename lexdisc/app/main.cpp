// The dictionary viewer lexdisc.
#include "commandline.h"

int main(int argc, char** argv)
{
    return yv::lexdisc::runCommandLine(argc, argv);
}

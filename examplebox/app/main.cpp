// The example box sample.
#include "commandline.h"

int main(int argc, char** argv)
{
    return yv::samplebox::runCommandLine(argc, argv);
}

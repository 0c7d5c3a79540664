// A second program using the capture API: initialises it (exclusively with "exclusive"),
// writes "<result> <reference count>" to the file it is given and stays until it is ended.
#include <SnrApi32.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    CaptureInitInfo info{};
    info.size = sizeof info;
    info.exclusive = argc > 2 && std::strcmp(argv[2], "exclusive") == 0;
    const int result = SNRInitCaptureEx(&info);
    const std::string partial = std::string(argv[1]) + ".part";
    if (FILE* f = std::fopen(partial.c_str(), "w")) {
        std::fprintf(f, "%d %d\n", result, SNRGetRefCount());
        std::fclose(f);
        std::rename(partial.c_str(), argv[1]);
    }
    for (;;)
        ::pause();
}

#include "app/headlesshandover.h"

#include "cli/commandline.h"

#include <QByteArrayList>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

bool asksForHeadless(int argc, char* argv[])
{
    QByteArrayList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QByteArray(argv[i]);
    }
    return wantsHeadless(arguments);
}

int handOverToHeadless(char* argv[])
{
    std::string program(PATH_MAX, '\0');
    const ssize_t length = readlink("/proc/self/exe", program.data(), program.size() - 1);
    if (length > 0) {
        program.resize(std::size_t(length));
        program = program.substr(0, program.rfind('/') + 1) + "terravik-cli";
        execv(program.c_str(), argv);
    }
    std::fprintf(stderr, "terravik: cannot start the command line program %s: %s\n",
                 program.c_str(), std::strerror(errno));
    return ExitStatus::Failure;
}

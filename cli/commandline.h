#pragma once

#include "world/worldrecipe.h"

#include <QString>
#include <QStringList>
#include <vector>

// The headless command line: what to build and where to write it.

// Exit statuses of the headless command line.
namespace ExitStatus {
constexpr int Success = 0;
constexpr int Failure = 1;
constexpr int UsageError = 2;
constexpr int BadInputFile = 3;
constexpr int WriteFailed = 4;
} // namespace ExitStatus

struct HeadlessJob
{
    QString output;
    // Either a world file to start from, or the origin given by options.
    QString worldFile;
    WorldOrigin origin;
    QStringList filterFiles;
    std::vector<DropRecord> newDrops;
    bool quiet = false;
};

// The outcome of reading the arguments: a job, or text to print and a status
// to end with (help and version end with Success).
struct ParsedCommandLine
{
    HeadlessJob job;
    bool finished = false;
    int status = ExitStatus::Success;
    QString text;
};

// arguments[0] is the program's name, as in QCoreApplication::arguments().
ParsedCommandLine parseCommandLine(const QStringList& arguments);

// Whether these arguments ask for the headless command line rather than the
// window: any option of its own, help or version.
bool wantsHeadless(const QStringList& arguments);

#pragma once

#include "world/worldrecipe.h"

#include <QByteArrayList>
#include <QString>
#include <QStringList>
#include <vector>

// The headless command line: what to build and where to write it.

// Exit statuses of the headless command line.
namespace ExitStatus {
constexpr int Success = 0;
// The window's program could not start terravik-cli to do the work.
constexpr int Failure = 1;
constexpr int UsageError = 2;
constexpr int BadInputFile = 3;
constexpr int WriteFailed = 4;
} // namespace ExitStatus

// A drop to start, with its --drop value as typed, for messages.
struct NewDrop
{
    QString typed;
    DropRecord start;
};

struct HeadlessJob
{
    QString output;
    // Either a world file to start from, or the origin given by options.
    QString worldFile;
    WorldOrigin origin;
    QStringList filterFiles;
    std::vector<NewDrop> newDrops;
    bool quiet = false;
    // Where erosion's masks go (empty: nowhere), and the worker threads (0:
    // one per core).
    QString masksPrefix;
    int threads = 0;
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

// The arguments as the process got them, arguments[0] being the program. Each
// is decoded with QFile::decodeName, and the seed and file names go back to
// bytes with QFile::encodeName: terravik-cli makes both exact for every byte.
ParsedCommandLine parseCommandLine(const QByteArrayList& arguments);

// Whether these arguments ask for the headless command line rather than the
// window: any option of its own, help or version.
bool wantsHeadless(const QByteArrayList& arguments);

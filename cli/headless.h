#pragma once

#include <QByteArrayList>

// Runs the headless command line for these arguments (arguments[0] is the
// program) and returns the process's exit status. Messages go to standard
// error, help and version to standard output.
int runHeadless(const QByteArrayList& arguments);

#include "cli/headless.h"

#include <QCoreApplication>

// The headless command line: no window, no display, no OpenGL.
int main(int argc, char* argv[])
{
    QByteArrayList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QByteArray(argv[i]);
    }
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("terravik"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TERRAVIK_VERSION));
    return runHeadless(arguments);
}

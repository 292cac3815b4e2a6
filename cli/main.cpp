#include "cli/headless.h"

#include <QCoreApplication>
#include <QTextCodec>

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
    // File names and seeds are bytes, not text. Qt's UTF-8 turns a byte that
    // is no UTF-8 into U+FFFD, so that such a name would be written under
    // another; Latin-1 gives every byte its own character and back, so that
    // QFile::decodeName and encodeName keep any name a shell can type, and a
    // message prints it as it was typed.
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("ISO-8859-1"));
    return runHeadless(arguments);
}

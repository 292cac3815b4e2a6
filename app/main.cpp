#include "app/headlesshandover.h"
#include "app/mainwindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    if (asksForHeadless(argc, argv)) {
        return handOverToHeadless(argv);
    }
    QApplication application(argc, argv);
    // Where QSettings keeps what the window remembers.
    QCoreApplication::setOrganizationName(QStringLiteral("Terravik"));
    QCoreApplication::setApplicationName(QStringLiteral("Terravik"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TERRAVIK_VERSION));
    MainWindow window;
    window.show();
    // What QApplication leaves of the arguments: at most one world file.
    const QStringList files = QApplication::arguments().mid(1);
    if (!files.isEmpty()) {
        window.openWorldFile(files.constFirst());
    }
    const int result = QApplication::exec();
    return result;
}

#include "tools/screencapture.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QStringList>
#include <QTimer>
#include <QWidget>

void settle(int milliseconds)
{
    QCoreApplication::processEvents();
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

QRect screenRect(const QWidget* window)
{
    return QRect(window->mapToGlobal(QPoint(0, 0)), window->size());
}

bool captureScreen(const QRect& area, const QString& pngPath)
{
    const QString crop = QStringLiteral("%1x%2+%3+%4")
                             .arg(area.width())
                             .arg(area.height())
                             .arg(area.x())
                             .arg(area.y());
    const QStringList arguments{QStringLiteral("-window"), QStringLiteral("root"),
                                QStringLiteral("-crop"),   crop,
                                QStringLiteral("+repage"), pngPath};
    return QProcess::execute(QStringLiteral("import"), arguments) == 0;
}

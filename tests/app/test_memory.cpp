// World after world through the real commands must not make the process grow: every replaced
// map, filtered map, drop and dialog is released.
#include "app/mainwindow.h"
#include "app/mainwindowform.h"
#include "terrain/map.h"
#include "userdriver.h"
#include "view/glwidget.h"

#include <QtTest>

namespace {

// VmRSS of this process in kB, or 0 when it cannot be read.
qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    const QByteArray text = status.readAll();
    const int at = text.indexOf("VmRSS:");
    return at < 0 ? 0 : text.mid(at + 6).trimmed().split(' ').front().toLongLong();
}

// A 99 x 99 world with three drops started and run to their end; false when a step failed.
bool worldWithDrops(MainWindowForm& form, int index)
{
    UserDriver::NewWorldAnswer world{index % 3, false, QStringLiteral("memory-%1").arg(index % 10),
                                     99, 99};
    UserDriver::ModalAnswer dialog(
        [&](QWidget* modal) { UserDriver::answerNewWorld(modal, world); });
    form.actionNewWorld->trigger();
    for (const QPointF& at : {QPointF(20.0, 20.0), QPointF(70.5, 33.25), QPointF(48.0, 77.75)}) {
        form.doubleSpinBoxGoutteX->setValue(at.x());
        form.doubleSpinBoxGoutteY->setValue(at.y());
        UserDriver::ModalAnswer warning(UserDriver::acknowledgeMessage);
        form.pushButtonGoutteLancer->click();
        form.pushButtonGoutteSuivant->click();
        form.pushButtonGoutteRes->click();
        if (warning.answered()) {
            return false;
        }
    }
    return dialog.answered() && form.widget->filteredMap()->drops().size() == 3;
}

} // namespace

class TestMemory : public QObject
{
    Q_OBJECT

private slots:
    void newWorldsKeepResidentSizeFlat();
};

void TestMemory::newWorldsKeepResidentSizeFlat()
{
#if TERRAVIK_SANITIZE_BUILD
    QSKIP("The sanitizer keeps freed memory resident; its leak checker covers this build.");
#endif
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    MainWindowForm& form = *window.form();
    for (int i = 0; i < 5; ++i) {
        UserDriver::FilterAnswer blur{QStringLiteral("blur %1").arg(i), {}, true};
        blur.coefficients.fill(1);
        blur.coefficients[12] = i + 1;
        UserDriver::ModalAnswer dialog(
            [&](QWidget* modal) { UserDriver::answerFilter(modal, blur); });
        form.addFilterButton->click();
        QVERIFY(dialog.answered());
    }
    QCOMPARE(form.widget->filterCount(), 5);
    // The worlds repeat every 30, so the first 50 have made every one of them once.
    qint64 afterWarmUp = 0;
    for (int i = 0; i < 500; ++i) {
        if (i == 50) {
            QCoreApplication::processEvents();
            afterWarmUp = residentKb(); // 0 when unreadable: then the growth check fails
        }
        QVERIFY2(worldWithDrops(form, i), qPrintable(QStringLiteral("world %1").arg(i)));
    }
    QCoreApplication::processEvents();
    const qint64 growth = residentKb() - afterWarmUp;
    qInfo("VmRSS grew by %lld kB from world 50 to world 500", static_cast<long long>(growth));
    QVERIFY2(growth < 4 * 1024, qPrintable(QStringLiteral("grew by %1 kB").arg(growth)));
}

QTEST_MAIN(TestMemory)
#include "test_memory.moc"

// Making world after world must not make the program grow: every replaced map,
// filtered map, drop and dialog is released. Measured as the process's
// resident size over hundreds of new worlds made through the real commands.
#include "app/mainwindow.h"
#include "app/mainwindowform.h"
#include "terrain/map.h"
#include "userdriver.h"
#include "view/glwidget.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QFile>
#include <QPushButton>
#include <QtTest>

#ifndef TERRAVIK_SANITIZE_BUILD
#define TERRAVIK_SANITIZE_BUILD 0
#endif

namespace {

constexpr int kWarmUpWorlds = 50;
constexpr int kWorlds = 500;
constexpr qint64 kAllowedGrowthKb = qint64(4) * 1024;
constexpr int kMapSize = 99;
// The worlds repeat with this period (three generators, ten seed texts), so
// the warm-up has seen every world once before the measurement starts.
constexpr int kSeedTexts = 10;

// VmRSS of this process in kB, or -1 when it cannot be read.
qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').front().toLongLong();
        }
    }
    return -1;
}

// Five blurs, each with all 25 coefficients in use.
FilterMatrix::Coefficients blur(int strength)
{
    FilterMatrix::Coefficients coefficients{};
    for (int k = 0; k < 25; ++k) {
        coefficients[std::size_t(k)] = (k == 12 ? strength : 1);
    }
    return coefficients;
}

} // namespace

class TestMemory : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void newWorldsKeepResidentSizeFlat();

private:
    MainWindowForm& form() { return *window_->form(); }
    bool click(QPushButton* button, const std::function<void(QWidget*)>& answer = {});
    bool newWorld(int index);
    bool runDrop(double x, double y, bool stepFirst);
    bool makeWorldWithDrops(int index);

    std::unique_ptr<MainWindow> window_;
};

void TestMemory::initTestCase()
{
    window_ = std::make_unique<MainWindow>();
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    for (int i = 0; i < 5; ++i) {
        UserDriver::FilterAnswer answer;
        answer.name = QStringLiteral("blur %1").arg(i);
        answer.coefficients = blur(i + 1);
        QVERIFY(click(form().addFilterButton,
                      [answer](QWidget* modal) { UserDriver::answerFilter(modal, answer); }));
    }
    QCOMPARE(form().widget->filterCount(), 5);
}

void TestMemory::cleanupTestCase()
{
    window_.reset();
}

// Clicks a button; when `answer` is given, the click must open a modal that it
// answers.
bool TestMemory::click(QPushButton* button, const std::function<void(QWidget*)>& answer)
{
    if (!answer) {
        QTest::mouseClick(button, Qt::LeftButton);
        return true;
    }
    UserDriver::ModalAnswer pending(answer);
    QTest::mouseClick(button, Qt::LeftButton);
    return pending.answered();
}

bool TestMemory::newWorld(int index)
{
    UserDriver::NewWorldAnswer answer;
    answer.generatorIndex = index % 3;
    answer.randomSeed = false;
    answer.seedText = QStringLiteral("memory-%1").arg(index % kSeedTexts);
    answer.width = kMapSize;
    answer.length = kMapSize;
    UserDriver::ModalAnswer pending(
        [answer](QWidget* modal) { UserDriver::answerNewWorld(modal, answer); });
    form().actionNewWorld->trigger();
    const Map* map = form().widget->filteredMap();
    return pending.answered() && map != nullptr && map->width() == kMapSize &&
           map->length() == kMapSize && map->drops().empty();
}

// Start at (x, y), then Next (when asked) and Result. False when the start was
// refused or the drop did not come to its end.
bool TestMemory::runDrop(double x, double y, bool stepFirst)
{
    form().doubleSpinBoxGoutteX->setValue(x);
    form().doubleSpinBoxGoutteY->setValue(y);
    const std::size_t dropsBefore = form().widget->filteredMap()->drops().size();
    UserDriver::ModalAnswer warning([](QWidget* modal) { UserDriver::acknowledgeMessage(modal); });
    QTest::mouseClick(form().pushButtonGoutteLancer, Qt::LeftButton);
    if (warning.answered() || form().widget->filteredMap()->drops().size() != dropsBefore + 1) {
        return false;
    }
    if (stepFirst) {
        click(form().pushButtonGoutteSuivant);
    }
    click(form().pushButtonGoutteRes);
    return form().pushButtonGoutteLancer->isEnabled();
}

bool TestMemory::makeWorldWithDrops(int index)
{
    return newWorld(index) && runDrop(20.0, 20.0, true) && runDrop(70.5, 33.25, false) &&
           runDrop(48.0, 77.75, true);
}

void TestMemory::newWorldsKeepResidentSizeFlat()
{
    if (TERRAVIK_SANITIZE_BUILD) {
        QSKIP("The sanitizer's quarantine keeps freed memory resident; the leak checker "
              "covers this build.");
    }
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kWarmUpWorlds; ++i) {
        QVERIFY2(makeWorldWithDrops(i), qPrintable(QStringLiteral("warm-up world %1").arg(i)));
    }
    QCoreApplication::processEvents();
    const qint64 afterWarmUp = residentKb();
    QVERIFY(afterWarmUp > 0);
    for (int i = kWarmUpWorlds; i < kWorlds; ++i) {
        QVERIFY2(makeWorldWithDrops(i), qPrintable(QStringLiteral("world %1").arg(i)));
    }
    QCoreApplication::processEvents();
    const qint64 atEnd = residentKb();
    qInfo("VmRSS after %d worlds: %lld kB; after %d: %lld kB; growth %lld kB (%lld ms)",
          kWarmUpWorlds, static_cast<long long>(afterWarmUp), kWorlds,
          static_cast<long long>(atEnd), static_cast<long long>(atEnd - afterWarmUp),
          static_cast<long long>(clock.elapsed()));
    QVERIFY2(atEnd - afterWarmUp < kAllowedGrowthKb,
             qPrintable(QStringLiteral("resident size grew by %1 kB").arg(atEnd - afterWarmUp)));
}

QTEST_MAIN(TestMemory)
#include "test_memory.moc"

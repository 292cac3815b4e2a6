// The Water drop tab driven as a user drives it: coordinates typed in the
// spin boxes, then Start, Next, Result and Dynamic display clicked, with the
// warning box answered, the buttons' enabled states, the drops on the shown
// map and what the view draws of them.
#include "commanddialogs.h"
#include "drop/waterdrop.h"
#include "terrain/map.h"
#include "view/glwidget.h"
#include "windowdriver.h"

#include <QDoubleSpinBox>
#include <QtTest>
#include <cmath>
#include <memory>

using namespace WindowDriver;

namespace {

// A plane z = slope * x: on every triangle a drop heads straight for x = 0,
// 0.01 / sqrt(1 + slope^2) further per step.
std::unique_ptr<Map> planeAlongX(std::uint32_t width, std::uint32_t length, float slope)
{
    auto map = std::make_unique<Map>(width, length);
    for (MapPoint& point : map->points()) {
        point.setZ(slope * point.x());
    }
    return map;
}

// Enabled states of Start, Next, Result and Dynamic display, as "S+ N- R- D-".
QString statesOf(const MainWindowForm& form)
{
    const auto mark = [](const QWidget* button) { return button->isEnabled() ? '+' : '-'; };
    return QStringLiteral("S%1 N%2 R%3 D%4")
        .arg(mark(form.pushButtonGoutteLancer))
        .arg(mark(form.pushButtonGoutteSuivant))
        .arg(mark(form.pushButtonGoutteRes))
        .arg(mark(form.pushButtonGoutteDynamic));
}

const QString startOnly = QStringLiteral("S+ N- R- D-");
const QString running = QStringLiteral("S- N+ R+ D+");

const QString warningTitle = QStringLiteral("Warning !");
const QString warningText = QStringLiteral("The entered coordinates are not within the map");

} // namespace

class TestDropCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void withoutWorldStartWarnsAndTheOthersDoNothing();
    void startAcceptsOnlyTheSurface_data();
    void startAcceptsOnlyTheSurface();
    void nextMakesFiftyOneSteps_data();
    void nextMakesFiftyOneSteps();
    void resultRunsEveryDropToItsEnd();
    void resultOnStoppedDropsOnlyRedraws();
    void dynamicDisplayRedrawsEveryFiftySteps();
    void pathsStayDrawnForTheNextDrop();

private:
    MainWindowForm& form() { return *window_->form(); }
    GLWidget& view() { return *form().widget; }
    // New world with the dialog cancelled: Start is enabled, the world stays.
    bool cancelledNewWorld(QString& why);
    bool newWorld(const NewWorldChoice& choice, QString& why);
    // Shows a hand-made world and enables Start as New world does.
    bool showWorld(std::unique_ptr<Map> map, QString& why);
    // Types the coordinates and clicks Start; true when the warning came, in
    // which case its title and text are in warning.
    bool start(double x, double y, WarningSeen& warning, QString& why);
    void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }
    int drawnDropVertices(int drop) const;

    std::unique_ptr<MainWindow> window_;
};

void TestDropCommands::init()
{
    window_ = std::make_unique<MainWindow>();
    QVERIFY(showActive(*window_));
    QCOMPARE(form().tabWidget->currentWidget(), form().tabGoutte);
}

void TestDropCommands::cleanup()
{
    window_.reset();
}

bool TestDropCommands::cancelledNewWorld(QString& why)
{
    NewWorldChoice cancel;
    cancel.accept = false;
    return newWorld(cancel, why);
}

bool TestDropCommands::newWorld(const NewWorldChoice& choice, QString& why)
{
    NewWorldReadBack readBack;
    ModalAnswer<NewWorldDialog> answer(
        [&](NewWorldDialog& dialog) { answerNewWorld(dialog, choice, readBack); });
    form().actionNewWorld->trigger();
    if (!answer.answered() || !readBackMatches(choice, readBack)) {
        why = QStringLiteral("new world dialog: ") + (answer.failure().isEmpty()
                                                          ? QStringLiteral("not answered as chosen")
                                                          : answer.failure());
        return false;
    }
    return true;
}

bool TestDropCommands::showWorld(std::unique_ptr<Map> map, QString& why)
{
    view().setBaseMap(std::move(map));
    view().rebuildMesh();
    return cancelledNewWorld(why);
}

bool TestDropCommands::start(double x, double y, WarningSeen& warning, QString& why)
{
    typeValue(*form().doubleSpinBoxGoutteX, x);
    typeValue(*form().doubleSpinBoxGoutteY, y);
    if (form().doubleSpinBoxGoutteX->value() != x || form().doubleSpinBoxGoutteY->value() != y) {
        why = QStringLiteral("the coordinates were not typed in");
        return false;
    }
    ModalAnswer<QMessageBox> answer([&](QMessageBox& box) { answerWarning(box, warning); });
    click(form().pushButtonGoutteLancer);
    if (!answer.failure().isEmpty()) {
        why = answer.failure();
    }
    return answer.answered();
}

// The number of line vertices the view holds for one drop, -1 when it holds
// no line list for it.
int TestDropCommands::drawnDropVertices(int drop) const
{
    const QVector<QVector<QVector3D>>& lines = window_->form()->widget->meshDropLines();
    return drop < lines.size() ? lines.at(drop).size() : -1;
}

void TestDropCommands::withoutWorldStartWarnsAndTheOthersDoNothing()
{
    QString why;
    QVERIFY2(cancelledNewWorld(why), qPrintable(why));
    QVERIFY(!view().hasBaseMap());
    QCOMPARE(statesOf(form()), startOnly);

    WarningSeen warning;
    QVERIFY2(start(1.0, 1.0, warning, why), "no warning for a start without a world");
    QVERIFY2(why.isEmpty(), qPrintable(why));
    QCOMPARE(warning.title, warningTitle);
    QCOMPARE(warning.text, warningText);
    QVERIFY(view().filteredMap() == nullptr);
    QCOMPARE(statesOf(form()), running);

    {
        NoDialogExpected noDialog;
        click(form().pushButtonGoutteSuivant);
        QCOMPARE(statesOf(form()), running);
        click(form().pushButtonGoutteRes);
        QCOMPARE(statesOf(form()), startOnly);
        QVERIFY(!noDialog.dialogOpened());
    }
    QVERIFY2(start(0.0, 0.0, warning, why), "no warning for a start without a world");
    {
        NoDialogExpected noDialog;
        click(form().pushButtonGoutteDynamic);
        QCOMPARE(statesOf(form()), startOnly);
        QVERIFY(!noDialog.dialogOpened());
    }

    QVERIFY(!view().hasBaseMap());
    QVERIFY(view().filteredMap() == nullptr);
    QVERIFY(view().meshDropLines().isEmpty());
    QCOMPARE(view().cursor().shape(), Qt::ArrowCursor);
}

void TestDropCommands::startAcceptsOnlyTheSurface_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("length");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("50 x 50, inside") << 50 << 50 << 20.0 << 20.0 << true;
    QTest::newRow("50 x 50, origin") << 50 << 50 << 0.0 << 0.0 << true;
    QTest::newRow("50 x 50, x 50") << 50 << 50 << 50.0 << 10.0 << false;
    QTest::newRow("50 x 50, x 49.99") << 50 << 50 << 49.99 << 10.0 << false;
    QTest::newRow("50 x 50, x 49.5") << 50 << 50 << 49.5 << 10.0 << false;
    QTest::newRow("50 x 50, x 49") << 50 << 50 << 49.0 << 10.0 << true;
    QTest::newRow("50 x 50, y 50") << 50 << 50 << 10.0 << 50.0 << false;
    QTest::newRow("50 x 50, y 49.5") << 50 << 50 << 10.0 << 49.5 << false;
    QTest::newRow("50 x 50, y 49") << 50 << 50 << 10.0 << 49.0 << true;
    QTest::newRow("50 x 50, corner 49 49") << 50 << 50 << 49.0 << 49.0 << true;
    QTest::newRow("50 x 50, far off") << 50 << 50 << 99.99 << 99.99 << false;
    QTest::newRow("7 x 3, y 2") << 7 << 3 << 6.0 << 2.0 << true;
    QTest::newRow("7 x 3, y 2.01") << 7 << 3 << 1.0 << 2.01 << false;
    QTest::newRow("7 x 3, y 3") << 7 << 3 << 1.0 << 3.0 << false;
    QTest::newRow("1 x 5, origin") << 1 << 5 << 0.0 << 0.0 << false;
    QTest::newRow("1 x 5, y 2") << 1 << 5 << 0.0 << 2.0 << false;
    QTest::newRow("5 x 1, origin") << 5 << 1 << 0.0 << 0.0 << false;
    QTest::newRow("1 x 1, origin") << 1 << 1 << 0.0 << 0.0 << false;
    QTest::newRow("0 x 0, origin") << 0 << 0 << 0.0 << 0.0 << false;
    QTest::newRow("2 x 2, far corner") << 2 << 2 << 1.0 << 1.0 << true;
}

void TestDropCommands::startAcceptsOnlyTheSurface()
{
    QFETCH(int, width);
    QFETCH(int, length);
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(bool, accepted);

    NewWorldChoice choice;
    choice.randomSeed = false;
    choice.seedText = QStringLiteral("surface");
    choice.width = width;
    choice.length = length;
    QString why;
    QVERIFY2(newWorld(choice, why), qPrintable(why));
    QCOMPARE(statesOf(form()), startOnly);

    CursorLog cursors(view());
    WarningSeen warning;
    const bool warned = start(x, y, warning, why);
    QVERIFY2(why.isEmpty(), qPrintable(why));
    QCOMPARE(warned, !accepted);
    QCOMPARE(statesOf(form()), running);
    // Start neither waits nor redraws: the new drop shows from the next rebuild.
    QVERIFY(cursors.shapes().isEmpty());
    QVERIFY(view().meshDropLines().isEmpty());

    const std::vector<WaterDrop*> drops = view().filteredMap()->drops();
    if (accepted) {
        QCOMPARE(drops.size(), std::size_t(1));
        const MapPoint& at = drops.front()->path().front();
        QCOMPARE(at.x(), float(x));
        QCOMPARE(at.y(), float(y));
        QCOMPARE(drops.front()->path().size(), std::size_t(1));
    } else {
        QCOMPARE(warning.title, warningTitle);
        QCOMPARE(warning.text, warningText);
        QVERIFY(drops.empty());
    }
    // The base map never carries drops.
    QVERIFY(view().baseMap()->drops().empty());
}

void TestDropCommands::nextMakesFiftyOneSteps_data()
{
    QTest::addColumn<float>("slope");
    QTest::addColumn<QVector<int>>("pathSizes");
    QTest::addColumn<bool>("stopped");

    // 51 steps of 0.01/sqrt(2) go 0.36 toward x = 0: far from the edge and
    // from the point 50 steps back, so every step adds a point.
    QTest::newRow("steady slope") << 1.0f << QVector<int>{52, 103, 154} << false;
    // On a flat map the drop repeats its place; the 51st step finds it back
    // where it was 50 points before and stops it. The next Next changes nothing.
    QTest::newRow("flat") << 0.0f << QVector<int>{51, 51} << true;
}

void TestDropCommands::nextMakesFiftyOneSteps()
{
    QFETCH(float, slope);
    QFETCH(QVector<int>, pathSizes);
    QFETCH(bool, stopped);

    QString why;
    QVERIFY2(showWorld(planeAlongX(20, 20, slope), why), qPrintable(why));
    WarningSeen warning;
    QVERIFY(!start(15.0, 10.0, warning, why));
    QVERIFY2(why.isEmpty(), qPrintable(why));
    const WaterDrop* drop = view().filteredMap()->drops().at(0);

    for (const int size : pathSizes) {
        CursorLog cursors(view(), [this] { return drawnDropVertices(0); });
        click(form().pushButtonGoutteSuivant);
        QCOMPARE(int(drop->path().size()), size);
        QCOMPARE(statesOf(form()), running);
        // Wait, then the rebuild (which already shows the new path) and the
        // command's own arrow.
        QCOMPARE(cursors.shapes(),
                 (QList<Qt::CursorShape>{Qt::WaitCursor, Qt::ArrowCursor, Qt::ArrowCursor}));
        QCOMPARE(cursors.snapshots().at(1), 2 * (size - 1));
        QCOMPARE(drawnDropVertices(0), 2 * (size - 1));
    }
    QCOMPARE(drop->isStopped(), stopped);
    // Every step moved the drop 0.01/sqrt(1 + slope^2) toward x = 0 (not at all when flat).
    const float stepX = slope == 0.0f ? 0.0f : 0.01f / std::sqrt(1.0f + slope * slope);
    const float travelled = 15.0f - drop->path().back().x();
    QVERIFY(std::fabs(travelled - stepX * float(drop->path().size() - 1)) < 1e-3f);
}

void TestDropCommands::resultRunsEveryDropToItsEnd()
{
    QString why;
    QVERIFY2(showWorld(planeAlongX(20, 20, 1.0f), why), qPrintable(why));
    WarningSeen warning;
    QVERIFY(!start(3.0, 10.0, warning, why));
    click(form().pushButtonGoutteSuivant);

    CursorLog cursors(view());
    click(form().pushButtonGoutteRes);
    QCOMPARE(statesOf(form()), startOnly);
    QCOMPARE(cursors.shapes(),
             (QList<Qt::CursorShape>{Qt::WaitCursor, Qt::ArrowCursor, Qt::ArrowCursor}));
    const WaterDrop* first = view().filteredMap()->drops().at(0);
    QVERIFY(first->isStopped());
    // It ran to the edge x = 0: 3 * sqrt(2) / 0.01 = 424.26 steps of 0.01/sqrt(2)
    // fit, so 425 points, and the next step would have left the map.
    QCOMPARE(int(first->path().size()), 425);
    QVERIFY(first->path().back().x() >= 0.0f);
    QVERIFY(first->path().back().x() < 0.01f);
    QCOMPARE(drawnDropVertices(0), 2 * 424);

    // A second drop on the same map; the first stays, and its path too.
    QVERIFY(!start(2.0, 4.0, warning, why));
    QCOMPARE(statesOf(form()), running);
    click(form().pushButtonGoutteRes);
    QCOMPARE(statesOf(form()), startOnly);
    QCOMPARE(view().filteredMap()->drops().size(), std::size_t(2));
    const WaterDrop* second = view().filteredMap()->drops().at(1);
    QVERIFY(second->isStopped());
    QCOMPARE(int(second->path().size()), 283);
    QCOMPARE(int(first->path().size()), 425);
    QCOMPARE(drawnDropVertices(0), 2 * 424);
    QCOMPARE(drawnDropVertices(1), 2 * 282);
}

void TestDropCommands::resultOnStoppedDropsOnlyRedraws()
{
    QString why;
    QVERIFY2(showWorld(planeAlongX(6, 6, 2.0f), why), qPrintable(why));
    // A drop run to its end behind the view's back: the view has not drawn it.
    Map& shown = *view().filteredMap();
    shown.startDrop(1.5f, 2.0f);
    while (shown.stepDrops(0.01f)) {
    }
    const std::size_t points = shown.drops().at(0)->path().size();
    QVERIFY(points > 1);
    QVERIFY(view().meshDropLines().isEmpty());

    // A refused Start is the user's way to Result with only stopped drops.
    WarningSeen warning;
    QVERIFY(start(6.0, 1.0, warning, why));
    QCOMPARE(warning.text, warningText);

    CursorLog cursors(view(), [this] { return drawnDropVertices(0); });
    click(form().pushButtonGoutteRes);
    QCOMPARE(shown.drops().at(0)->path().size(), points);
    QCOMPARE(cursors.shapes(),
             (QList<Qt::CursorShape>{Qt::WaitCursor, Qt::ArrowCursor, Qt::ArrowCursor}));
    QCOMPARE(cursors.snapshots().at(0), -1);
    QCOMPARE(drawnDropVertices(0), 2 * int(points - 1));
    QCOMPARE(statesOf(form()), startOnly);
}

void TestDropCommands::dynamicDisplayRedrawsEveryFiftySteps()
{
    // A 3 x 3 plane z = x and a start 119.5 steps of 0.01/sqrt(2) from x = 0:
    // the drop leaves the map during its 120th step, so its path keeps 120
    // points and the 121st step finds it stopped. The start lies between two
    // values the spin box can hold, so the drop is put down directly.
    QString why;
    QVERIFY2(showWorld(planeAlongX(3, 3, 1.0f), why), qPrintable(why));
    view().filteredMap()->startDrop(119.5f * 0.01f / std::sqrt(2.0f), 0.5f);
    WarningSeen warning;
    QVERIFY(start(3.0, 0.5, warning, why));
    QCOMPARE(statesOf(form()), running);

    const WaterDrop* drop = view().filteredMap()->drops().at(0);
    CursorLog cursors(view(), [this] { return drawnDropVertices(0); });
    click(form().pushButtonGoutteDynamic);
    QCOMPARE(statesOf(form()), startOnly);

    QVERIFY(drop->isStopped());
    QCOMPARE(int(drop->path().size()), 120);
    // The wait cursor, three frames (before steps 1, 51 and 101, showing paths
    // of 1, 51 and 101 points), then the command's arrow with no further frame.
    QCOMPARE(cursors.shapes(),
             (QList<Qt::CursorShape>{Qt::WaitCursor, Qt::ArrowCursor, Qt::ArrowCursor,
                                     Qt::ArrowCursor, Qt::ArrowCursor}));
    QCOMPARE(cursors.snapshots(), (QList<int>{-1, 0, 100, 200, 200}));
    QCOMPARE(drawnDropVertices(0), 200);

    // The last steps show at the next rebuild, for instance that of a Result
    // after a further Start.
    QVERIFY(start(3.0, 0.5, warning, why));
    click(form().pushButtonGoutteRes);
    QCOMPARE(drawnDropVertices(0), 2 * 119);
}

void TestDropCommands::pathsStayDrawnForTheNextDrop()
{
    NewWorldChoice peaks;
    peaks.generator = 1;
    peaks.randomSeed = false;
    peaks.seedText = QStringLiteral("blue");
    QString why;
    QVERIFY2(newWorld(peaks, why), qPrintable(why));
    const QImage world = frameOf(view());
    QVERIFY(countPixels(world, isNearlyWhite) > 1000);

    WarningSeen warning;
    QVERIFY(!start(20.0, 20.0, warning, why));
    click(form().pushButtonGoutteRes);
    QCOMPARE(statesOf(form()), startOnly);
    const std::size_t firstPath = view().filteredMap()->drops().at(0)->path().size();
    QVERIFY2(firstPath > 300, qPrintable(QString::number(firstPath)));
    const QImage afterFirst = frameOf(view());
    // Only the y axis is blue before any drop.
    const int blueBefore = countPixels(world, isBlue);
    const int blueFirst = countPixels(afterFirst, isBlue);
    QVERIFY2(blueFirst > blueBefore + 40,
             qPrintable(QStringLiteral("%1 -> %2").arg(blueBefore).arg(blueFirst)));

    QVERIFY(!start(35.0, 12.0, warning, why));
    click(form().pushButtonGoutteDynamic);
    QCOMPARE(statesOf(form()), startOnly);
    QCOMPARE(view().meshDropLines().size(), 2);
    const QImage afterSecond = frameOf(view());
    // The first path is still drawn where it was: the camera did not move.
    int stillBlue = 0;
    int firstPathPixels = 0;
    for (int y = 0; y < afterFirst.height(); ++y) {
        for (int x = 0; x < afterFirst.width(); ++x) {
            if (isBlue(afterFirst.pixel(x, y)) && !isBlue(world.pixel(x, y))) {
                ++firstPathPixels;
                stillBlue += isBlue(afterSecond.pixel(x, y)) ? 1 : 0;
            }
        }
    }
    QVERIFY2(stillBlue * 10 >= firstPathPixels * 9,
             qPrintable(QStringLiteral("%1 of %2").arg(stillBlue).arg(firstPathPixels)));
    QVERIFY(countPixels(afterSecond, isBlue) > blueFirst);
}

QTEST_MAIN(TestDropCommands)
#include "test_dropcommands.moc"

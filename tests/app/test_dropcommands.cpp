// The Water drop tab driven as a user drives it: coordinates typed in the
// spin boxes, Start, Next, Result and Dynamic display clicked, the warning box
// answered; then the buttons' states, the drops and what the view draws.
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
const QString warningText = QStringLiteral("The entered coordinates are not within the map");

// Wait, then the rebuild's arrow, then the command's own.
const QList<Qt::CursorShape> waitThenRebuild{Qt::WaitCursor, Qt::ArrowCursor, Qt::ArrowCursor};

NewWorldChoice seeded(int generator, int width, int length, bool accept = true)
{
    return {generator, false, QStringLiteral("drops"), width, length, accept};
}

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
    void resultRunsTheDropToItsEnd();
    void dynamicDisplayRedrawsEveryFiftySteps();
    void pathsStayDrawnForTheNextDrop();

private:
    MainWindowForm& form() { return *window_->form(); }
    GLWidget& view() { return *form().widget; }
    // Shows a hand-made world and enables Start through a cancelled New world.
    bool showWorld(std::unique_ptr<Map> map, QString& why)
    {
        view().setBaseMap(std::move(map));
        view().rebuildMesh();
        return runNewWorld(*window_, seeded(0, 50, 50, false), why);
    }
    // Types the coordinates and clicks Start; true when the warning came.
    bool start(double x, double y, WarningSeen& warning, QString& why);
    void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }
    // Line vertices the view holds for the drop, -1 when it holds none for it.
    int drawnDropVertices(int drop) const
    {
        const QVector<QVector<QVector3D>>& lines = window_->form()->widget->meshDropLines();
        return drop < lines.size() ? lines.at(drop).size() : -1;
    }

    std::unique_ptr<MainWindow> window_;
};

void TestDropCommands::init()
{
    window_ = std::make_unique<MainWindow>();
    QVERIFY(showActive(*window_));
}

void TestDropCommands::cleanup()
{
    window_.reset();
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
    why = answer.failure();
    return answer.answered();
}

void TestDropCommands::withoutWorldStartWarnsAndTheOthersDoNothing()
{
    QString why;
    QVERIFY2(runNewWorld(*window_, seeded(0, 50, 50, false), why), qPrintable(why));
    QCOMPARE(statesOf(form()), startOnly);

    WarningSeen warning;
    QVERIFY2(start(1.0, 1.0, warning, why), "no warning for a start without a world");
    QVERIFY2(why.isEmpty(), qPrintable(why));
    QCOMPARE(warning.title, QStringLiteral("Warning !"));
    QCOMPARE(warning.text, warningText);
    QCOMPARE(statesOf(form()), running);
    {
        NoDialogExpected noDialog;
        click(form().pushButtonGoutteSuivant);
        QCOMPARE(statesOf(form()), running);
        click(form().pushButtonGoutteRes);
        QCOMPARE(statesOf(form()), startOnly);
        QVERIFY(!noDialog.dialogOpened());
    }
    QVERIFY(start(0.0, 0.0, warning, why));
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
    QTest::newRow("50 x 50, x 50") << 50 << 50 << 50.0 << 10.0 << false;
    // Between the last column and the width: off the surface.
    QTest::newRow("50 x 50, x 49.5") << 50 << 50 << 49.5 << 10.0 << false;
    QTest::newRow("50 x 50, x 49") << 50 << 50 << 49.0 << 10.0 << true;
    QTest::newRow("50 x 50, y 49.5") << 50 << 50 << 10.0 << 49.5 << false;
    QTest::newRow("50 x 50, corner 49 49") << 50 << 50 << 49.0 << 49.0 << true;
    // Width and length kept apart.
    QTest::newRow("7 x 3, x 6 y 2") << 7 << 3 << 6.0 << 2.0 << true;
    QTest::newRow("7 x 3, y 2.01") << 7 << 3 << 1.0 << 2.01 << false;
    // Narrower or shorter than 2 points: no surface at all.
    QTest::newRow("1 x 5, origin") << 1 << 5 << 0.0 << 0.0 << false;
    QTest::newRow("5 x 1, origin") << 5 << 1 << 0.0 << 0.0 << false;
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

    QString why;
    QVERIFY2(runNewWorld(*window_, seeded(1, width, length), why), qPrintable(why));
    QCOMPARE(statesOf(form()), startOnly);

    CursorLog cursors(view());
    WarningSeen warning;
    QCOMPARE(start(x, y, warning, why), !accepted);
    QVERIFY2(why.isEmpty(), qPrintable(why));
    QCOMPARE(statesOf(form()), running);
    // Start neither waits nor redraws: the new drop shows from the next rebuild.
    QVERIFY(cursors.shapes().isEmpty());
    QVERIFY(view().meshDropLines().isEmpty());

    const std::vector<WaterDrop*> drops = view().filteredMap()->drops();
    QCOMPARE(drops.size(), std::size_t(accepted ? 1 : 0));
    if (accepted) {
        QCOMPARE(drops.front()->path().size(), std::size_t(1));
        QCOMPARE(drops.front()->path().front().x(), float(x));
        QCOMPARE(drops.front()->path().front().y(), float(y));
    } else {
        QCOMPARE(warning.text, warningText);
    }
    QVERIFY(view().baseMap()->drops().empty());
}

void TestDropCommands::nextMakesFiftyOneSteps_data()
{
    QTest::addColumn<float>("slope");
    QTest::addColumn<QVector<int>>("pathSizes");
    QTest::addColumn<bool>("stopped");

    // 51 steps of 0.01/sqrt(2) go 0.36 toward x = 0, so each step adds a point.
    QTest::newRow("steady slope") << 1.0f << QVector<int>{52, 103, 154} << false;
    // A flat map stops the drop at the 51st step, back where it was 50 points
    // before; the next Next changes nothing.
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
    const WaterDrop* drop = view().filteredMap()->drops().at(0);

    for (const int size : pathSizes) {
        CursorLog cursors(view(), [this] { return drawnDropVertices(0); });
        click(form().pushButtonGoutteSuivant);
        QCOMPARE(int(drop->path().size()), size);
        QCOMPARE(statesOf(form()), running);
        QCOMPARE(cursors.shapes(), waitThenRebuild);
        // The rebuild already shows the new path.
        QCOMPARE(cursors.snapshots().at(1), 2 * (size - 1));
    }
    QCOMPARE(drop->isStopped(), stopped);
    // Steps of 0.01/sqrt(1 + slope^2): a longer or shorter step fails here.
    const float stepX = slope == 0.0f ? 0.0f : 0.01f / std::sqrt(1.0f + slope * slope);
    const float travelled = 15.0f - drop->path().back().x();
    QVERIFY(std::fabs(travelled - stepX * float(drop->path().size() - 1)) < 1e-3f);
}

void TestDropCommands::resultRunsTheDropToItsEnd()
{
    QString why;
    QVERIFY2(showWorld(planeAlongX(20, 20, 1.0f), why), qPrintable(why));
    WarningSeen warning;
    QVERIFY(!start(3.0, 10.0, warning, why));
    click(form().pushButtonGoutteSuivant);

    CursorLog cursors(view());
    click(form().pushButtonGoutteRes);
    QCOMPARE(statesOf(form()), startOnly);
    QCOMPARE(cursors.shapes(), waitThenRebuild);
    const WaterDrop* drop = view().filteredMap()->drops().at(0);
    QVERIFY(drop->isStopped());
    // To the edge x = 0: 3 * sqrt(2) / 0.01 = 424.26 steps fit, so 425 points,
    // and the next step would have left the map.
    QCOMPARE(int(drop->path().size()), 425);
    QVERIFY(drop->path().back().x() >= 0.0f && drop->path().back().x() < 0.01f);
    QCOMPARE(drawnDropVertices(0), 2 * 424);

    // With only stopped drops (a refused Start is the user's way there) Result
    // changes nothing but rebuilds.
    QVERIFY(start(20.0, 1.0, warning, why));
    CursorLog again(view());
    click(form().pushButtonGoutteRes);
    QCOMPARE(int(drop->path().size()), 425);
    QCOMPARE(again.shapes(), waitThenRebuild);
    QCOMPARE(statesOf(form()), startOnly);
}

void TestDropCommands::dynamicDisplayRedrawsEveryFiftySteps()
{
    // A 3 x 3 plane z = x and a start 119.5 steps of 0.01/sqrt(2) from x = 0:
    // the drop leaves the map during its 120th step, so its path keeps 120
    // points and the 121st step finds it stopped. The spin box cannot hold that
    // start, so the drop is put down directly and Start is refused.
    QString why;
    QVERIFY2(showWorld(planeAlongX(3, 3, 1.0f), why), qPrintable(why));
    view().filteredMap()->startDrop(119.5f * 0.01f / std::sqrt(2.0f), 0.5f);
    WarningSeen warning;
    QVERIFY(start(3.0, 0.5, warning, why));

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

    // The last steps show at the next rebuild, here a Result after a refused Start.
    QVERIFY(start(3.0, 0.5, warning, why));
    click(form().pushButtonGoutteRes);
    QCOMPARE(drawnDropVertices(0), 2 * 119);
}

void TestDropCommands::pathsStayDrawnForTheNextDrop()
{
    QString why;
    QVERIFY2(runNewWorld(*window_, seeded(1, 50, 50), why), qPrintable(why));
    const QImage world = frameOf(view());
    QVERIFY(countPixels(world, isNearlyWhite) > 1000);

    WarningSeen warning;
    QVERIFY(!start(20.0, 20.0, warning, why));
    click(form().pushButtonGoutteRes);
    QVERIFY(view().filteredMap()->drops().at(0)->path().size() > 300);
    const QImage afterFirst = frameOf(view());
    // Only the y axis is blue before any drop.
    const int blueFirst = countPixels(afterFirst, isBlue);
    QVERIFY2(blueFirst > countPixels(world, isBlue) + 40, qPrintable(QString::number(blueFirst)));

    QVERIFY(!start(35.0, 12.0, warning, why));
    click(form().pushButtonGoutteDynamic);
    QCOMPARE(statesOf(form()), startOnly);
    QCOMPARE(view().meshDropLines().size(), 2);
    const QImage afterSecond = frameOf(view());
    // The first path is still drawn where it was: the camera did not move.
    int firstPath = 0;
    int stillBlue = 0;
    for (int y = 0; y < afterFirst.height(); ++y) {
        for (int x = 0; x < afterFirst.width(); ++x) {
            if (isBlue(afterFirst.pixel(x, y)) && !isBlue(world.pixel(x, y))) {
                ++firstPath;
                stillBlue += isBlue(afterSecond.pixel(x, y)) ? 1 : 0;
            }
        }
    }
    QVERIFY2(stillBlue * 10 >= firstPath * 9,
             qPrintable(QStringLiteral("%1 of %2").arg(stillBlue).arg(firstPath)));
    QVERIFY(countPixels(afterSecond, isBlue) > blueFirst);
}

QTEST_MAIN(TestDropCommands)
#include "test_dropcommands.moc"

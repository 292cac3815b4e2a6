// Takes the README's screenshots from the real program: it opens the main
// window, works it through the same widgets a user would (actions, buttons,
// dialogs, mouse on the view) and photographs the X screen at each stop.
// Usage: terravik_screenshots <output directory>   (under an X server)

#include "app/mainwindow.h"
#include "app/mainwindowform.h"
#include "app/newworlddialog.h"
#include "drop/waterdrop.h"
#include "filters/editfilterdialog.h"
#include "filters/hydraulicerosion.h"
#include "terrain/map.h"
#include "tools/dropstartpicker.h"
#include "tools/screencapture.h"
#include "view/glwidget.h"
#include "view/terrainmesh.h"
#include "windowdriver.h"
#include "world/worldfile.h"
#include "world/worldrecipe.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMatrix4x4>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <QVector3D>
#include <QWheelEvent>
#include <array>
#include <cstdlib>

namespace {

// Long enough for llvmpipe under Xvfb to have put the last frame on the screen.
constexpr int SettleMilliseconds = 400;
const QSize WindowSize(960, 640);

// The world of every picture: the same generator, seed text and size always
// give the same terrain.
constexpr int MountainPeaks = 1;
const char* const SeedText = "Peaks";
constexpr int WorldSize = 60;

// A 5 x 5 binomial kernel: the Gaussian blur everyone knows, scaled to integers.
constexpr std::array<int, 5> BinomialRow{1, 4, 6, 4, 1};
const char* const FilterName = "Smooth";

// The world coloured by height.
constexpr int ChainGenerator = 2;
const char* const ChainSeed = "Terravik";
constexpr int ChainSize = 99;
const QPoint ColourCameraTurn(-30, 20);

// New worlds come framed; the mouse rests a little below the middle.
const QPoint TerrainPointer(0, 40);

// A mountain chain before and after rain, its drops a little further apart.
const char* const ErosionSeed = "Highlands";
constexpr std::uint32_t ErosionSize = 160;
constexpr int ErosionDroplets = 100000;
constexpr double ErosionDropSpacing = 16.0;
// Steps enough for every drop to come to rest or leave the map.
constexpr std::int64_t ErosionDropSteps = 100000;
const QPoint ErosionCameraTurn(-30, 40);

// The drops whose paths are shown, at least this many map units apart.
constexpr int DropCount = 5;
constexpr double DropSpacing = 8.0;
// Seen from higher up, the paths do not hide behind the slopes.
const QPoint DropCameraTurn(40, 60);
constexpr int DropWheelNotches = -5;
// A left drag moves the point looked at by 1/32 scene unit per pixel.
constexpr float PixelsPerSceneUnit = 32.0f;

// The view's own mouse handlers move the camera, as a user's mouse would: a
// right drag turns by half a degree per pixel, a left drag moves the point
// looked at, each wheel notch forward moves the eye 10 % further away.
void dragFromCentre(QWidget* view, Qt::MouseButton button, const QPoint& offset)
{
    const QPoint from = view->rect().center();
    WindowDriver::drag(*view, button, from, from + offset);
}

void turnWheel(QWidget* view, int notches)
{
    for (int i = 0; i < std::abs(notches); ++i) {
        WindowDriver::turnWheel(*view, QPoint(0, notches > 0 ? 120 : -120));
    }
}

// The middle of every drop path of the map, in the view's scene coordinates.
QVector3D dropPathsMiddle(const Map& map)
{
    QVector3D sum;
    int count = 0;
    for (const WaterDrop* drop : map.drops()) {
        for (const MapPoint& point : drop->path()) {
            sum += TerrainMesh::scenePoint(point.x(), point.y(), point.z(), int(map.width()),
                                           int(map.length()));
            ++count;
        }
    }
    return count > 0 ? sum / float(count) : QVector3D();
}

// Runs the command that opens a modal dialog and answers it from inside.
template <typename Dialog>
void answered(const std::function<void()>& open, const std::function<void(Dialog&)>& answer)
{
    WindowDriver::answerModal<Dialog>(open, answer);
}

class ScreenshotTour
{
public:
    ScreenshotTour(MainWindow& window, const QDir& output)
        : window_(window), form_(*window.form()), output_(output)
    {}

    bool run()
    {
        showWindow();
        makeWorld();
        pointAtTerrain();
        bool ok = capture("new-world.png", screenRect(&window_));
        addSmoothingFilter();
        form_.actionUpdate->trigger();
        ok = capture("smoothed.png", screenRect(&window_)) && ok;
        ok = captureFilterDialog() && ok;
        runFarthestDrops();
        ok = capture("drop-path.png", screenRect(&window_)) && ok;
        ok = captureFileMenu() && ok;
        showChainInColour();
        ok = capture("colour-by-height.png", screenRect(&window_)) && ok;
        ok = captureErosion() && ok;
        return ok;
    }

private:
    void showWindow()
    {
        window_.move(0, 0);
        window_.resize(WindowSize);
        window_.show();
        settle(SettleMilliseconds);
    }

    void makeWorld()
    {
        WindowDriver::runNewWorld(
            window_, {MountainPeaks, QString::fromLatin1(SeedText), WorldSize, WorldSize});
    }

    // The mouse rests over the terrain, as a user's would: the status bar
    // reads out the place under it.
    void pointAtTerrain()
    {
        QWidget* view = form_.widget;
        const QPoint place = view->rect().center() + TerrainPointer;
        QMouseEvent move(QEvent::MouseMove, place, view->mapToGlobal(place), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view, &move);
    }

    // One world opened from a file twice, as it comes and rained on, with
    // the same drops: they run down the valleys the rain carved.
    bool captureErosion()
    {
        QTemporaryDir files;
        WorldRecipe recipe;
        recipe.origin = {ChainGenerator, SeedRecord::ofText(ErosionSeed), ErosionSize, ErosionSize,
                         std::nullopt};
        const QString before = files.filePath(QStringLiteral("before.terravik"));
        const QString after = files.filePath(QStringLiteral("after.terravik"));
        HydraulicErosion rain(QStringLiteral("Rain"));
        HydraulicErosion::Settings settings;
        settings.droplets = ErosionDroplets;
        rain.setSettings(settings);
        recipe.filters.emplace_back(rain);
        // The drops start where they run farthest on the carved land.
        if (!WorldFile::save(after, recipe).isEmpty() || !open(after)) {
            return false;
        }
        for (const QPointF& start :
             farthestDropStarts(*form_.widget->filteredMap(), DropCount, ErosionDropSpacing)) {
            recipe.drops.push_back({float(start.x()), float(start.y()), ErosionDropSteps});
        }
        if (!WorldFile::save(after, recipe).isEmpty()) {
            return false;
        }
        recipe.filters.clear();
        if (!WorldFile::save(before, recipe).isEmpty()) {
            return false;
        }
        bool ok = open(before) && capture("erosion-before.png", screenRect(&window_));
        ok = open(after) && capture("erosion-after.png", screenRect(&window_)) && ok;
        return ok;
    }

    // Opens a world file, framed and turned a little, and waits for it.
    bool open(const QString& path)
    {
        WindowDriver::whileAnswering([&] { window_.openWorldFile(path); });
        if (!WindowDriver::waitForBuilds(window_)) {
            return false;
        }
        form_.actionCenter->trigger();
        dragFromCentre(form_.widget, Qt::RightButton, ErosionCameraTurn);
        form_.actionFitWorld->trigger();
        return form_.widget->filteredMap() != nullptr;
    }

    void addSmoothingFilter()
    {
        form_.tabWidget->setCurrentWidget(form_.tabFilters);
        WindowDriver::FilterEntry smooth{QString::fromLatin1(FilterName), {}, true};
        for (int k = 0; k < 25; ++k) {
            smooth.values[k] = BinomialRow[std::size_t(k % 5)] * BinomialRow[std::size_t(k / 5)];
        }
        WindowDriver::runFilterDialog(form_.addFilterButton, smooth);
    }

    // Opens the first filter for editing and photographs the dialog over the
    // window; Cancel then gives the filter back its own, unchanged values.
    bool captureFilterDialog()
    {
        form_.filterListWidget->setCurrentRow(0);
        bool ok = false;
        answered<EditFilterDialog>(
            [this] { form_.editFilterButton->click(); },
            [this, &ok](EditFilterDialog& dialog) {
                const QRect view = screenRect(form_.widget);
                dialog.move(view.center() - QPoint(dialog.width() / 2, dialog.height() / 2));
                settle(SettleMilliseconds);
                ok = capture("filter-dialog.png", screenRect(&window_).united(screenRect(&dialog)));
                dialog.form()->cancelButton->click();
            });
        return ok;
    }

    // Opens the File menu from the menu bar, as a click on it does.
    bool captureFileMenu()
    {
        form_.menuBar->setActiveAction(form_.menuFile->menuAction());
        settle(SettleMilliseconds);
        const bool ok =
            capture("file-menu.png", screenRect(&window_).united(screenRect(form_.menuFile)));
        form_.menuFile->hide();
        return ok;
    }

    // A mountain chain fitted into the view and coloured by height, with drops
    // and the status line that names the world.
    void showChainInColour()
    {
        WindowDriver::runNewWorld(
            window_, {ChainGenerator, QString::fromLatin1(ChainSeed), ChainSize, ChainSize});
        form_.actionCenter->trigger();
        dragFromCentre(form_.widget, Qt::RightButton, ColourCameraTurn);
        form_.actionFitWorld->trigger();
        startDropsWhereTheyRunFarthest();
        form_.actionColourByHeight->setChecked(true);
    }

    // Starts drops where they run farthest, each run to its end with Result.
    void startDropsWhereTheyRunFarthest()
    {
        form_.tabWidget->setCurrentWidget(form_.tabGoutte);
        const Map& map = *form_.widget->filteredMap();
        for (const QPointF& start : farthestDropStarts(map, DropCount, DropSpacing)) {
            form_.doubleSpinBoxGoutteX->setValue(start.x());
            form_.doubleSpinBoxGoutteY->setValue(start.y());
            form_.pushButtonGoutteLancer->click();
            form_.pushButtonGoutteRes->click();
        }
    }

    // Lets a few drops run down the slopes where they get farthest, then
    // looks at their paths from higher up and closer by.
    void runFarthestDrops()
    {
        startDropsWhereTheyRunFarthest();
        const Map& map = *form_.widget->filteredMap();
        form_.actionCenter->trigger();
        dragFromCentre(form_.widget, Qt::RightButton, DropCameraTurn);
        turnWheel(form_.widget, DropWheelNotches);
        dragFromCentre(form_.widget, Qt::LeftButton, panTowards(dropPathsMiddle(map)));
    }

    // The left drag that brings the scene point to the middle of the view,
    // from a camera whose centre is at the origin.
    QPoint panTowards(const QVector3D& scenePoint) const
    {
        const GLWidget* view = form_.widget;
        QMatrix4x4 rotation;
        rotation.rotate(float(view->xRotation() / 16.0), 1.0f, 0.0f, 0.0f);
        rotation.rotate(float(view->yRotation() / 16.0), 0.0f, 1.0f, 0.0f);
        rotation.rotate(float(view->zRotation() / 16.0), 0.0f, 0.0f, 1.0f);
        const QVector3D turned = rotation.map(scenePoint);
        // The eye sits at (0, e, e); the centre looked at lies in the plane z = 0
        // on the line from the eye through the point.
        const float eye = -view->eyeDistance();
        const float t = eye / (eye - turned.z());
        const float centerX = t * turned.x();
        const float centerY = eye + t * (turned.y() - eye);
        return QPoint(qRound(-centerX * PixelsPerSceneUnit), qRound(centerY * PixelsPerSceneUnit));
    }

    bool capture(const char* fileName, const QRect& area)
    {
        settle(SettleMilliseconds);
        const QString path = output_.filePath(QString::fromLatin1(fileName));
        const bool ok = captureScreen(area, path);
        QTextStream(stdout) << (ok ? "wrote " : "FAILED ") << path << '\n';
        return ok;
    }

    MainWindow& window_;
    MainWindowForm& form_;
    QDir output_;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: terravik_screenshots <output directory>\n";
        return 2;
    }
    const QDir output(QString::fromLocal8Bit(argv[1]));
    if (!output.exists()) {
        QTextStream(stderr) << "no such directory: " << output.path() << '\n';
        return 2;
    }
    MainWindow window;
    ScreenshotTour tour(window, output);
    return tour.run() ? 0 : 1;
}

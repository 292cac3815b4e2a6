// Times the user's commands on a shown main window: the real slots, run the
// way the window runs them, on a 99 x 99 world of 32 mountain peaks with five
// full 5 x 5 filters in the list, drawn in an 800 x 600 view; then the frames
// of worlds from 99 x 99 to 4096 x 4096, at rest and while the mouse drags, and
// the memory the window holds with each. Needs a display:
//   xvfb-run -a -s "-screen 0 1280x1024x24" terravik_ui_bench
#include "app/mainwindow.h"
#include "app/mainwindowform.h"
#include "drop/waterdrop.h"
#include "filters/filtermatrix.h"
#include "generators/simplepeaksmoutainmapbuilder.h"
#include "terrain/map.h"
#include "view/glwidget.h"
#include "windowdriver.h"
#include "world/worldfile.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMetaObject>
#include <QPushButton>
#include <QTimer>
#include <QWheelEvent>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr int kMapSize = 99;
constexpr std::size_t kWantedPeaks = 32;
constexpr int kViewWidth = 800;
constexpr int kViewLength = 600;
constexpr int kZoomOutNotches = 8;
// A start well inside the map, on a flank of the terrain.
constexpr double kDropX = 30.5;
constexpr double kDropY = 60.25;

// The number of peaks "Mountain peaks" draws for a seed text. The count comes
// from the first draw after reseeding, whatever the size.
std::size_t peakCount(const QByteArray& seedText)
{
    SimplePeaksMoutainMapBuilder builder;
    builder.setSeed(seedText).setWidth(2).setLength(2);
    builder.build();
    return builder.peaks().size();
}

// The first seed text "bench-N" that gives the wanted number of peaks.
QByteArray seedWithPeaks(std::size_t wanted)
{
    for (int n = 0; n < 100000; ++n) {
        QByteArray text = "bench-" + QByteArray::number(n);
        if (peakCount(text) == wanted) {
            return text;
        }
    }
    return QByteArray();
}

// Five filters, each with all 25 coefficients in use: a binomial blur, a box
// blur, a cross-weighted blur and two that lean to one side.
FilterMatrix::Coefficients benchFilter(int which)
{
    static const int binomial[5] = {1, 4, 6, 4, 1};
    FilterMatrix::Coefficients coefficients{};
    for (int k = 0; k < 25; ++k) {
        const int dx = k % 5;
        const int dy = k / 5;
        switch (which) {
        case 0:
            coefficients[std::size_t(k)] = binomial[dx] * binomial[dy];
            break;
        case 1:
            coefficients[std::size_t(k)] = 1;
            break;
        case 2:
            coefficients[std::size_t(k)] = (dx == 2 || dy == 2) ? 8 : 2;
            break;
        case 3:
            coefficients[std::size_t(k)] = 1 + dx;
            break;
        default:
            coefficients[std::size_t(k)] = 5 - dy;
            break;
        }
    }
    return coefficients;
}

// How many pixels of the view's last frame differ from the background, to
// show that the frames timed really draw the terrain.
int pixelsOffBackground(GLWidget& view)
{
    const QImage frame = view.grabFrameBuffer();
    const QRgb background = QColor(Qt::darkGray).rgb();
    int drawn = 0;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            drawn += (frame.pixel(x, y) | 0xff000000u) != (background | 0xff000000u);
        }
    }
    return drawn;
}

class Scene
{
public:
    explicit Scene(QByteArray seedText) : seedText_(std::move(seedText))
    {
        view()->setFixedSize(kViewWidth, kViewLength);
        window_.show();
        window_.activateWindow();
        QApplication::processEvents();
        for (int i = 0; i < 5; ++i) {
            WindowDriver::FilterEntry entry{QStringLiteral("bench %1").arg(i), {}, true};
            const FilterMatrix::Coefficients coefficients = benchFilter(i);
            for (int k = 0; k < 25; ++k) {
                entry.values[k] = coefficients[std::size_t(k)];
            }
            invokeAnswered("on_addFilterButton_clicked", [entry](QDialog& dialog) {
                WindowDriver::answerFilter(static_cast<EditFilterDialog&>(dialog), entry);
            });
        }
        newWorld();
        zoomOut();
    }

    GLWidget* view() const { return window_.form()->widget; }

    // From the starting camera the eye sits below the tops of a 99 x 99 peaks
    // world and sees only the axes; eight wheel notches back bring the whole
    // terrain into view, so every timed redraw draws all of it.
    void zoomOut()
    {
        for (int notch = 0; notch < kZoomOutNotches; ++notch) {
            WindowDriver::turnWheel(*view(), QPoint(0, 120));
        }
    }
    const QByteArray& seedText() const { return seedText_; }

    void invoke(const char* slot)
    {
        QMetaObject::invokeMethod(&window_, slot, Qt::DirectConnection);
    }

    // Runs a command whose slot opens a modal, answering it. False when no
    // modal came.
    bool invokeAnswered(const char* slot, const std::function<void(QDialog&)>& answer)
    {
        return WindowDriver::answerModal<QDialog>([this, slot] { invoke(slot); }, answer);
    }

    bool newWorld()
    {
        const WindowDriver::NewWorldChoice choice{1, QString::fromLatin1(seedText_), kMapSize,
                                                  kMapSize};
        return invokeAnswered("on_actionNewWorld_triggered", [choice](QDialog& dialog) {
            WindowDriver::answerNewWorld(static_cast<NewWorldDialog&>(dialog), choice);
        });
    }

    // A fresh filtered map with one drop at the bench's start position, through
    // Update and Start. False when Start refused the position.
    bool restartDrop()
    {
        invoke("on_actionUpdate_triggered");
        window_.form()->doubleSpinBoxGoutteX->setValue(kDropX);
        window_.form()->doubleSpinBoxGoutteY->setValue(kDropY);
        const bool warned = invokeAnswered("on_pushButtonGoutteLancer_clicked",
                                           [](QDialog& dialog) { dialog.accept(); });
        return !warned && view()->filteredMap()->drops().size() == 1;
    }

    // Dynamic display runs from the event loop until its end.
    void waitForAnimation()
    {
        QPushButton* stop = window_.form()->pushButtonGoutteStop;
        while (stop->isEnabled()) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    }

    std::size_t dropPathLength() const
    {
        const auto drops = view()->filteredMap()->drops();
        return drops.empty() ? 0 : drops.front()->path().size();
    }

private:
    MainWindow window_;
    QByteArray seedText_;
};

// Made when a command's benchmark first runs, so that the frames of the large
// worlds can run in a process of their own, one window and its world.
std::unique_ptr<Scene> scene;

Scene& commandScene()
{
    if (!scene) {
        const QByteArray seedText = seedWithPeaks(kWantedPeaks);
        scene = std::make_unique<Scene>(seedText);
        std::printf("world: 99 x 99, \"Mountain peaks\", seed text \"%s\" (%zu peaks), %d "
                    "filters, view %d x %d\n",
                    seedText.constData(), peakCount(seedText), scene->view()->filterCount(),
                    scene->view()->width(), scene->view()->height());
        std::printf("camera distance %g; pixels drawn off the background: %d\n",
                    double(scene->view()->eyeDistance()), pixelsOffBackground(*scene->view()));
    }
    return *scene;
}

// The process's resident memory in MB: now (VmRSS), or its peak (VmHWM).
double residentMegabytes(const std::string& key = "VmRSS:")
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0) {
            return std::stod(line.substr(key.size())) * 1024.0 / 1e6;
        }
    }
    return 0.0;
}

// A world of side x side points without filters, opened from its world file
// in a window of its own, as the user opens one, and fitted into the 800 x 600
// view. "random" heights lie between 0 and 1: a flat world that fills most of
// the view. "peaks" grow with the area (their mean height is side * side / 200),
// so a large one stands as a tall needle, drawn in long overlapping lines. One
// world at a time: the next one closes it first.
class BigWorld
{
public:
    BigWorld(const char* generator, int side) : generator_(generator), side_(side)
    {
        window_.form()->widget->setFixedSize(kViewWidth, kViewLength);
        window_.show();
        window_.activateWindow();
        QApplication::processEvents();
        const QString path = folder_.filePath(QStringLiteral("big.terravik"));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(QStringLiteral(R"({"format": 1, "generator": "%1", "seed": {"text": "big"},
                                      "width": %2, "length": %2})")
                       .arg(QLatin1String(generator))
                       .arg(side)
                       .toUtf8());
        file.close();
        window_.openWorldFile(path);
        opened_ = WindowDriver::waitForBuilds(window_) && view()->filteredMap() != nullptr &&
                  int(view()->filteredMap()->width()) == side;
        window_.form()->actionFitWorld->trigger();
    }

    static BigWorld& of(const char* generator, int side)
    {
        if (!shown || shown->generator_ != generator || shown->side_ != side) {
            shown.reset();
            shown = std::make_unique<BigWorld>(generator, side);
        }
        return *shown;
    }
    // Closed before the application ends.
    static std::unique_ptr<BigWorld> shown;

    bool opened() const { return opened_; }
    GLWidget* view() const { return window_.form()->widget; }

private:
    std::string generator_;
    int side_;
    QTemporaryDir folder_;
    MainWindow window_;
    bool opened_ = false;
};

std::unique_ptr<BigWorld> BigWorld::shown;

// Every how many rows and columns the frames drew, how much of the view they
// covered, and the process's resident memory with the world open and its peak.
void reportFrames(benchmark::State& state, BigWorld& world)
{
    GLWidget* view = world.view();
    state.counters["stride"] = view->drawnStride();
    state.counters["pixels_drawn"] = pixelsOffBackground(*view);
    state.counters["resident_MB"] = residentMegabytes();
    state.counters["peak_MB"] = residentMegabytes("VmHWM:");
}

// A frame of the whole world at rest: at most one cell per pixel.
void BM_FrameAtRest(benchmark::State& state, const char* generator, int side)
{
    BigWorld& world = BigWorld::of(generator, side);
    if (!world.opened()) {
        state.SkipWithError("the world did not open");
        return;
    }
    for (auto _ : state) {
        world.view()->updateGL();
    }
    reportFrames(state, world);
}

// A frame while the right button turns the world, one pixel a move, back and
// forth: each move redraws.
void BM_FrameDragging(benchmark::State& state, const char* generator, int side)
{
    BigWorld& world = BigWorld::of(generator, side);
    if (!world.opened()) {
        state.SkipWithError("the world did not open");
        return;
    }
    GLWidget& view = *world.view();
    const QPoint centre = view.rect().center();
    WindowDriver::sendMouse(view, QEvent::MouseButtonPress, centre, Qt::RightButton,
                            Qt::RightButton);
    int step = 1;
    for (auto _ : state) {
        WindowDriver::sendMouse(view, QEvent::MouseMove, centre + QPoint(step, 0), Qt::NoButton,
                                Qt::RightButton);
        step = 1 - step;
    }
    reportFrames(state, world);
    WindowDriver::sendMouse(view, QEvent::MouseButtonRelease, centre, Qt::RightButton,
                            Qt::NoButton);
}

// A mountain chain of side x side points through five full 5 x 5 filters with
// two drops of 5,000 steps, as a world file: what a user saves and opens again.
QString writeFilteredWorld(const QTemporaryDir& folder, int side)
{
    WorldRecipe recipe;
    recipe.origin = {2, SeedRecord::ofText("Terravik"), std::uint32_t(side), std::uint32_t(side),
                     std::nullopt};
    for (int i = 0; i < 5; ++i) {
        FilterMatrix filter(QStringLiteral("bench %1").arg(i));
        filter.setMatrix(benchFilter(i));
        recipe.filters.emplace_back(filter);
    }
    const float middle = float(side) / 2.0f;
    recipe.drops = {{middle, middle, 5000}, {middle / 2.0f, middle, 5000}};
    const QString path = folder.filePath(QStringLiteral("filtered.terravik"));
    WorldFile::save(path, recipe);
    return path;
}

// Opening such a world in a window of its own: the whole command, to its first
// frame, and how late a timer posted every 10 ms fired meanwhile (the window
// builds large worlds off its thread and answers all along). The frame at full
// detail that follows is an ordinary frame, timed by BM_FrameAtRest.
void BM_OpenWhileAnswering(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString path = writeFilteredWorld(folder, int(state.range(0)));
    WindowDriver::LatenessProbe probe;
    for (auto _ : state) {
        MainWindow window;
        window.form()->widget->setFixedSize(kViewWidth, kViewLength);
        window.show();
        QApplication::processEvents();
        probe.start();
        window.openWorldFile(path);
        WindowDriver::waitForBuilds(window);
        probe.stop();
        QApplication::processEvents();
    }
    state.counters["worst_late_ms"] = double(probe.worstLate());
}

// Undo and redo of Update on such a world (a filter removed, then applied):
// the window's own actions, the terrain built again from the base map, the
// drops replayed, and the first frame.
void BM_UndoUpdate(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString path = writeFilteredWorld(folder, int(state.range(0)));
    MainWindow window;
    window.form()->widget->setFixedSize(kViewWidth, kViewLength);
    window.show();
    window.openWorldFile(path);
    WindowDriver::waitForBuilds(window);
    window.form()->widget->removeFilter(0);
    window.form()->actionUpdate->trigger();
    WindowDriver::waitForBuilds(window);
    for (auto _ : state) {
        window.form()->actionUndo->trigger();
        WindowDriver::waitForBuilds(window);
        QApplication::processEvents();
        window.form()->actionRedo->trigger();
        WindowDriver::waitForBuilds(window);
        QApplication::processEvents();
    }
    // Each iteration is an undo and a redo: the time of one step.
    state.counters["seconds_per_step"] =
        benchmark::Counter(double(state.iterations()) * 2.0,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_NewWorldThroughDialog(benchmark::State& state)
{
    for (auto _ : state) {
        if (!commandScene().newWorld()) {
            state.SkipWithError("the new world dialog did not open");
            break;
        }
    }
}

// The same world without the dialog: generator, setBaseMap, rebuildMesh.
void BM_NewWorldWithoutDialog(benchmark::State& state)
{
    GLWidget* view = commandScene().view();
    for (auto _ : state) {
        SimplePeaksMoutainMapBuilder builder;
        builder.setSeed(commandScene().seedText()).setWidth(kMapSize).setLength(kMapSize);
        view->setBaseMap(builder.build());
        view->rebuildMesh();
    }
}

void BM_Update(benchmark::State& state)
{
    for (auto _ : state) {
        commandScene().invoke("on_actionUpdate_triggered");
    }
}

// Runs one drop command per iteration on a freshly started drop.
void timeDropCommand(benchmark::State& state, const char* slot)
{
    std::size_t points = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (!commandScene().restartDrop()) {
            state.SkipWithError("Start refused the bench's position");
            break;
        }
        state.ResumeTiming();
        commandScene().invoke(slot);
        commandScene().waitForAnimation();
        points = commandScene().dropPathLength();
    }
    state.counters["path_points"] = double(points);
}

void BM_Next(benchmark::State& state)
{
    timeDropCommand(state, "on_pushButtonGoutteSuivant_clicked");
}

void BM_Result(benchmark::State& state)
{
    timeDropCommand(state, "on_pushButtonGoutteRes_clicked");
}

void BM_DynamicDisplay(benchmark::State& state)
{
    timeDropCommand(state, "on_pushButtonGoutteDynamic_clicked");
}

void BM_Frame(benchmark::State& state)
{
    GLWidget* view = commandScene().view();
    state.counters["view_width"] = view->width();
    state.counters["view_height"] = view->height();
    state.counters["pixels_drawn"] = pixelsOffBackground(*view);
    for (auto _ : state) {
        view->updateGL();
    }
}

BENCHMARK(BM_NewWorldThroughDialog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NewWorldWithoutDialog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Update)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Next)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Result)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DynamicDisplay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Frame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenWhileAnswering)->Arg(512)->Arg(2048)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UndoUpdate)->Arg(99)->Arg(2048)->Unit(benchmark::kMillisecond)->UseRealTime();

// Each world's frames one after the other, so that each world opens once.
// Wall time: the software rasteriser draws on threads of its own.
void registerFrames()
{
    for (const char* generator : {"random", "peaks"}) {
        for (int side : {99, 512, 2048, 4096}) {
            const std::string world = "/" + std::string(generator) + "/" + std::to_string(side);
            benchmark::RegisterBenchmark(("BM_FrameAtRest" + world).c_str(), BM_FrameAtRest,
                                         generator, side)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
            benchmark::RegisterBenchmark(("BM_FrameDragging" + world).c_str(), BM_FrameDragging,
                                         generator, side)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    registerFrames();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    if (seedWithPeaks(kWantedPeaks).isEmpty()) {
        std::fprintf(stderr, "no seed text gives %zu peaks\n", kWantedPeaks);
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    BigWorld::shown.reset();
    scene.reset();
    benchmark::Shutdown();
    return 0;
}

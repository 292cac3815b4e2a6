#include "app/mainwindow.h"

#include "app/backgroundbuild.h"
#include "app/elidingstatusbar.h"
#include "app/mainwindowform.h"
#include "app/newworlddialog.h"
#include "app/preferences.h"
#include "app/statustexts.h"
#include "app/worldstep.h"
#include "drop/droprun.h"
#include "drop/waterdrop.h"
#include "exports/exportformat.h"
#include "exports/maskimages.h"
#include "filters/editfilterdialog.h"
#include "filters/erosionmasks.h"
#include "filters/filterdialogs.h"
#include "filters/filtermatrix.h"
#include "filters/filterpresets.h"
#include "terrain/map.h"
#include "terrain/workprogress.h"
#include "view/glwidget.h"
#include "view/terrainpick.h"
#include "world/world.h"
#include "world/worldbuild.h"
#include "world/worldfile.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QDoubleSpinBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QUndoStack>
#include <algorithm>

namespace {

// The rows of the selected filters; the list allows one at most.
QList<int> selectedRows(const QListWidget* list)
{
    QList<int> rows;
    for (const QModelIndex& index : list->selectionModel()->selectedIndexes()) {
        rows.append(index.row());
    }
    return rows;
}

// The largest world the window opens is the largest a world file holds (4096
// points a side, or a region of that size): the view draws at most a cell per
// pixel, and holds the world's two maps and its grid, about 800 MB at 4096.
constexpr const char* WorldFileFilter = "Terravik worlds (*.terravik);;All files (*)";

QString withSuffix(const QString& path, const QString& suffix)
{
    return QFileInfo(path).suffix().isEmpty() ? path + QLatin1Char('.') + suffix : path;
}

// Worlds of more points than this are built off the window's thread.
constexpr std::uint64_t BackgroundPoints = std::uint64_t(256) * 256;
constexpr int StatusMilliseconds = 10000;
// The coordinate boxes' own largest value.
constexpr double DropBoxMaximum = 99.99;
// About 60 frames a second for Dynamic display.
constexpr int AnimationFrameMilliseconds = 16;

// A history step keeps two recipes, not maps, so even a long history stays
// small; past this many steps the oldest are forgotten.
constexpr int HistorySteps = 10000;

// The world file among dropped URLs, if there is one.
QString droppedWorldFile(const QMimeData* data)
{
    if (data == nullptr) {
        return {};
    }
    for (const QUrl& url : data->urls()) {
        QString path = url.toLocalFile();
        if (!path.isEmpty() &&
            QFileInfo(path).suffix().compare(QLatin1String("terravik"), Qt::CaseInsensitive) == 0) {
            return path;
        }
    }
    return {};
}

bool anyDropRunning(const Map& map)
{
    for (const WaterDrop* drop : map.drops()) {
        if (!drop->isStopped()) {
            return true;
        }
    }
    return false;
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent, Qt::WindowFlags()), form_(std::make_unique<MainWindowForm>())
{
    form_->setupForm(this);
    history_ = new QUndoStack(this);
    build_ = new BackgroundBuild(form_->statusBar, this);
    connect(build_, &BackgroundBuild::runningChanged, this, &MainWindow::lockWorld);
    animationTimer_ = new QTimer(this);
    animationTimer_->setInterval(AnimationFrameMilliseconds);
    connect(animationTimer_, &QTimer::timeout, this, &MainWindow::showAnimationFrame);
    history_->setUndoLimit(HistorySteps);
    connect(form_->actionUndo, &QAction::triggered, history_, &QUndoStack::undo);
    connect(form_->actionRedo, &QAction::triggered, history_, &QUndoStack::redo);
    connect(history_, &QUndoStack::canUndoChanged, form_->actionUndo, &QAction::setEnabled);
    connect(history_, &QUndoStack::canRedoChanged, form_->actionRedo, &QAction::setEnabled);
    connect(history_, &QUndoStack::undoTextChanged, this, [this](const QString& step) {
        form_->actionUndo->setText(step.isEmpty() ? tr("Undo") : tr("Undo %1").arg(step));
    });
    connect(history_, &QUndoStack::redoTextChanged, this, [this](const QString& step) {
        form_->actionRedo->setText(step.isEmpty() ? tr("Redo") : tr("Redo %1").arg(step));
    });
    // Back at the state last saved or opened, nothing is unsaved.
    connect(history_, &QUndoStack::cleanChanged, this,
            [this](bool clean) { setWindowModified(!clean); });
    connect(form_->actionClearRecentFiles, &QAction::triggered, this,
            [] { Preferences::clearRecentFiles(); });
    setAcceptDrops(true);
    nameWorldFile(QString());
    connectFilterList();
    form_->widget->setMouseTracking(true);
    form_->widget->installEventFilter(this);
    connect(form_->pushButtonGoutteLancer, &QPushButton::pressed, this,
            &MainWindow::rememberDropButtons);
    restoreGeometry(Preferences::windowGeometry());
    form_->actionColourByHeight->setChecked(Preferences::colourByHeight());
    form_->actionFitNewWorlds->setChecked(Preferences::fitNewWorlds());
    // An event's message hides the pending filters' notice only for a while.
    connect(form_->statusBar, &QStatusBar::messageChanged, this, [this](const QString& message) {
        if (message.isEmpty()) {
            showFilterState();
        }
    });
}

MainWindow::~MainWindow()
{
    Preferences::setWindowGeometry(saveGeometry());
    // Work in the background may read the world: it ends before the world goes.
    delete build_;
    // The history tells the form's actions when it is cleared: it goes while
    // the form is still there.
    delete history_;
}

bool MainWindow::isWorking() const
{
    return build_->isRunning() || catchingUp_ || form_->widget->uploadingGrid();
}

MainWindowForm* MainWindow::form() const
{
    return form_.get();
}

// Over the terrain the status bar says where the cursor is; Shift and a click
// put that point into the drop's X and Y. Moves without a button are the
// window's alone: the view redraws only for what it does with the mouse.
bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != form_->widget) {
        return QMainWindow::eventFilter(watched, event);
    }
    if (event->type() == QEvent::Leave) {
        form_->cursorPlaceLabel->clear();
    }
    if (event->type() != QEvent::MouseMove && event->type() != QEvent::MouseButtonPress) {
        return QMainWindow::eventFilter(watched, event);
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (event->type() == QEvent::MouseMove && mouse->buttons() == Qt::NoButton) {
        showCursorPlace(mouse->pos());
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton &&
        (mouse->modifiers() & Qt::ShiftModifier)) {
        if (const std::optional<QVector3D> place = terrainUnder(mouse->pos())) {
            form_->doubleSpinBoxGoutteX->setValue(double(place->x()));
            form_->doubleSpinBoxGoutteY->setValue(double(place->y()));
            form_->statusBar->showMessage(
                tr("X and Y set to (%1, %2): press Start for a drop there")
                    .arg(form_->doubleSpinBoxGoutteX->value(), 0, 'f', 2)
                    .arg(form_->doubleSpinBoxGoutteY->value(), 0, 'f', 2),
                StatusMilliseconds);
        }
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

std::optional<QVector3D> MainWindow::terrainUnder(const QPoint& pixel) const
{
    const GLWidget* view = form_->widget;
    if (!view->hasBaseMap()) {
        return std::nullopt;
    }
    return TerrainPick::surfaceAt(*view->filteredMap(), view->camera(), view->size(),
                                  QPointF(pixel));
}

void MainWindow::showCursorPlace(const QPoint& pixel)
{
    const std::optional<QVector3D> place = terrainUnder(pixel);
    form_->cursorPlaceLabel->setText(place ? tr("x %1, y %2, height %3")
                                                 .arg(double(place->x()), 0, 'f', 2)
                                                 .arg(double(place->y()), 0, 'f', 2)
                                                 .arg(double(place->z()), 0, 'f', 2)
                                           : QString());
}

void MainWindow::connectFilterList()
{
    QListWidget* list = form_->filterListWidget;
    connect(list, &QListWidget::itemSelectionChanged, this, &MainWindow::enableFilterButtons);
    connect(list, &QListWidget::itemDoubleClicked, this, [this] {
        if (form_->editFilterButton->isEnabled()) {
            on_editFilterButton_clicked();
        }
    });
    auto* remove =
        new QShortcut(QKeySequence::Delete, list, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(remove, &QShortcut::activated, this, [this] {
        if (form_->removeFilterButton->isEnabled()) {
            on_removeFilterButton_clicked();
        }
    });
    enableFilterButtons();
}

World& MainWindow::world() const
{
    return form_->widget->world();
}

void MainWindow::recordStep(const QString& name, const std::function<void()>& change)
{
    WorldState before = world().state();
    change();
    pushStep(name, std::move(before));
}

void MainWindow::pushStep(const QString& name, WorldState before)
{
    WorldState after = world().state();
    if (after == before) {
        return;
    }
    auto start = lastState_ != nullptr && *lastState_ == before
                     ? lastState_
                     : std::make_shared<const WorldState>(std::move(before));
    lastState_ = std::make_shared<const WorldState>(std::move(after));
    history_->push(new WorldStep(name, std::move(start), lastState_,
                                 [this](const WorldStep::State& state) { showState(state); }));
}

void MainWindow::showState(const std::shared_ptr<const WorldState>& state)
{
    GLWidget* view = form_->widget;
    lastState_ = state;
    std::optional<TerrainJob> job = world().restoreJob(*state);
    // A large terrain is built again off the window's thread; the step has
    // already been undone or redone, so there is no Cancel.
    if (job && runsLong(state->origin, makeFilterList(state->appliedFilters))) {
        view->setCursor(Qt::BusyCursor);
        job->setGridWanted(true);
        build_->build(
            form_->actionUndo->text(), std::move(*job), false,
            [this, state](std::optional<TerrainJob::Terrain> terrain) {
                // Only the window's closing stops a restore.
                if (!terrain) {
                    return;
                }
                GLWidget* view = form_->widget;
                view->usePreparedGrid(std::move(terrain->grid));
                world().finishRestore(*state, std::move(*terrain));
                view->drawCoarseFirst();
                showNewTerrain();
            },
            false);
        return;
    }
    view->setCursor(Qt::WaitCursor);
    if (job) {
        world().finishRestore(*state, std::move(*job->run()));
    } else {
        world().restoreWithoutBuilding(*state);
    }
    showNewTerrain();
}

void MainWindow::showNewTerrain()
{
    GLWidget* view = form_->widget;
    view->rebuildMesh();
    view->setCursor(Qt::ArrowCursor);
    refreshFilterList();
    enableCommandsForWorld();
    showWorldState();
}

// What the drop buttons and Update would have been had the user reached this
// state by hand: a running drop can be moved on, or a new one started.
void MainWindow::enableCommandsForWorld()
{
    const bool terrain = world().hasTerrain();
    const bool running = terrain && anyDropRunning(*world().filteredMap());
    form_->pushButtonGoutteLancer->setEnabled(terrain && !running);
    for (QPushButton* button : {form_->pushButtonGoutteSuivant, form_->pushButtonGoutteRes,
                                form_->pushButtonGoutteDynamic}) {
        button->setEnabled(running);
    }
    form_->actionUpdate->setEnabled(terrain);
}

void MainWindow::on_actionNewWorld_triggered()
{
    if (!maySaveChanges()) {
        return;
    }
    NewWorldDialog dialog;
    dialog.offer(Preferences::newWorldChoices());
    dialog.setModal(true);
    dialog.exec();
    if (dialog.result() == 0) {
        return;
    }
    Preferences::setNewWorldChoices(dialog.choices());
    WorldOrigin origin;
    origin.generatorIndex = dialog.generatorIndex();
    origin.seed =
        dialog.isRandomSeed() ? SeedRecord::ofClock() : SeedRecord::ofText(dialog.seedText());
    origin.width = std::uint32_t(dialog.mapWidth());
    origin.length = std::uint32_t(dialog.mapLength());
    if (runsLong(origin, world().filters())) {
        buildInBackground(tr("New world"), world().terrainJob(origin),
                          hasLongFilters(world().filters()), [this] {
                              frameNewWorld(CameraRecord());
                              nameWorldFile(QString());
                          });
        return;
    }
    GLWidget* view = form_->widget;
    view->setCursor(Qt::WaitCursor);
    recordStep(tr("New world"), [&] { world().create(origin); });
    view->rebuildMesh();
    view->setCursor(Qt::ArrowCursor);
    frameNewWorld(CameraRecord());
    showWorldState();
    nameWorldFile(QString());
}

bool MainWindow::runsLong(const WorldOrigin& origin, const FilterList& filters)
{
    const Region built = origin.area();
    return std::uint64_t(built.width) * built.length > BackgroundPoints || hasLongFilters(filters);
}

bool MainWindow::hasLongFilters(const FilterList& filters)
{
    return std::any_of(filters.begin(), filters.end(),
                       [](const auto& filter) { return filter->runsLong(); });
}

void MainWindow::buildInBackground(const QString& step, TerrainJob job, bool withDialog,
                                   const std::function<void()>& adopted,
                                   const std::function<void(TerrainJob::Terrain)>& adopt)
{
    GLWidget* view = form_->widget;
    view->setCursor(Qt::BusyCursor);
    job.setGridWanted(true);
    build_->build(step, std::move(job), withDialog,
                  [this, step, adopted, adopt](std::optional<TerrainJob::Terrain> terrain) {
                      GLWidget* view = form_->widget;
                      if (!terrain) {
                          view->setCursor(Qt::ArrowCursor);
                          form_->statusBar->showMessage(tr("%1 cancelled").arg(step),
                                                        StatusMilliseconds);
                          return;
                      }
                      view->usePreparedGrid(std::move(terrain->grid));
                      recordStep(step, [&] {
                          if (adopt) {
                              adopt(std::move(*terrain));
                          } else {
                              world().adopt(std::move(*terrain));
                          }
                      });
                      view->drawCoarseFirst();
                      view->rebuildMesh();
                      // The rest in an event of its own, a timer's: the
                      // window answers between the two.
                      catchingUp_ = true;
                      QTimer::singleShot(1, this, [this, adopted] {
                          refreshFilterList();
                          enableCommandsForWorld();
                          showWorldState();
                          adopted();
                          catchingUp_ = false;
                      });
                  });
}

// While work runs in the background, or Dynamic display, nothing may change
// the world they work on; what each command allowed before comes back
// afterwards.
void MainWindow::lockWorld(bool locked)
{
    QList<QObject*> commands{form_->actionNewWorld,
                             form_->actionOpenWorld,
                             form_->actionExport,
                             form_->menuRecentFiles,
                             form_->actionUpdate,
                             form_->actionUndo,
                             form_->actionRedo,
                             form_->pushButtonGoutteLancer,
                             form_->pushButtonGoutteSuivant,
                             form_->pushButtonGoutteRes,
                             form_->pushButtonGoutteDynamic,
                             form_->addFilterButton,
                             form_->editFilterButton,
                             form_->removeFilterButton,
                             form_->moveUpButton,
                             form_->moveDownButton,
                             form_->presetsButton,
                             form_->addErosionButton};
    locked_ = locked;
    if (locked) {
        enabledBeforeLock_.clear();
        for (QObject* command : commands) {
            enabledBeforeLock_.insert(command, command->property("enabled").toBool());
            command->setProperty("enabled", false);
        }
        return;
    }
    for (QObject* command : commands) {
        command->setProperty("enabled", enabledBeforeLock_.value(command, true));
    }
    // Undo and redo follow the history, which the build may have added to,
    // and the filter buttons the selection, which may have changed meanwhile.
    form_->actionUndo->setEnabled(history_->canUndo());
    form_->actionRedo->setEnabled(history_->canRedo());
    enableFilterButtons();
}

void MainWindow::on_pushButtonGoutteLancer_clicked()
{
    GLWidget* view = form_->widget;
    const double x = form_->doubleSpinBoxGoutteX->value();
    const double y = form_->doubleSpinBoxGoutteY->value();
    if (world().origin().region && view->hasBaseMap()) {
        QMessageBox::warning(nullptr, tr("Warning !"),
                             tr("This is a region of a larger world: drops run over the whole "
                                "world, so a region has none."),
                             QMessageBox::Ok, QMessageBox::NoButton);
        return;
    }
    const Map* base = view->filteredMap();
    if (base == nullptr) {
        QMessageBox::warning(nullptr, tr("Warning !"),
                             tr("There is no world yet: make one with File > New world."),
                             QMessageBox::Ok, QMessageBox::NoButton);
        restoreDropButtons();
        return;
    }
    // A drop needs the corners of the cell it stands on.
    if (!base->isOnSurface(float(x), float(y))) {
        const QString ranges =
            base->width() < 2 || base->length() < 2
                ? tr("This world of %1 x %2 points has no surface for drops to run on.")
                      .arg(base->width())
                      .arg(base->length())
                : tr("X runs from 0 to %1 and Y from 0 to %2 on this world.")
                      .arg(base->width() - 1)
                      .arg(base->length() - 1);
        QMessageBox::warning(nullptr, tr("Warning !"),
                             tr("The entered coordinates are not within the map") +
                                 QLatin1Char('\n') + ranges,
                             QMessageBox::Ok, QMessageBox::NoButton);
        restoreDropButtons();
        return;
    }
    recordStep(tr("Start drop"), [&] { world().startDrop(float(x), float(y)); });
    // The new drop's start is marked at once; it moves only with Next and the others.
    view->rebuildDrops();
    showDropState(tr("Drop started at (%1, %2)").arg(x, 0, 'f', 2).arg(y, 0, 'f', 2), -1);
}

// A refused Start changes nothing: the buttons are back as they were before
// the press that the form's connections answered.
void MainWindow::rememberDropButtons()
{
    dropButtonsBeforeStart_.clear();
    for (QPushButton* button : dropButtons()) {
        dropButtonsBeforeStart_ << button->isEnabled();
    }
}

void MainWindow::restoreDropButtons()
{
    const QList<QPushButton*> buttons = dropButtons();
    for (int i = 0; i < buttons.size() && i < dropButtonsBeforeStart_.size(); ++i) {
        buttons[i]->setEnabled(dropButtonsBeforeStart_[i]);
    }
}

QList<QPushButton*> MainWindow::dropButtons() const
{
    return {form_->pushButtonGoutteLancer, form_->pushButtonGoutteSuivant,
            form_->pushButtonGoutteRes, form_->pushButtonGoutteDynamic};
}

void MainWindow::on_pushButtonGoutteSuivant_clicked()
{
    const long steps = runDrops(tr("Next"), [this] { return long(world().runDropSteps()); });
    showDropState(tr("Next"), steps);
}

void MainWindow::on_pushButtonGoutteRes_clicked()
{
    const long steps = runDrops(tr("Result"), [this] { return world().runDropsToEnd(); });
    showDropState(tr("Result"), steps);
}

void MainWindow::on_addFilterButton_clicked()
{
    EditFilterDialog dialog;
    dialog.setModal(true);
    dialog.exec();
    if (dialog.result() == 0) {
        return;
    }
    const QString name = dialog.customName();
    auto filter =
        name.isEmpty() ? std::make_unique<FilterMatrix>() : std::make_unique<FilterMatrix>(name);
    filter->setMatrix(dialog.matrix());
    recordStep(tr("Add filter"), [&] { form_->widget->addFilter(std::move(filter)); });
    refreshFilterList();
}

void MainWindow::on_editFilterButton_clicked()
{
    GLWidget* view = form_->widget;
    int edited = -1;
    for (const int row : selectedRows(form_->filterListWidget)) {
        Filter* filter = view->filterAt(row);
        recordStep(tr("Edit filter"), [&] { editFilter(*filter, this); });
        edited = row;
    }
    refreshFilterList(edited);
}

void MainWindow::on_removeFilterButton_clicked()
{
    for (const int row : selectedRows(form_->filterListWidget)) {
        recordStep(tr("Remove filter"), [&] { form_->widget->removeFilter(row); });
    }
    refreshFilterList();
}

// The moved filter stays selected, so that it can be moved on at once.
void MainWindow::on_moveUpButton_clicked()
{
    int moved = -1;
    for (const int row : selectedRows(form_->filterListWidget)) {
        recordStep(tr("Move filter up"), [&] { form_->widget->moveFilterUp(row); });
        moved = std::max(row - 1, 0);
    }
    refreshFilterList(moved);
}

void MainWindow::on_moveDownButton_clicked()
{
    int moved = -1;
    for (const int row : selectedRows(form_->filterListWidget)) {
        recordStep(tr("Move filter down"), [&] { form_->widget->moveFilterDown(row); });
        moved = std::min(row + 1, form_->widget->filterCount() - 1);
    }
    refreshFilterList(moved);
}

// Edit, Remove and the moves act on the selected row: each is enabled only
// when it can act on it.
void MainWindow::enableFilterButtons()
{
    if (locked_) {
        return;
    }
    const QList<int> rows = selectedRows(form_->filterListWidget);
    const int row = rows.isEmpty() ? -1 : rows.constFirst();
    form_->editFilterButton->setEnabled(row >= 0);
    form_->removeFilterButton->setEnabled(row >= 0);
    form_->moveUpButton->setEnabled(row > 0);
    form_->moveDownButton->setEnabled(row >= 0 && row + 1 < form_->widget->filterCount());
}

void MainWindow::on_actionUpdate_triggered()
{
    GLWidget* view = form_->widget;
    if (!view->hasBaseMap()) {
        return;
    }
    if (runsLong(world().origin(), world().filters())) {
        buildInBackground(tr("Update"), world().terrainJob(world().origin()),
                          hasLongFilters(world().filters()), [] {});
        return;
    }
    view->setCursor(Qt::WaitCursor);
    recordStep(tr("Update"), [view] { view->applyFilters(); });
    view->rebuildMesh();
    showWorldState();
}

void MainWindow::on_actionCenter_triggered()
{
    GLWidget* view = form_->widget;
    view->setXRotation(0.0);
    view->setYRotation(0.0);
    view->setZRotation(0.0);
    view->setCenterX(0.0);
    view->setCenterY(0.0);
    view->updateGL();
}

void MainWindow::on_pushButtonGoutteDynamic_clicked()
{
    GLWidget* view = form_->widget;
    Map* map = view->filteredMap();
    if (map == nullptr) {
        return;
    }
    view->setCursor(Qt::WaitCursor);
    // A frame from the event loop at a time, so that the window answers and
    // Stop can end the run; the drops make the same steps as in one loop.
    animation_ = std::make_unique<DropRun::Animation>();
    beforeAnimation_ = world().state();
    lockWorld(true);
    form_->pushButtonGoutteStop->setEnabled(true);
    showAnimationFrame();
    if (animation_ != nullptr) {
        animationTimer_->start();
    }
}

void MainWindow::showAnimationFrame()
{
    GLWidget* view = form_->widget;
    view->rebuildMesh();
    view->updateGL();
    if (!animation_->advance(*view->filteredMap())) {
        endAnimation();
    }
}

void MainWindow::on_pushButtonGoutteStop_clicked()
{
    if (animation_ != nullptr) {
        endAnimation();
    }
}

void MainWindow::endAnimation()
{
    animationTimer_->stop();
    const bool stopped = !animation_->ended();
    const long steps = animation_->steps();
    animation_.reset();
    form_->pushButtonGoutteStop->setEnabled(false);
    lockWorld(false);
    // Stopped drops can be moved on with Next or Result.
    if (stopped) {
        enableCommandsForWorld();
    }
    form_->widget->setCursor(Qt::ArrowCursor);
    pushStep(tr("Dynamic display"), std::move(beforeAnimation_));
    showDropState(tr("Dynamic display"), steps);
}

void MainWindow::openWorldFile(const QString& path)
{
    if (!maySaveChanges()) {
        return;
    }
    const QString title = tr("Open world");
    const WorldFile::Reading reading = WorldFile::read(path);
    if (!reading.error.isEmpty()) {
        QMessageBox::warning(this, title, reading.error);
        return;
    }
    const WorldRecipe& recipe = reading.recipe;
    // The world is as its file has it.
    const auto opened = [this, path, camera = recipe.camera] {
        frameNewWorld(camera);
        history_->setClean();
        nameWorldFile(path);
        rememberFile(path);
    };
    if (const FilterList filters = makeFilterList(recipe.filters);
        runsLong(recipe.origin, filters)) {
        buildInBackground(title, World::recipeJob(recipe), hasLongFilters(filters), opened,
                          [this, recipe](TerrainJob::Terrain terrain) {
                              world().adoptRecipe(recipe, std::move(terrain));
                          });
        return;
    }
    GLWidget* view = form_->widget;
    view->setCursor(Qt::WaitCursor);
    recordStep(title, [&] { world().open(recipe); });
    showNewTerrain();
    opened();
}

void MainWindow::on_actionOpenWorld_triggered()
{
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Open world"), Preferences::lastFolder(), tr(WorldFileFilter));
    if (!path.isEmpty()) {
        Preferences::setLastFolderFrom(path);
        openWorldFile(path);
    }
}

void MainWindow::on_actionSaveWorld_triggered()
{
    if (!hasWorld(tr("Save world"))) {
        return;
    }
    if (windowFilePath().isEmpty()) {
        saveWorldAs();
    } else {
        saveWorldTo(windowFilePath());
    }
}

void MainWindow::on_actionSaveWorldAs_triggered()
{
    if (hasWorld(tr("Save world as"))) {
        saveWorldAs();
    }
}

bool MainWindow::saveWorldAs()
{
    const QString suggested =
        windowFilePath().isEmpty()
            ? QDir(Preferences::lastFolder()).filePath(QStringLiteral("world.terravik"))
            : windowFilePath();
    const QString path =
        QFileDialog::getSaveFileName(this, tr("Save world as"), suggested, tr(WorldFileFilter));
    if (path.isEmpty()) {
        return false;
    }
    return saveWorldTo(withSuffix(path, QStringLiteral("terravik")));
}

bool MainWindow::saveWorldTo(const QString& path)
{
    Preferences::setLastFolderFrom(path);
    const QString problem = WorldFile::save(path, world().recipe());
    if (!problem.isEmpty()) {
        QMessageBox::warning(this, tr("Save world"), problem);
        return false;
    }
    form_->statusBar->showMessage(tr("Saved %1").arg(QFileInfo(path).fileName()),
                                  StatusMilliseconds);
    history_->setClean();
    nameWorldFile(path);
    rememberFile(path);
    return true;
}

void MainWindow::rememberFile(const QString& path)
{
    Preferences::addRecentFile(path);
}

bool MainWindow::maySaveChanges()
{
    if (!isWindowModified() || !world().hasTerrain()) {
        return true;
    }
    const QString name =
        windowFilePath().isEmpty() ? tr("the new world") : QFileInfo(windowFilePath()).fileName();
    const auto answer = QMessageBox::question(
        this, tr("Terravik"), tr("Save changes to %1?").arg(name),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save) {
        return windowFilePath().isEmpty() ? saveWorldAs() : saveWorldTo(windowFilePath());
    }
    return answer == QMessageBox::Discard;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    build_->cancel();
    if (animation_ != nullptr) {
        endAnimation();
    }
    if (maySaveChanges()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedWorldFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QString path = droppedWorldFile(event->mimeData());
    if (path.isEmpty() || build_->isRunning()) {
        return;
    }
    event->acceptProposedAction();
    openWorldFile(path);
}

void MainWindow::on_menuRecentFiles_aboutToShow()
{
    QMenu* menu = form_->menuRecentFiles;
    menu->clear();
    const QStringList files = Preferences::recentFiles();
    for (int i = 0; i < files.size(); ++i) {
        QAction* action = menu->addAction(
            tr("&%1 %2").arg(i + 1).arg(QFileInfo(files[i]).fileName().replace('&', "&&")));
        action->setData(files[i]);
        action->setToolTip(QDir::toNativeSeparators(files[i]));
    }
    menu->addSeparator();
    menu->addAction(form_->actionClearRecentFiles);
    form_->actionClearRecentFiles->setEnabled(!files.isEmpty());
}

void MainWindow::on_menuRecentFiles_triggered(QAction* action)
{
    const QString path = action->data().toString();
    if (path.isEmpty()) {
        return;
    }
    if (!QFileInfo(path).isFile()) {
        Preferences::removeRecentFile(path);
        QMessageBox::warning(this, tr("Open recent"),
                             tr("%1 is no longer there; it has been taken off the list.")
                                 .arg(QDir::toNativeSeparators(path)));
        return;
    }
    openWorldFile(path);
}

void MainWindow::on_actionExport_triggered()
{
    const QString title = tr("Export");
    if (!hasWorld(title)) {
        return;
    }
    QFileDialog dialog(this, title, Preferences::lastFolder());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QString masksFilter = tr("Erosion masks: NAME-erosion.png, NAME-deposition.png, "
                                   "NAME-flow.png (*.png)");
    dialog.setNameFilters(exportFileFilters() << masksFilter << tr("All files (*)"));
    if (dialog.exec() == 0 || dialog.selectedFiles().isEmpty()) {
        return;
    }
    if (dialog.selectedNameFilter() == masksFilter) {
        QString prefix = dialog.selectedFiles().constFirst();
        if (prefix.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)) {
            prefix.chop(4);
        }
        Preferences::setLastFolderFrom(prefix);
        exportMasks(prefix);
        return;
    }
    // A name without extension takes the chosen filter's (none for All files);
    // any other unknown extension is an error rather than a guess.
    const int chosen = exportFileFilters().indexOf(dialog.selectedNameFilter());
    const QString typed = dialog.selectedFiles().constFirst();
    const QString path =
        chosen >= 0 ? withSuffix(typed, exportSuffix(ExportFormat(chosen))) : typed;
    Preferences::setLastFolderFrom(path);
    const std::optional<ExportFormat> format = exportFormatOf(path);
    if (!format) {
        QMessageBox::warning(this, title,
                             tr("%1: unknown export format: give a file name ending in %2")
                                 .arg(QDir::toNativeSeparators(path), knownExportSuffixes()));
        return;
    }
    GLWidget* view = form_->widget;
    const Map& map = *view->filteredMap();
    // A region's grid and mesh stand where the region lies in its world.
    ExportSettings settings;
    if (const std::optional<Region>& region = world().origin().region) {
        settings.place =
            Region{region->x, region->y, world().origin().width, world().origin().length};
    }
    if (std::uint64_t(map.width()) * map.length() > BackgroundPoints) {
        // The map stays as it is meanwhile: the commands that change it wait.
        auto problem = std::make_shared<QString>();
        build_->start(
            title,
            [&map, format, path, settings, problem](WorkProgress& progress) {
                progress.beginStage(QStringLiteral("writing"), 0.0, 1.0);
                ExportSettings cancellable = settings;
                cancellable.progress = &progress;
                *problem = exportMap(map, *format, path, cancellable);
            },
            false,
            [this, path, problem](bool finished) {
                if (finished) {
                    reportExport(*problem, QFileInfo(path).fileName());
                }
            });
        return;
    }
    view->setCursor(Qt::WaitCursor);
    const QString problem = exportMap(map, *format, path, settings);
    view->setCursor(Qt::ArrowCursor);
    reportExport(problem, QFileInfo(path).fileName());
}

void MainWindow::reportExport(const QString& problem, const QString& written)
{
    if (!problem.isEmpty()) {
        QMessageBox::warning(this, tr("Export"), problem);
        return;
    }
    form_->statusBar->showMessage(tr("Exported %1").arg(written), StatusMilliseconds);
}

void MainWindow::exportMasks(const QString& prefix)
{
    // The world keeps no masks: its terrain is made again, adding to them.
    auto masks = std::make_shared<ErosionMasks>();
    const std::uint32_t width = world().origin().width;
    const std::uint32_t length = world().origin().length;
    const FilterList applied = makeFilterList(world().appliedFilters());
    build_->build(tr("Export"), world().masksJob(masks.get()), hasLongFilters(applied),
                  [this, masks, width, length, prefix](std::optional<TerrainJob::Terrain> built) {
                      if (!built) {
                          return;
                      }
                      QStringList names;
                      for (const QString& mask : MaskImages::paths(prefix)) {
                          names << QFileInfo(mask).fileName();
                      }
                      reportExport(MaskImages::write(*masks, width, length, prefix),
                                   names.join(QStringLiteral(", ")));
                  });
}

void MainWindow::on_actionFitWorld_triggered()
{
    form_->widget->fitWorld();
}

void MainWindow::on_actionColourByHeight_toggled(bool on)
{
    form_->widget->setColourByHeight(on);
    Preferences::setColourByHeight(on);
}

void MainWindow::on_actionFitNewWorlds_toggled(bool on)
{
    Preferences::setFitNewWorlds(on);
}

// From the starting camera the eye stands inside any world of more than a few
// points: a new world, or a file with no camera of its own, is framed whole.
void MainWindow::frameNewWorld(const CameraRecord& given)
{
    if (form_->actionFitNewWorlds->isChecked() && given == CameraRecord()) {
        form_->widget->fitWorld();
    }
}

void MainWindow::on_addErosionMenu_triggered(QAction* kind)
{
    const FilterChoice& chosen = erosionChoices().at(std::size_t(kind->data().toInt()));
    recordStep(tr("Add erosion"), [&] { form_->widget->addFilter(chosen.make()); });
    refreshFilterList();
}

void MainWindow::on_presetsMenu_triggered(QAction* preset)
{
    const FilterPreset& chosen = filterPresets().at(std::size_t(preset->data().toInt()));
    auto filter = std::make_unique<FilterMatrix>(preset->text());
    filter->setMatrix(chosen.coefficients);
    recordStep(tr("Add preset"), [&] { form_->widget->addFilter(std::move(filter)); });
    refreshFilterList();
}

void MainWindow::on_actionKeyboardAndMouse_triggered()
{
    QMessageBox::information(
        this, tr("Keyboard and mouse"),
        tr("<table cellpadding=\"2\">"
           "<tr><td><b>Ctrl+N</b></td><td>New world</td></tr>"
           "<tr><td><b>Ctrl+O</b></td><td>Open world</td></tr>"
           "<tr><td><b>Ctrl+S</b></td><td>Save world</td></tr>"
           "<tr><td><b>Ctrl+Shift+S</b></td><td>Save world as</td></tr>"
           "<tr><td><b>Ctrl+E</b></td><td>Export</td></tr>"
           "<tr><td><b>Ctrl+Z</b></td><td>Undo</td></tr>"
           "<tr><td><b>Ctrl+Shift+Z, Ctrl+Y</b></td><td>Redo</td></tr>"
           "<tr><td><b>F5</b></td><td>Update: apply the filter list</td></tr>"
           "<tr><td><b>Space</b></td><td>Center: turn the view back home</td></tr>"
           "<tr><td><b>F</b></td><td>Fit world: show the whole world</td></tr>"
           "<tr><td><b>Ctrl+Q</b></td><td>Exit</td></tr>"
           "<tr><td><b>Right drag</b></td><td>Turn the view</td></tr>"
           "<tr><td><b>Left drag</b></td><td>Move the point looked at</td></tr>"
           "<tr><td><b>Wheel</b></td><td>Zoom</td></tr>"
           "</table>"));
}

void MainWindow::on_actionAbout_triggered()
{
    QMessageBox::about(
        this, tr("About Terravik"),
        tr("<h3>Terravik %1</h3><p>Terravik makes terrain from a seed: random heights, "
           "mountain peaks or a chain of peaks, shaped by 5 x 5 convolution filters, shown as a "
           "wireframe you can turn and zoom, with water drops running downhill over it. The same "
           "seed, generator and size give the same world on every machine, so a small world file "
           "rebuilds a world bit for bit, and worlds export as height maps and meshes.</p>")
            .arg(QStringLiteral(TERRAVIK_VERSION)));
}

void MainWindow::showWorldState()
{
    // Whatever the last message said, the drops it counted have gone.
    form_->statusBar->clearMessage();
    fitDropBoxesToWorld();
    const GLWidget* view = form_->widget;
    static_cast<ElidedLabel*>(form_->worldSummaryLabel)
        ->setFullText(view->hasBaseMap()
                          ? StatusTexts::worldSummary(view->worldOrigin(), *view->filteredMap())
                          : QString());
}

// The coordinate boxes reach the whole world: the toolkit's 99.99 holds for
// worlds up to 100 points, larger ones take their last point's coordinate.
void MainWindow::fitDropBoxesToWorld()
{
    const WorldOrigin& origin = world().origin();
    const bool shown = world().hasTerrain();
    form_->doubleSpinBoxGoutteX->setMaximum(
        std::max(DropBoxMaximum, shown ? double(origin.width) - 1.0 : 0.0));
    form_->doubleSpinBoxGoutteY->setMaximum(
        std::max(DropBoxMaximum, shown ? double(origin.length) - 1.0 : 0.0));
}

void MainWindow::showFilterState()
{
    QStatusBar* bar = form_->statusBar;
    if (form_->widget->hasUnappliedFilters()) {
        bar->showMessage(StatusTexts::filtersChanged());
    } else if (bar->currentMessage() == StatusTexts::filtersChanged()) {
        bar->clearMessage();
    }
}

void MainWindow::showDropState(const QString& command, long steps)
{
    constexpr int ShownMilliseconds = 10000;
    const Map* map = form_->widget->filteredMap();
    if (map != nullptr) {
        form_->statusBar->showMessage(StatusTexts::dropState(command, steps, *map),
                                      ShownMilliseconds);
    }
}

bool MainWindow::hasWorld(const QString& title)
{
    if (form_->widget->hasBaseMap()) {
        return true;
    }
    QMessageBox::warning(this, title, tr("There is no world yet: make one with File > New world."));
    return false;
}

// The title's [*] shows the modified mark while the world differs from its file.
void MainWindow::nameWorldFile(const QString& path)
{
    setWindowFilePath(path);
    const WorldOrigin& origin = world().origin();
    if (!path.isEmpty() && origin.region) {
        setWindowTitle(tr("%1, region %2[*] - Terravik")
                           .arg(QFileInfo(path).fileName(), StatusTexts::regionText(origin)));
        return;
    }
    setWindowTitle(path.isEmpty() ? tr("Terravik[*]")
                                  : tr("%1[*] - Terravik").arg(QFileInfo(path).fileName()));
}

long MainWindow::runDrops(const QString& name, const std::function<long()>& run)
{
    GLWidget* view = form_->widget;
    if (view->filteredMap() == nullptr) {
        return 0;
    }
    view->setCursor(Qt::WaitCursor);
    long steps = 0;
    recordStep(name, [&] { steps = run(); });
    view->rebuildMesh();
    view->setCursor(Qt::ArrowCursor);
    return steps;
}

void MainWindow::refreshFilterList(int selected)
{
    QListWidget* list = form_->filterListWidget;
    GLWidget* view = form_->widget;
    list->clear();
    for (int i = 0; i < view->filterCount(); ++i) {
        list->addItem(QString::number(i) + QStringLiteral(". ") + view->filterName(i));
    }
    if (selected >= 0 && selected < list->count()) {
        list->setCurrentRow(selected);
    }
    enableFilterButtons();
    showFilterState();
}

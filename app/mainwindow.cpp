#include "app/mainwindow.h"

#include "app/mainwindowform.h"
#include "app/newworlddialog.h"
#include "drop/droprun.h"
#include "exports/exportformat.h"
#include "filters/editfilterdialog.h"
#include "filters/filtermatrix.h"
#include "terrain/map.h"
#include "view/glwidget.h"
#include "world/safewrite.h"
#include "world/worldbuild.h"
#include "world/worldfile.h"

#include <QAction>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

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

// The window draws every grid cell in every frame; beyond this side the mesh
// takes gigabytes and a frame seconds, so larger worlds are for exports.
constexpr std::uint32_t MaxWindowSide = 2048;

constexpr const char* WorldFileFilter = "Terravik worlds (*.terravik)";

QString withSuffix(const QString& path, const QString& suffix)
{
    return QFileInfo(path).suffix().isEmpty() ? path + QLatin1Char('.') + suffix : path;
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent, Qt::WindowFlags()), form_(std::make_unique<MainWindowForm>())
{
    form_->setupForm(this);
}

MainWindow::~MainWindow() = default;

MainWindowForm* MainWindow::form() const
{
    return form_.get();
}

void MainWindow::on_actionNewWorld_triggered()
{
    NewWorldDialog dialog;
    dialog.setModal(true);
    dialog.exec();
    if (dialog.result() == 0) {
        return;
    }
    WorldOrigin origin;
    origin.generatorIndex = dialog.generatorIndex();
    origin.seed =
        dialog.isRandomSeed() ? SeedRecord::ofClock() : SeedRecord::ofText(dialog.seedText());
    origin.width = std::uint32_t(dialog.mapWidth());
    origin.length = std::uint32_t(dialog.mapLength());
    showWorld(origin, {});
    nameWorldFile(QString());
}

void MainWindow::showWorld(const WorldOrigin& origin, const std::vector<DropRecord>& drops)
{
    GLWidget* view = form_->widget;
    view->setCursor(Qt::WaitCursor);
    view->setWorldOrigin(origin);
    view->setBaseMap(buildBaseMap(origin));
    replayDrops(*view->filteredMap(), drops);
    view->rebuildMesh();
    view->setCursor(Qt::ArrowCursor);
}

void MainWindow::on_pushButtonGoutteLancer_clicked()
{
    GLWidget* view = form_->widget;
    const double x = form_->doubleSpinBoxGoutteX->value();
    const double y = form_->doubleSpinBoxGoutteY->value();
    // A drop needs the corners of the cell it stands on; before any world
    // there is no terrain at all.
    const Map* base = view->baseMap();
    if (base == nullptr || !base->isOnSurface(float(x), float(y))) {
        QMessageBox::warning(nullptr, tr("Warning !"),
                             tr("The entered coordinates are not within the map"), QMessageBox::Ok,
                             QMessageBox::NoButton);
        return;
    }
    view->filteredMap()->startDrop(float(x), float(y));
}

void MainWindow::on_pushButtonGoutteSuivant_clicked()
{
    runDrops([](Map& map) { DropRun::runSteps(map); });
}

void MainWindow::on_pushButtonGoutteRes_clicked()
{
    runDrops([](Map& map) { DropRun::runToEnd(map); });
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
    form_->widget->addFilter(std::move(filter));
    refreshFilterList();
}

void MainWindow::on_editFilterButton_clicked()
{
    GLWidget* view = form_->widget;
    for (const int row : selectedRows(form_->filterListWidget)) {
        // Only matrix filters are ever added to the list.
        auto* filter = static_cast<FilterMatrix*>(view->filterAt(row));
        EditFilterDialog dialog;
        dialog.setMatrix(filter->getMatrix());
        dialog.setCustomName(filter->name());
        dialog.setModal(true);
        dialog.exec();
        // The dialog's contents are taken however it was closed.
        filter->setMatrix(dialog.matrix());
        filter->setName(dialog.customName());
    }
    refreshFilterList();
}

void MainWindow::on_removeFilterButton_clicked()
{
    for (const int row : selectedRows(form_->filterListWidget)) {
        form_->widget->removeFilter(row);
    }
    refreshFilterList();
}

void MainWindow::on_moveUpButton_clicked()
{
    for (const int row : selectedRows(form_->filterListWidget)) {
        form_->widget->moveFilterUp(row);
    }
    refreshFilterList();
}

void MainWindow::on_moveDownButton_clicked()
{
    for (const int row : selectedRows(form_->filterListWidget)) {
        form_->widget->moveFilterDown(row);
    }
    refreshFilterList();
}

void MainWindow::on_actionUpdate_triggered()
{
    GLWidget* view = form_->widget;
    if (!view->hasBaseMap()) {
        return;
    }
    view->setCursor(Qt::WaitCursor);
    view->applyFilters();
    view->rebuildMesh();
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
    // Each frame is a synchronous redraw: the loop never returns to the event loop.
    DropRun::runAnimated(*map, [view] {
        view->rebuildMesh();
        view->updateGL();
    });
    view->setCursor(Qt::ArrowCursor);
}

void MainWindow::openWorldFile(const QString& path)
{
    const QString title = tr("Open world");
    const WorldFile::Reading reading = WorldFile::read(path);
    if (!reading.error.isEmpty()) {
        QMessageBox::warning(this, title, reading.error);
        return;
    }
    const WorldRecipe& recipe = reading.recipe;
    if (recipe.origin.width > MaxWindowSide || recipe.origin.length > MaxWindowSide) {
        QMessageBox::warning(
            this, title,
            tr("%1 is a world of %2 x %3 points; the window shows worlds of up to %4 x %4. "
               "Export it from the command line instead, e.g.\n"
               "terravik --world \"%1\" --export world.png")
                .arg(QDir::toNativeSeparators(path))
                .arg(recipe.origin.width)
                .arg(recipe.origin.length)
                .arg(MaxWindowSide));
        return;
    }
    GLWidget* view = form_->widget;
    view->setFilterList(makeFilterList(recipe.filters));
    refreshFilterList();
    view->setCamera(recipe.camera);
    showWorld(recipe.origin, recipe.drops);
    // As after New world: the world is there to start drops on and to update.
    form_->pushButtonGoutteLancer->setEnabled(true);
    form_->actionUpdate->setEnabled(true);
    nameWorldFile(path);
}

void MainWindow::on_actionOpenWorld_triggered()
{
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Open world"), QFileInfo(windowFilePath()).path(), tr(WorldFileFilter));
    if (!path.isEmpty()) {
        openWorldFile(path);
    }
}

void MainWindow::on_actionSaveWorld_triggered()
{
    const QString title = tr("Save world");
    if (!hasWorld(title)) {
        return;
    }
    const QString suggested = windowFilePath().isEmpty()
                                  ? QDir::home().filePath(QStringLiteral("world.terravik"))
                                  : windowFilePath();
    QString path = QFileDialog::getSaveFileName(this, title, suggested, tr(WorldFileFilter));
    if (path.isEmpty()) {
        return;
    }
    path = withSuffix(path, QStringLiteral("terravik"));
    const QByteArray contents = WorldFile::toJson(shownRecipe());
    const QString problem = writeFileSafely(
        path, [&](QIODevice& device) { return device.write(contents) == contents.size(); });
    if (!problem.isEmpty()) {
        QMessageBox::warning(this, title, problem);
        return;
    }
    nameWorldFile(path);
}

void MainWindow::on_actionExport_triggered()
{
    const QString title = tr("Export");
    if (!hasWorld(title)) {
        return;
    }
    QFileDialog dialog(this, title, QFileInfo(windowFilePath()).path());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(exportFileFilters());
    if (dialog.exec() == 0 || dialog.selectedFiles().isEmpty()) {
        return;
    }
    // A name without extension takes the chosen filter's; any other unknown
    // extension is an error rather than a guess.
    const auto chosen =
        ExportFormat(std::max(0, exportFileFilters().indexOf(dialog.selectedNameFilter())));
    const QString path = withSuffix(dialog.selectedFiles().constFirst(), exportSuffix(chosen));
    const std::optional<ExportFormat> format = exportFormatOf(path);
    if (!format) {
        QMessageBox::warning(this, title,
                             tr("%1: unknown export format: give a file name ending in %2")
                                 .arg(QDir::toNativeSeparators(path), knownExportSuffixes()));
        return;
    }
    GLWidget* view = form_->widget;
    view->setCursor(Qt::WaitCursor);
    const QString problem = exportMap(*view->filteredMap(), *format, path);
    view->setCursor(Qt::ArrowCursor);
    if (!problem.isEmpty()) {
        QMessageBox::warning(this, title, problem);
    }
}

void MainWindow::on_actionFitWorld_triggered()
{
    form_->widget->fitWorld();
}

WorldRecipe MainWindow::shownRecipe() const
{
    const GLWidget* view = form_->widget;
    WorldRecipe recipe;
    recipe.origin = view->worldOrigin();
    recipe.filters = view->appliedFilters();
    recipe.drops = dropRecords(*view->filteredMap());
    recipe.camera = view->camera();
    return recipe;
}

bool MainWindow::hasWorld(const QString& title)
{
    if (form_->widget->hasBaseMap()) {
        return true;
    }
    QMessageBox::warning(this, title, tr("There is no world yet: make one with File > New world."));
    return false;
}

void MainWindow::nameWorldFile(const QString& path)
{
    setWindowFilePath(path);
    setWindowTitle(path.isEmpty() ? tr("Terravik")
                                  : tr("%1 - Terravik").arg(QFileInfo(path).fileName()));
}

void MainWindow::runDrops(const std::function<void(Map&)>& run)
{
    GLWidget* view = form_->widget;
    Map* map = view->filteredMap();
    if (map == nullptr) {
        return;
    }
    view->setCursor(Qt::WaitCursor);
    run(*map);
    view->rebuildMesh();
    view->setCursor(Qt::ArrowCursor);
}

void MainWindow::refreshFilterList()
{
    QListWidget* list = form_->filterListWidget;
    GLWidget* view = form_->widget;
    list->clear();
    for (int i = 0; i < view->filterCount(); ++i) {
        list->addItem(QString::number(i) + QStringLiteral(". ") + view->filterName(i));
    }
}

#include "app/mainwindow.h"

#include "app/mainwindowform.h"
#include "app/newworlddialog.h"
#include "drop/droprun.h"
#include "filters/editfilterdialog.h"
#include "filters/filtermatrix.h"
#include "generators/generatorchoice.h"
#include "terrain/map.h"
#include "terrain/seed.h"
#include "view/glwidget.h"

#include <QDoubleSpinBox>
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
    std::unique_ptr<MapBuilder> builder = makeMapBuilder(dialog.generatorIndex());
    if (dialog.isRandomSeed()) {
        builder->setSeed(std::make_unique<Seed>());
    } else {
        builder->setSeed(dialog.seedText());
    }
    builder->setWidth(dialog.mapWidth()).setLength(dialog.mapLength());

    GLWidget* view = form_->widget;
    view->setCursor(Qt::WaitCursor);
    view->setBaseMap(builder->build());
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

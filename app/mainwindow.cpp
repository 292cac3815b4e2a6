#include "app/mainwindow.h"

#include "app/mainwindowform.h"

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

void MainWindow::on_actionNewWorld_triggered() {}

void MainWindow::on_pushButtonGoutteLancer_clicked() {}

void MainWindow::on_pushButtonGoutteSuivant_clicked() {}

void MainWindow::on_pushButtonGoutteRes_clicked() {}

void MainWindow::on_addFilterButton_clicked() {}

void MainWindow::on_editFilterButton_clicked() {}

void MainWindow::on_removeFilterButton_clicked() {}

void MainWindow::on_moveUpButton_clicked() {}

void MainWindow::on_moveDownButton_clicked() {}

void MainWindow::on_actionUpdate_triggered() {}

void MainWindow::on_actionCenter_triggered() {}

void MainWindow::on_pushButtonGoutteDynamic_clicked() {}

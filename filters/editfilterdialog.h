#pragma once

#include "filters/filtermatrix.h"

#include <QDialog>
#include <QString>
#include <array>
#include <memory>

class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QVBoxLayout;

// The widgets of the filter dialog, each member named like the object name it
// gives its widget. The pointers do not own: the dialog's parent tree does.
// Spin box number N (spinBox is 1, spinBox_N the others) holds coefficient N - 1.
struct EditFilterDialogForm
{
    using CoefficientBoxes = std::array<QSpinBox*, FilterMatrix::kCoefficientCount>;

    QVBoxLayout* verticalLayout = nullptr;
    QLabel* label_2 = nullptr;
    QLineEdit* customNameLineEdit = nullptr;
    QLabel* label = nullptr;
    QGridLayout* matrixGridLayout = nullptr;
    QSpinBox* spinBox_4 = nullptr;
    QSpinBox* spinBox_5 = nullptr;
    QSpinBox* spinBox_2 = nullptr;
    QSpinBox* spinBox_3 = nullptr;
    QSpinBox* spinBox = nullptr;
    QSpinBox* spinBox_19 = nullptr;
    QSpinBox* spinBox_20 = nullptr;
    QSpinBox* spinBox_7 = nullptr;
    QSpinBox* spinBox_16 = nullptr;
    QSpinBox* spinBox_6 = nullptr;
    QSpinBox* spinBox_9 = nullptr;
    QSpinBox* spinBox_10 = nullptr;
    QSpinBox* spinBox_8 = nullptr;
    QSpinBox* spinBox_11 = nullptr;
    QSpinBox* spinBox_12 = nullptr;
    QSpinBox* spinBox_14 = nullptr;
    QSpinBox* spinBox_13 = nullptr;
    QSpinBox* spinBox_15 = nullptr;
    QSpinBox* spinBox_17 = nullptr;
    QSpinBox* spinBox_18 = nullptr;
    QSpinBox* spinBox_21 = nullptr;
    QSpinBox* spinBox_22 = nullptr;
    QSpinBox* spinBox_23 = nullptr;
    QSpinBox* spinBox_24 = nullptr;
    QSpinBox* spinBox_25 = nullptr;
    QHBoxLayout* horizontalLayout = nullptr;
    QPushButton* cancelButton = nullptr;
    QPushButton* okButton = nullptr;
    // Added after the dialog's first design: what the coefficients add up to,
    // and what the filter then does.
    QLabel* sumLabel = nullptr;

    // The spin boxes in number order: element k is spin box number k + 1.
    CoefficientBoxes coefficientBoxes() const;

    void setupForm(QDialog* dialog);
    void retranslateForm(QDialog* dialog);
    // The sum label's text for the coefficients shown.
    void showSum();

private:
    void createAdditions(QDialog* dialog);
};

// Shows and returns the name and the 25 coefficients of a convolution matrix
// filter. It creates and changes no filter: the caller reads the values back.
class EditFilterDialog : public QDialog
{
    Q_OBJECT

public:
    explicit EditFilterDialog(QWidget* parent = nullptr);
    ~EditFilterDialog() override;

    // Element k is the value of spin box number k + 1.
    FilterMatrix::Coefficients matrix() const;
    void setMatrix(const FilterMatrix::Coefficients& coefficients);

    // The name field as typed, untrimmed; no default is applied here.
    QString customName() const;
    void setCustomName(const QString& name);

    EditFilterDialogForm* form() const { return form_.get(); }

private:
    std::unique_ptr<EditFilterDialogForm> form_;
};

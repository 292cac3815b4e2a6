#include "filters/editfilterdialog.h"

#include "forms/formbuilding.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSizePolicy>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kCoefficientLimit = 100;

QString coefficientBoxName(int number)
{
    return number == 1 ? QStringLiteral("spinBox") : QStringLiteral("spinBox_%1").arg(number);
}

// Numbers run down each column of the grid, column after column.
QSpinBox* addCoefficientBox(QDialog* dialog, QGridLayout* grid, int number)
{
    auto* box = createNamed<QSpinBox>(dialog, qPrintable(coefficientBoxName(number)));
    box->setRange(-kCoefficientLimit, kCoefficientLimit);
    box->setValue(0);
    grid->addWidget(box, (number - 1) % FilterMatrix::kSide, (number - 1) / FilterMatrix::kSide, 1,
                    1);
    return box;
}

QLabel* addHeaderLabel(QDialog* dialog, QVBoxLayout* column, const char* name)
{
    auto* label = createNamed<QLabel>(dialog, name);
    label->setSizePolicy(QSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed));
    label->setMinimumSize(QSize(382, 12));
    label->setMaximumSize(QSize(16777215, 12));
    column->addWidget(label);
    return label;
}

} // namespace

EditFilterDialogForm::CoefficientBoxes EditFilterDialogForm::coefficientBoxes() const
{
    return {spinBox,    spinBox_2,  spinBox_3,  spinBox_4,  spinBox_5,  spinBox_6,  spinBox_7,
            spinBox_8,  spinBox_9,  spinBox_10, spinBox_11, spinBox_12, spinBox_13, spinBox_14,
            spinBox_15, spinBox_16, spinBox_17, spinBox_18, spinBox_19, spinBox_20, spinBox_21,
            spinBox_22, spinBox_23, spinBox_24, spinBox_25};
}

void EditFilterDialogForm::setupForm(QDialog* dialog)
{
    if (dialog->objectName().isEmpty())
        dialog->setObjectName(QStringLiteral("EditFilterDialog"));
    dialog->resize(400, 300);
    dialog->setSizePolicy(QSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed));
    dialog->setMinimumSize(QSize(400, 300));
    dialog->setMaximumSize(QSize(400, 300));
    dialog->setSizeGripEnabled(false);
    dialog->setModal(false);

    verticalLayout = createNamed<QVBoxLayout>(dialog, "verticalLayout");
    label_2 = addHeaderLabel(dialog, verticalLayout, "label_2");
    customNameLineEdit = createNamed<QLineEdit>(dialog, "customNameLineEdit");
    verticalLayout->addWidget(customNameLineEdit);
    label = addHeaderLabel(dialog, verticalLayout, "label");

    matrixGridLayout = createNamed<QGridLayout>(nullptr, "matrixGridLayout");
    matrixGridLayout->setSizeConstraint(QLayout::SetMaximumSize);
    matrixGridLayout->setHorizontalSpacing(6);
    matrixGridLayout->setVerticalSpacing(12);
    spinBox_4 = addCoefficientBox(dialog, matrixGridLayout, 4);
    spinBox_5 = addCoefficientBox(dialog, matrixGridLayout, 5);
    spinBox_2 = addCoefficientBox(dialog, matrixGridLayout, 2);
    spinBox_3 = addCoefficientBox(dialog, matrixGridLayout, 3);
    spinBox = addCoefficientBox(dialog, matrixGridLayout, 1);
    spinBox_19 = addCoefficientBox(dialog, matrixGridLayout, 19);
    spinBox_20 = addCoefficientBox(dialog, matrixGridLayout, 20);
    spinBox_7 = addCoefficientBox(dialog, matrixGridLayout, 7);
    spinBox_16 = addCoefficientBox(dialog, matrixGridLayout, 16);
    spinBox_6 = addCoefficientBox(dialog, matrixGridLayout, 6);
    spinBox_9 = addCoefficientBox(dialog, matrixGridLayout, 9);
    spinBox_10 = addCoefficientBox(dialog, matrixGridLayout, 10);
    spinBox_8 = addCoefficientBox(dialog, matrixGridLayout, 8);
    spinBox_11 = addCoefficientBox(dialog, matrixGridLayout, 11);
    spinBox_12 = addCoefficientBox(dialog, matrixGridLayout, 12);
    spinBox_14 = addCoefficientBox(dialog, matrixGridLayout, 14);
    spinBox_13 = addCoefficientBox(dialog, matrixGridLayout, 13);
    spinBox_15 = addCoefficientBox(dialog, matrixGridLayout, 15);
    spinBox_17 = addCoefficientBox(dialog, matrixGridLayout, 17);
    spinBox_18 = addCoefficientBox(dialog, matrixGridLayout, 18);
    spinBox_21 = addCoefficientBox(dialog, matrixGridLayout, 21);
    spinBox_22 = addCoefficientBox(dialog, matrixGridLayout, 22);
    spinBox_23 = addCoefficientBox(dialog, matrixGridLayout, 23);
    spinBox_24 = addCoefficientBox(dialog, matrixGridLayout, 24);
    spinBox_25 = addCoefficientBox(dialog, matrixGridLayout, 25);
    verticalLayout->addLayout(matrixGridLayout);

    horizontalLayout = createNamed<QHBoxLayout>(nullptr, "horizontalLayout");
    horizontalLayout->setSizeConstraint(QLayout::SetDefaultConstraint);
    cancelButton = createNamed<QPushButton>(dialog, "cancelButton");
    horizontalLayout->addWidget(cancelButton);
    okButton = createNamed<QPushButton>(dialog, "okButton");
    horizontalLayout->addWidget(okButton);
    verticalLayout->addLayout(horizontalLayout);

    retranslateForm(dialog);

    // Tab walks the name, then the grid column by column, then the buttons.
    QWidget* previous = customNameLineEdit;
    for (QSpinBox* box : coefficientBoxes()) {
        QWidget::setTabOrder(previous, box);
        previous = box;
    }
    QWidget::setTabOrder(previous, cancelButton);
    QWidget::setTabOrder(cancelButton, okButton);

    QObject::connect(cancelButton, &QPushButton::clicked, dialog, &QWidget::close);
    QObject::connect(okButton, &QPushButton::clicked, dialog, &QDialog::accept);
    okButton->setDefault(true);

    createAdditions(dialog);
    QMetaObject::connectSlotsByName(dialog);
}

void EditFilterDialogForm::createAdditions(QDialog* dialog)
{
    // One more line of text, between the grid and the buttons.
    constexpr int AddedHeight = 24;
    const QSize size(400, 300 + AddedHeight);
    dialog->setMinimumSize(size);
    dialog->setMaximumSize(size);
    dialog->resize(size);
    sumLabel = createNamed<QLabel>(dialog, "sumLabel");
    verticalLayout->insertWidget(verticalLayout->indexOf(horizontalLayout), sumLabel);
    for (QSpinBox* box : coefficientBoxes()) {
        QObject::connect(box, QOverload<int>::of(&QSpinBox::valueChanged), dialog,
                         [this] { showSum(); });
    }
    showSum();
}

// A fresh filter's coefficients are all 0, which flattens the world: the
// dialog says so before Update does.
void EditFilterDialogForm::showSum()
{
    const auto text = [](const char* source) { return translated("EditFilterDialog", source); };
    int sum = 0;
    bool allZero = true;
    for (const QSpinBox* box : coefficientBoxes()) {
        sum += box->value();
        allZero = allZero && box->value() == 0;
    }
    if (allZero) {
        sumLabel->setText(text("Every coefficient is 0: this filter makes every height 0."));
    } else if (sum == 0) {
        sumLabel->setText(text("The coefficients sum to 0: totals are not divided."));
    } else {
        sumLabel->setText(
            text("The coefficients sum to %1: each total is divided by %1.").arg(sum));
    }
}

void EditFilterDialogForm::retranslateForm(QDialog* dialog)
{
    const auto text = [](const char* source) { return translated("EditFilterDialog", source); };
    dialog->setWindowTitle(text("Edit filter"));
    label_2->setText(text("Enter a custom name for the filter (leave blank for default)."));
    label->setText(text("Apply a convolution matrix."));
#if QT_CONFIG(whatsthis)
    const QString coefficientHelp =
        text("A coefficient value which will be used to compute the output map.");
    for (QSpinBox* box : coefficientBoxes())
        box->setWhatsThis(coefficientHelp);
#endif
    cancelButton->setText(text("Cancel"));
    okButton->setText(text("OK"));
}

EditFilterDialog::EditFilterDialog(QWidget* parent)
    : QDialog(parent), form_(std::make_unique<EditFilterDialogForm>())
{
    form_->setupForm(this);
}

EditFilterDialog::~EditFilterDialog() = default;

FilterMatrix::Coefficients EditFilterDialog::matrix() const
{
    FilterMatrix::Coefficients coefficients{};
    const auto boxes = form_->coefficientBoxes();
    for (std::size_t k = 0; k < boxes.size(); ++k)
        coefficients[k] = boxes[k]->value();
    return coefficients;
}

void EditFilterDialog::setMatrix(const FilterMatrix::Coefficients& coefficients)
{
    const auto boxes = form_->coefficientBoxes();
    for (std::size_t k = 0; k < boxes.size(); ++k)
        boxes[k]->setValue(coefficients[k]);
}

QString EditFilterDialog::customName() const
{
    return form_->customNameLineEdit->text();
}

void EditFilterDialog::setCustomName(const QString& name)
{
    form_->customNameLineEdit->setText(name);
}

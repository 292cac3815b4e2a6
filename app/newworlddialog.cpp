#include "app/newworlddialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QStringList>
#include <QVBoxLayout>

void NewWorldDialogForm::setupForm(QDialog* dialog)
{
    if (dialog->objectName().isEmpty())
        dialog->setObjectName(QStringLiteral("NewWorldDialog"));
    dialog->resize(400, 152);

    buttonBox = new QDialogButtonBox(dialog);
    buttonBox->setObjectName(QStringLiteral("buttonBox"));
    buttonBox->setGeometry(QRect(290, 20, 81, 241));
    buttonBox->setOrientation(Qt::Vertical);
    buttonBox->setStandardButtons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);

    verticalLayoutWidget = new QWidget(dialog);
    verticalLayoutWidget->setObjectName(QStringLiteral("verticalLayoutWidget"));
    verticalLayoutWidget->setGeometry(QRect(9, 9, 271, 131));
    verticalLayout = new QVBoxLayout(verticalLayoutWidget);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setContentsMargins(0, 0, 0, 0);

    comboBox = new QComboBox(verticalLayoutWidget);
    comboBox->setObjectName(QStringLiteral("comboBox"));
    comboBox->setEditable(false);
    verticalLayout->addWidget(comboBox);

    checkBox = new QCheckBox(verticalLayoutWidget);
    checkBox->setObjectName(QStringLiteral("checkBox"));
    checkBox->setEnabled(true);
    checkBox->setChecked(true);
    verticalLayout->addWidget(checkBox);

    seed = new QLineEdit(verticalLayoutWidget);
    seed->setObjectName(QStringLiteral("seed"));
    seed->setEnabled(false);
    verticalLayout->addWidget(seed);

    horizontalLayout = new QHBoxLayout();
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    label = new QLabel(verticalLayoutWidget);
    label->setObjectName(QStringLiteral("label"));
    horizontalLayout->addWidget(label);
    sizeX = new QSpinBox(verticalLayoutWidget);
    sizeX->setObjectName(QStringLiteral("sizeX"));
    sizeX->setMaximum(99);
    sizeX->setValue(50);
    horizontalLayout->addWidget(sizeX);
    label_2 = new QLabel(verticalLayoutWidget);
    label_2->setObjectName(QStringLiteral("label_2"));
    horizontalLayout->addWidget(label_2);
    sizeY = new QSpinBox(verticalLayoutWidget);
    sizeY->setObjectName(QStringLiteral("sizeY"));
    sizeY->setMaximum(99);
    sizeY->setValue(50);
    horizontalLayout->addWidget(sizeY);
    verticalLayout->addLayout(horizontalLayout);

    retranslateForm(dialog);

    QObject::connect(buttonBox, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttonBox, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    QObject::connect(checkBox, &QCheckBox::toggled, seed, &QWidget::setDisabled);

    QMetaObject::connectSlotsByName(dialog);
}

void NewWorldDialogForm::retranslateForm(QDialog* dialog)
{
    dialog->setWindowTitle(QCoreApplication::translate("NewWorldDialog", "Dialog", nullptr));
    comboBox->clear();
    comboBox->insertItems(
        0, QStringList() << QCoreApplication::translate("NewWorldDialog", "Random", nullptr)
                         << QCoreApplication::translate("NewWorldDialog", "Mountain peaks", nullptr)
                         << QCoreApplication::translate("NewWorldDialog", "Mountain peaks chain",
                                                        nullptr));
    checkBox->setText(QCoreApplication::translate("NewWorldDialog", "Random seed", nullptr));
    label->setText(QCoreApplication::translate("NewWorldDialog", "Width", nullptr));
    label_2->setText(QCoreApplication::translate("NewWorldDialog", "Length", nullptr));
}

NewWorldDialog::NewWorldDialog(QWidget* parent)
    : QDialog(parent), form_(std::make_unique<NewWorldDialogForm>())
{
    form_->setupForm(this);
}

NewWorldDialog::~NewWorldDialog() = default;

int NewWorldDialog::generatorIndex() const
{
    return form_->comboBox->currentIndex();
}

bool NewWorldDialog::isRandomSeed() const
{
    return form_->checkBox->isChecked();
}

QByteArray NewWorldDialog::seedText() const
{
    // The seed is read as a C string: whatever follows a NUL byte is not part of it.
    QByteArray text = form_->seed->text().toLocal8Bit();
    const int nul = text.indexOf('\0');
    if (nul >= 0)
        text.truncate(nul);
    return text;
}

int NewWorldDialog::mapWidth() const
{
    return form_->sizeX->value();
}

int NewWorldDialog::mapLength() const
{
    return form_->sizeY->value();
}

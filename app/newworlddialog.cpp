#include "app/newworlddialog.h"

#include "forms/formbuilding.h"
#include "generators/generatorchoice.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QStringList>
#include <QVBoxLayout>

namespace {
// A map side runs up to 99 points; a new dialog offers 50.
constexpr int kLargestSide = 99;
constexpr int kStartingSide = 50;
} // namespace

void NewWorldDialogForm::setupForm(QDialog* dialog)
{
    if (dialog->objectName().isEmpty())
        dialog->setObjectName(QStringLiteral("NewWorldDialog"));
    dialog->resize(400, 152);

    buttonBox = createNamed<QDialogButtonBox>(dialog, "buttonBox");
    buttonBox->setGeometry(QRect(290, 20, 81, 241));
    buttonBox->setOrientation(Qt::Vertical);
    buttonBox->setStandardButtons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);

    verticalLayoutWidget = createNamed<QWidget>(dialog, "verticalLayoutWidget");
    verticalLayoutWidget->setGeometry(QRect(9, 9, 271, 131));
    verticalLayout = createNamed<QVBoxLayout>(verticalLayoutWidget, "verticalLayout");
    verticalLayout->setContentsMargins(0, 0, 0, 0);

    comboBox = createNamed<QComboBox>(verticalLayoutWidget, "comboBox");
    comboBox->setEditable(false);
    verticalLayout->addWidget(comboBox);

    checkBox = createNamed<QCheckBox>(verticalLayoutWidget, "checkBox");
    checkBox->setEnabled(true);
    checkBox->setChecked(true);
    verticalLayout->addWidget(checkBox);

    seed = createNamed<QLineEdit>(verticalLayoutWidget, "seed");
    seed->setEnabled(false);
    verticalLayout->addWidget(seed);

    horizontalLayout = createNamed<QHBoxLayout>(nullptr, "horizontalLayout");
    label = createNamed<QLabel>(verticalLayoutWidget, "label");
    horizontalLayout->addWidget(label);
    sizeX = createNamed<QSpinBox>(verticalLayoutWidget, "sizeX");
    sizeX->setMaximum(kLargestSide);
    sizeX->setValue(kStartingSide);
    horizontalLayout->addWidget(sizeX);
    label_2 = createNamed<QLabel>(verticalLayoutWidget, "label_2");
    horizontalLayout->addWidget(label_2);
    sizeY = createNamed<QSpinBox>(verticalLayoutWidget, "sizeY");
    sizeY->setMaximum(kLargestSide);
    sizeY->setValue(kStartingSide);
    horizontalLayout->addWidget(sizeY);
    verticalLayout->addLayout(horizontalLayout);

    retranslateForm(dialog);

    QObject::connect(buttonBox, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttonBox, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    QObject::connect(checkBox, &QCheckBox::toggled, seed, &QWidget::setDisabled);

    createAdditions(dialog);
    QMetaObject::connectSlotsByName(dialog);
}

void NewWorldDialogForm::createAdditions(QDialog* dialog)
{
    // Room for a label above the generator list and one above the seed text.
    constexpr int AddedHeight = 44;
    dialog->resize(dialog->width(), dialog->height() + AddedHeight);
    verticalLayoutWidget->resize(verticalLayoutWidget->width(),
                                 verticalLayoutWidget->height() + AddedHeight);
    generatorLabel = createNamed<QLabel>(verticalLayoutWidget, "generatorLabel");
    generatorLabel->setBuddy(comboBox);
    verticalLayout->insertWidget(verticalLayout->indexOf(comboBox), generatorLabel);
    seedLabel = createNamed<QLabel>(verticalLayoutWidget, "seedLabel");
    seedLabel->setBuddy(seed);
    verticalLayout->insertWidget(verticalLayout->indexOf(seed), seedLabel);
    sizeLimitLabel = createNamed<QLabel>(verticalLayoutWidget, "sizeLimitLabel");
    horizontalLayout->addWidget(sizeLimitLabel);
    retranslateAdditions();
}

void NewWorldDialogForm::retranslateAdditions()
{
    const auto text = [](const char* source) { return translated("NewWorldDialog", source); };
    generatorLabel->setText(text("&Generator"));
    seedLabel->setText(text("Seed &text"));
    sizeLimitLabel->setText(text("up to %1").arg(kLargestSide));
}

void NewWorldDialogForm::retranslateForm(QDialog* dialog)
{
    const auto text = [](const char* source) { return translated("NewWorldDialog", source); };
    dialog->setWindowTitle(text("Dialog"));
    comboBox->clear();
    QStringList titles;
    for (const GeneratorKind& kind : generatorKinds())
        titles << text(kind.title);
    comboBox->insertItems(0, titles);
    checkBox->setText(text("Random seed"));
    label->setText(text("Width"));
    label_2->setText(text("Length"));
    if (generatorLabel != nullptr)
        retranslateAdditions();
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

NewWorldChoices NewWorldDialog::choices() const
{
    return {generatorIndex(), isRandomSeed(), form_->seed->text(), mapWidth(), mapLength()};
}

void NewWorldDialog::offer(const NewWorldChoices& choices)
{
    form_->comboBox->setCurrentIndex(choices.generatorIndex);
    form_->checkBox->setChecked(choices.randomSeed);
    form_->seed->setText(choices.seedText);
    form_->sizeX->setValue(choices.width);
    form_->sizeY->setValue(choices.length);
}

void NewWorldDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    form_->comboBox->setFocus(Qt::OtherFocusReason);
}

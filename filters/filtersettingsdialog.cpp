#include "filters/filtersettingsdialog.h"

#include "forms/formbuilding.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

FilterSettingsDialog::FilterSettingsDialog(const QString& title, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FilterSettingsDialog"));
    setWindowTitle(title);
    auto* column = createNamed<QVBoxLayout>(this, "verticalLayout");
    fields_ = createNamed<QFormLayout>(nullptr, "formLayout");
    nameLineEdit_ = createNamed<QLineEdit>(this, "nameLineEdit");
    fields_->addRow(tr("Name"), nameLineEdit_);
    column->addLayout(fields_);
    buttonBox_ = createNamed<QDialogButtonBox>(this, "buttonBox");
    buttonBox_->setStandardButtons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    column->addWidget(buttonBox_);
    connect(buttonBox_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttonBox_, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

FilterSettingsDialog::~FilterSettingsDialog() = default;

QString FilterSettingsDialog::name() const
{
    return nameLineEdit_->text();
}

void FilterSettingsDialog::setName(const QString& name)
{
    nameLineEdit_->setText(name);
}

int FilterSettingsDialog::addNumber(const char* key, const QString& title, double minimum,
                                    double maximum, int decimals, double value)
{
    QAbstractSpinBox* box = nullptr;
    if (decimals == 0) {
        auto* whole = createNamed<QSpinBox>(this, key);
        whole->setRange(int(minimum), int(maximum));
        whole->setValue(int(value));
        whole->setGroupSeparatorShown(true);
        box = whole;
    } else {
        auto* real = createNamed<QDoubleSpinBox>(this, key);
        real->setDecimals(decimals);
        real->setRange(minimum, maximum);
        real->setSingleStep(decimals >= 2 ? 0.01 : 0.1);
        real->setValue(value);
        box = real;
    }
    fields_->addRow(title, box);
    numbers_.push_back({box, value, 0.0});
    numbers_.back().shown = shownValue(numbers_.back());
    return int(numbers_.size()) - 1;
}

int FilterSettingsDialog::addText(const char* key, const QString& title, const QString& value)
{
    auto* field = createNamed<QLineEdit>(this, key);
    field->setText(value);
    fields_->addRow(title, field);
    texts_.push_back(field);
    return int(texts_.size()) - 1;
}

double FilterSettingsDialog::shownValue(const NumberField& field) const
{
    if (const auto* whole = qobject_cast<const QSpinBox*>(field.box)) {
        return whole->value();
    }
    return static_cast<const QDoubleSpinBox*>(field.box)->value();
}

double FilterSettingsDialog::number(int index) const
{
    const NumberField& field = numbers_[std::size_t(index)];
    const double shown = shownValue(field);
    return shown == field.shown ? field.given : shown;
}

QString FilterSettingsDialog::text(int index) const
{
    return texts_[std::size_t(index)]->text();
}

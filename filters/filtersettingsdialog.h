#pragma once

#include <QDialog>
#include <QString>
#include <vector>

class QAbstractSpinBox;
class QDialogButtonBox;
class QFormLayout;
class QLineEdit;

// The dialog of a filter kind described by its settings: a name and one field
// per setting, each held to the setting's range. OK keeps what was typed,
// Cancel nothing. A field the user leaves alone gives back the value it was
// given exactly, also where the field shows it rounded.
class FilterSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit FilterSettingsDialog(const QString& title, QWidget* parent = nullptr);
    ~FilterSettingsDialog() override;

    QString name() const;
    void setName(const QString& name);

    // Adds a field named after key; returns its index among the numbers.
    int addNumber(const char* key, const QString& title, double minimum, double maximum,
                  int decimals, double value);
    // Adds a text field named after key; returns its index among the texts.
    int addText(const char* key, const QString& title, const QString& value);

    // The value of number field index: what was given unless the user changed it.
    double number(int index) const;
    QString text(int index) const;

private:
    struct NumberField
    {
        QAbstractSpinBox* box;
        double given;
        double shown;
    };

    double shownValue(const NumberField& field) const;

    QLineEdit* nameLineEdit_ = nullptr;
    QFormLayout* fields_ = nullptr;
    QDialogButtonBox* buttonBox_ = nullptr;
    std::vector<NumberField> numbers_;
    std::vector<QLineEdit*> texts_;
};

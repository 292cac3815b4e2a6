#pragma once

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <memory>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QSpinBox;
class QVBoxLayout;
class QWidget;

// The widgets of the new world dialog, each member named like the object name
// it gives its widget. The pointers do not own: the dialog's parent tree does.
struct NewWorldDialogForm
{
    QDialogButtonBox* buttonBox = nullptr;
    QWidget* verticalLayoutWidget = nullptr;
    QVBoxLayout* verticalLayout = nullptr;
    QComboBox* comboBox = nullptr;
    QCheckBox* checkBox = nullptr;
    QLineEdit* seed = nullptr;
    QHBoxLayout* horizontalLayout = nullptr;
    QLabel* label = nullptr;
    QSpinBox* sizeX = nullptr;
    QLabel* label_2 = nullptr;
    QSpinBox* sizeY = nullptr;
    // Added after the dialog's first design: what the fields are, and how
    // large a world may be.
    QLabel* generatorLabel = nullptr;
    QLabel* seedLabel = nullptr;
    QLabel* sizeLimitLabel = nullptr;

    void setupForm(QDialog* dialog);
    void retranslateForm(QDialog* dialog);

private:
    void createAdditions(QDialog* dialog);
    void retranslateAdditions();
};

// The answers of a New world dialog, to offer them again next time.
struct NewWorldChoices
{
    int generatorIndex = 0;
    bool randomSeed = true;
    QString seedText;
    int width = 50;
    int length = 50;
};

// Asks how to make a new world: generator, seed source and text, width and
// length. It keeps nothing but its widgets; the caller reads them after exec().
class NewWorldDialog : public QDialog
{
    Q_OBJECT

public:
    explicit NewWorldDialog(QWidget* parent = nullptr);
    ~NewWorldDialog() override;

    // 0 "Random", 1 "Mountain peaks", 2 "Mountain peaks chain".
    int generatorIndex() const;
    bool isRandomSeed() const;
    // The seed text in the local 8-bit encoding, ending before its first NUL byte.
    QByteArray seedText() const;
    int mapWidth() const;
    int mapLength() const;

    NewWorldChoices choices() const;
    // Fills the fields with earlier answers.
    void offer(const NewWorldChoices& choices);

    NewWorldDialogForm* form() const { return form_.get(); }

protected:
    // The first field takes the keys, not the OK button the dialog would
    // give them to.
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<NewWorldDialogForm> form_;
};

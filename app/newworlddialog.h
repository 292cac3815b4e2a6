#pragma once

#include <QByteArray>
#include <QDialog>
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

    void setupForm(QDialog* dialog);
    void retranslateForm(QDialog* dialog);
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

    NewWorldDialogForm* form() const { return form_.get(); }

private:
    std::unique_ptr<NewWorldDialogForm> form_;
};

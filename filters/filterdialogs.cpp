#include "filters/filterdialogs.h"

#include "filters/editfilterdialog.h"
#include "filters/filtersettingsdialog.h"
#include "filters/hydraulicerosion.h"
#include "filters/thermalerosion.h"

#include <QCoreApplication>
#include <cstring>

namespace {

void editMatrix(Filter& filter, QWidget*)
{
    auto& matrix = static_cast<FilterMatrix&>(filter);
    EditFilterDialog dialog;
    dialog.setMatrix(matrix.getMatrix());
    dialog.setCustomName(matrix.name());
    dialog.setModal(true);
    dialog.exec();
    // The dialog's contents are taken however it was closed.
    matrix.setMatrix(dialog.matrix());
    matrix.setName(dialog.customName());
}

QString translatedTitle(const char* title)
{
    return QCoreApplication::translate("FilterSettingsDialog", title);
}

// A kind described by its settings' tables gets a field per setting.
template <typename Kind> void editSettings(Filter& filter, QWidget* parent)
{
    auto& kind = static_cast<Kind&>(filter);
    typename Kind::Settings settings = kind.settings();
    FilterSettingsDialog dialog(translatedTitle(Kind::Title), parent);
    dialog.setName(kind.name());
    for (const auto& setting : Kind::numberSettings()) {
        dialog.addNumber(setting.key, translatedTitle(setting.title), setting.minimum,
                         setting.maximum, setting.decimals, setting.get(settings));
    }
    for (const auto& setting : Kind::textSettings()) {
        dialog.addText(setting.key, translatedTitle(setting.title), setting.get(settings));
    }
    if (dialog.exec() == QDialog::Rejected) {
        return;
    }
    int index = 0;
    for (const auto& setting : Kind::numberSettings()) {
        setting.set(settings, dialog.number(index++));
    }
    index = 0;
    for (const auto& setting : Kind::textSettings()) {
        setting.set(settings, dialog.text(index++));
    }
    kind.setSettings(settings);
    kind.setName(dialog.name());
}

struct KindDialog
{
    const char* kind;
    void (*edit)(Filter&, QWidget*);
};

const KindDialog dialogs[] = {
    {FilterMatrix::Kind, &editMatrix},
    {HydraulicErosion::Kind, &editSettings<HydraulicErosion>},
    {ThermalErosion::Kind, &editSettings<ThermalErosion>},
};

template <typename Kind> std::unique_ptr<Filter> make()
{
    return std::make_unique<Kind>();
}

} // namespace

void editFilter(Filter& filter, QWidget* parent)
{
    for (const KindDialog& dialog : dialogs) {
        if (std::strcmp(filter.kind(), dialog.kind) == 0) {
            dialog.edit(filter, parent);
            return;
        }
    }
}

const std::vector<FilterChoice>& erosionChoices()
{
    static const std::vector<FilterChoice> choices{
        {HydraulicErosion::Title, &make<HydraulicErosion>},
        {ThermalErosion::Title, &make<ThermalErosion>},
    };
    return choices;
}

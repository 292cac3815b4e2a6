#pragma once

#include <QString>
#include <vector>

// One numeric setting of a filter kind, described once for its file record and
// its dialog: the key in files, the title in the dialog, the range a value
// must lie in, and how many decimals it has (0: a whole number). Values are
// kept as the user gave them, in double, and a filter converts them to the
// precision it computes in.
template <typename Settings> struct NumberSetting
{
    const char* key;
    const char* title;
    double minimum;
    double maximum;
    int decimals;
    double (*get)(const Settings&);
    void (*set)(Settings&, double);
};

template <typename Settings> using NumberSettings = std::vector<NumberSetting<Settings>>;

// A text setting of a filter kind (the seed of hydraulic erosion), kept as
// typed.
template <typename Settings> struct TextSetting
{
    const char* key;
    const char* title;
    QString (*get)(const Settings&);
    void (*set)(Settings&, const QString&);
};

template <typename Settings> using TextSettings = std::vector<TextSetting<Settings>>;

#include "generators/generatorchoice.h"

#include "generators/fullyrandommapbuilder.h"
#include "generators/peaksmountainchainmapbuilder.h"
#include "generators/simplepeaksmoutainmapbuilder.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

template <typename Builder> std::unique_ptr<MapBuilder> make()
{
    return std::make_unique<Builder>();
}

constexpr int TypicalIndex = 1;

} // namespace

const std::vector<GeneratorKind>& generatorKinds()
{
    static const std::vector<GeneratorKind> kinds{
        {"random", QT_TRANSLATE_NOOP("NewWorldDialog", "Random"), &make<FullyRandomMapBuilder>},
        {"peaks", QT_TRANSLATE_NOOP("NewWorldDialog", "Mountain peaks"),
         &make<SimplePeaksMoutainMapBuilder>},
        {"chain", QT_TRANSLATE_NOOP("NewWorldDialog", "Mountain peaks chain"),
         &make<PeaksMountainChainMapBuilder>},
    };
    return kinds;
}

const GeneratorKind& generatorKind(int generatorIndex)
{
    const std::vector<GeneratorKind>& kinds = generatorKinds();
    const bool known = generatorIndex >= 0 && generatorIndex < int(kinds.size());
    return kinds[std::size_t(known ? generatorIndex : TypicalIndex)];
}

std::unique_ptr<MapBuilder> makeMapBuilder(int generatorIndex)
{
    return generatorKind(generatorIndex).makeBuilder();
}

QString generatorName(int generatorIndex)
{
    return QString::fromLatin1(generatorKind(generatorIndex).key);
}

QString generatorTitle(int generatorIndex)
{
    return QCoreApplication::translate("NewWorldDialog", generatorKind(generatorIndex).title);
}

int generatorIndexOf(const QString& name)
{
    const std::vector<GeneratorKind>& kinds = generatorKinds();
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        if (name == QLatin1String(kinds[i].key)) {
            return int(i);
        }
    }
    return -1;
}

QString generatorNames(const QString& quote)
{
    QStringList keys;
    for (const GeneratorKind& kind : generatorKinds()) {
        keys << quote + QString::fromLatin1(kind.key) + quote;
    }
    const QString last = keys.takeLast();
    return keys.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

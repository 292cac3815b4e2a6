#include "filters/filterpresets.h"
#include "terrain/map.h"
#include "view/heightcolours.h"

#include <QtTest>

namespace {

// A 5 x 5 plain of height 0 with one spike of 10 in the middle: a filter's
// response to it shows each weight where it lands.
std::unique_ptr<Map> spike()
{
    auto map = std::make_unique<Map>(5, 5);
    map->pointAt(2, 2)->setZ(10.0f);
    return map;
}

const FilterPreset* presetNamed(const QString& name)
{
    for (const FilterPreset& preset : filterPresets()) {
        if (name == QLatin1String(preset.name)) {
            return &preset;
        }
    }
    return nullptr;
}

} // namespace

class TestFilterPresets : public QObject
{
    Q_OBJECT

private slots:
    void presetsWeighTheirNeighbours_data()
    {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<float>("height");
        QTest::newRow("box blur, centre") << "Box blur" << QPoint(2, 2) << 0.4f;
        QTest::newRow("box blur, corner") << "Box blur" << QPoint(0, 0) << 0.4f;
        QTest::newRow("gaussian, centre") << "Gaussian blur" << QPoint(2, 2) << 1.40625f;
        QTest::newRow("gaussian, beside") << "Gaussian blur" << QPoint(3, 2) << 0.9375f;
        QTest::newRow("gaussian, diagonal") << "Gaussian blur" << QPoint(1, 1) << 0.625f;
        QTest::newRow("sharpen, centre") << "Sharpen" << QPoint(2, 2) << 50.0f;
        QTest::newRow("sharpen, beside") << "Sharpen" << QPoint(2, 3) << -10.0f;
        QTest::newRow("sharpen, diagonal") << "Sharpen" << QPoint(1, 1) << 0.0f;
        // Emboss is lopsided: the side it lights from tells x from y.
        QTest::newRow("emboss, centre") << "Emboss" << QPoint(2, 2) << 10.0f;
        QTest::newRow("emboss, below-left") << "Emboss" << QPoint(1, 1) << 20.0f;
        QTest::newRow("emboss, above-right") << "Emboss" << QPoint(3, 3) << -20.0f;
        QTest::newRow("emboss, left") << "Emboss" << QPoint(1, 2) << 10.0f;
        QTest::newRow("emboss, right") << "Emboss" << QPoint(3, 2) << -10.0f;
        QTest::newRow("emboss, above-left") << "Emboss" << QPoint(1, 3) << 0.0f;
        QTest::newRow("edge detect, centre") << "Edge detect" << QPoint(2, 2) << 80.0f;
        QTest::newRow("edge detect, beside") << "Edge detect" << QPoint(2, 1) << -10.0f;
        QTest::newRow("edge detect, far") << "Edge detect" << QPoint(0, 0) << 0.0f;
        QTest::newRow("identity, centre") << "Identity" << QPoint(2, 2) << 10.0f;
        QTest::newRow("identity, beside") << "Identity" << QPoint(3, 2) << 0.0f;
    }

    void presetsWeighTheirNeighbours()
    {
        QFETCH(QString, preset);
        QFETCH(QPoint, at);
        QFETCH(float, height);
        const FilterPreset* chosen = presetNamed(preset);
        QVERIFY(chosen != nullptr);
        for (const std::int32_t coefficient : chosen->coefficients) {
            QVERIFY(coefficient >= -100 && coefficient <= 100);
        }
        FilterMatrix filter;
        filter.setMatrix(chosen->coefficients);
        const auto output = filter.apply(*spike());
        QCOMPARE(output->pointAt(std::uint32_t(at.x()), std::uint32_t(at.y()))->z(), height);
    }

    // The lowest vertex takes the map's first colour, the highest its last.
    void heightColoursRunFromTheLowestToTheHighest()
    {
        const QVector<QVector3D> vertices{{0, -2, 0}, {1, 6, 0}, {2, 2, 0}};
        QVector<HeightColours::Rgba> colours;
        HeightColours::build(vertices, -2.0f, 6.0f, colours);
        const HeightColours::Rgba violet{68, 1, 84, 255};
        const HeightColours::Rgba yellow{253, 231, 37, 255};
        QCOMPARE(colours.size(), 3);
        QVERIFY(colours[0] == violet && colours[1] == yellow);
        QVERIFY(colours[2] == HeightColours::colourAt(0.5));
        QVERIFY(!(colours[2] == violet) && !(colours[2] == yellow));
        HeightColours::build(vertices, 1.0f, 1.0f, colours);
        QVERIFY(colours[0] == violet && colours[1] == violet && colours[2] == violet);
    }
};

QTEST_GUILESS_MAIN(TestFilterPresets)
#include "test_filterpresets.moc"

#include "filters/editfilterdialog.h"
#include "filters/filterpipeline.h"
#include "maps.h"

#include <QGridLayout>
#include <QSpinBox>
#include <QtTest>

using Coefficients = FilterMatrix::Coefficients;
Q_DECLARE_METATYPE(Coefficients)

namespace {

// The coefficients k1, k2, ... set to the values v1, v2, ...: {k1, v1, k2, v2, ...}.
Coefficients matrix(std::initializer_list<int> pairs)
{
    Coefficients coefficients{};
    for (auto k = pairs.begin(); k != pairs.end(); k += 2) {
        coefficients[std::size_t(*k)] = k[1];
    }
    return coefficients;
}

std::unique_ptr<Filter> filter(const Coefficients& coefficients)
{
    auto filter = std::make_unique<FilterMatrix>();
    filter->setMatrix(coefficients);
    return filter;
}

} // namespace

// fuzz_filters holds every filtered height to an independent convolution.
class TestFilters : public QObject
{
    Q_OBJECT

private slots:
    // On the 5 x 5 map x^2 + 2y the clamped block sums to 250 at (2, 2). At
    // (0, 0) the corner counts 9 times, the two points beyond it along each
    // border 3 times, the inner 2 x 2 block once: 0 + 3 (1 + 4 + 2 + 4) +
    // 3 + 5 + 6 + 8 = 55; at (4, 4) 5 (4 + 9 + 3 * 16) + 10 (2 + 3 + 3 * 4) = 475.
    void weightedSums_data()
    {
        Coefficients ones;
        ones.fill(1);
        Coefficients minusOnes;
        minusOnes.fill(-1);
        Coefficients zeroSum = minusOnes;
        zeroSum[12] = 24;
        QTest::addColumn<Coefficients>("coefficients");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<float>("expected");
        QTest::newRow("all zeros") << Coefficients{} << QPoint(2, 3) << 0.0f;
        QTest::newRow("centre 3") << matrix({12, 3}) << QPoint(4, 1) << 18.0f;
        QTest::newRow("all ones, first corner") << ones << QPoint(0, 0) << 55.0f / 25.0f;
        QTest::newRow("all ones, last corner") << ones << QPoint(4, 4) << 475.0f / 25.0f;
        QTest::newRow("zero sum undivided") << zeroSum << QPoint(2, 2) << 25.0f * 8.0f - 250.0f;
        QTest::newRow("negative sum divides") << minusOnes << QPoint(0, 0) << 55.0f / 25.0f;
        QTest::newRow("k 13 reads x + 1") << matrix({13, 1}) << QPoint(1, 2) << 8.0f;
        QTest::newRow("k 13 on the last column") << matrix({13, 1}) << QPoint(4, 2) << 20.0f;
        QTest::newRow("k 17 reads y + 1") << matrix({17, 1}) << QPoint(1, 2) << 7.0f;
    }

    void weightedSums()
    {
        QFETCH(Coefficients, coefficients);
        QFETCH(QPoint, at);
        QFETCH(float, expected);
        const auto map = makeMap(5, 5, [](int x, int y) { return float(x * x + 2 * y); });
        QCOMPARE(filter(coefficients)->apply(*map)->pointAt(at.x(), at.y())->z(), expected);
    }

    // Each product and sum is rounded to float in ascending k: 3 + 1e8 rounds
    // back to 1e8, so the 3s vanish where a wider sum would keep them.
    void sumsRoundInFloat()
    {
        const auto map = makeMap(3, 1, [](int x, int) { return x == 1 ? 1e8f : 3.0f; });
        const auto output = filter(matrix({11, 1, 12, 1, 13, 1}))->apply(*map);
        QCOMPARE(bitsOf(output->pointAt(1, 0)->z()), bitsOf(1e8f / 3.0f));
    }

    // A shifts along x (k = 13); B is 2 h(x) - 2 h(x - 1), undivided. On the
    // row 1, 2, 4, 8 A gives 2, 4, 8, 8, then B 0, 4, 8, 0 (B first, then A:
    // 2, 4, 8, 8).
    void filtersRunInListOrder()
    {
        FilterList filters;
        filters.push_back(filter(matrix({13, 1})));
        filters.push_back(filter(matrix({11, -2, 12, 2})));
        const auto base = makeMap(4, 1, [](int x, int) { return float(1 << x); });
        const auto filtered = applyFilterList(*base, filters);
        QCOMPARE(filtered->pointAt(0, 0)->z(), 0.0f);
        QCOMPARE(filtered->pointAt(2, 0)->z(), 8.0f);
        QCOMPARE(filtered->pointAt(3, 0)->z(), 0.0f);
    }

    // Coefficient k is spin box number k + 1, at grid row k mod 5 and column
    // k div 5, limited to -100 to 100.
    void dialogMatrix()
    {
        Coefficients coefficients{};
        for (int k = 0; k < 25; ++k) {
            coefficients[std::size_t(k)] = (k - 12) * 8;
        }
        EditFilterDialog dialog;
        dialog.setMatrix(coefficients);
        QCOMPARE(dialog.matrix(), coefficients);
        const QGridLayout* grid = dialog.findChild<QGridLayout*>("matrixGridLayout");
        for (int k = 0; k < 25; ++k) {
            const auto* box = dialog.findChild<QSpinBox*>(
                k == 0 ? QString("spinBox") : QString("spinBox_%1").arg(k + 1));
            int row = 0, column = 0, span = 0;
            grid->getItemPosition(grid->indexOf(const_cast<QSpinBox*>(box)), &row, &column, &span,
                                  &span);
            QCOMPARE(QVector<int>({box->value(), row, column}),
                     QVector<int>({(k - 12) * 8, k % 5, k / 5}));
        }
        dialog.setMatrix(matrix({0, -101, 24, 101}));
        QCOMPARE(dialog.matrix(), matrix({0, -100, 24, 100}));
    }
};

QTEST_MAIN(TestFilters)
#include "test_filters.moc"

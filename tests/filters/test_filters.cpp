#include "filters/editfilterdialog.h"
#include "filters/filterpipeline.h"
#include "maps.h"

#include <QGridLayout>
#include <QSpinBox>
#include <QtTest>

using Coefficients = FilterMatrix::Coefficients;
Q_DECLARE_METATYPE(Coefficients)

namespace {

Coefficients only(int k, int value)
{
    Coefficients coefficients{};
    coefficients[std::size_t(k)] = value;
    return coefficients;
}

Coefficients filled(int value)
{
    Coefficients coefficients;
    coefficients.fill(value);
    return coefficients;
}

std::unique_ptr<Filter> matrix(const Coefficients& coefficients)
{
    auto filter = std::make_unique<FilterMatrix>();
    filter->setMatrix(coefficients);
    return filter;
}

// Integer heights keep every weighted sum exact.
float parabola(int x, int y)
{
    return float(x * x + 2 * y);
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
        Coefficients zeroSum = filled(-1);
        zeroSum[12] = 24;
        QTest::addColumn<Coefficients>("coefficients");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<float>("expected");
        QTest::newRow("all zeros") << Coefficients{} << 2 << 3 << 0.0f;
        QTest::newRow("centre 1") << only(12, 1) << 3 << 1 << 11.0f;
        QTest::newRow("centre 3") << only(12, 3) << 4 << 4 << 24.0f;
        QTest::newRow("all ones, first corner") << filled(1) << 0 << 0 << 55.0f / 25.0f;
        QTest::newRow("all ones, last corner") << filled(1) << 4 << 4 << 475.0f / 25.0f;
        QTest::newRow("zero sum undivided") << zeroSum << 2 << 2 << (25.0f * 8.0f - 250.0f);
        QTest::newRow("negative sum divides") << filled(-1) << 0 << 0 << 55.0f / 25.0f;
        QTest::newRow("k 13 reads x + 1") << only(13, 1) << 1 << 2 << 8.0f;
        QTest::newRow("k 13 on the last column") << only(13, 1) << 4 << 2 << 20.0f;
        QTest::newRow("k 17 reads y + 1") << only(17, 1) << 1 << 2 << 7.0f;
    }

    void weightedSums()
    {
        QFETCH(Coefficients, coefficients);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(float, expected);
        const auto output = matrix(coefficients)->apply(*makeMap(5, 5, parabola));
        QCOMPARE(output->pointAt(std::uint32_t(x), std::uint32_t(y))->z(), expected);
    }

    // Each product and sum is rounded to float in ascending k: 3 + 1e8 rounds
    // back to 1e8, so the 3s vanish; a wider sum would keep them.
    void sumsRoundInFloat()
    {
        Coefficients row = only(11, 1);
        row[12] = row[13] = 1;
        const auto map = makeMap(3, 1, [](int x, int) { return x == 1 ? 1e8f : 3.0f; });
        QCOMPARE(bitsOf(matrix(row)->apply(*map)->pointAt(1, 0)->z()), bitsOf(1e8f / 3.0f));
    }

    // A shifts along x (k = 13); B is 2 h(x) - 2 h(x - 1), undivided. On the
    // row 1, 2, 4, 8 A gives 2, 4, 8, 8, then B 0, 4, 8, 0 (B first, then A:
    // 2, 4, 8, 8).
    void filtersRunInListOrder()
    {
        Coefficients difference = only(11, -2);
        difference[12] = 2;
        FilterList filters;
        filters.push_back(matrix(only(13, 1)));
        filters.push_back(matrix(difference));
        const float row[] = {1, 2, 4, 8};
        const auto base = makeMap(4, 1, [&row](int x, int) { return row[x]; });
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
            auto* box = dialog.findChild<QSpinBox*>(k == 0 ? QString("spinBox")
                                                           : QString("spinBox_%1").arg(k + 1));
            QVERIFY(box != nullptr);
            QCOMPARE(box->value(), (k - 12) * 8);
            int row = 0, column = 0, span = 0;
            grid->getItemPosition(grid->indexOf(box), &row, &column, &span, &span);
            QCOMPARE(QPoint(row, column), QPoint(k % 5, k / 5));
        }
        coefficients[0] = -101;
        coefficients[24] = 101;
        dialog.setMatrix(coefficients);
        QCOMPARE(dialog.matrix()[0], -100);
        QCOMPARE(dialog.matrix()[24], 100);
    }
};

QTEST_MAIN(TestFilters)
#include "test_filters.moc"

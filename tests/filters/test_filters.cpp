#include "filters/editfilterdialog.h"
#include "maps.h"

#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>
#include <QtTest>

namespace {

// The coefficients k1, k2, ... set to v1, v2, ...: {k1, v1, k2, v2, ...}.
FilterMatrix::Coefficients matrix(std::initializer_list<int> pairs)
{
    FilterMatrix::Coefficients coefficients{};
    for (auto k = pairs.begin(); k != pairs.end(); k += 2)
        coefficients[std::size_t(*k)] = k[1];
    return coefficients;
}

} // namespace

Q_DECLARE_METATYPE(FilterMatrix::Coefficients)

// fuzz_filters holds every filtered height, bit for bit, to an independent
// convolution: clamping at the borders, the divisor, zero coefficients and
// the order of the filters.
class TestFilters : public QObject
{
    Q_OBJECT

private slots:
    // Each product and sum is rounded to float in ascending k: 1e8 + 3 rounds
    // back to 1e8, so the 3s vanish where a wider sum, or one that took the
    // 3s first, would keep them.
    void sumsRoundInFloat()
    {
        FilterMatrix filter;
        filter.setMatrix(matrix({11, 1, 12, 1, 13, 1}));
        const auto map = makeMap(3, 1, [](int x, int) { return x == 0 ? 1e8f : 3.0f; });
        QCOMPARE(bitsOf(filter.apply(*map)->pointAt(1, 0)->z()), bitsOf(1e8f / 3.0f));
    }

    // Coefficient k is spin box number k + 1, at grid row k mod 5 and column
    // k div 5, limited to -100 to 100.
    void dialogMatrix()
    {
        FilterMatrix::Coefficients coefficients{};
        for (int k = 0; k < 25; ++k)
            coefficients[std::size_t(k)] = (k - 12) * 8;
        EditFilterDialog dialog;
        dialog.setMatrix(coefficients);
        QCOMPARE(dialog.matrix(), coefficients);
        const QGridLayout* grid = dialog.findChild<QGridLayout*>("matrixGridLayout");
        for (int k = 0; k < 25; ++k) {
            auto* box = dialog.findChild<QSpinBox*>(k == 0 ? QString("spinBox")
                                                           : QString("spinBox_%1").arg(k + 1));
            int row = 0, column = 0, span = 0;
            grid->getItemPosition(grid->indexOf(box), &row, &column, &span, &span);
            QCOMPARE(QVector<int>({box->value(), row, column}),
                     QVector<int>({(k - 12) * 8, k % 5, k / 5}));
        }
        dialog.setMatrix(matrix({0, -101, 24, 101}));
        QCOMPARE(dialog.matrix(), matrix({0, -100, 24, 100}));
    }

    // Below the grid the dialog tells what the coefficients add up to and what the
    // filter does with that, as the values change.
    void theDialogSaysWhatTheSumDoes_data()
    {
        QTest::addColumn<FilterMatrix::Coefficients>("coefficients");
        QTest::addColumn<QString>("said");
        FilterMatrix::Coefficients ones{};
        ones.fill(1);
        FilterMatrix::Coefficients negative = ones;
        for (int& coefficient : negative)
            coefficient = -1;
        QTest::newRow("fresh") << FilterMatrix::Coefficients{}
                               << "Every coefficient is 0: this filter makes every height 0.";
        QTest::newRow("box") << ones << "The coefficients sum to 25: each total is divided by 25.";
        QTest::newRow("negative") << negative
                                  << "The coefficients sum to -25: each total is divided by -25.";
        QTest::newRow("edges") << matrix({12, 8, 6, -4, 18, -4})
                               << "The coefficients sum to 0: totals are not divided.";
    }

    void theDialogSaysWhatTheSumDoes()
    {
        QFETCH(FilterMatrix::Coefficients, coefficients);
        QFETCH(QString, said);
        EditFilterDialog dialog;
        dialog.setMatrix(matrix({0, 1}));
        dialog.setMatrix(coefficients);
        QCOMPARE(dialog.form()->sumLabel->text(), said);
    }
};

QTEST_MAIN(TestFilters)
#include "test_filters.moc"

#include "view/terrainmesh.h"

#include <QtTest>
#include <cstdint>
#include <set>
#include <vector>

using namespace TerrainMesh;

class TestTerrainMesh : public QObject
{
    Q_OBJECT

private slots:
    // The finest stride whose level fits the cells allowed: about one cell per pixel of
    // an 800 x 600 view, or fewer while dragging.
    void strideFitsTheCellsAllowed_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("length");
        QTest::addColumn<qint64>("maxCells");
        QTest::addColumn<int>("stride");
        QTest::newRow("99 x 99 at rest") << 99 << 99 << qint64(480000) << 1;
        QTest::newRow("2048 x 2048 at rest") << 2048 << 2048 << qint64(480000) << 3;
        QTest::newRow("4096 x 4096 at rest") << 4096 << 4096 << qint64(480000) << 6;
        QTest::newRow("2048 x 2048 dragging") << 2048 << 2048 << qint64(32768) << 12;
        QTest::newRow("exactly as many cells") << 401 << 301 << qint64(120000) << 1;
        QTest::newRow("one cell too many") << 401 << 301 << qint64(119999) << 2;
        QTest::newRow("long and narrow") << 4096 << 3 << qint64(1000) << 5;
        QTest::newRow("no cell allowed: one cell") << 3 << 3 << qint64(0) << 2;
        QTest::newRow("a row has no cells") << 5 << 1 << qint64(0) << 1;
    }

    void strideFitsTheCellsAllowed()
    {
        QFETCH(int, width);
        QFETCH(int, length);
        QFETCH(qint64, maxCells);
        QFETCH(int, stride);
        QCOMPARE(Detail::strideFor(width, length, maxCells), stride);
    }

    // A level's cells tile the whole grid once, from its first to its last row and column,
    // each cell spanning at most a stride, as two triangles in the order of the full mesh;
    // its lines are the triangles' edges, each once.
    void levelsTileTheWholeGrid_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("stride");
        QTest::newRow("2 x 2, full") << 2 << 2 << 1;
        QTest::newRow("3 x 2, full") << 3 << 2 << 1;
        QTest::newRow("10 x 7, stride 3: last cells of one point") << 10 << 7 << 3;
        QTest::newRow("11 x 9, stride 2: even cells") << 11 << 9 << 2;
        QTest::newRow("12 x 5, stride 4: short last cells") << 12 << 5 << 4;
        QTest::newRow("7 x 7, stride 10: one cell") << 7 << 7 << 10;
        QTest::newRow("1 x 5: no cells") << 1 << 5 << 1;
    }

    void levelsTileTheWholeGrid()
    {
        QFETCH(int, width);
        QFETCH(int, length);
        QFETCH(int, stride);
        const auto count = Detail::triangleIndexCount(width, length, stride);
        QCOMPARE(count, 6 * Detail::cells(width, length, stride));
        std::vector<std::uint32_t> indices(std::size_t(count) + 1, 0xfeedu);
        Detail::fillTriangles(width, length, stride, indices.data());
        QCOMPARE(indices.back(), 0xfeedu);
        std::vector<int> covered(std::size_t(std::max(0, (width - 1) * (length - 1))), 0);
        for (std::size_t k = 0; k < std::size_t(count); k += 6) {
            const auto x = [&](std::size_t i) { return int(indices[k + i]) % width; };
            const auto y = [&](std::size_t i) { return int(indices[k + i]) / width; };
            // (x0, y0), (x0, y1), (x1, y0), (x1, y0), (x0, y1), (x1, y1)
            QVERIFY(indices[k + 2] == indices[k + 3] && indices[k + 1] == indices[k + 4]);
            QVERIFY(x(0) == x(1) && x(2) == x(5) && y(0) == y(2) && y(1) == y(5));
            QVERIFY(x(0) < x(2) && x(2) - x(0) <= stride && x(2) < width);
            QVERIFY(y(0) < y(1) && y(1) - y(0) <= stride && y(1) < length);
            for (int j = y(0); j < y(1); ++j)
                for (int i = x(0); i < x(2); ++i)
                    ++covered[std::size_t(j * (width - 1) + i)];
        }
        QVERIFY(std::all_of(covered.begin(), covered.end(), [](int n) { return n == 1; }));

        // Drawn as lines, the same level has each edge of its triangles once.
        using Edge = std::pair<std::uint32_t, std::uint32_t>;
        const auto edge = [](std::uint32_t a, std::uint32_t b) {
            return Edge(std::min(a, b), std::max(a, b));
        };
        std::set<Edge> triangleEdges, lineEdges;
        for (std::size_t k = 0; k < std::size_t(count); k += 3)
            for (std::size_t i = 0; i < 3; ++i)
                triangleEdges.insert(edge(indices[k + i], indices[k + (i + 1) % 3]));
        const auto lineCount = Detail::edgeIndexCount(width, length, stride);
        std::vector<std::uint32_t> lines(std::size_t(lineCount) + 1, 0xfeedu);
        Detail::fillEdges(width, length, stride, lines.data());
        QCOMPARE(lines.back(), 0xfeedu);
        for (std::size_t k = 0; k < std::size_t(lineCount); k += 2)
            QVERIFY(lineEdges.insert(edge(lines[k], lines[k + 1])).second);
        QVERIFY(lineEdges == triangleEdges);
    }
};

QTEST_APPLESS_MAIN(TestTerrainMesh)
#include "test_terrainmesh.moc"

#include "drop/waterdrop.h"
#include "terrain/map.h"
#include "view/terrainmesh.h"

#include <QtTest>

namespace {

// Heights 10 x + y + 0.5, so that every grid vertex can be told apart.
std::unique_ptr<Map> numberedMap(int width, int length)
{
    auto map = std::make_unique<Map>(std::uint32_t(width), std::uint32_t(length));
    for (MapPoint& point : map->points()) {
        point.setZ(10.0f * point.x() + point.y() + 0.5f);
    }
    return map;
}

struct Mesh
{
    // Left-overs from an earlier build must not survive.
    QVector<QVector3D> grid{QVector3D(7, 7, 7)};
    QVector<QVector3D> triangles{QVector3D(7, 7, 7)};
};

Mesh buildMesh(const Map& map)
{
    Mesh mesh;
    TerrainMesh::buildGrid(map, mesh.grid);
    TerrainMesh::buildTriangles(mesh.grid, int(map.width()), int(map.length()), mesh.triangles);
    return mesh;
}

bool isNear(const QVector3D& actual, const QVector3D& expected)
{
    return (actual - expected).length() < 1e-5f;
}

} // namespace

class TestTerrainMesh : public QObject
{
    Q_OBJECT

private slots:
    // Row by row along y: map point (j, i) at i * width + j; one map unit is
    // 0.2 scene units, the height is up and map (5, 10) is the origin.
    void gridIsRowByRow()
    {
        const Mesh mesh = buildMesh(*numberedMap(10, 20));
        QCOMPARE(mesh.grid.size(), 200);
        QVERIFY(isNear(mesh.grid[7 * 10 + 3], QVector3D(-0.4f, 7.5f, -0.6f)));
        QVERIFY(isNear(mesh.grid[19 * 10 + 9], QVector3D(0.8f, 21.9f, 1.8f)));
    }

    // Each cell (j, i) gives the triangles (j, i), (j, i + 1), (j + 1, i) and
    // (j + 1, i), (j, i + 1), (j + 1, i + 1); tail holds the last grid indices.
    void triangles_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("count");
        QTest::addColumn<QVector<int>>("tail");
        QTest::newRow("1 x 1") << 1 << 1 << 0 << QVector<int>{};
        QTest::newRow("2 x 2") << 2 << 2 << 6 << QVector<int>{0, 2, 1, 1, 2, 3};
        QTest::newRow("3 x 2") << 3 << 2 << 12 << QVector<int>{0, 3, 1, 1, 3, 4, 1, 4, 2, 2, 4, 5};
        // Last cell (8, 18): m = 18 * 10 + 8.
        QTest::newRow("10 x 20") << 10 << 20 << 6 * 9 * 19
                                 << QVector<int>{188, 198, 189, 189, 198, 199};
    }

    void triangles()
    {
        QFETCH(int, width);
        QFETCH(int, length);
        QFETCH(int, count);
        QFETCH(QVector<int>, tail);
        const Mesh mesh = buildMesh(*numberedMap(width, length));
        QCOMPARE(mesh.grid.size(), width * length);
        QCOMPARE(mesh.triangles.size(), count);
        QVector<int> indices;
        for (const QVector3D& vertex : mesh.triangles) {
            indices.append(mesh.grid.indexOf(vertex));
        }
        QVERIFY(!indices.contains(-1));
        QCOMPARE(indices.mid(count - tail.size()), tail);
    }

    // Drops of 7, 2 and 1 path points, in the order started, on a 30 x 30 map
    // sloping down toward +x and +y: line lists of 12, 2 and 0 vertices.
    void dropLinesPairConsecutivePoints()
    {
        auto map = std::make_unique<Map>(30u, 30u);
        for (MapPoint& point : map->points()) {
            point.setZ(-0.5f * point.x() - 0.25f * point.y());
        }
        QVector<QVector<QVector3D>> lines{{QVector3D(1, 2, 3)}};
        QVector<QVector3D> path{QVector3D(1, 2, 3)};
        QCOMPARE(TerrainMesh::buildDropLines(*map, 30, 30, lines, path), 0);
        QVERIFY(lines.isEmpty());
        QVERIFY(path.isEmpty());

        map->startDrop(2.5f, 3.5f);
        for (int call = 0; call < 5; ++call) {
            map->stepDrops(0.01f);
        }
        map->startDrop(10.25f, 4.75f);
        map->stepDrops(0.01f);
        map->startDrop(20.0f, 20.0f);
        const std::vector<WaterDrop*> drops = map->drops();

        QCOMPARE(TerrainMesh::buildDropLines(*map, 30, 30, lines, path), 10);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0].size(), 12);
        QCOMPARE(lines[1].size(), 2);
        QCOMPARE(lines[2].size(), 0);
        // Scene point (x/5 - 3, z/5, y/5 - 3); segment k is (point k, point k + 1).
        for (int d = 0; d < 2; ++d) {
            const std::vector<MapPoint>& points = drops[std::size_t(d)]->path();
            for (int v = 0; v < lines[d].size(); ++v) {
                const MapPoint& p = points[std::size_t((v + 1) / 2)];
                QVERIFY(isNear(lines[d][v], QVector3D(p.x() / 5 - 3, p.z() / 5, p.y() / 5 - 3)));
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestTerrainMesh)
#include "test_terrainmesh.moc"

#include "drop/waterdrop.h"
#include "terrain/map.h"
#include "view/terrainmesh.h"

#include <QtTest>

namespace {

// Distinct heights, so that every grid vertex can be told apart.
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
    QVector<QVector3D> grid;
    QVector<QVector3D> triangles;
};

Mesh buildMesh(const Map& map)
{
    Mesh mesh;
    // Left-overs from an earlier build must not survive.
    mesh.grid = {QVector3D(7, 7, 7)};
    mesh.triangles = {QVector3D(7, 7, 7)};
    TerrainMesh::buildGrid(map, mesh.grid);
    TerrainMesh::buildTriangles(mesh.grid, int(map.width()), int(map.length()), mesh.triangles);
    return mesh;
}

// Indices of the triangle vertices in the grid, found by value.
QVector<int> triangleIndices(const Mesh& mesh)
{
    QVector<int> indices;
    for (const QVector3D& vertex : mesh.triangles) {
        indices.append(mesh.grid.indexOf(vertex));
    }
    return indices;
}

// A map sloping down toward +x and +y, on which drops run for a long time.
std::unique_ptr<Map> slopeMap()
{
    auto map = std::make_unique<Map>(30u, 30u);
    for (MapPoint& point : map->points()) {
        point.setZ(-0.5f * point.x() - 0.25f * point.y());
    }
    return map;
}

} // namespace

class TestTerrainMesh : public QObject
{
    Q_OBJECT

private slots:
    // One map unit is 0.2 scene units; the height is the scene's up axis and
    // the map's centre (width / 2, length / 2) is the origin.
    void scenePoints_data()
    {
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("y");
        QTest::addColumn<float>("z");
        QTest::addColumn<float>("sceneX");
        QTest::addColumn<float>("sceneY");
        QTest::addColumn<float>("sceneZ");
        QTest::newRow("first corner") << 0.0f << 0.0f << 3.5f << -1.0f << 0.7f << -2.0f;
        QTest::newRow("last corner") << 9.0f << 19.0f << -2.0f << 0.8f << -0.4f << 1.8f;
        QTest::newRow("centre") << 5.0f << 10.0f << 0.0f << 0.0f << 0.0f << 0.0f;
        QTest::newRow("between points") << 2.5f << 0.25f << 1.0f << -0.5f << 0.2f << -1.95f;
    }

    void scenePoints()
    {
        QFETCH(float, x);
        QFETCH(float, y);
        QFETCH(float, z);
        QFETCH(float, sceneX);
        QFETCH(float, sceneY);
        QFETCH(float, sceneZ);
        const QVector3D scene = TerrainMesh::scenePoint(x, y, z, 10, 20);
        QVERIFY2(qAbs(scene.x() - sceneX) < 1e-6f, qPrintable(QString::number(scene.x())));
        QVERIFY2(qAbs(scene.y() - sceneY) < 1e-6f, qPrintable(QString::number(scene.y())));
        QVERIFY2(qAbs(scene.z() - sceneZ) < 1e-6f, qPrintable(QString::number(scene.z())));
    }

    // The grid goes row by row along y: map point (j, i) at i * width + j.
    void gridIsRowByRow()
    {
        const auto map = numberedMap(10, 20);
        const Mesh mesh = buildMesh(*map);
        QCOMPARE(mesh.grid.size(), 200);
        for (int i = 0; i < 20; ++i) {
            for (int j = 0; j < 10; ++j) {
                const QVector3D& vertex = mesh.grid[i * 10 + j];
                QVERIFY(qAbs(vertex.x() - (0.2f * j - 1.0f)) < 1e-5f);
                QVERIFY(qAbs(vertex.y() - (10.0f * j + i + 0.5f) / 5.0f) < 1e-5f);
                QVERIFY(qAbs(vertex.z() - (0.2f * i - 2.0f)) < 1e-5f);
            }
        }
        QCOMPARE(mesh.grid.first(), TerrainMesh::scenePoint(0, 0, 0.5f, 10, 20));
        QCOMPARE(mesh.grid.last(), TerrainMesh::scenePoint(9, 19, 109.5f, 10, 20));
    }

    // Each cell (j, i) gives the triangles (j, i), (j, i + 1), (j + 1, i) and
    // (j + 1, i), (j, i + 1), (j + 1, i + 1).
    void triangles_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("length");
        QTest::addColumn<QVector<int>>("indices");
        QTest::newRow("1 x 1") << 1 << 1 << QVector<int>{};
        QTest::newRow("1 x 4") << 1 << 4 << QVector<int>{};
        QTest::newRow("4 x 1") << 4 << 1 << QVector<int>{};
        QTest::newRow("0 x 0") << 0 << 0 << QVector<int>{};
        QTest::newRow("0 x 3") << 0 << 3 << QVector<int>{};
        QTest::newRow("2 x 2") << 2 << 2 << QVector<int>{0, 2, 1, 1, 2, 3};
        QTest::newRow("3 x 2") << 3 << 2 << QVector<int>{0, 3, 1, 1, 3, 4, 1, 4, 2, 2, 4, 5};
        QTest::newRow("2 x 3") << 2 << 3 << QVector<int>{0, 2, 1, 1, 2, 3, 2, 4, 3, 3, 4, 5};
    }

    void triangles()
    {
        QFETCH(int, width);
        QFETCH(int, length);
        QFETCH(QVector<int>, indices);
        const Mesh mesh = buildMesh(*numberedMap(width, length));
        QCOMPARE(mesh.grid.size(), width * length);
        QCOMPARE(triangleIndices(mesh), indices);
    }

    void triangleCountGrowsWithCells()
    {
        const Mesh mesh = buildMesh(*numberedMap(10, 20));
        QCOMPARE(mesh.triangles.size(), 6 * 9 * 19);
        const QVector<int> indices = triangleIndices(mesh);
        QVERIFY(!indices.contains(-1));
        // The last cell (8, 18): m = 18 * 10 + 8.
        QCOMPARE(indices.mid(indices.size() - 6), (QVector<int>{188, 198, 189, 189, 198, 199}));
    }

    void noDropsGiveNoLines()
    {
        const auto map = numberedMap(4, 4);
        QVector<QVector<QVector3D>> lines{{QVector3D(1, 2, 3)}};
        QVector<QVector3D> path{QVector3D(1, 2, 3)};
        QCOMPARE(TerrainMesh::buildDropLines(*map, 4, 4, lines, path), 0);
        QVERIFY(lines.isEmpty());
        QVERIFY(path.isEmpty());
    }

    // Drops of 7, 2 and 1 path points, in the order they were started: each
    // line list pairs consecutive points; the last drop's path stays in
    // pathVertices.
    void dropLinesPairConsecutivePoints()
    {
        const auto map = slopeMap();
        map->startDrop(2.5f, 3.5f);
        for (int call = 0; call < 5; ++call) {
            map->stepDrops(0.01f);
        }
        map->startDrop(10.25f, 4.75f);
        map->stepDrops(0.01f);
        map->startDrop(20.0f, 20.0f);
        const std::vector<WaterDrop*> drops = map->drops();
        QCOMPARE(drops[0]->path().size(), std::size_t(7));
        QCOMPARE(drops[1]->path().size(), std::size_t(2));
        QCOMPARE(drops[2]->path().size(), std::size_t(1));

        QVector<QVector<QVector3D>> lines;
        QVector<QVector3D> path;
        QCOMPARE(TerrainMesh::buildDropLines(*map, 30, 30, lines, path), 10);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0].size(), 12);
        QCOMPARE(lines[1].size(), 2);
        QCOMPARE(lines[2].size(), 0);
        for (int d = 0; d < 2; ++d) {
            const std::vector<MapPoint>& points = drops[std::size_t(d)]->path();
            for (int k = 0; k + 1 < int(points.size()); ++k) {
                const MapPoint& from = points[std::size_t(k)];
                const MapPoint& to = points[std::size_t(k) + 1];
                QCOMPARE(lines[d][2 * k],
                         TerrainMesh::scenePoint(from.x(), from.y(), from.z(), 30, 30));
                QCOMPARE(lines[d][2 * k + 1],
                         TerrainMesh::scenePoint(to.x(), to.y(), to.z(), 30, 30));
            }
        }
        // (20, 20) at height -15 on a 30 x 30 map.
        QCOMPARE(path.size(), 1);
        QVERIFY(qAbs(path[0].x() - 1.0f) < 1e-6f);
        QVERIFY(qAbs(path[0].y() + 3.0f) < 1e-6f);
        QVERIFY(qAbs(path[0].z() - 1.0f) < 1e-6f);
    }

    void pathVerticesHoldLastDrop()
    {
        const auto map = slopeMap();
        map->startDrop(20.0f, 20.0f);
        map->startDrop(5.5f, 6.5f);
        for (int call = 0; call < 3; ++call) {
            map->stepDrops(0.01f);
        }
        QVector<QVector<QVector3D>> lines;
        QVector<QVector3D> path;
        QCOMPARE(TerrainMesh::buildDropLines(*map, 30, 30, lines, path), 8);
        const std::vector<MapPoint>& last = map->drops().back()->path();
        QCOMPARE(path.size(), 4);
        for (int k = 0; k < 4; ++k) {
            const MapPoint& point = last[std::size_t(k)];
            QCOMPARE(path[k], TerrainMesh::scenePoint(point.x(), point.y(), point.z(), 30, 30));
        }
        QVERIFY(qAbs(path[0].x() - (5.5f / 5.0f - 3.0f)) < 1e-6f);
    }
};

QTEST_APPLESS_MAIN(TestTerrainMesh)
#include "test_terrainmesh.moc"

#include "drop/waterdrop.h"
#include "exports/exportformat.h"
#include "terrain/map.h"
#include "view/terrainmesh.h"

#include <QImage>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

std::uint32_t bitsOf(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// A 4 x 3 slope with fractions, a negative lowest point in the middle and a
// non-round highest point, a drop that has run a few steps and one that has
// made a single step.
std::unique_ptr<Map> sampleMap()
{
    auto map = std::make_unique<Map>(4, 3);
    for (MapPoint& point : map->points()) {
        point.setZ(0.1f * point.x() * point.x() - 0.3f * point.y() + 1.0f / 3.0f);
    }
    map->pointAt(2, 1)->setZ(-0.5f);
    map->startDrop(1.25f, 0.5f);
    for (int i = 0; i < 5; ++i) {
        map->stepDrops(0.01f);
    }
    map->startDrop(2.5f, 1.5f);
    map->drops().back()->advance({1, 0, 0}, 0.01f, 4, 3);
    return map;
}

QByteArray exported(const Map& map, const QString& name)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(name);
    const QString problem = exportMap(map, *exportFormatOf(path), path);
    if (!problem.isEmpty()) {
        qWarning() << problem;
        return {};
    }
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The values of the lines that start with `key` in an OBJ, as lists of words.
QList<QByteArrayList> objLines(const QByteArray& obj, const QByteArray& key)
{
    QList<QByteArrayList> lines;
    for (const QByteArray& line : obj.split('\n')) {
        if (line.startsWith(key + ' ')) {
            lines << line.mid(key.size() + 1).split(' ');
        }
    }
    return lines;
}

} // namespace

class TestExports : public QObject
{
    Q_OBJECT

private slots:
    // The 16-bit values run from 0 at the lowest point to 65535 at the highest,
    // and with the range kept in the text chunks give every height back to
    // within half a step. The raw file holds the same values, x fastest.
    void heightMapsScaleTheHeightsOntoSixteenBits()
    {
        const auto map = sampleMap();
        const QImage image = QImage::fromData(exported(*map, QStringLiteral("w.png")), "png");
        QCOMPARE(image.format(), QImage::Format_Grayscale16);
        QCOMPARE(image.size(), QSize(4, 3));
        const float lowest = image.text(QStringLiteral("Minimum height")).toFloat();
        const float highest = image.text(QStringLiteral("Maximum height")).toFloat();
        QCOMPARE(bitsOf(lowest), bitsOf(-0.5f));
        QCOMPARE(bitsOf(highest), bitsOf(map->pointAt(3, 0)->z()));
        const QByteArray raw = exported(*map, QStringLiteral("w.r16"));
        QCOMPARE(raw.size(), 4 * 3 * 2);
        const double stepHeight = (double(highest) - double(lowest)) / 65535.0;
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 4; ++x) {
                const int value = reinterpret_cast<const quint16*>(image.constScanLine(y))[x];
                const int offset = 2 * (y * 4 + x);
                QCOMPARE(quint8(raw[offset]) | quint8(raw[offset + 1]) << 8, value);
                const double z = map->pointAt(std::uint32_t(x), std::uint32_t(y))->z();
                QVERIFY(std::fabs(lowest + value * stepHeight - z) <= stepHeight / 2);
            }
        }
        QCOMPARE(reinterpret_cast<const quint16*>(image.constScanLine(1))[2], quint16(0));
        QCOMPARE(reinterpret_cast<const quint16*>(image.constScanLine(0))[3], quint16(65535));
        Map flat(3, 3);
        QCOMPARE(exported(flat, QStringLiteral("flat.r16")), QByteArray(18, '\0'));
    }

    // Rows from the north (the last y) down, each height reading back bit for
    // bit; heights that are not numbers are the NODATA value.
    void asciiGridsHoldTheExactHeights()
    {
        const auto map = sampleMap();
        map->pointAt(1, 2)->setZ(std::numeric_limits<float>::quiet_NaN());
        map->pointAt(3, 2)->setZ(std::numeric_limits<float>::infinity());
        const QList<QByteArray> lines = exported(*map, QStringLiteral("w.asc")).split('\n');
        QCOMPARE(lines.mid(0, 5), QList<QByteArray>({"ncols 4", "nrows 3", "xllcenter 0",
                                                     "yllcenter 0", "cellsize 1"}));
        for (int row = 0; row < 3; ++row) {
            const QByteArrayList values = lines[6 + row].split(' ');
            QCOMPARE(values.size(), 4);
            for (int x = 0; x < 4; ++x) {
                const float z = map->pointAt(std::uint32_t(x), std::uint32_t(2 - row))->z();
                QCOMPARE(bitsOf(std::strtof(values[x].constData(), nullptr)),
                         bitsOf(std::isfinite(z) ? z : -std::numeric_limits<float>::max()));
            }
        }
    }

    // The vertices and triangles are the view's own arrays, each drop that has
    // moved a polyline through its path.
    void meshesAreWhatTheViewDraws()
    {
        const auto map = sampleMap();
        const QByteArray obj = exported(*map, QStringLiteral("w.obj"));
        QVector<QVector3D> grid;
        QVector<QVector3D> triangles;
        TerrainMesh::buildGrid(*map, grid);
        TerrainMesh::buildTriangles(grid, 4, 3, triangles);
        const QList<QByteArrayList> vertices = objLines(obj, "v");
        int pathPoints = 0;
        for (const WaterDrop* drop : map->drops()) {
            pathPoints += int(drop->path().size());
        }
        QCOMPARE(vertices.size(), grid.size() + pathPoints);
        const auto vertexAt = [&](int index) {
            const QByteArrayList& words = vertices.at(index);
            return QVector3D(words[0].toFloat(), words[1].toFloat(), words[2].toFloat());
        };
        for (int i = 0; i < grid.size(); ++i) {
            QCOMPARE(vertexAt(i), grid[i]);
        }
        // A map unit is a fifth of a scene unit, and the map's centre (2, 1.5) is the origin.
        QVERIFY(qFuzzyCompare(grid.first(), QVector3D(-0.4f, map->pointAt(0, 0)->z() / 5, -0.3f)));
        QVERIFY(qFuzzyCompare(grid.last(), QVector3D(0.2f, map->pointAt(3, 2)->z() / 5, 0.1f)));
        const QList<QByteArrayList> faces = objLines(obj, "f");
        QCOMPARE(faces.size() * 3, triangles.size());
        for (int i = 0; i < triangles.size(); ++i) {
            QCOMPARE(vertexAt(faces[i / 3][i % 3].toInt() - 1), triangles[i]);
        }
        const QList<QByteArrayList> lines = objLines(obj, "l");
        QCOMPARE(lines.size(), 2);
        for (int d = 0; d < 2; ++d) {
            const std::vector<MapPoint>& path = map->drops()[std::size_t(d)]->path();
            QCOMPARE(lines[d].size(), int(path.size()));
            for (const std::size_t k : {std::size_t(0), path.size() - 1}) {
                QCOMPARE(vertexAt(lines[d][int(k)].toInt() - 1),
                         TerrainMesh::scenePoint(path[k].x(), path[k].y(), path[k].z(), 4, 3));
            }
        }
    }

    void exportsAreTheSameOnEveryRunAndRefuseWhatTheyCannotWrite()
    {
        const auto map = sampleMap();
        for (const char* name : {"a.png", "a.r16", "a.asc", "a.obj"}) {
            QCOMPARE(exported(*map, QString::fromLatin1(name)),
                     exported(*sampleMap(), QString::fromLatin1(name)));
        }
        QCOMPARE(exportFormatOf(QStringLiteral("w.PNG")), std::optional(ExportFormat::Png));
        QVERIFY(!exportFormatOf(QStringLiteral("w.bmp")) && !exportFormatOf(QStringLiteral("w")));
        for (const QSize size : {QSize(0, 5), QSize(5, 0)}) {
            const Map empty(std::uint32_t(size.width()), std::uint32_t(size.height()));
            QVERIFY(exportMap(empty, ExportFormat::Raw16, QStringLiteral("e.r16"))
                        .contains(QStringLiteral("the world is empty (%1 x %2 points)")
                                      .arg(size.width())
                                      .arg(size.height())));
        }
    }
};

QTEST_GUILESS_MAIN(TestExports)
#include "test_exports.moc"

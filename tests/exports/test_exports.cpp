#include "drop/waterdrop.h"
#include "exports/exportformat.h"
#include "maps.h"
#include "terrain/map.h"
#include "view/terrainmesh.h"

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfInputFile.h>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <cstring>
#include <limits>
#include <tiffio.h>
#include <vector>

namespace {

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

QByteArray exported(const Map& map, const QString& name, const ExportSettings& settings = {})
{
    QTemporaryDir folder;
    const QString path = folder.filePath(name);
    const QString problem = exportMap(map, *exportFormatOf(path), path, settings);
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

// The heights of a one-channel float TIFF, row by row, or nothing.
std::vector<float> tiffHeights(const QString& path, std::uint32_t& width, std::uint32_t& length)
{
    std::vector<float> heights;
    TIFF* tiff = TIFFOpen(QFile::encodeName(path).constData(), "r");
    std::uint16_t bits = 0;
    std::uint16_t format = 0;
    if (tiff == nullptr || TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) != 1 ||
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &length) != 1 ||
        TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &bits) != 1 ||
        TIFFGetField(tiff, TIFFTAG_SAMPLEFORMAT, &format) != 1 || bits != 32 ||
        format != SAMPLEFORMAT_IEEEFP) {
        if (tiff != nullptr) {
            TIFFClose(tiff);
        }
        return heights;
    }
    heights.resize(std::size_t(width) * length);
    for (std::uint32_t y = 0; y < length; ++y) {
        if (TIFFReadScanline(tiff, heights.data() + std::size_t(y) * width, y, 0) != 1) {
            heights.clear();
            break;
        }
    }
    TIFFClose(tiff);
    return heights;
}

// The heights of an OpenEXR image's first channel, row by row.
std::vector<float> exrHeights(const QString& path, std::uint32_t& width, std::uint32_t& length)
{
    Imf::InputFile file(QFile::encodeName(path).constData());
    const Imath::Box2i window = file.header().dataWindow();
    width = std::uint32_t(window.max.x - window.min.x + 1);
    length = std::uint32_t(window.max.y - window.min.y + 1);
    std::vector<float> heights(std::size_t(width) * length);
    Imf::FrameBuffer frame;
    frame.insert(file.header().channels().begin().name(),
                 Imf::Slice(Imf::FLOAT, reinterpret_cast<char*>(heights.data()), sizeof(float),
                            sizeof(float) * width));
    file.setFrameBuffer(frame);
    file.readPixels(window.min.y, window.max.y);
    return heights;
}

// Map point (x, y) of a normal or splat map's image: red, green, blue and
// alpha in hex.
QByteArray pixelAt(const QImage& image, int x, int y)
{
    const QColor colour = image.pixelColor(x, y);
    QByteArray bytes;
    for (const int channel : {colour.red(), colour.green(), colour.blue(), colour.alpha()}) {
        bytes.append(char(channel));
    }
    return bytes.toHex();
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

    // Both float formats hold every height to the last bit, not-a-number and
    // infinities too, pixel (x, y) being map point (x, y).
    void floatImagesHoldTheExactHeights_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("TIFF") << QStringLiteral("w.tif");
        QTest::newRow("OpenEXR") << QStringLiteral("w.exr");
    }

    void floatImagesHoldTheExactHeights()
    {
        QFETCH(QString, name);
        // Taller than the rows the writers encode at once.
        const auto map =
            makeMap(5, 150, [](int x, int y) { return float(x) / 3.0f - float(y) * 1e-3f; });
        map->pointAt(1, 2)->setZ(std::numeric_limits<float>::quiet_NaN());
        map->pointAt(3, 140)->setZ(-std::numeric_limits<float>::infinity());
        map->pointAt(0, 1)->setZ(std::numeric_limits<float>::denorm_min());
        QTemporaryDir folder;
        const QString path = folder.filePath(name);
        QCOMPARE(exportMap(*map, *exportFormatOf(path), path), QString());
        std::uint32_t width = 0;
        std::uint32_t length = 0;
        const std::vector<float> heights = name.endsWith(QStringLiteral(".tif"))
                                               ? tiffHeights(path, width, length)
                                               : exrHeights(path, width, length);
        QCOMPARE(width, 5u);
        QCOMPARE(length, 150u);
        QCOMPARE(heights.size(), std::size_t(750));
        for (std::uint32_t y = 0; y < length; ++y) {
            for (std::uint32_t x = 0; x < width; ++x) {
                QCOMPARE(bitsOf(heights[y * width + x]), bitsOf(map->pointAt(x, y)->z()));
            }
        }
    }

    // The normal at each point of a plane, in the OpenGL convention (green up
    // the image, towards smaller map y), from the heights times the vertical
    // scale; the border points' slopes are those of their one neighbour.
    void normalMapsShowTheSlopes_data()
    {
        QTest::addColumn<float>("alongX");
        QTest::addColumn<float>("alongY");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QByteArray>("pixel"); // red, green, blue and alpha in hex
        // (-sx, sy, 1) / |(sx, sy, 1)|, each c as round((c + 1) / 2 * 255).
        QTest::newRow("flat") << 0.0f << 0.0f << 1.0 << QByteArray("8080ffff");
        QTest::newRow("rising along x at 45 degrees")
            << 1.0f << 0.0f << 1.0 << QByteArray("2580daff");
        QTest::newRow("falling along x, scaled up to 45 degrees")
            << -0.25f << 0.0f << 4.0 << QByteArray("da80daff");
        QTest::newRow("rising along y: facing up the image")
            << 0.0f << 1.0f << 1.0 << QByteArray("80dadaff");
        QTest::newRow("both ways") << 3.0f << -4.0f << 1.0 << QByteArray("341b99ff");
    }

    void normalMapsShowTheSlopes()
    {
        QFETCH(float, alongX);
        QFETCH(float, alongY);
        QFETCH(double, scale);
        QFETCH(QByteArray, pixel);
        const auto plane = makeMap(6, 5, [&](int x, int y) { return alongX * x + alongY * y; });
        ExportSettings settings;
        settings.normals.verticalScale = scale;
        const QImage image =
            QImage::fromData(exported(*plane, QStringLiteral("n.normal.png"), settings), "png");
        QCOMPARE(image.size(), QSize(6, 5));
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 6; ++x) {
                QCOMPARE(pixelAt(image, x, y), pixel);
            }
        }
    }

    // Bands by height share and slope, weights summing to 255 within rounding.
    void splatMapsWeighTheBands_data()
    {
        QTest::addColumn<float>("height");
        QTest::addColumn<float>("slope");
        QTest::addColumn<QByteArray>("pixel"); // red, green, blue and alpha in hex
        // Heights placed in the range 0 to 100; the default bands change at
        // 0.3 and 0.7 of it over 0.1, and at 35 degrees over 10.
        QTest::newRow("low flat") << 10.0f << 0.0f << QByteArray("ff000000");
        QTest::newRow("middle flat") << 50.0f << 0.0f << QByteArray("00ff0000");
        QTest::newRow("high flat") << 90.0f << 0.0f << QByteArray("0000ff00");
        QTest::newRow("from low to middle") << 31.0f << 0.0f << QByteArray("66990000");
        QTest::newRow("steep at 60 degrees") << 50.0f << 1.7320508f << QByteArray("000000ff");
        QTest::newRow("high, becoming steep at 38 degrees")
            << 90.0f << 0.78128563f << QByteArray("000033cc");
    }

    void splatMapsWeighTheBands()
    {
        QFETCH(float, height);
        QFETCH(float, slope);
        QFETCH(QByteArray, pixel);
        const auto plane = makeMap(5, 3, [&](int x, int) { return height + slope * float(x - 2); });
        ExportSettings settings;
        settings.heightRange = HeightMap::Range{0.0f, 100.0f, true};
        const QImage image =
            QImage::fromData(exported(*plane, QStringLiteral("s.splat.png"), settings), "png");
        QCOMPARE(pixelAt(image, 2, 1), pixel);
    }

    // A region's grid and mesh stand where the region lies in its world, so
    // that the pieces of a world fit together in a GIS or a 3D program.
    void regionsArePlacedInTheirWorld()
    {
        const auto map = sampleMap();
        map->clearDrops();
        ExportSettings settings;
        settings.place = Region{300, 70, 1000, 500};
        const QList<QByteArray> lines =
            exported(*map, QStringLiteral("r.asc"), settings).split('\n');
        QCOMPARE(lines.mid(2, 2), QList<QByteArray>({"xllcenter 300", "yllcenter 70"}));
        const QList<QByteArrayList> vertices =
            objLines(exported(*map, QStringLiteral("r.obj"), settings), "v");
        QCOMPARE(vertices.size(), 12);
        const QByteArrayList& last = vertices.back();
        QCOMPARE(QVector3D(last[0].toFloat(), last[1].toFloat(), last[2].toFloat()),
                 TerrainMesh::scenePoint(303.0f, 72.0f, map->pointAt(3, 2)->z(), 1000, 500));
        // A region built with a ring around it writes the region alone.
        settings.area = Region{1, 1, 2, 1};
        const QList<QByteArray> inner =
            exported(*map, QStringLiteral("i.asc"), settings).split('\n');
        QCOMPARE(inner.mid(0, 2), QList<QByteArray>({"ncols 2", "nrows 1"}));
        QCOMPARE(bitsOf(std::strtof(inner[6].split(' ')[1].constData(), nullptr)),
                 bitsOf(map->pointAt(2, 1)->z()));
    }

    // One range for all tiles: heights beyond it go to its nearer end.
    void aGivenRangeScalesEveryTileAlike()
    {
        const auto map = makeMap(3, 1, [](int x, int) { return float(x) * 10.0f - 5.0f; });
        ExportSettings settings;
        settings.heightRange = HeightMap::Range{0.0f, 10.0f, true};
        QCOMPARE(exported(*map, QStringLiteral("t.r16"), settings).toHex(),
                 QByteArray("00000080ffff"));
    }

    void exportsAreTheSameOnEveryRunAndRefuseWhatTheyCannotWrite()
    {
        const auto map = sampleMap();
        for (const char* name : {"a.png", "a.r16", "a.asc", "a.obj", "a.tif", "a.exr",
                                 "a.normal.png", "a.splat.png"}) {
            QCOMPARE(exported(*map, QString::fromLatin1(name)),
                     exported(*sampleMap(), QString::fromLatin1(name)));
        }
        QCOMPARE(exportFormatOf(QStringLiteral("w.PNG")), std::optional(ExportFormat::Png));
        QCOMPARE(exportFormatOf(QStringLiteral("w.Normal.png")),
                 std::optional(ExportFormat::NormalMap));
        QCOMPARE(exportFormatOf(QStringLiteral("normal.png")), std::optional(ExportFormat::Png));
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

#include "drop/waterdrop.h"
#include "generators/generatorchoice.h"
#include "maps.h"
#include "view/heightcolours.h"
#include "view/terrainmesh.h"
#include "view/terrainpick.h"
#include "windowdriver.h"

#include <GL/glu.h>
#include <QMatrix4x4>
#include <array>
#include <random>

using namespace WindowDriver;

namespace {

// The camera's matrices as the fixed-function pipeline made them with GLU.
void loadGluMatrices(const CameraRecord& c, double aspect, double far)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0.0, -double(c.distance), -double(c.distance), c.centerX, c.centerY, 0.0, 0.0, 1.0,
              0.0);
    glRotatef(float(c.xRotation * 0.0625), 1.0f, 0.0f, 0.0f);
    glRotatef(float(c.yRotation * 0.0625), 0.0f, 1.0f, 0.0f);
    glRotatef(float(c.zRotation * 0.0625), 0.0f, 0.0f, 1.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(30.0, aspect, double(0.1f), far);
}

// Counts frames so that the tests see which operations redraw. With asBefore
// it draws as the view drew before its terrain went to GL buffers: a triangle
// list of three copies of each vertex and a line list per drop, read from
// memory, and the camera through GLU. Small worlds must still draw so.
class CountingView : public GLWidget
{
public:
    int frames = 0;
    bool asBefore = false;

protected:
    void paintGL() override
    {
        ++frames;
        if (asBefore) {
            paintAsBefore();
        } else {
            GLWidget::paintGL();
        }
    }

private:
    void paintAsBefore()
    {
        QVector<QVector3D> grid, triangles, lastPath;
        QVector<QVector<QVector3D>> dropLines;
        QVector<HeightColours::Rgba> colours;
        SceneBounds bounds;
        if (const Map* map = filteredMap()) {
            const int width = int(map->width()), length = int(map->length());
            TerrainMesh::buildGridReference(*map, grid);
            TerrainMesh::buildTrianglesReference(grid, width, length, triangles);
            TerrainMesh::buildDropLines(*map, width, length, dropLines, lastPath);
            bounds = SceneBounds::of(*map);
            if (colourByHeight())
                HeightColours::build(triangles, bounds.lowest.y(), bounds.highest.y(), colours);
        }
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        const CameraRecord c = camera();
        loadGluMatrices(c, double(width()) / double(height()), CameraView::farPlane(c, bounds));
        glEnableClientState(GL_VERTEX_ARRAY);
        qglColor(Qt::white);
        if (!colours.isEmpty()) {
            glEnableClientState(GL_COLOR_ARRAY);
            glColorPointer(4, GL_UNSIGNED_BYTE, 0, colours.constData());
        }
        glVertexPointer(3, GL_FLOAT, 0, triangles.constData());
        glDrawArrays(GL_TRIANGLES, 0, triangles.size());
        glDisableClientState(GL_COLOR_ARRAY);
        qglColor(Qt::blue);
        glLineWidth(colourByHeight() ? 3.0f : 1.0f);
        for (const QVector<QVector3D>& lines : dropLines) {
            glVertexPointer(3, GL_FLOAT, 0, lines.constData());
            glDrawArrays(GL_LINES, 0, lines.size());
        }
        glLineWidth(1.0f);
        glDisableClientState(GL_VERTEX_ARRAY);
        // The drops' starts, which the view marks since it draws from buffers.
        glPointSize(7.0f);
        glBegin(GL_POINTS);
        for (const QVector<QVector3D>& lines : dropLines)
            if (!lines.isEmpty())
                glVertex3f(lines.front().x(), lines.front().y(), lines.front().z());
        glEnd();
        glPointSize(1.0f);
        const std::pair<QColor, QVector3D> axes[] = {
            {Qt::red, {1, 0, 0}}, {Qt::blue, {0, 1, 0}}, {Qt::green, {0, 0, 1}}};
        for (const auto& [colour, tip] : axes) {
            glBegin(GL_LINES);
            qglColor(Qt::white);
            glVertex3f(0.0f, 0.0f, 0.0f);
            qglColor(colour);
            glVertex3f(tip.x(), tip.y(), tip.z());
            glEnd();
        }
    }
};

int differingPixels(const QImage& a, const QImage& b)
{
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            differing += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
    return differing;
}

// How the view's frames differ from those it drew before, at rest and while the mouse
// drags (a press and a move that leave the camera as it was); empty when they do not.
QString differencesFromBefore(CountingView& view)
{
    QString differences;
    for (bool dragging : {false, true}) {
        if (dragging) {
            sendMouse(view, QEvent::MouseButtonPress, {50, 50}, Qt::RightButton, Qt::RightButton);
            sendMouse(view, QEvent::MouseMove, {50, 50}, Qt::NoButton, Qt::RightButton);
        }
        const QImage now = frameOf(view);
        view.asBefore = true;
        const QImage before = frameOf(view);
        view.asBefore = false;
        if (dragging)
            sendMouse(view, QEvent::MouseButtonRelease, {50, 50}, Qt::RightButton, Qt::NoButton);
        const int differing = differingPixels(now, before);
        if (differing > 0)
            differences +=
                QString("%1 pixels %2; ").arg(differing).arg(dragging ? "dragging" : "at rest");
    }
    return differences;
}

// Angles in sixteenths of a degree, the point looked at, the eye distance.
struct Camera
{
    QVector3D turns; // sixteenths of a degree
    QPointF centre;
    float distance;
};

// Where the camera puts a scene point: the eye at (0, -d, -d) looking at the centre, up
// (0, 1, 0), the scene turned about x, y, then z; 30 degrees of field; rows top down.
QPointF project(const QVector3D& point, QSize size, const Camera& camera)
{
    QMatrix4x4 matrix;
    matrix.perspective(30.0f, float(size.width()) / float(size.height()), 0.1f, 100.0f);
    matrix.lookAt(QVector3D(0, -camera.distance, -camera.distance),
                  QVector3D(float(camera.centre.x()), float(camera.centre.y()), 0), {0, 1, 0});
    matrix.rotate(camera.turns.x() / 16.0f, 1, 0, 0);
    matrix.rotate(camera.turns.y() / 16.0f, 0, 1, 0);
    matrix.rotate(camera.turns.z() / 16.0f, 0, 0, 1);
    const QVector3D ndc = matrix.map(point);
    return QPointF((ndc.x() + 1.0) * 0.5 * size.width(), (1.0 - ndc.y()) * 0.5 * size.height());
}

// The colour of a pixel: 'g' the dark grey background, 'w' white, 'r', 'G'
// or 'b' red, green or blue, '?' anything else.
char colourOf(QColor c)
{
    if (std::abs(c.red() - 128) + std::abs(c.green() - 128) + std::abs(c.blue() - 128) <= 4)
        return 'g';
    const int high = (c.red() > 240) + (c.green() > 240) * 2 + (c.blue() > 240) * 4;
    const int low = (c.red() < 100) + (c.green() < 100) * 2 + (c.blue() < 100) * 4;
    return high == 7 ? 'w' : high + low != 7 ? '?' : "?rG?b???"[high];
}

// Whether a pixel within radius of at has the colour; 'x' is any but 'g'.
bool foundNear(const QImage& image, QPointF at, int radius, char colour)
{
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            const QPoint p = at.toPoint() + QPoint(dx, dy);
            const char found = image.valid(p) ? colourOf(image.pixelColor(p)) : ' ';
            if (found == colour || (colour == 'x' && found != 'g' && found != ' '))
                return true;
        }
    return false;
}

// How many pixels of the picture have the colour.
int pixelsOf(const QImage& image, char colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += colourOf(image.pixelColor(x, y)) == colour ? 1 : 0;
    return count;
}

} // namespace

Q_DECLARE_METATYPE(Camera)

class TestView : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        view_ = std::make_unique<CountingView>();
        view_->resize(400, 300);
        view_->show();
        QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
    }

    // White at the origin, then red x, blue y and green z axes: nearly the
    // tip's colour nine tenths out, only background a tenth beyond the tip.
    void axesFollowTheCamera_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<Camera>("camera");
        QTest::addColumn<QPoint>("wheel");
        QTest::newRow("resized") << QSize(240, 360) << Camera{{}, {}, -10} << QPoint();
        // 45, 45 and 30 degrees: a wrong axis or order moves the tips.
        QTest::newRow("turned") << QSize(400, 300) << Camera{{720, 720, 480}, {}, -10} << QPoint();
        QTest::newRow("centre moved")
            << QSize(400, 300) << Camera{{}, {0.5, -0.25}, -10} << QPoint();
        // The wheel takes the larger delta: 1 - 480 / 1200 times the distance.
        QTest::newRow("wheel sideways")
            << QSize(400, 300) << Camera{{}, {}, -6} << QPoint(-480, 120);
    }

    void axesFollowTheCamera()
    {
        QFETCH(QSize, size);
        QFETCH(Camera, camera);
        QFETCH(QPoint, wheel);
        view_->resize(size);
        QTRY_COMPARE(view_->size(), size);
        view_->setXRotation(double(camera.turns.x()));
        view_->setYRotation(double(camera.turns.y()));
        view_->setZRotation(double(camera.turns.z()));
        view_->setCenterX(camera.centre.x());
        view_->setCenterY(camera.centre.y());
        turnWheel(*view_, wheel);
        QCOMPARE(view_->eyeDistance(), camera.distance);
        const QImage image = frameOf(*view_);
        QVERIFY(foundNear(image, {4, size.height() - 5.0}, 0, 'g'));
        QVERIFY(foundNear(image, project({}, size, camera), 2, 'w'));
        const std::pair<QVector3D, char> tips[] = {
            {{1, 0, 0}, 'r'}, {{0, 1, 0}, 'b'}, {{0, 0, 1}, 'G'}};
        for (const auto& [tip, colour] : tips) {
            QVERIFY(foundNear(image, project(0.9f * tip, size, camera), 2, colour));
            QVERIFY(!foundNear(image, project(1.1f * tip, size, camera), 1, 'x'));
        }
    }

    // The 11 x 9 slope z = 0.1 x is a white wire mesh with background inside its triangles,
    // each drop run down it a blue line through its own path; map (x, y, z) is scene
    // (x/5 - 1.1, z/5, y/5 - 0.9).
    void terrainWireframeAndDropPath()
    {
        view_->setBaseMap(makeMap(11, 9, [](int x, int) { return 0.1f * float(x); }));
        view_->filteredMap()->startDrop(8.0f, 5.4f);
        view_->filteredMap()->startDrop(9.5f, 2.6f);
        for (int step = 0; step < 300; ++step)
            view_->filteredMap()->stepDrops(0.01f);
        view_->rebuildMesh();
        turnWheel(*view_, {0, -720});
        const QImage image = frameOf(*view_);
        const auto at = [&image](float x, float y) {
            const QVector3D scene(x / 5 - 1.1f, 0.02f * x, y / 5 - 0.9f);
            return project(scene, image.size(), Camera{{}, {}, -4});
        };
        // The triangle (3, 2), (3, 3), (4, 2): its three sides, then its middle.
        for (const QPointF& side : {at(3, 2.5f), at(3.5f, 2), at(3.5f, 2.5f)})
            QVERIFY(foundNear(image, side, 1, 'w'));
        QVERIFY(foundNear(image, at(3.33f, 2.33f), 0, 'g'));
        QVERIFY(!foundNear(image, at(3.33f, 2.33f), 1, 'w'));
        for (const WaterDrop* drop : view_->filteredMap()->drops()) {
            const std::vector<MapPoint>& path = drop->path();
            QVERIFY(path.size() > 100);
            for (std::size_t k : {path.size() / 4, 3 * path.size() / 4})
                QVERIFY(foundNear(image, at(path[k].x(), path[k].y()), 2, 'b'));
        }
        // Each drop's start is marked: a blue spot, also where its path has long left it.
        QList<QPointF> starts;
        for (const WaterDrop* drop : view_->filteredMap()->drops())
            starts << at(drop->path().front().x(), drop->path().front().y());
        const auto bluePixels = [&starts](const QImage& frame, bool nearStarts) {
            int count = 0;
            for (int y = 0; y < frame.height(); ++y)
                for (int x = 0; x < frame.width(); ++x) {
                    bool near = false;
                    for (const QPointF& start : starts)
                        near = near || (std::abs(x - start.x()) < 6 && std::abs(y - start.y()) < 6);
                    count += near == nearStarts && colourOf(frame.pixelColor(x, y)) == 'b' ? 1 : 0;
                }
            return count;
        };
        QVERIFY(bluePixels(image, true) > 2 * 30);
        // Among the coloured lines the path is drawn three pixels wide.
        const int thin = bluePixels(image, false);
        view_->setColourByHeight(true);
        QVERIFY(bluePixels(frameOf(*view_), false) > 2 * thin);
    }

    // Seen from below (turned half a turn about x) the mesh is as open as
    // from above: back faces are wire too.
    void theWireframeIsOpenFromBothSides()
    {
        view_->setBaseMap(makeMap(11, 9, [](int x, int) { return 0.1f * float(x); }));
        view_->rebuildMesh();
        const int above = pixelsOf(frameOf(*view_), 'w');
        view_->setXRotation(2880);
        const int below = pixelsOf(frameOf(*view_), 'w');
        QVERIFY2(std::abs(below - above) < above / 4,
                 qPrintable(QString("%1 white pixels above, %2 below").arg(above).arg(below)));
    }

    // A flat 11 x 9 world at height 1.5 puts its row y = 6 at scene (x, 0.3, 0.3), in the
    // plane of the eye and the x axis and nearer the eye: the row covers the axis drawn after
    // it. An odd height centres the axis on a pixel row.
    void nearerTerrainHidesTheAxes()
    {
        view_->resize(400, 301);
        QTRY_COMPARE(view_->size(), QSize(400, 301));
        view_->setBaseMap(makeMap(11, 9, [](int, int) { return 1.5f; }));
        view_->rebuildMesh();
        const QImage image = frameOf(*view_);
        for (float along : {0.8f, 0.85f}) {
            const QPointF at = project({along, 0, 0}, image.size(), Camera{{}, {}, -10});
            QCOMPARE(colourOf(image.pixelColor(int(at.x()), int(at.y()))), 'w');
        }
    }

    // A view's GL context starts from the starting camera, whatever was set before it.
    void firstShowStartsFromTheStartingCamera()
    {
        GLWidget view;
        view.setXRotation(160);
        view.setCenterY(2);
        turnWheel(view, {0, 120});
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        frameOf(view);
        QCOMPARE((QVector<double>{view.xRotation(), view.centerY(), view.eyeDistance()}),
                 (QVector<double>{0, 0, -10}));
    }

    // 8 sixteenths of a degree per pixel (x turns with vertical motion); 1/32 scene unit
    // of pan per pixel, x against the motion; both when both buttons are held. The middle
    // button only moves the last position. Presses, moves and the wheel redraw, releases not.
    void mouseDrivesTheCamera()
    {
        const int frames = view_->frames;
        const auto camera = [](const GLWidget& view) {
            return QVector<double>{view.xRotation(), view.yRotation(), view.zRotation(),
                                   view.centerX(),   view.centerY(),   view.eyeDistance()};
        };
        drag(*view_, Qt::RightButton, {100, 100}, {110, 104});
        QCOMPARE(camera(*view_), (QVector<double>{32, 80, 0, 0, 0, -10}));
        sendMouse(*view_, QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::LeftButton);
        sendMouse(*view_, QEvent::MouseMove, {132, 164}, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(view_->cursor().shape(), Qt::ClosedHandCursor);
        sendMouse(*view_, QEvent::MouseButtonRelease, {132, 164}, Qt::RightButton, Qt::NoButton);
        QCOMPARE(view_->cursor().shape(), Qt::ArrowCursor);
        drag(*view_, Qt::MiddleButton, {140, 120}, {150, 110});
        sendMouse(*view_, QEvent::MouseMove, {152, 110}, Qt::NoButton,
                  Qt::RightButton | Qt::LeftButton);
        turnWheel(*view_, {0, 120});
        turnWheel(*view_, {0, 120});
        QCOMPARE(camera(*view_), (QVector<double>{32, 96, 0, -1.0625, 2, double(-12.1f)}));
        QCOMPARE(view_->frames, frames + 9);
    }

    // The terrain's point under a pixel is the one the camera puts there: map points
    // projected to the picture and picked back, from above and turned; off the terrain
    // nothing is found.
    void pickingFindsThePointUnderAPixel_data()
    {
        QTest::addColumn<Camera>("camera");
        QTest::newRow("from the start") << Camera{{}, {}, -6};
        QTest::newRow("turned and moved") << Camera{{320, -560, 0}, {0.4, -0.2}, -7};
    }

    void pickingFindsThePointUnderAPixel()
    {
        QFETCH(Camera, camera);
        // A ridge along x = 6 on an 11 x 9 world, so the two triangles of a cell differ.
        view_->setBaseMap(
            makeMap(11, 9, [](int x, int y) { return 2.0f - 0.3f * std::abs(x - 6) + 0.05f * y; }));
        view_->rebuildMesh();
        view_->setXRotation(camera.turns.x());
        view_->setYRotation(camera.turns.y());
        view_->setCenterX(camera.centre.x());
        view_->setCenterY(camera.centre.y());
        CameraRecord record = view_->camera();
        record.distance = camera.distance;
        view_->setCamera(record);
        const Map& map = *view_->filteredMap();
        for (const QPointF& at : {QPointF(2.25, 3.5), QPointF(6.0, 4.75), QPointF(8.6, 1.2)}) {
            const float height =
                2.0f - 0.3f * std::abs(float(at.x()) - 6.0f) + 0.05f * float(at.y());
            const QVector3D scene(float(at.x()) / 5 - 1.1f, height / 5, float(at.y()) / 5 - 0.9f);
            const QPointF pixel = project(scene, view_->size(), camera) - QPointF(0.5, 0.5);
            const std::optional<QVector3D> picked =
                TerrainPick::surfaceAt(map, view_->camera(), view_->size(), pixel);
            QVERIFY(picked.has_value());
            QVERIFY2(std::hypot(picked->x() - at.x(), picked->y() - at.y()) < 0.1,
                     qPrintable(QString("%1 %2 -> %3 %4")
                                    .arg(at.x())
                                    .arg(at.y())
                                    .arg(picked->x())
                                    .arg(picked->y())));
            QVERIFY(std::fabs(picked->z() - height) < 0.05);
        }
        QVERIFY(!TerrainPick::surfaceAt(map, view_->camera(), view_->size(), {1, 1}));
    }

    // The camera's matrices carry the very floats that GLU and the GL matrix stack made of
    // the same camera, for cameras of every kind: a last bit off can move a line by a pixel.
    void cameraMatricesAreThoseOfGlu()
    {
        view_->makeCurrent();
        std::mt19937 random(22);
        const auto uniform = [&random](double low, double high) {
            return std::uniform_real_distribution<double>(low, high)(random);
        };
        for (int k = 0; k < 400; ++k) {
            CameraRecord c;
            // Whole turns and right angles as well as any sixteenth of a degree.
            const double step = k % 4 == 0 ? 1440 : 1;
            c.xRotation = step * std::round(uniform(-9000, 9000) / step);
            c.yRotation = step * std::round(uniform(-9000, 9000) / step);
            c.zRotation = k % 3 == 0 ? std::round(uniform(-3000, 3000)) : 0;
            c.centerX = std::round(uniform(-64, 64)) * 0.03125;
            c.centerY = std::round(uniform(-64, 64)) * 0.03125;
            c.distance = float(uniform(-80, 80));
            const double aspect = uniform(0.2, 5), far = k % 2 == 0 ? 100 : uniform(100, 5000);
            loadGluMatrices(c, aspect, far);
            const std::pair<GLenum, QMatrix4x4> matrices[] = {
                {GL_MODELVIEW_MATRIX, CameraView::modelView(c)},
                {GL_PROJECTION_MATRIX, CameraView::projection(aspect, far)}};
            for (const auto& [which, ours] : matrices) {
                std::array<float, 16> glus{};
                glGetFloatv(which, glus.data());
                for (std::size_t i = 0; i < glus.size(); ++i)
                    QVERIFY2(glus[i] == ours.constData()[i],
                             qPrintable(QString("camera %1, matrix %2, entry %3: %4, GLU %5")
                                            .arg(k)
                                            .arg(which)
                                            .arg(i)
                                            .arg(double(ours.constData()[i]), 0, 'g', 9)
                                            .arg(double(glus[i]), 0, 'g', 9)));
            }
        }
    }

    // Worlds of the New world dialog's sizes draw the same pixels as before, frame for frame:
    // white and coloured by height, at rest and while dragging, with drop paths.
    void smallWorldsDrawAsBefore_data()
    {
        QTest::addColumn<QSize>("world");
        QTest::addColumn<int>("generator"); // -1: the slope z = 0.1 x
        QTest::addColumn<int>("drops");
        QTest::addColumn<Camera>("camera"); // distance 0: Fit world
        QTest::newRow("1 x 1") << QSize(1, 1) << -1 << 0 << Camera{{}, {}, -10};
        QTest::newRow("2 x 2, turned") << QSize(2, 2) << -1 << 0 << Camera{{96, -40, 8}, {}, -4};
        QTest::newRow("11 x 9 slope, 2 drops")
            << QSize(11, 9) << -1 << 2 << Camera{{}, {0.5, -0.25}, -4};
        QTest::newRow("60 x 45 chain, 3 drops, fitted")
            << QSize(60, 45) << 2 << 3 << Camera{{296, -104, 0}, {}, 0};
        QTest::newRow("99 x 99 peaks, 5 drops, turned")
            << QSize(99, 99) << 1 << 5 << Camera{{720, 720, 480}, {0.25, 1}, -21.4359f};
        QTest::newRow("99 x 40 random, from below")
            << QSize(99, 40) << 0 << 1 << Camera{{2600, 330, -77}, {-0.5, 0}, -18};
    }

    void smallWorldsDrawAsBefore()
    {
        QFETCH(QSize, world);
        QFETCH(int, generator);
        QFETCH(int, drops);
        QFETCH(Camera, camera);
        // Another world first, of another size: nothing of its mesh may stay.
        const auto showAnother = [&] {
            view_->setBaseMap(makeMap(7, 5, [](int x, int y) { return float(x * y); }));
            view_->rebuildMesh();
        };
        const auto show = [&] {
            showAnother();
            if (generator < 0) {
                view_->setBaseMap(makeMap(world.width(), world.height(),
                                          [](int x, int) { return 0.1f * float(x); }));
            } else {
                auto builder = makeMapBuilder(generator);
                builder->setSeed(QByteArray("pixels"))
                    .setWidth(world.width())
                    .setLength(world.height());
                view_->setBaseMap(builder->build());
            }
            for (int drop = 0; drop < drops; ++drop)
                view_->world().startDrop(0.8f * float(world.width() - 1) * float(drop + 1) / 6.0f,
                                         0.6f * float(world.height() - 1));
            for (int run = 0; run < 4; ++run)
                view_->world().runDropSteps();
            view_->rebuildMesh();
            view_->setCamera({camera.distance == 0.0f ? -10.0f : camera.distance, camera.turns.x(),
                              camera.turns.y(), camera.turns.z(), camera.centre.x(),
                              camera.centre.y()});
            if (camera.distance == 0.0f)
                view_->fitWorld();
        };
        const std::pair<const char*, std::function<void()>> steps[] = {
            {"white", show},
            {"coloured once shown", [this] { view_->setColourByHeight(true); }},
            {"another world coloured", showAnother},
            {"coloured when shown", show}};
        for (const auto& [name, step] : steps) {
            step();
            const QString differences = differencesFromBefore(*view_);
            QVERIFY2(differences.isEmpty(), qPrintable(name + (": " + differences)));
        }
    }

    // A world of more cells than a drag may draw is drawn coarser from the first move with a
    // button held until the last button is released, with its drop paths whole; at rest it
    // draws all its cells, as long as the view has a pixel for each, each edge once.
    void dragsDrawCoarserUntilReleased()
    {
        view_->resize(640, 480);
        QTRY_COMPARE(view_->size(), QSize(640, 480));
        view_->setBaseMap(makeMap(400, 400, [](int x, int y) {
            return 2.0f * std::sin(0.05f * float(x)) * std::sin(0.07f * float(y));
        }));
        view_->world().startDrop(200.5f, 190.25f);
        view_->world().runDropsToEnd();
        view_->rebuildMesh();
        const QImage atRest = frameOf(*view_);
        QCOMPARE(view_->drawnStride(), 1);
        // Its edges drawn once each, not as outlined triangles: the same picture but for a few
        // ends of lines.
        view_->asBefore = true;
        QVERIFY(differingPixels(frameOf(*view_), atRest) < 300);
        view_->asBefore = false;

        sendMouse(*view_, QEvent::MouseButtonPress, {50, 50}, Qt::RightButton, Qt::RightButton);
        QVERIFY(frameOf(*view_) == atRest);
        sendMouse(*view_, QEvent::MouseMove, {50, 50}, Qt::NoButton, Qt::RightButton);
        const QImage dragging = frameOf(*view_);
        QCOMPARE(view_->drawnStride(), 3);
        QVERIFY(dragging != atRest);
        int pathPixels = 0, pathsLost = 0;
        for (int y = 0; y < atRest.height(); ++y)
            for (int x = 0; x < atRest.width(); ++x)
                if (colourOf(atRest.pixelColor(x, y)) == 'b') {
                    ++pathPixels;
                    pathsLost += colourOf(dragging.pixelColor(x, y)) == 'g' ? 1 : 0;
                }
        QVERIFY(pathPixels > 200);
        QCOMPARE(pathsLost, 0);
        sendMouse(*view_, QEvent::MouseButtonPress, {50, 50}, Qt::LeftButton,
                  Qt::RightButton | Qt::LeftButton);
        sendMouse(*view_, QEvent::MouseButtonRelease, {50, 50}, Qt::LeftButton, Qt::RightButton);
        QVERIFY(frameOf(*view_) == dragging);
        sendMouse(*view_, QEvent::MouseButtonRelease, {50, 50}, Qt::RightButton, Qt::NoButton);
        QVERIFY(frameOf(*view_) == atRest);

        // 200 x 150 pixels: every third row and column, 133 x 133 cells.
        view_->resize(200, 150);
        QTRY_COMPARE(view_->size(), QSize(200, 150));
        frameOf(*view_);
        QCOMPARE(view_->drawnStride(), 3);
    }

private:
    std::unique_ptr<CountingView> view_;
};

QTEST_MAIN(TestView)
#include "test_view.moc"

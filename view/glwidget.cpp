#include "view/glwidget.h"

#include "terrain/map.h"
#include "view/terrainmesh.h"
#include "world/worldbuild.h"

#include <GL/glu.h>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cstdlib>
#include <utility>

namespace {

// Camera steps: half a degree of turn and 1/32 scene unit of pan per pixel.
constexpr int kRotationPerPixel = 8;
constexpr float kPanPerPixel = 0.03125f;

void drawAxis(QGLWidget& view, const QColor& tipColour, float x, float y, float z)
{
    glBegin(GL_LINES);
    view.qglColor(Qt::white);
    glVertex3f(0.0f, 0.0f, 0.0f);
    view.qglColor(tipColour);
    glVertex3f(x, y, z);
    glEnd();
}

} // namespace

GLWidget::GLWidget(QWidget* parent)
    : QGLWidget(parent, nullptr, Qt::WindowFlags()), gridBuffer_(QGLBuffer::VertexBuffer),
      pathBuffer_(QGLBuffer::VertexBuffer)
{}

GLWidget::~GLWidget()
{
    if (gridBuffer_.isCreated() || pathBuffer_.isCreated()) {
        makeCurrent();
        gridBuffer_.destroy();
        pathBuffer_.destroy();
        doneCurrent();
    }
}

QSize GLWidget::sizeHint() const
{
    return QSize(800, 600);
}

QSize GLWidget::minimumSizeHint() const
{
    return QSize(200, 200);
}

// The base map is the world's to keep; nothing changes it once it is made.
Map* GLWidget::baseMap() const
{
    return const_cast<Map*>(world_.baseMap());
}

Map* GLWidget::filteredMap() const
{
    return world_.filteredMap();
}

bool GLWidget::hasBaseMap() const
{
    return world_.hasTerrain();
}

void GLWidget::setBaseMap(std::unique_ptr<Map> map)
{
    world_.setBaseMap(std::move(map));
}

void GLWidget::applyFilters()
{
    world_.applyFilters();
}

void GLWidget::rebuildMesh()
{
    if (!world_.hasTerrain()) {
        // Undone back to before the first world: only the axes are left.
        clearMesh();
        setCursor(Qt::ArrowCursor);
        updateGL();
        return;
    }
    // The buffer objects live in this view's context.
    makeCurrent();
    const Map& map = *world_.filteredMap();
    meshWidth_ = int(map.width());
    meshLength_ = int(map.length());
    cellColumns_ = meshWidth_ - 1;
    cellRows_ = meshLength_ - 1;

    sceneBounds_ = SceneBounds::of(map);
    TerrainMesh::buildGrid(map, gridVertices_);
    TerrainMesh::buildTriangles(gridVertices_, meshWidth_, meshLength_, triangleVertices_);
    colourTriangles();
    fillGridBuffer();
    fillPathBuffer(
        TerrainMesh::buildDropLines(map, meshWidth_, meshLength_, dropLines_, pathVertices_));

    // The commands that rebuild show the wait cursor while they work.
    setCursor(Qt::ArrowCursor);
    updateGL();
}

void GLWidget::clearMesh()
{
    triangleVertices_.clear();
    gridVertices_.clear();
    dropLines_.clear();
    pathVertices_.clear();
    triangleColours_.clear();
    sceneBounds_ = SceneBounds();
}

void GLWidget::fillGridBuffer()
{
    gridBuffer_.create();
    gridBuffer_.bind();
    gridBuffer_.allocate(gridVertices_.constData(), gridVertices_.size() * int(sizeof(QVector3D)));
    gridBuffer_.release();
}

// The path buffer is sized for every drop's path, as the drop lines count them,
// and holds the last drop's path kept in pathVertices_. Both buffers are filled
// at every rebuild but never drawn from: painting reads the arrays in memory.
void GLWidget::fillPathBuffer(int pathPoints)
{
    pathBuffer_.create();
    pathBuffer_.bind();
    pathBuffer_.allocate(pathPoints * int(sizeof(QVector3D)));
    pathBuffer_.write(0, pathVertices_.constData(), pathVertices_.size() * int(sizeof(QVector3D)));
    pathBuffer_.release();
}

void GLWidget::addFilter(std::unique_ptr<Filter> filter)
{
    world_.addFilter(std::move(filter));
}

Filter* GLWidget::filterAt(int position) const
{
    return world_.filterAt(position);
}

QString GLWidget::filterName(int position) const
{
    return filterAt(position)->name();
}

int GLWidget::filterCount() const
{
    return world_.filterCount();
}

void GLWidget::moveFilterUp(int position)
{
    world_.moveFilterUp(position);
}

void GLWidget::moveFilterDown(int position)
{
    world_.moveFilterDown(position);
}

void GLWidget::removeFilter(int position)
{
    world_.removeFilter(position);
}

bool GLWidget::hasUnappliedFilters() const
{
    return world_.hasUnappliedFilters();
}

void GLWidget::setFilterList(FilterList filters)
{
    world_.setFilterList(std::move(filters));
}

CameraRecord GLWidget::camera() const
{
    return world_.camera();
}

void GLWidget::setCamera(const CameraRecord& camera)
{
    world_.setCamera(camera);
}

void GLWidget::fitWorld()
{
    setCamera(CameraView::fitted(camera(), sceneBounds_, aspectRatio()));
    updateGL();
}

void GLWidget::setColourByHeight(bool on)
{
    colourByHeight_ = on;
    colourTriangles();
    updateGL();
}

void GLWidget::colourTriangles()
{
    if (!colourByHeight_) {
        triangleColours_.clear();
        return;
    }
    HeightColours::build(triangleVertices_, sceneBounds_.lowest.y(), sceneBounds_.highest.y(),
                         triangleColours_);
}

void GLWidget::setXRotation(const double& angle)
{
    world_.camera().xRotation = angle;
}

void GLWidget::setYRotation(const double& angle)
{
    world_.camera().yRotation = angle;
}

void GLWidget::setZRotation(const double& angle)
{
    world_.camera().zRotation = angle;
}

void GLWidget::setCenterX(const double& x)
{
    world_.camera().centerX = x;
}

void GLWidget::setCenterY(const double& y)
{
    world_.camera().centerY = y;
}

void GLWidget::mousePressEvent(QMouseEvent* event)
{
    lastPos_ = event->pos();
    updateGL();
}

void GLWidget::mouseReleaseEvent(QMouseEvent*)
{
    setCursor(Qt::ArrowCursor);
}

void GLWidget::mouseMoveEvent(QMouseEvent* event)
{
    const int dx = event->x() - lastPos_.x();
    const int dy = event->y() - lastPos_.y();
    CameraRecord& camera = world_.camera();
    if (event->buttons() & Qt::RightButton) {
        camera.xRotation += kRotationPerPixel * dy;
        camera.yRotation += kRotationPerPixel * dx;
    }
    if (event->buttons() & Qt::LeftButton) {
        setCursor(Qt::ClosedHandCursor);
        camera.centerX -= float(dx) * kPanPerPixel;
        camera.centerY += float(dy) * kPanPerPixel;
    }
    lastPos_ = event->pos();
    updateGL();
}

void GLWidget::wheelEvent(QWheelEvent* event)
{
    // The larger of the two deltas, as the wheel's single delta of old was, so
    // that horizontal scrolling and tilt wheels zoom too.
    const QPoint angle = event->angleDelta();
    const int delta = std::abs(angle.x()) > std::abs(angle.y()) ? angle.x() : angle.y();
    float& distance = world_.camera().distance;
    distance = float((delta / 1200.0 + 1.0) * distance);
    updateGL();
}

void GLWidget::resetCamera()
{
    world_.setCamera(CameraRecord());
}

void GLWidget::initializeGL()
{
    resetCamera();
    qglClearColor(Qt::darkGray);
    glEnable(GL_DEPTH_TEST);
}

void GLWidget::resizeGL(int width, int height)
{
    glViewport(0, 0, width, height);
}

// A zero-height view would give an unbounded aspect ratio; it then divides by
// one instead.
double GLWidget::aspectRatio() const
{
    const int divisor = height() == 0 ? 1 : height();
    return double(width()) / double(divisor);
}

void GLWidget::paintGL()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);

    const CameraRecord& camera = world_.camera();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0.0, -double(camera.distance), -double(camera.distance), camera.centerX,
              camera.centerY, 0.0, 0.0, 1.0, 0.0);
    glRotatef(float(camera.xRotation * 0.0625), 1.0f, 0.0f, 0.0f);
    glRotatef(float(camera.yRotation * 0.0625), 0.0f, 1.0f, 0.0f);
    glRotatef(float(camera.zRotation * 0.0625), 0.0f, 0.0f, 1.0f);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // The far plane moves out only when a large or distant world would reach
    // past the usual 100 scene units.
    gluPerspective(CameraView::FieldOfView, aspectRatio(), double(CameraView::NearPlane),
                   CameraView::farPlane(camera, sceneBounds_));

    glEnableClientState(GL_VERTEX_ARRAY);
    drawTerrain();
    drawDropPaths();
    glDisableClientState(GL_VERTEX_ARRAY);
    drawAxes();
}

void GLWidget::drawTerrain()
{
    qglColor(Qt::white);
    const bool coloured = colourByHeight_ && triangleColours_.size() == triangleVertices_.size();
    if (coloured) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_UNSIGNED_BYTE, 0, triangleColours_.constData());
    }
    glVertexPointer(3, GL_FLOAT, 0, triangleVertices_.constData());
    glDrawArrays(GL_TRIANGLES, 0, triangleVertices_.size());
    if (coloured) {
        glDisableClientState(GL_COLOR_ARRAY);
    }
}

void GLWidget::drawDropPaths()
{
    // Among coloured lines, one-pixel blue paths would get lost.
    constexpr float ColouredPathWidth = 3.0f;
    qglColor(Qt::blue);
    glLineWidth(colourByHeight_ ? ColouredPathWidth : 1.0f);
    for (const QVector<QVector3D>& lines : dropLines_) {
        glVertexPointer(3, GL_FLOAT, 0, lines.constData());
        glDrawArrays(GL_LINES, 0, lines.size());
    }
    glLineWidth(1.0f);
}

void GLWidget::drawAxes()
{
    drawAxis(*this, Qt::red, 1.0f, 0.0f, 0.0f);
    drawAxis(*this, Qt::blue, 0.0f, 1.0f, 0.0f);
    drawAxis(*this, Qt::green, 0.0f, 0.0f, 1.0f);
}

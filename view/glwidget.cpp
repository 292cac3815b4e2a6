#include "view/glwidget.h"

#include "drop/waterdrop.h"
#include "terrain/map.h"
#include "view/heightcolours.h"
#include "view/terrainmesh.h"
#include "world/worldbuild.h"

#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// Camera steps: half a degree of turn and 1/32 scene unit of pan per pixel.
constexpr int kRotationPerPixel = 8;
constexpr float kPanPerPixel = 0.03125f;
// While the mouse drags, a frame draws at most this many cells, however many
// pixels the view has: on two cores of software OpenGL, 15 to 25 ms a frame.
constexpr std::int64_t kDragCells = std::int64_t(1) << 15;

// The largest mesh drawn as outlined triangles: 128 x 128 points.
constexpr std::int64_t kOutlinedCells = std::int64_t(127) * 127;
// Indices drawn between two flushes: whole triangles and whole lines.
constexpr int kBatchIndices = 6 * 4096;
// From this many points a frame is drawn from the event loop, not at once.
constexpr std::int64_t LargeMeshPoints = std::int64_t(256) * 256;
// A grid larger than this goes to GL in pieces of this size.
constexpr int GridPieceBytes = 8 << 20;

static_assert(sizeof(QVector3D) == 3 * sizeof(float), "vertices go to GL as three floats");
static_assert(sizeof(HeightColours::Rgba) == 4, "colours go to GL as four bytes");

void drawAxis(QGLWidget& view, const QColor& tipColour, float x, float y, float z)
{
    glBegin(GL_LINES);
    view.qglColor(Qt::white);
    glVertex3f(0.0f, 0.0f, 0.0f);
    view.qglColor(tipColour);
    glVertex3f(x, y, z);
    glEnd();
}

// GL takes an offset into the bound buffer where client arrays take a pointer.
const void* bufferOffset(std::size_t bytes)
{
    const void* pointer = nullptr;
    static_assert(sizeof pointer == sizeof bytes, "an offset fits a pointer");
    std::memcpy(&pointer, &bytes, sizeof pointer);
    return pointer;
}

// Vertices (and colours) read from buffers while it lives; the arrays are off
// and nothing is bound before and after, as the axes and the next frame need.
class BufferArrays
{
public:
    explicit BufferArrays(QGLBuffer& vertices)
    {
        glEnableClientState(GL_VERTEX_ARRAY);
        vertices.bind();
        glVertexPointer(3, GL_FLOAT, 0, nullptr);
        vertices.release();
    }
    void addColours(QGLBuffer& colours)
    {
        glEnableClientState(GL_COLOR_ARRAY);
        colours.bind();
        glColorPointer(4, GL_UNSIGNED_BYTE, 0, nullptr);
        colours.release();
    }
    ~BufferArrays()
    {
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
    }
    BufferArrays(const BufferArrays&) = delete;
    BufferArrays& operator=(const BufferArrays&) = delete;
};

} // namespace

GLWidget::GLWidget(QWidget* parent)
    : QGLWidget(parent, nullptr, Qt::WindowFlags()), gridBuffer_(QGLBuffer::VertexBuffer),
      colourBuffer_(QGLBuffer::VertexBuffer), pathBuffer_(QGLBuffer::VertexBuffer)
{}

GLWidget::~GLWidget()
{
    if (gridBuffer_.isCreated() || pathBuffer_.isCreated()) {
        makeCurrent();
        clearMesh();
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

// The grid, its colours and the paths are made again; the levels of detail,
// indices into the grid, stay as long as its size does.
void GLWidget::rebuildMesh()
{
    // The buffer objects live in this view's context.
    makeCurrent();
    if (!world_.hasTerrain()) {
        clearMesh();
    } else {
        const Map& map = *world_.filteredMap();
        meshWidth_ = int(map.width());
        meshLength_ = int(map.length());
        sceneBounds_ = SceneBounds::of(map);
        fillGridBuffer(map);
        fillColourBuffer();
        fillPathBuffer(map);
    }
    // The commands that rebuild show the wait cursor while they work.
    setCursor(Qt::ArrowCursor);
    // A grid still on its way asks for its frame when it is in.
    if (!uploadingGrid()) {
        redraw();
    }
}

// A small world's frame is drawn at once, as the commands always drew it; a
// large world's takes tens of milliseconds, so it is drawn from the event
// loop after the work that asked for it: no event waits for both, and two
// requests make one frame.
void GLWidget::redraw()
{
    if (std::int64_t(meshWidth_) * meshLength_ > LargeMeshPoints) {
        update();
    } else {
        updateGL();
    }
}

// Undone back to before the first world, only the axes are left.
void GLWidget::clearMesh()
{
    for (QGLBuffer* buffer :
         {&gridBuffer_, &colourBuffer_, &pathBuffer_, &restLevel_.indices, &dragLevel_.indices}) {
        buffer->destroy();
    }
    restLevel_ = DetailLevel();
    dragLevel_ = DetailLevel();
    pathVertexCount_ = 0;
    dropStarts_.clear();
    meshWidth_ = 0;
    meshLength_ = 0;
    sceneBounds_ = SceneBounds();
    ++gridUpload_;
    pendingGrid_ = {};
}

// Written where GL keeps it, when GL lends the memory: the grid of a large
// world is not made twice. A grid made on another thread is only copied.
void GLWidget::fillGridBuffer(const Map& map)
{
    ++gridUpload_;
    pendingGrid_ = std::exchange(preparedGrid_, {});
    if (pendingGrid_.size() == meshWidth_ * meshLength_) {
        pendingOffset_ = 0;
        if (pendingGrid_.size() * int(sizeof(QVector3D)) > GridPieceBytes) {
            writeGridPieceLater(gridUpload_);
        } else {
            writeGridPiece(gridUpload_);
        }
        return;
    }
    pendingGrid_ = {};
    const int bytes = meshWidth_ * meshLength_ * int(sizeof(QVector3D));
    gridBuffer_.create();
    gridBuffer_.bind();
    // A world of the same size (Update, undo) writes over the old grid: fresh
    // memory costs more than the copy.
    if (gridBuffer_.size() != bytes) {
        gridBuffer_.allocate(bytes);
    }
    if (void* memory = gridBuffer_.map(QGLBuffer::WriteOnly)) {
        TerrainMesh::fillGrid(map, static_cast<QVector3D*>(memory));
        gridBuffer_.unmap();
    } else {
        QVector<QVector3D> grid;
        TerrainMesh::buildGrid(map, grid);
        gridBuffer_.write(0, grid.constData(), bytes);
    }
    gridBuffer_.release();
}

// The software rasteriser takes some 30 ms to make room for the grid of a
// 2048 x 2048 world (48 MiB) and a few more to copy it: a large grid goes in
// steps, the room first and then 8 MiB at a time, one step a timer event, so
// that the window answers between them. The terrain is not drawn until the
// last piece is in, and a newer rebuild drops the rest of an older copy.
bool GLWidget::writeGridPiece(int upload)
{
    if (upload != gridUpload_ || pendingGrid_.isEmpty()) {
        return false;
    }
    const int bytes = pendingGrid_.size() * int(sizeof(QVector3D));
    const auto next = [this, upload] {
        writeGridPieceLater(upload);
        return false;
    };
    makeCurrent();
    gridBuffer_.create();
    gridBuffer_.bind();
    if (gridBuffer_.size() != bytes) {
        gridBuffer_.allocate(bytes);
        if (bytes > GridPieceBytes) {
            gridBuffer_.release();
            return next();
        }
    }
    const int piece = std::min(GridPieceBytes, bytes - pendingOffset_);
    gridBuffer_.write(pendingOffset_,
                      reinterpret_cast<const char*>(pendingGrid_.constData()) + pendingOffset_,
                      piece);
    gridBuffer_.release();
    pendingOffset_ += piece;
    if (pendingOffset_ < bytes) {
        return next();
    }
    pendingGrid_ = {};
    return true;
}

// A timer, not a posted call: the timers and input that came meanwhile go
// first.
void GLWidget::writeGridPieceLater(int upload)
{
    QTimer::singleShot(1, this, [this, upload] {
        if (writeGridPiece(upload)) {
            fillColourBuffer();
            redraw();
        }
    });
}

// The colours follow the heights of the grid in its buffer, which are those
// of the last rebuild.
void GLWidget::fillColourBuffer()
{
    colourBuffer_.destroy();
    // A grid still on its way is coloured when its last piece is in.
    if (!colourByHeight_ || !gridBuffer_.isCreated() || uploadingGrid()) {
        return;
    }
    QVector<QVector3D> grid(meshWidth_ * meshLength_);
    gridBuffer_.bind();
    const bool read = gridBuffer_.read(0, grid.data(), grid.size() * int(sizeof(QVector3D)));
    gridBuffer_.release();
    if (!read) {
        return;
    }
    QVector<HeightColours::Rgba> colours;
    HeightColours::build(grid, sceneBounds_.lowest.y(), sceneBounds_.highest.y(), colours);
    colourBuffer_.create();
    colourBuffer_.bind();
    colourBuffer_.allocate(colours.constData(), colours.size() * int(sizeof(HeightColours::Rgba)));
    colourBuffer_.release();
}

void GLWidget::rebuildDrops()
{
    if (!world_.hasTerrain()) {
        return;
    }
    makeCurrent();
    fillPathBuffer(*world_.filteredMap());
    redraw();
}

void GLWidget::fillPathBuffer(const Map& map)
{
    pathBuffer_.destroy();
    pathVertexCount_ = 0;
    dropStarts_.clear();
    for (const WaterDrop* drop : map.drops()) {
        const MapPoint& start = drop->path().front();
        dropStarts_.append(
            TerrainMesh::scenePoint(start.x(), start.y(), start.z(), meshWidth_, meshLength_));
    }
    QVector<QVector<QVector3D>> dropLines;
    QVector<QVector3D> lastPath;
    TerrainMesh::buildDropLines(map, meshWidth_, meshLength_, dropLines, lastPath);
    for (const QVector<QVector3D>& lines : dropLines) {
        pathVertexCount_ += lines.size();
    }
    if (pathVertexCount_ == 0) {
        return;
    }
    pathBuffer_.create();
    pathBuffer_.bind();
    pathBuffer_.allocate(pathVertexCount_ * int(sizeof(QVector3D)));
    int offset = 0;
    for (const QVector<QVector3D>& lines : dropLines) {
        const int bytes = lines.size() * int(sizeof(QVector3D));
        pathBuffer_.write(offset, lines.constData(), bytes);
        offset += bytes;
    }
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
    redraw();
}

void GLWidget::setColourByHeight(bool on)
{
    colourByHeight_ = on;
    makeCurrent();
    fillColourBuffer();
    redraw();
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

void GLWidget::mouseReleaseEvent(QMouseEvent* event)
{
    setCursor(Qt::ArrowCursor);
    if (dragging_ && event->buttons() == Qt::NoButton) {
        dragging_ = false;
        // The drag drew a coarser level than the view draws at rest.
        if (drawnStride_ != strideAtRest()) {
            update();
        }
    }
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
    dragging_ = dragging_ || event->buttons() != Qt::NoButton;
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
    viewport_ = QSize(width, height);
}

// A zero-height view would give an unbounded aspect ratio; it then divides by
// one instead.
double GLWidget::aspectRatio() const
{
    const int divisor = height() == 0 ? 1 : height();
    return double(width()) / double(divisor);
}

// About one cell per pixel at most: more would not show, only cost.
int GLWidget::strideAtRest() const
{
    return TerrainMesh::Detail::strideFor(meshWidth_, meshLength_,
                                          std::int64_t(viewport_.width()) * viewport_.height());
}

GLWidget::DetailLevel* GLWidget::levelToDraw()
{
    if (meshWidth_ < 2 || meshLength_ < 2) {
        return nullptr;
    }
    const int atRest = strideAtRest();
    const std::int64_t pixels = std::int64_t(viewport_.width()) * viewport_.height();
    const int whileDragging =
        TerrainMesh::Detail::strideFor(meshWidth_, meshLength_, std::min(pixels, kDragCells));
    if ((dragging_ || coarseFirst_) && whileDragging != atRest) {
        return &prepared(dragLevel_, whileDragging);
    }
    return &prepared(restLevel_, atRest);
}

GLWidget::DetailLevel& GLWidget::prepared(DetailLevel& level, int stride)
{
    namespace Detail = TerrainMesh::Detail;
    if (level.indices.isCreated() && level.stride == stride && level.meshWidth == meshWidth_ &&
        level.meshLength == meshLength_) {
        return level;
    }
    // Small meshes, every world of the New world dialog's among them, are
    // drawn as they always were, two triangles a cell outlined, and so keep
    // their pictures to the pixel; larger ones draw each edge once, half the
    // lines.
    const bool outlined = Detail::cells(meshWidth_, meshLength_, stride) <= kOutlinedCells;
    const auto count = outlined ? Detail::triangleIndexCount(meshWidth_, meshLength_, stride)
                                : Detail::edgeIndexCount(meshWidth_, meshLength_, stride);
    const auto fill = outlined ? Detail::fillTriangles : Detail::fillEdges;
    const int bytes = int(count) * int(sizeof(std::uint32_t));
    level.indices.create();
    level.indices.bind();
    level.indices.allocate(bytes);
    if (void* memory = level.indices.map(QGLBuffer::WriteOnly)) {
        fill(meshWidth_, meshLength_, stride, static_cast<std::uint32_t*>(memory));
        level.indices.unmap();
    } else {
        std::vector<std::uint32_t> indices(static_cast<std::size_t>(count));
        fill(meshWidth_, meshLength_, stride, indices.data());
        level.indices.write(0, indices.data(), bytes);
    }
    level.indices.release();
    level.meshWidth = meshWidth_;
    level.meshLength = meshLength_;
    level.stride = stride;
    level.indexCount = int(count);
    level.primitive = outlined ? GL_TRIANGLES : GL_LINES;
    return level;
}

void GLWidget::drawCoarseFirst()
{
    coarseFirst_ = true;
}

void GLWidget::paintGL()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    loadCamera();
    drawTerrain();
    drawDropPaths();
    drawDropStarts();
    drawAxes();
    // The whole picture follows from the event loop, in a frame of its own.
    if (!uploadingGrid() && std::exchange(coarseFirst_, false)) {
        QTimer::singleShot(0, this, [this] { update(); });
    }
}

// The same matrices as Fit world reckons with. The projection stays selected.
void GLWidget::loadCamera()
{
    const CameraRecord& camera = world_.camera();
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(CameraView::modelView(camera).constData());
    glMatrixMode(GL_PROJECTION);
    // The far plane moves out only when a large or distant world would reach
    // past the usual 100 scene units.
    glLoadMatrixf(CameraView::projection(aspectRatio(), CameraView::farPlane(camera, sceneBounds_))
                      .constData());
}

void GLWidget::drawTerrain()
{
    DetailLevel* level = uploadingGrid() ? nullptr : levelToDraw();
    drawnStride_ = level != nullptr ? level->stride : 1;
    if (level == nullptr) {
        return;
    }
    qglColor(Qt::white);
    BufferArrays arrays(gridBuffer_);
    if (colourByHeight_ && colourBuffer_.isCreated()) {
        arrays.addColours(colourBuffer_);
    }
    level->indices.bind();
    // The software rasteriser holds every primitive it is given until it has
    // drawn them all; a flush every few thousand cells keeps that memory small.
    for (int first = 0; first < level->indexCount; first += kBatchIndices) {
        if (first > 0) {
            glFlush();
        }
        glDrawElements(level->primitive, std::min(kBatchIndices, level->indexCount - first),
                       GL_UNSIGNED_INT, bufferOffset(std::size_t(first) * sizeof(std::uint32_t)));
    }
    level->indices.release();
}

void GLWidget::drawDropPaths()
{
    if (pathVertexCount_ == 0) {
        return;
    }
    // Among coloured lines, one-pixel blue paths would get lost.
    constexpr float ColouredPathWidth = 3.0f;
    qglColor(Qt::blue);
    glLineWidth(colourByHeight_ ? ColouredPathWidth : 1.0f);
    {
        BufferArrays arrays(pathBuffer_);
        glDrawArrays(GL_LINES, 0, pathVertexCount_);
    }
    glLineWidth(1.0f);
}

// Where each drop started, so that a drop shows before it has moved.
void GLWidget::drawDropStarts()
{
    constexpr float StartSize = 7.0f;
    if (dropStarts_.isEmpty()) {
        return;
    }
    qglColor(Qt::blue);
    glPointSize(StartSize);
    glBegin(GL_POINTS);
    for (const QVector3D& start : dropStarts_) {
        glVertex3f(start.x(), start.y(), start.z());
    }
    glEnd();
    glPointSize(1.0f);
}

void GLWidget::drawAxes()
{
    drawAxis(*this, Qt::red, 1.0f, 0.0f, 0.0f);
    drawAxis(*this, Qt::blue, 0.0f, 1.0f, 0.0f);
    drawAxis(*this, Qt::green, 0.0f, 0.0f, 1.0f);
}

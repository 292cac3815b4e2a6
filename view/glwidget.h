#pragma once

#include "filters/filterpipeline.h"
#include "view/camerafit.h"
#include "world/world.h"

#include <QGLBuffer>
#include <QGLWidget>
#include <QPoint>
#include <QSize>
#include <QString>
#include <memory>

class Filter;
class Map;

// The 3D view and the single holder of the world: one World (the base map,
// the ordered filter list, the filtered map with its water drops and the
// camera), whose operations it forwards, and the GL buffers derived from the
// filtered map, which it draws.
class GLWidget : public QGLWidget
{
    Q_OBJECT

public:
    explicit GLWidget(QWidget* parent = nullptr);
    ~GLWidget() override;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    World& world() { return world_; }
    const World& world() const { return world_; }

    Map* baseMap() const;
    Map* filteredMap() const;
    bool hasBaseMap() const;

    // Stores the map, then derives the filtered map from it.
    void setBaseMap(std::unique_ptr<Map> map);
    // Derives the filtered map again from the base map through every filter;
    // the drops of the previous filtered map go with it.
    void applyFilters();
    // Turns the filtered map and its drops into vertex arrays and redraws.
    void rebuildMesh();
    // The drops' paths and starts alone again, and a redraw: the terrain's
    // buffers stay as they are.
    void rebuildDrops();
    // The next frame draws the coarse level of a drag, and the frame after it
    // the whole picture: after long work, the window answers between the two.
    void drawCoarseFirst();
    // The grid of the next rebuild, made on another thread (TerrainMesh's
    // buildGrid of the filtered map): the rebuild only copies it to GL.
    void usePreparedGrid(QVector<QVector3D> grid) { preparedGrid_ = std::move(grid); }
    // Whether a large prepared grid is still being copied to GL, a piece an
    // event; the terrain is drawn again once it is in.
    bool uploadingGrid() const { return !pendingGrid_.isEmpty(); }

    // The filter list; positions are not checked.
    void addFilter(std::unique_ptr<Filter> filter);
    Filter* filterAt(int position) const;
    QString filterName(int position) const;
    int filterCount() const;
    void moveFilterUp(int position);
    void moveFilterDown(int position);
    void removeFilter(int position);

    // Camera angles in sixteenths of a degree, centre in scene units.
    void setXRotation(const double& angle);
    void setYRotation(const double& angle);
    void setZRotation(const double& angle);
    void setCenterX(const double& x);
    void setCenterY(const double& y);

    double xRotation() const { return world_.camera().xRotation; }
    double yRotation() const { return world_.camera().yRotation; }
    double zRotation() const { return world_.camera().zRotation; }
    double centerX() const { return world_.camera().centerX; }
    double centerY() const { return world_.camera().centerY; }
    float eyeDistance() const { return world_.camera().distance; }

    // Where the shown world came from, and the filters it went through at the
    // last applyFilters (the list may have changed since): with the drops and
    // the camera, the recipe that rebuilds the world on screen.
    void setWorldOrigin(const WorldOrigin& origin) { world_.setOrigin(origin); }
    const WorldOrigin& worldOrigin() const { return world_.origin(); }
    const std::vector<FilterRecord>& appliedFilters() const { return world_.appliedFilters(); }
    // Whether the filter list differs from the one the shown world went
    // through, so that Update would change it.
    bool hasUnappliedFilters() const;
    // Replaces the whole filter list; shown from the next applyFilters.
    void setFilterList(FilterList filters);

    CameraRecord camera() const;
    void setCamera(const CameraRecord& camera);
    // Moves the centre and the eye so that the whole filtered world shows,
    // keeping the angles, and redraws.
    void fitWorld();

    // Lines coloured by height instead of all white; drop paths then drawn
    // wider so that they stand out. Off at start.
    void setColourByHeight(bool on);
    bool colourByHeight() const { return colourByHeight_; }

    // The level of detail of the last frame: every how many grid rows and
    // columns it drew (1 for all of them). While the mouse drags, and whenever
    // the world has more cells than the view has pixels, a frame draws fewer.
    int drawnStride() const { return drawnStride_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;

private:
    // The triangles of one level of detail: indices into the grid buffer, made
    // when the level is first drawn and kept while the grid keeps its size.
    struct DetailLevel
    {
        int meshWidth = 0;
        int meshLength = 0;
        int stride = 0;
        int indexCount = 0;
        GLenum primitive = GL_TRIANGLES;
        QGLBuffer indices{QGLBuffer::IndexBuffer};
    };

    void resetCamera();
    void clearMesh();
    void fillGridBuffer(const Map& map);
    // Whether the last piece is in.
    bool writeGridPiece(int upload);
    void writeGridPieceLater(int upload);
    void fillColourBuffer();
    void fillPathBuffer(const Map& map);
    double aspectRatio() const;
    int strideAtRest() const;
    DetailLevel* levelToDraw();
    DetailLevel& prepared(DetailLevel& level, int stride);
    void loadCamera();
    void drawTerrain();
    void drawDropPaths();
    void drawDropStarts();
    void redraw();
    void drawAxes();

    World world_;
    // One scene vertex per map point, row by row; one colour per vertex while
    // colouring by height; every drop's segments, one drop after the other.
    QGLBuffer gridBuffer_;
    QGLBuffer colourBuffer_;
    QGLBuffer pathBuffer_;
    int pathVertexCount_ = 0;
    // The scene points where the drops started, marked in every frame.
    QVector<QVector3D> dropStarts_;
    DetailLevel restLevel_;
    DetailLevel dragLevel_;
    int meshWidth_ = 0;
    int meshLength_ = 0;
    QSize viewport_;
    QPoint lastPos_;
    SceneBounds sceneBounds_;
    bool colourByHeight_ = false;
    // From the first move with a button held to the release of the last one.
    bool dragging_ = false;
    bool coarseFirst_ = false;
    QVector<QVector3D> preparedGrid_;
    QVector<QVector3D> pendingGrid_;
    int pendingOffset_ = 0;
    // Counts the grid's rebuilds: a piece of an older copy is not written.
    int gridUpload_ = 0;
    int drawnStride_ = 0;
};

#include "view/camerafit.h"

#include "terrain/map.h"
#include "view/terrainmesh.h"

#include <algorithm>
#include <cmath>

SceneBounds SceneBounds::of(const Map& map)
{
    SceneBounds bounds;
    float lowest = 0.0f;
    float highest = 0.0f;
    for (const MapPoint& point : map.points()) {
        const float z = point.z();
        if (!std::isfinite(z)) {
            continue;
        }
        lowest = bounds.empty ? z : std::min(lowest, z);
        highest = bounds.empty ? z : std::max(highest, z);
        bounds.empty = false;
    }
    if (bounds.empty) {
        return bounds;
    }
    const int width = int(map.width());
    const int length = int(map.length());
    bounds.lowest = TerrainMesh::scenePoint(0.0f, 0.0f, lowest, width, length);
    bounds.highest =
        TerrainMesh::scenePoint(float(width - 1), float(length - 1), highest, width, length);
    return bounds;
}

std::array<QVector3D, 8> SceneBounds::corners() const
{
    std::array<QVector3D, 8> result;
    for (int i = 0; i < 8; ++i) {
        result[std::size_t(i)] = QVector3D((i & 1) != 0 ? highest.x() : lowest.x(),
                                           (i & 2) != 0 ? highest.y() : lowest.y(),
                                           (i & 4) != 0 ? highest.z() : lowest.z());
    }
    return result;
}

namespace CameraView {

namespace {

constexpr float ViewShare = 0.9f;

// A 4 x 4 float matrix as the GL matrix stack holds and combines it (columns
// one after the other), so that the matrices made here carry the very bits
// that gluLookAt, glRotatef and gluPerspective left on the stack. QMatrix4x4
// rounds otherwise (it turns degrees into radians in float, and works the
// perspective out in float where GLU uses double); loaded instead, its
// matrices moved lines of small worlds by a pixel here and there.
class StackMatrix
{
public:
    StackMatrix() { at(0, 0) = at(1, 1) = at(2, 2) = at(3, 3) = 1.0f; }

    float& at(int row, int column) { return values_[index(row, column)]; }
    float at(int row, int column) const { return values_[index(row, column)]; }

    // this * other, each entry summed from the first term to the last.
    StackMatrix times(const StackMatrix& other) const
    {
        StackMatrix product;
        for (int row = 0; row < 4; ++row) {
            for (int column = 0; column < 4; ++column) {
                product.at(row, column) =
                    at(row, 0) * other.at(0, column) + at(row, 1) * other.at(1, column) +
                    at(row, 2) * other.at(2, column) + at(row, 3) * other.at(3, column);
            }
        }
        return product;
    }

    // glTranslate: only the last column changes.
    void translate(float x, float y, float z)
    {
        for (int row = 0; row < 4; ++row) {
            at(row, 3) = at(row, 0) * x + at(row, 1) * y + at(row, 2) * z + at(row, 3);
        }
    }

    // glRotate about one of the axes (0 x, 1 y, 2 z): the sine and cosine of
    // the angle in float radians.
    void rotate(float degrees, int axis)
    {
        const auto radians = float(double(degrees) * M_PI / 180.0);
        const float sine = std::sin(radians);
        const float cosine = std::cos(radians);
        const int first = axis == 0 ? 1 : 0;
        const int second = axis == 2 ? 1 : 2;
        StackMatrix turn;
        turn.at(first, first) = cosine;
        turn.at(second, second) = cosine;
        // The minus sine lies above the diagonal, except about y.
        const float sign = axis == 1 ? 1.0f : -1.0f;
        turn.at(first, second) = sign * sine;
        turn.at(second, first) = -sign * sine;
        *this = times(turn);
    }

    QMatrix4x4 toQMatrix() const
    {
        QMatrix4x4 matrix;
        std::copy(values_.begin(), values_.end(), matrix.data());
        return matrix;
    }

private:
    static std::size_t index(int row, int column)
    {
        return std::size_t(column) * 4 + std::size_t(row);
    }

    std::array<float, 16> values_{};
};

// GLU's vector steps, in float.
using Vector = std::array<float, 3>;

void normalize(Vector& v)
{
    const auto length = float(std::sqrt(double(v[0] * v[0] + v[1] * v[1] + v[2] * v[2])));
    if (length == 0.0f) {
        return;
    }
    for (float& component : v) {
        component /= length;
    }
}

Vector cross(const Vector& a, const Vector& b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// gluLookAt from the eye to the centre with y up.
StackMatrix lookAt(const CameraRecord& camera)
{
    const double eye[3] = {0.0, -double(camera.distance), -double(camera.distance)};
    Vector forward{float(camera.centerX - eye[0]), float(camera.centerY - eye[1]),
                   float(0.0 - eye[2])};
    normalize(forward);
    Vector side = cross(forward, {0.0f, 1.0f, 0.0f});
    normalize(side);
    const Vector up = cross(side, forward);
    StackMatrix matrix;
    for (int k = 0; k < 3; ++k) {
        matrix.at(0, k) = side[std::size_t(k)];
        matrix.at(1, k) = up[std::size_t(k)];
        matrix.at(2, k) = -forward[std::size_t(k)];
    }
    matrix.translate(float(-eye[0]), float(-eye[1]), float(-eye[2]));
    return matrix;
}

// The turns about x, then y, then z, each angle in sixteenths of a degree.
StackMatrix turned(StackMatrix matrix, const CameraRecord& camera)
{
    matrix.rotate(float(camera.xRotation * 0.0625), 0);
    matrix.rotate(float(camera.yRotation * 0.0625), 1);
    matrix.rotate(float(camera.zRotation * 0.0625), 2);
    return matrix;
}

bool showsAll(const CameraRecord& camera, const SceneBounds& bounds, double aspect)
{
    const QMatrix4x4 eye = modelView(camera);
    const QMatrix4x4 toClip = projection(aspect, farPlane(camera, bounds)) * eye;
    for (const QVector3D& corner : bounds.corners()) {
        const QVector4D clip = toClip * QVector4D(corner, 1.0f);
        // In front of the near plane, and well inside the picture's edges.
        if ((eye * QVector4D(corner, 1.0f)).z() > -NearPlane || clip.w() <= 0.0f ||
            std::fabs(clip.x()) > ViewShare * clip.w() ||
            std::fabs(clip.y()) > ViewShare * clip.w()) {
            return false;
        }
    }
    return true;
}

} // namespace

QMatrix4x4 modelView(const CameraRecord& camera)
{
    return turned(lookAt(camera), camera).toQMatrix();
}

double farPlane(const CameraRecord& camera, const SceneBounds& bounds)
{
    if (bounds.empty) {
        return FarPlane;
    }
    const QMatrix4x4 eye = modelView(camera);
    double farthest = 0.0;
    for (const QVector3D& corner : bounds.corners()) {
        farthest = std::max(farthest, double(-(eye * QVector4D(corner, 1.0f)).z()));
    }
    return std::max(FarPlane, farthest * 1.05);
}

// gluPerspective works in double; the stack keeps each entry rounded to float.
QMatrix4x4 projection(double aspect, double farPlane)
{
    const double nearPlane = double(NearPlane);
    const double halfAngle = FieldOfView / 2 * M_PI / 180;
    const double depth = farPlane - nearPlane;
    const double cotangent = std::cos(halfAngle) / std::sin(halfAngle);
    StackMatrix matrix;
    matrix.at(0, 0) = float(cotangent / aspect);
    matrix.at(1, 1) = float(cotangent);
    matrix.at(2, 2) = float(-(farPlane + nearPlane) / depth);
    matrix.at(3, 2) = -1.0f;
    matrix.at(2, 3) = float(-2 * nearPlane * farPlane / depth);
    matrix.at(3, 3) = 0.0f;
    return matrix.toQMatrix();
}

CameraRecord fitted(const CameraRecord& camera, const SceneBounds& bounds, double aspect)
{
    if (bounds.empty || !(aspect > 0.0)) {
        return camera;
    }
    CameraRecord fit = camera;
    // Look at the box's middle as the turned scene has it.
    const QVector3D middle =
        turned(StackMatrix(), camera).toQMatrix().map((bounds.lowest + bounds.highest) * 0.5f);
    fit.centerX = double(middle.x());
    fit.centerY = double(middle.y());
    const float sign = camera.distance > 0.0f ? 1.0f : -1.0f;
    const auto showsAt = [&](float reach) {
        fit.distance = sign * reach;
        return showsAll(fit, bounds, aspect);
    };
    // Grow until everything shows, then close in on the nearest such distance.
    float near = 0.0f;
    float far = 1.0f;
    while (!showsAt(far)) {
        near = far;
        far *= 2.0f;
        if (!std::isfinite(far) || far > 1e7f) {
            return camera;
        }
    }
    for (int i = 0; i < 40; ++i) {
        const float middleReach = 0.5f * (near + far);
        (showsAt(middleReach) ? far : near) = middleReach;
    }
    fit.distance = sign * far;
    return fit;
}

} // namespace CameraView

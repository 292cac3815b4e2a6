#pragma once

// One sample of the terrain, or one position of a drop's path: x along the
// map's width, y along its length, z the height. Only the height changes after
// construction.
class MapPoint
{
public:
    MapPoint(float x, float y, float z) : x_(x), y_(y), z_(z) {}

    float x() const { return x_; }
    float y() const { return y_; }
    float z() const { return z_; }
    void setZ(float z) { z_ = z; }

private:
    float x_;
    float y_;
    float z_;
};

#include "view/terrainmesh.h"

#include "terrain/map.h"

namespace TerrainMesh {

QVector3D scenePoint(float x, float y, float z, int meshWidth, int meshLength)
{
    return QVector3D(x / 5.0f - (float(meshWidth) / 5.0f) * 0.5f, z / 5.0f,
                     y / 5.0f - (float(meshLength) / 5.0f) * 0.5f);
}

void buildGrid(const Map&, QVector<QVector3D>& gridVertices)
{
    gridVertices.clear(); // placeholder
}

void buildTriangles(const QVector<QVector3D>&, int, int, QVector<QVector3D>& triangleVertices)
{
    triangleVertices.clear(); // placeholder
}

int buildDropLines(const Map&, int, int, QVector<QVector<QVector3D>>& dropLines,
                   QVector<QVector3D>& pathVertices)
{
    dropLines.clear(); // placeholder
    pathVertices.clear();
    return 0;
}

} // namespace TerrainMesh

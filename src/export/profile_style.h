#pragma once
// The QGIS layer style (.qml) beside a point layer with profiles: it marks
// the "profiles" field as a spectral profile, so that EnMAP-Box opens the
// layer as a spectral library and draws each feature's reflectance.

#include <filesystem>

#include "export/csv_export.h"

namespace varnelo {

// OUT.geojson → OUT.qml, the name QGIS looks for beside a layer.
std::filesystem::path ProfileStylePath(const std::filesystem::path& layer);

ExportResult ExportProfileStyle(const std::filesystem::path& target);

// Writes the style beside a layer just written with profiles, unless the
// layer failed: the layer's result stands unless the style fails.
ExportResult WithProfileStyle(const std::filesystem::path& layer, ExportResult layerWritten);

}  // namespace varnelo

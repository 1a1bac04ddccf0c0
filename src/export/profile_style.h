#pragma once
// The QGIS layer style (.qml) beside a point layer with profiles: it marks
// the "profiles" field as a spectral profile, so that EnMAP-Box opens the
// layer as a spectral library and draws each feature's reflectance.

#include <filesystem>

#include "export/csv_export.h"

namespace varnelo {

// OUT.geojson → OUT.qml, the name QGIS looks for beside a layer.
std::filesystem::path ProfileStylePath(const std::filesystem::path& layer);

// The style's whole text. It describes the layer's "profiles" field, so it is
// the member of the pair replaced last (io/file_set.h): a style beside a layer
// without profiles would have EnMAP-Box look for a field that is not there,
// while a layer without its style still opens as a plain point layer.
std::string_view ProfileStyleText();

ExportResult ExportProfileStyle(const std::filesystem::path& target);

}  // namespace varnelo

#include "export/profile_style.h"

#include <string_view>

#include "io/atomic_file.h"

namespace varnelo {

namespace {

constexpr std::string_view STYLE =
    "<!DOCTYPE qgis PUBLIC 'http://mrcc.com/qgis.dtd' 'SYSTEM'>\n"
    "<qgis version=\"3.28.0\" styleCategories=\"Fields|Forms\">\n"
    "  <fieldConfiguration>\n"
    "    <field name=\"profiles\" configurationFlags=\"None\">\n"
    "      <editWidget type=\"SpectralProfile\">\n"
    "        <config>\n"
    "          <Option/>\n"
    "        </config>\n"
    "      </editWidget>\n"
    "    </field>\n"
    "  </fieldConfiguration>\n"
    "</qgis>\n";

}  // namespace

std::filesystem::path ProfileStylePath(const std::filesystem::path& layer) {
    std::filesystem::path style = layer;
    return style.replace_extension(".qml");
}

ExportResult ExportProfileStyle(const std::filesystem::path& target) {
    AtomicFileWriter file(target);
    if (!file.open() || !file.write(STYLE) || !file.commit()) return ExportResult{file.status()};
    return {};
}

std::string_view ProfileStyleText() { return STYLE; }

}  // namespace varnelo

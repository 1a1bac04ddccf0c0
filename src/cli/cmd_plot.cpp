// plot: the spectrum and track charts of a data file as a PNG image, drawn
// exactly as the main form draws them, at the frames' pixel sizes.
#include <QImage>
#include <QPainter>

#include "charts/dialog_units.h"
#include "charts/spectrum_chart.h"
#include "charts/track_chart.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "launch/path_text.h"
#include "ui/chart_surface.h"
#include "ui/png_file.h"

namespace varnelo::cli {

namespace {

// The form's background, around and between the two frames.
const QColor FORM_BACKGROUND(240, 240, 240);

QImage SideBySide(const QImage& spectrum, const QImage& track) {
    QImage out(spectrum.width() + track.width(), std::max(spectrum.height(), track.height()), QImage::Format_RGB32);
    out.fill(FORM_BACKGROUND);
    QPainter painter(&out);
    painter.drawImage(0, 0, spectrum);
    painter.drawImage(spectrum.width(), 0, track);
    return out;
}

}  // namespace

int RunPlot(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Draws the spectra of one record and the GPS track of all records, with that record marked, into one PNG "
        "image (JPEG for a name ending in .jpg or .jpeg): the spectrum chart (586 x 483) on the left, the track chart (233 x 172) on the right. A file "
        "without records gives the empty charts."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("the data file (*.vrnldata)"));
    const QCommandLineOption recordOption(QStringLiteral("record"),
                                          QStringLiteral("the record to show, from 0 (default 0)"), QStringLiteral("K"));
    const QCommandLineOption limitOption(QStringLiteral("limit"), QStringLiteral("spectra from 390 to 800 nm only"));
    const QCommandLineOption outputOption = OutputOption(QStringLiteral("OUT.png"));
    const QCommandLineOption colourOption(
        QStringLiteral("colour-by"),
        QStringLiteral("colour each record's point of the track by a spectral index: ndvi, pri, rep, mtci or nd:A:B"),
        QStringLiteral("NAME"));
    parser.addOptions({recordOption, limitOption, outputOption, colourOption});
    QString path;
    std::filesystem::path target;
    if (const Status checked = Parse(parser, arguments); !checked) return ExitStatus(checked);
    if (const Status checked = SinglePositional(parser, QStringLiteral("data file"), path); !checked)
        return ExitStatus(checked);
    if (const Status checked = OutputPath(parser, outputOption, OutputKind::Binary, target); !checked)
        return ExitStatus(checked);
    int k = 0;
    if (parser.isSet(recordOption)) {
        bool ok = false;
        k = parser.value(recordOption).toInt(&ok);
        if (!ok || k < 0) {
            return UsageError(QStringLiteral("--record %1 is not a record number (they count from 0)")
                                  .arg(Quoted(parser.value(recordOption))));
        }
    }
    std::optional<SpectralIndex> colourBy;
    if (parser.isSet(colourOption)) {
        std::string error;
        colourBy = ParseIndexName(parser.value(colourOption).toStdString(), error);
        if (!colourBy) return UsageError(QString::fromStdString(error));
    }
    if (const Status checked = DistinctFromInput(path, target); !checked) return ExitStatus(checked);
    const std::optional<ImageFormat> format = ImageFormatForPath(target);
    if (!format) {
        return UsageError(QStringLiteral("-o %1: plot writes PNG (.png) or JPEG (.jpg, .jpeg) images")
                              .arg(FromPath(target)));
    }

    Session session;
    if (const Status checked = OpenSession(path, session); !checked) return ExitStatus(checked);
    const CVarneloDoc& doc = session.doc();
    const int n = doc.recordCount();
    const bool empty = n == 0 && !parser.isSet(recordOption);
    if (!empty && (k < 0 || k >= n)) {
        return Fail(QStringLiteral("%1: record %2 is not in the file, which holds %3 records%4")
                        .arg(ShownPath(path))
                        .arg(Shown(parser.value(recordOption)))
                        .arg(n)
                        .arg(n > 0 ? QStringLiteral(" (0 to %1)").arg(n - 1) : QString()));
    }

    const PixelSize spectrumSize = SpectrumFrameSize();
    const PixelSize trackSize = TrackFrameSize();
    ChartSurface spectrum(QSize(spectrumSize.width, spectrumSize.height));
    ChartSurface track(QSize(trackSize.width, trackSize.height));
    if (empty) {
        spectrum.draw([](Canvas& c) { DrawSpectrumAxes(c); });
        track.draw([](Canvas& c) { DrawTrackFrame(c); });
    } else {
        const bool limit = parser.isSet(limitOption);
        spectrum.draw([&](Canvas& c) { DrawSpectrumChart(c, doc.record(k), limit); });
        const TrackChartData data = TrackChartDataOf(session.track(), n);
        if (colourBy) {
            const std::vector<IndexValue> values = IndexOfRecords(doc, n, *colourBy);
            track.draw([&](Canvas& c) { DrawTrackChart(c, data, k, MakeTrackColouring(*colourBy, values)); });
        } else {
            track.draw([&](Canvas& c) { DrawTrackChart(c, data, k); });
        }
    }

    const std::string error = SaveImage(SideBySide(spectrum.image(), track.image()), target, *format);
    return error.empty() ? 0 : Fail(QString::fromStdString(error));
}

}  // namespace varnelo::cli

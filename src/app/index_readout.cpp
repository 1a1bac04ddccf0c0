#include "app/index_readout.h"

#include <QEvent>
#include <QFontMetrics>
#include <QStatusBar>
#include <algorithm>
#include <vector>

#include "analysis/quality_flags.h"
#include "analysis/spectral_index.h"
#include "export/record_rows.h"
#include "app/result_settings.h"
#include "app/varnelo_view.h"

namespace varnelo {

IndexReadout::IndexReadout(const Session& session, const ResultSettings& results, QWidget* parent)
    : QLabel(parent), m_session(session), m_results(results) {
    setTextFormat(Qt::PlainText);
    connect(&results, &ResultSettings::changed, this, [this] { showRecord(m_record); });
    retranslateUi();
}

void IndexReadout::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslateUi();
    QLabel::changeEvent(event);
}

void IndexReadout::retranslateUi() {
    //: Tooltip of the status bar field that shows the vegetation indices
    //: (NDVI, PRI, red-edge position REP, MTCI) of the selected record.
    setToolTip(tr("選択したレコードの分光指数"));
    showRecord(m_record);
}

void IndexReadout::showRecord(int record) {
    m_record = record;
    const CVarneloDoc& doc = m_session.doc();
    m_indices.clear();
    if (record >= 0 && record < doc.recordCount()) {
        const std::vector<SpectralIndex> indices = DefaultIndices();
        std::vector<IndexValue> values(indices.size());
        ComputeIndices(doc.record(record), indices, values);
        m_indices = QString::fromStdString(IndexReadoutText(indices, values));
        // The quality flags an index table gives the record, by the same rule.
        ElementMask needed;
        for (const SpectralIndex& index : indices) needed |= IndexElements(index);
        ResultRow row;
        RowMaker(ShownStages(m_results.choices(), doc, record), needed, false)
            .make(std::span(&doc.record(record), 1), record > 0 ? &doc.record(record - 1) : nullptr, record, row);
        if (row.sun) {
            //: Status bar readout: the sun's zenith angle in degrees at the record's time and place.
            m_indices += QStringLiteral("  ") + tr("天頂角 %1°").arg(row.sun->zenith, 0, 'f', 1);
        }
        if (row.flags != 0) m_indices += QStringLiteral("  qc ") + QString::fromStdString(QualityText(row.flags));
    }
    if (m_pointer.isEmpty()) showFitted(m_indices);
}

void IndexReadout::showPointer(const QString& text) {
    m_pointer = text;
    showFitted(m_pointer.isEmpty() ? m_indices : m_pointer);
}

void IndexReadout::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    showFitted(text());
}

void IndexReadout::showFitted(const QString& text) {
    // Down to a size still read easily; the pane is made wide enough for
    // the texts it shows at that size.
    constexpr qreal SMALLEST_POINTS = 7.0;
    QFont font = parentWidget() != nullptr ? parentWidget()->font() : QFont();
    const int room = maximumWidth() - contentsMargins().left() - contentsMargins().right() - 2 * margin();
    while (font.pointSizeF() > SMALLEST_POINTS && QFontMetrics(font).horizontalAdvance(text) > room)
        font.setPointSizeF(std::max(SMALLEST_POINTS, font.pointSizeF() - 0.5));
    if (font != this->font()) setFont(font);
    if (text != this->text()) setText(text);
}

IndexReadout* InstallIndexReadout(QStatusBar* bar, CVarneloView* view, const Session& session,
                                  const ResultSettings& results) {
    auto* readout = new IndexReadout(session, results, bar);
    bar->addPermanentWidget(readout);
    QObject::connect(view, &CVarneloView::recordDrawn, readout, &IndexReadout::showRecord);
    return readout;
}

}  // namespace varnelo

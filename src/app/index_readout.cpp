#include "app/index_readout.h"

#include <QStatusBar>
#include <vector>

#include "analysis/spectral_index.h"
#include "app/varnelo_view.h"

namespace varnelo {

IndexReadout::IndexReadout(const Session& session, QWidget* parent) : QLabel(parent), m_session(session) {
    setTextFormat(Qt::PlainText);
    //: Tooltip of the status bar field that shows the vegetation indices
    //: (NDVI, PRI, red-edge position REP, MTCI) of the selected record.
    setToolTip(tr("選択したレコードの分光指数"));
}

void IndexReadout::showRecord(int record) {
    const CVarneloDoc& doc = m_session.doc();
    if (record < 0 || record >= doc.recordCount()) {
        clear();
        return;
    }
    const std::vector<SpectralIndex> indices = DefaultIndices();
    std::vector<IndexValue> values(indices.size());
    ComputeIndices(doc.record(record), indices, values);
    setText(QString::fromStdString(IndexReadoutText(indices, values)));
}

IndexReadout* InstallIndexReadout(QStatusBar* bar, CVarneloView* view, const Session& session) {
    auto* readout = new IndexReadout(session, bar);
    bar->insertPermanentWidget(0, readout);
    QObject::connect(view, &CVarneloView::recordDrawn, readout, &IndexReadout::showRecord);
    return readout;
}

}  // namespace varnelo
